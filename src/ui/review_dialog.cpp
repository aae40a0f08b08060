#include "ui/review_dialog.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "ui/table_cells.h"

namespace lgcset::ui {

ReviewDialog::ReviewDialog(const std::vector<jobs::ReviewRow>& rows, QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("dlg_review_changes"));
    setWindowTitle(QStringLiteral("Review changes"));
    table = new QTableWidget(static_cast<int>(rows.size()), 5, this);
    table->setHorizontalHeaderLabels({QStringLiteral("Group"), QStringLiteral("Setting"),
                                      QStringLiteral("Logger's value"), QStringLiteral("New value"),
                                      QStringLiteral("Unit")});
    table->verticalHeader()->hide();
    for (int r = 0; r < table->rowCount(); ++r) {
        const jobs::ReviewRow& row = rows[static_cast<std::size_t>(r)];
        QTableWidgetItem* group = ReadOnlyCell(row.group);
        group->setFlags(group->flags() | Qt::ItemIsUserCheckable);
        group->setCheckState(Qt::Checked);
        table->setItem(r, 0, group);
        table->setItem(r, 1, ReadOnlyCell(row.caption));
        table->setItem(r, 2, ReadOnlyCell(row.logger));
        table->setItem(r, 3, ReadOnlyCell(row.typed));
        table->setItem(r, 4, ReadOnlyCell(row.unit));
    }
    table->resizeColumnsToContents();
    table->horizontalHeader()->setStretchLastSection(true);

    reason = new QLineEdit(this);
    reason->setObjectName(QStringLiteral("edt_change_reason"));
    reason->setPlaceholderText(QStringLiteral("Reason for the change (optional)"));

    auto* buttons = new QDialogButtonBox(this);
    write = buttons->addButton(QString(), QDialogButtonBox::AcceptRole);
    write->setObjectName(QStringLiteral("btn_write_changes"));
    cancel = buttons->addButton(QStringLiteral("Cancel"), QDialogButtonBox::RejectRole);
    cancel->setDefault(true);  // Enter writes nothing
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(table, &QTableWidget::itemChanged, this, [this] { CountChosen(); });

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("The logger holds these settings otherwise. "
                                                "An unchecked row keeps the logger's value."),
                                 this));
    layout->addWidget(table);
    layout->addWidget(reason);
    layout->addWidget(buttons);
    resize(720, 360);
    CountChosen();
}

std::vector<bool> ReviewDialog::Chosen() const {
    std::vector<bool> chosen;
    for (int r = 0; r < table->rowCount(); ++r)
        chosen.push_back(table->item(r, 0)->checkState() == Qt::Checked);
    return chosen;
}

void ReviewDialog::SetChosen(int row, bool chosen) {
    table->item(row, 0)->setCheckState(chosen ? Qt::Checked : Qt::Unchecked);
}

QString ReviewDialog::Reason() const {
    return reason->text().trimmed();
}

void ReviewDialog::CountChosen() {
    const std::vector<bool> chosen = Chosen();
    const auto count = std::count(chosen.begin(), chosen.end(), true);
    write->setText(count == 1 ? QStringLiteral("Write 1 change")
                              : QStringLiteral("Write %1 changes").arg(count));
    write->setEnabled(count > 0);
}

}  // namespace lgcset::ui
