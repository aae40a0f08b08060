#include "ui/settings_history_dialog.h"

#include <QDateTime>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "jobs/settings_history.h"
#include "jobs/settings_review.h"
#include "ui/table_cells.h"

namespace lgcset::ui {

namespace {}  // namespace

SettingsHistoryDialog::SettingsHistoryDialog(std::vector<archive::SettingsSnapshot> snapshots,
                                             QWidget* parent)
    : QDialog(parent), snapshots_(std::move(snapshots)) {
    setObjectName(QStringLiteral("dlg_settings_history"));
    setWindowTitle(QStringLiteral("Settings History"));
    table_ = new QTableWidget(static_cast<int>(snapshots_.size()), 4, this);
    table_->setHorizontalHeaderLabels({QStringLiteral("Time"), QStringLiteral("Time (UTC)"),
                                       QStringLiteral("Why"), QStringLiteral("Firmware")});
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    table_->verticalHeader()->setVisible(false);
    for (int row = 0; row < table_->rowCount(); ++row) {
        const archive::SettingsSnapshot& s = snapshots_[static_cast<std::size_t>(row)];
        const QDateTime local = QDateTime::fromSecsSinceEpoch(s.at).toLocalTime();
        table_->setItem(row, 0,
                        ReadOnlyCell(local.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"))));
        table_->setItem(row, 1, ReadOnlyCell(jobs::UtcText(s.at)));
        table_->setItem(row, 2, ReadOnlyCell(std::string(archive::SnapshotReasonText(s.reason))));
        table_->setItem(row, 3, ReadOnlyCell(s.firmware));
    }
    table_->resizeColumnsToContents();
    differences_ = new QTableWidget(0, 3, this);
    differences_->setHorizontalHeaderLabels(
        {QStringLiteral("Setting"), QStringLiteral("First"), QStringLiteral("Second")});
    differences_->verticalHeader()->setVisible(false);
    differences_->horizontalHeader()->setStretchLastSection(true);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    restore_ = buttons->addButton(QStringLiteral("Restore"), QDialogButtonBox::ActionRole);
    restore_->setObjectName(QStringLiteral("btn_restore_snapshot"));
    restore_->setEnabled(false);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(restore_, &QPushButton::clicked, this, [this] {
        const std::vector<int> rows = SelectedRows();
        if (rows.size() != 1)
            return;
        chosen_ = snapshots_[static_cast<std::size_t>(rows.front())];
        accept();
    });
    connect(table_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this] { ShowSelection(); });

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(
        new QLabel(QStringLiteral("Select one snapshot to restore, two to compare."), this));
    layout->addWidget(table_);
    layout->addWidget(differences_);
    layout->addWidget(buttons);
    resize(640, 480);
}

void SettingsHistoryDialog::Select(const std::vector<int>& rows) {
    table_->clearSelection();
    for (const int row : rows)
        table_->selectionModel()->select(table_->model()->index(row, 0),
                                         QItemSelectionModel::Select | QItemSelectionModel::Rows);
}

std::vector<int> SettingsHistoryDialog::SelectedRows() const {
    std::vector<int> rows;
    for (const QModelIndex& index : table_->selectionModel()->selectedRows())
        rows.push_back(index.row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

void SettingsHistoryDialog::ShowSelection() {
    const std::vector<int> rows = SelectedRows();
    restore_->setEnabled(rows.size() == 1);
    differences_->setRowCount(0);
    if (rows.size() != 2)
        return;
    const jobs::SnapshotDifference difference =
        jobs::DiffSnapshots(snapshots_[static_cast<std::size_t>(rows[0])],
                            snapshots_[static_cast<std::size_t>(rows[1])]);
    for (const auto& d : difference.settings) {
        const int row = differences_->rowCount();
        differences_->insertRow(row);
        differences_->setItem(row, 0, ReadOnlyCell(d.caption));
        differences_->setItem(row, 1, ReadOnlyCell(d.left));
        differences_->setItem(row, 2, ReadOnlyCell(d.right));
    }
    for (const jobs::UnownedByte& b : difference.bytes) {
        const int row = differences_->rowCount();
        differences_->insertRow(row);
        differences_->setItem(
            row, 0,
            ReadOnlyCell("page " + std::to_string(b.page) + " byte " + std::to_string(b.offset)));
        differences_->setItem(row, 1, ReadOnlyCell(jobs::HexByte(b.first)));
        differences_->setItem(row, 2, ReadOnlyCell(jobs::HexByte(b.second)));
    }
    differences_->resizeColumnsToContents();
}

}  // namespace lgcset::ui
