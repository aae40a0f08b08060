#include "ui/archive_pick_dialog.h"

#include <QDateEdit>
#include <QDateTime>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QTableWidget>
#include <QTimeZone>
#include <QVBoxLayout>

#include "data/device_id.h"
#include "ui/table_cells.h"

namespace lgcset::ui {

namespace {

const QDate kEpoch(1970, 1, 1);
constexpr std::int64_t kDay = 86400;

}  // namespace

QDate ReadingDay(std::int64_t readingTime) {
    const std::int64_t days = (readingTime >= 0 ? readingTime : readingTime - (kDay - 1)) / kDay;
    return kEpoch.addDays(days);
}

std::int64_t DayStart(const QDate& day) {
    return kEpoch.daysTo(day) * kDay;
}

std::int64_t DayEnd(const QDate& day) {
    return DayStart(day) + kDay - 1;
}

ArchivePickDialog::ArchivePickDialog(std::vector<archive::LoggerSummary> loggers, QWidget* parent)
    : QDialog(parent), loggers_(std::move(loggers)) {
    setWindowTitle(QStringLiteral("Open from Archive"));
    filter_ = new QLineEdit(this);
    filter_->setPlaceholderText(QStringLiteral("every logger"));
    refusal_ = new QLabel(this);
    refusal_->hide();
    table_ = new QTableWidget(static_cast<int>(loggers_.size()), 4, this);
    table_->setHorizontalHeaderLabels({QStringLiteral("Device ID"), QStringLiteral("Model"),
                                       QStringLiteral("Last seen"), QStringLiteral("Readings")});
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    table_->verticalHeader()->setVisible(false);
    for (int row = 0; row < table_->rowCount(); ++row) {
        const archive::LoggerSummary& logger = loggers_[static_cast<std::size_t>(row)];
        const QDateTime seen = QDateTime::fromSecsSinceEpoch(logger.lastSeen).toLocalTime();
        table_->setItem(row, 0, ReadOnlyCell(logger.logger.deviceId));
        table_->setItem(row, 1, ReadOnlyCell(logger.logger.model));
        table_->setItem(row, 2, ReadOnlyCell(seen.toString(QStringLiteral("yyyy-MM-dd hh:mm"))));
        table_->setItem(row, 3, ReadOnlyCell(QString::number(logger.readings)));
    }
    table_->resizeColumnsToContents();
    from_ = new QDateEdit(this);
    to_ = new QDateEdit(this);
    for (QDateEdit* edit : {from_, to_}) {
        edit->setCalendarPopup(true);
        edit->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    }
    auto* range = new QFormLayout;
    range->addRow(QStringLiteral("From"), from_);
    range->addRow(QStringLiteral("To"), to_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* filter = new QFormLayout;
    filter->addRow(QStringLiteral("Device ID"), filter_);
    filter->addRow(QString(), refusal_);
    auto* rows = new QVBoxLayout(this);
    rows->addLayout(filter);
    rows->addWidget(table_, 1);
    rows->addLayout(range);
    rows->addWidget(buttons);
    connect(table_, &QTableWidget::currentCellChanged, this,
            [this](int row, int, int previous, int) {
                if (row != previous && row >= 0)
                    Pick(row);
            });
    connect(filter_, &QLineEdit::textChanged, this, &ArchivePickDialog::Filter);
    if (!loggers_.empty())
        Pick(0);
    resize(560, 360);
}

void ArchivePickDialog::Pick(int row) {
    if (row < 0 || row >= table_->rowCount())
        return;
    if (table_->currentRow() != row)
        table_->setCurrentCell(row, 0);
    const archive::LoggerSummary& logger = loggers_[static_cast<std::size_t>(row)];
    from_->setDate(ReadingDay(logger.firstReading));
    to_->setDate(ReadingDay(logger.lastReading));
}

void ArchivePickDialog::Filter(const QString& typed) {
    const std::string text = typed.trimmed().toStdString();
    const data::DeviceIdText id = text.empty() ? data::DeviceIdText{} : data::NormalDeviceId(text);
    refusal_->setText(QString::fromStdString(id.error));
    refusal_->setVisible(!id.ok());
    if (!id.ok())
        return;
    int first = -1;
    for (int row = 0; row < table_->rowCount(); ++row) {
        const bool shown =
            id.id.empty() || loggers_[static_cast<std::size_t>(row)].logger.deviceId == id.id;
        table_->setRowHidden(row, !shown);
        if (shown && first < 0)
            first = row;
    }
    const int current = table_->currentRow();
    if (first >= 0 && (current < 0 || table_->isRowHidden(current)))
        Pick(first);
}

const archive::LoggerSummary* ArchivePickDialog::Picked() const {
    const int row = table_->currentRow();
    if (row < 0 || row >= static_cast<int>(loggers_.size()) || table_->isRowHidden(row))
        return nullptr;
    return &loggers_[static_cast<std::size_t>(row)];
}

QDate ArchivePickDialog::From() const {
    return from_->date();
}

QDate ArchivePickDialog::To() const {
    return to_->date();
}

}  // namespace lgcset::ui
