// The chart of history records: the four sensors against time on one view, the track of
// the positions on a second, each with zoom (drag a rectangle, or the wheel for time), a
// way back to the whole range and the coordinates under the mouse. It shows the records of
// the last transfer or of a CSV file that the export wrote earlier, and saves a view as PNG.
#pragma once

#include <QPoint>
#include <QString>
#include <QWidget>
#include <array>
#include <functional>
#include <memory>

#include "data/history_chart_data.h"

class QCPCurve;
class QCPGraph;
class QCustomPlot;
class QLabel;
class QPushButton;
class QTabWidget;

namespace lgcset::ui {

class MessageBoxes;

class HistoryChartWindow : public QWidget {
    Q_OBJECT
  public:
    // The boxes are looked up at each use, so the owner may swap its seam.
    explicit HistoryChartWindow(std::function<MessageBoxes&()> boxes, QWidget* parent = nullptr);
    ~HistoryChartWindow() override;

    // Shows a chart in place of the one on view, at its whole range; `source` says where
    // its records come from (window title and summary line).
    void ShowChart(std::shared_ptr<const data::HistoryChartData> chart, const QString& source);
    const data::HistoryChartData* Chart() const { return chart_.get(); }

    // Charts a CSV file written by the export; a file that is not one refuses with a box
    // and leaves the chart on view as it was. True when the file is on view.
    bool OpenCsv(const QString& path);
    // Writes the view on show as PNG; false (with a box) when it cannot be written.
    bool SaveImage(const QString& path);
    void ShowWholeRange();

    // Button handlers: they ask for the file, then do the above.
    void btn_openClick();
    void btn_saveClick();

    QCustomPlot* SensorPlot() const { return sensorPlot_; }
    QCustomPlot* TrackPlot() const { return trackPlot_; }
    QCPGraph* SensorGraph(int sensor) const { return graphs_[static_cast<std::size_t>(sensor)]; }
    QCPCurve* TrackCurve() const { return trackCurve_; }
    QTabWidget* Views() const { return views_; }
    QLabel* PointerLabel() const { return pointer_; }
    QLabel* SummaryLabel() const { return summary_; }
    QPushButton* OpenButton() const { return btn_open_; }
    QPushButton* SaveButton() const { return btn_save_; }
    QPushButton* WholeRangeButton() const { return btn_whole_; }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void BuildSensorPlot();
    void BuildTrackPlot();
    void FillPlots();
    void FitTrack();
    void ShowPointer(QCustomPlot* plot, const QPoint& position);
    void ToggleCurveAt(const QPoint& position);
    void AdaptTimeTicks();

    std::function<MessageBoxes&()> boxes_;
    std::shared_ptr<const data::HistoryChartData> chart_;
    QTabWidget* views_ = nullptr;
    QCustomPlot* sensorPlot_ = nullptr;
    QCustomPlot* trackPlot_ = nullptr;
    std::array<QCPGraph*, data::kSensorCount> graphs_{};
    QCPCurve* trackCurve_ = nullptr;
    QLabel* summary_ = nullptr;
    QLabel* pointer_ = nullptr;
    QPushButton* btn_open_ = nullptr;
    QPushButton* btn_save_ = nullptr;
    QPushButton* btn_whole_ = nullptr;
    // The track keeps its whole range fitted to the plot's shape until the user zooms.
    bool trackAtWholeRange_ = true;
    QPoint pressedAt_;
};

}  // namespace lgcset::ui
