#include "ui/statistics_panel.h"

#include <QAbstractTableModel>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QTableWidget>
#include <QVBoxLayout>

namespace lgcset::ui {

class StatisticsPanel::ExcursionModel : public QAbstractTableModel {
  public:
    ExcursionModel(const std::vector<analysis::SensorExcursion>& listed, QObject* parent)
        : QAbstractTableModel(parent), listed_(listed) {}

    // Call around a change of the list.
    void BeginReset() { beginResetModel(); }
    void EndReset() {
        separator_ = QLocale().decimalPoint().toStdString();
        endResetModel();
    }

    int rowCount(const QModelIndex& parent) const override {
        return parent.isValid() ? 0 : static_cast<int>(listed_.size());
    }
    int columnCount(const QModelIndex& parent) const override {
        return parent.isValid() ? 0 : static_cast<int>(analysis::kExcursionColumns.size());
    }
    QVariant data(const QModelIndex& index, int role) const override {
        if (role != Qt::DisplayRole || !index.isValid())
            return {};
        const auto cells =
            analysis::ExcursionCells(listed_[static_cast<std::size_t>(index.row())], separator_);
        return QString::fromStdString(cells[static_cast<std::size_t>(index.column())]);
    }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
        if (role != Qt::DisplayRole || orientation != Qt::Horizontal)
            return {};
        const std::string_view caption =
            analysis::kExcursionColumns[static_cast<std::size_t>(section)];
        return QString::fromUtf8(caption.data(), static_cast<qsizetype>(caption.size()));
    }

  private:
    const std::vector<analysis::SensorExcursion>& listed_;
    std::string separator_ = ".";
};

namespace {

template <typename Table>
Table* MakeTable(const char* name, QWidget* parent) {
    auto* table = new Table(parent);
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
    statistics_ = MakeTable<QTableWidget>("tbl_statistics", this);
    excursions_ = MakeTable<QTableView>("tbl_excursions", this);
    model_ = new ExcursionModel(listed_, this);
    excursions_->setModel(model_);
    excursions_->verticalHeader()->setVisible(false);
    // Widths from the first rows: every row's cells have the same shape.
    excursions_->horizontalHeader()->setResizeContentsPrecision(20);

    auto* rows = new QVBoxLayout(this);
    rows->setContentsMargins(0, 0, 0, 0);
    rows->addWidget(title);
    rows->addWidget(limitsFrom_);
    rows->addWidget(statistics_, 3);
    rows->addWidget(new QLabel(QStringLiteral("Excursions (click one to zoom to it)"), this));
    rows->addWidget(excursions_, 2);

    connect(excursions_, &QTableView::clicked, this, [this](const QModelIndex& index) {
        const auto row = static_cast<std::size_t>(index.row());
        if (excursionPicked && index.isValid() && row < listed_.size())
            excursionPicked(listed_[row]);
    });
}

StatisticsPanel::~StatisticsPanel() = default;

void StatisticsPanel::Show(const analysis::HistoryAnalysis& analysis, const QString& limitsFrom) {
    const std::string separator = QLocale().decimalPoint().toStdString();
    limitsFrom_->setText(QStringLiteral("Limits: %1").arg(limitsFrom));

    const auto rowsOf = analysis::StatisticRows();
    statistics_->clear();
    statistics_->setRowCount(static_cast<int>(rowsOf.size()));
    statistics_->setColumnCount(static_cast<int>(analysis.sensors.size()));
    QStringList rowHeaders;
    for (const analysis::StatisticRow& row : rowsOf)
        rowHeaders << QString::fromUtf8(row.caption.data(),
                                        static_cast<qsizetype>(row.caption.size()));
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

    model_->BeginReset();
    listed_ = analysis::ExcursionsByStart(analysis);
    model_->EndReset();
    excursions_->resizeColumnsToContents();
}

}  // namespace lgcset::ui
