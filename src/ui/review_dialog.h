// "Save Settings" shows this first: every setting the write would change, each with a check
// box, and a reason that goes into the record. Unchecked rows keep the logger's value.
#pragma once

#include <QDialog>
#include <QString>
#include <vector>

#include "jobs/settings_review.h"

class QLineEdit;
class QPushButton;
class QTableWidget;

namespace lgcset::ui {

class ReviewDialog final : public QDialog {
    Q_OBJECT
  public:
    ReviewDialog(const std::vector<jobs::ReviewRow>& rows, QWidget* parent);

    // Row i checked: its new value is written.
    std::vector<bool> Chosen() const;
    void SetChosen(int row, bool chosen);
    QString Reason() const;

    QTableWidget* table = nullptr;
    QLineEdit* reason = nullptr;
    QPushButton* write = nullptr;  // btn_write_changes: "Write N changes"
    QPushButton* cancel = nullptr;

  private:
    void CountChosen();
};

}  // namespace lgcset::ui
