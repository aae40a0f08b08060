#include "ui/statistics_panel.h"

#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QTableWidget>
#include <QVBoxLayout>

namespace lgcset::ui {
namespace {

QTableWidget* MakeTable(const char* name, QWidget* parent) {
    auto* table = new QTableWidget(parent);
    table->setObjectName(QString::fromLatin1(name));
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setSelectionMode(QAbstractItemView::SingleSelection);
    table->verticalHeader()->setDefaultSectionSize(table->fontMetrics().height() + 6);
    return table;
}

QTableWidgetItem* Cell(const std::string& text) {
    return new QTableWidgetItem(QString::fromStdString(text));
}

}  // namespace

StatisticsPanel::StatisticsPanel(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("pnl_statistics"));
    auto* title = new QLabel(QStringLiteral("<b>Statistics</b>"), this);
    limitsFrom_ = new QLabel(this);
    limitsFrom_->setObjectName(QStringLiteral("lbl_limits"));
    limitsFrom_->setWordWrap(true);
    statistics_ = MakeTable("tbl_statistics", this);
    excursions_ = MakeTable("tbl_excursions", this);
    excursions_->setColumnCount(static_cast<int>(analysis::kExcursionColumns.size()));
    QStringList headers;
    for (const std::string_view column : analysis::kExcursionColumns)
        headers << QString::fromUtf8(column.data(), static_cast<qsizetype>(column.size()));
    excursions_->setHorizontalHeaderLabels(headers);
    excursions_->verticalHeader()->setVisible(false);

    auto* rows = new QVBoxLayout(this);
    rows->setContentsMargins(0, 0, 0, 0);
    rows->addWidget(title);
    rows->addWidget(limitsFrom_);
    rows->addWidget(statistics_, 3);
    rows->addWidget(new QLabel(QStringLiteral("Excursions (click one to zoom to it)"), this));
    rows->addWidget(excursions_, 2);

    connect(excursions_, &QTableWidget::cellClicked, this, [this](int row, int) {
        if (excursionPicked && row >= 0 && static_cast<std::size_t>(row) < listed_.size())
            excursionPicked(listed_[static_cast<std::size_t>(row)]);
    });
}

void StatisticsPanel::Show(const analysis::HistoryAnalysis& analysis, const QString& limitsFrom) {
    const std::string separator = QLocale().decimalPoint().toStdString();
    limitsFrom_->setText(QStringLiteral("Limits: %1").arg(limitsFrom));

    const auto rowsOf = analysis::StatisticRows();
    statistics_->clear();
    statistics_->setRowCount(static_cast<int>(rowsOf.size()));
    statistics_->setColumnCount(static_cast<int>(analysis.sensors.size()));
    QStringList rowHeaders;
    for (const analysis::StatisticRow& row : rowsOf)
        rowHeaders << QString::fromUtf8(row.caption.data(), static_cast<qsizetype>(row.caption.size()));
    statistics_->setVerticalHeaderLabels(rowHeaders);
    QStringList columnHeaders;
    for (std::size_t c = 0; c < analysis.sensors.size(); ++c) {
        const analysis::SensorStatistics& s = analysis.sensors[c];
        columnHeaders << QStringLiteral("Sensor%1").arg(s.sensor);
        for (std::size_t r = 0; r < rowsOf.size(); ++r)
            statistics_->setItem(static_cast<int>(r), static_cast<int>(c),
                                 Cell(rowsOf[r].cell(s, separator)));
    }
    statistics_->setHorizontalHeaderLabels(columnHeaders);
    statistics_->resizeColumnsToContents();

    listed_ = analysis::ExcursionsByStart(analysis);
    excursions_->clearContents();
    excursions_->setRowCount(static_cast<int>(listed_.size()));
    for (std::size_t r = 0; r < listed_.size(); ++r) {
        const auto cells = analysis::ExcursionCells(listed_[r], separator);
        for (std::size_t c = 0; c < cells.size(); ++c)
            excursions_->setItem(static_cast<int>(r), static_cast<int>(c), Cell(cells[c]));
    }
    excursions_->resizeColumnsToContents();
}

}  // namespace lgcset::ui
