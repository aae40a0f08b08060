// The "Statistics" panel beside the chart: a column per sensor with its figures, and the
// list of excursions, where a click on one asks the chart to zoom to it.
#pragma once

#include <QWidget>
#include <functional>
#include <vector>

#include "analysis/statistics_table.h"

class QLabel;
class QTableView;
class QTableWidget;

namespace lgcset::ui {

class StatisticsPanel : public QWidget {
    Q_OBJECT
  public:
    explicit StatisticsPanel(QWidget* parent = nullptr);
    ~StatisticsPanel() override;

    // `limitsFrom` says where the limits were taken from.
    void Show(const analysis::HistoryAnalysis& analysis, const QString& limitsFrom);
    // Called with the excursion a click picked.
    std::function<void(const analysis::SensorExcursion&)> excursionPicked;

    QTableWidget* StatisticsTable() const { return statistics_; }
    // A view over the list, which may hold thousands: its cells are made as they show.
    QTableView* ExcursionTable() const { return excursions_; }
    QLabel* LimitsLabel() const { return limitsFrom_; }
    // The excursion on row `row` of the list.
    const analysis::SensorExcursion& ExcursionAt(int row) const {
        return listed_[static_cast<std::size_t>(row)];
    }

  private:
    QLabel* limitsFrom_ = nullptr;
    QTableWidget* statistics_ = nullptr;
    QTableView* excursions_ = nullptr;
    class ExcursionModel;
    ExcursionModel* model_ = nullptr;
    std::vector<analysis::SensorExcursion> listed_;
};

}  // namespace lgcset::ui
