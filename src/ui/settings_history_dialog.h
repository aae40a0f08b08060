// "Settings History...": the settings snapshots the archive keeps of a logger, the
// difference between any two, and the one to restore.
#pragma once

#include <QDialog>
#include <optional>
#include <vector>

#include "archive/change_record.h"

class QPushButton;
class QTableWidget;

namespace lgcset::ui {

class SettingsHistoryDialog : public QDialog {
    Q_OBJECT
  public:
    // One row per snapshot, oldest first: the time local and UTC, why it was kept, firmware.
    explicit SettingsHistoryDialog(std::vector<archive::SettingsSnapshot> snapshots,
                                   QWidget* parent = nullptr);

    // Selects the rows given, as the user does with Ctrl held.
    void Select(const std::vector<int>& rows);
    // Two rows selected: the settings that differ, the upper row's values first.
    QTableWidget* Table() const { return table_; }
    QTableWidget* Differences() const { return differences_; }
    QPushButton* RestoreButton() const { return restore_; }
    // The snapshot "Restore" chose; none until it is clicked.
    const std::optional<archive::SettingsSnapshot>& Chosen() const { return chosen_; }

  private:
    std::vector<int> SelectedRows() const;
    void ShowSelection();

    std::vector<archive::SettingsSnapshot> snapshots_;
    QTableWidget* table_ = nullptr;
    QTableWidget* differences_ = nullptr;
    QPushButton* restore_ = nullptr;
    std::optional<archive::SettingsSnapshot> chosen_;
};

}  // namespace lgcset::ui
