#include "ui/message_box.h"

#include "ui/app_title.h"

#include <QMessageBox>

namespace lgcset::ui {

void ModalMessageBoxes::Show(const QString& text) {
    QMessageBox box(QMessageBox::NoIcon, QString::fromUtf8(kApplicationTitle), text,
                    QMessageBox::Ok, owner_);
    box.exec();
}

void ModalMessageBoxes::Information(const QString& text, const QString& caption) {
    QMessageBox box(QMessageBox::Information, caption, text, QMessageBox::Ok, owner_);
    box.exec();
}

bool ModalMessageBoxes::Ask(const QString& text, const QString& caption) {
    QMessageBox box(QMessageBox::Question, caption, text, QMessageBox::Yes | QMessageBox::No,
                    owner_);
    box.setDefaultButton(QMessageBox::Yes);
    return box.exec() == QMessageBox::Yes;
}

void ModalMessageBoxes::Error(const QString& text, const QString& detail) {
    QMessageBox box(QMessageBox::Warning, QString::fromUtf8(kApplicationTitle), text,
                    QMessageBox::Ok, owner_);
    box.setDetailedText(detail);
    box.exec();
}

void ModalMessageBoxes::ShowDetailed(const QString& text, const QString& detail) {
    QMessageBox box(QMessageBox::NoIcon, QString::fromUtf8(kApplicationTitle), text,
                    QMessageBox::Ok, owner_);
    box.setDetailedText(detail);
    box.exec();
}

bool ModalMessageBoxes::AskOkCancel(const QString& text, const QString& caption) {
    QMessageBox box(QMessageBox::Information, caption, text, QMessageBox::Ok | QMessageBox::Cancel,
                    owner_);
    box.setDefaultButton(QMessageBox::Ok);
    return box.exec() == QMessageBox::Ok;
}

}  // namespace lgcset::ui
