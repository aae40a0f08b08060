// "Open from Archive...": one of the archive's loggers and a range of days to chart.
#pragma once

#include <QDate>
#include <QDialog>
#include <vector>

#include "archive/archive_store.h"

class QDateEdit;
class QLabel;
class QLineEdit;
class QTableWidget;

namespace lgcset::ui {

class ArchivePickDialog : public QDialog {
    Q_OBJECT
  public:
    // One row per logger: device ID, model, last seen, readings. The first is picked, with
    // the range of its readings.
    ArchivePickDialog(std::vector<archive::LoggerSummary> loggers, QWidget* parent = nullptr);

    // Picks row `row` and sets the range to its readings' days.
    void Pick(int row);
    // Shows only the logger of a device ID typed as the user likes it ("101" is
    // 000000000000101), every logger when empty; a text that is no device ID is refused on
    // the line below and leaves the rows as they were.
    void Filter(const QString& typed);
    // The picked row's logger; none when no row is picked or the filter hides it.
    const archive::LoggerSummary* Picked() const;
    QDate From() const;
    QDate To() const;
    QTableWidget* Table() const { return table_; }
    QDateEdit* FromEdit() const { return from_; }
    QDateEdit* ToEdit() const { return to_; }
    QLineEdit* FilterEdit() const { return filter_; }
    QLabel* FilterRefusal() const { return refusal_; }

  private:
    std::vector<archive::LoggerSummary> loggers_;
    QLineEdit* filter_ = nullptr;
    QLabel* refusal_ = nullptr;
    QTableWidget* table_ = nullptr;
    QDateEdit* from_ = nullptr;
    QDateEdit* to_ = nullptr;
};

// The day of a reading's time (ReadingTime) and the first and last second of a day.
QDate ReadingDay(std::int64_t readingTime);
std::int64_t DayStart(const QDate& day);
std::int64_t DayEnd(const QDate& day);

}  // namespace lgcset::ui
