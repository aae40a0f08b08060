// "Save Profile to..." and "Load Profile": the two file dialogs and the messages, and how
// every file dialog of the window is run. What a profile holds and in which order it is
// loaded is the profile library's (src/profiles).
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <exception>
#include <filesystem>

#include "profiles/profile.h"
#include "ui/file_dialog_folder.h"
#include "ui/message_box.h"
#include "ui/umset.h"

namespace lgcset::ui {

namespace {

std::filesystem::path PathOf(const QString& file) {
    return std::filesystem::path(QFile::encodeName(file).toStdString());
}

QString ShownName(const QString& file) {
    return QDir::toNativeSeparators(file);
}

QString ModalRun(QFileDialog& dialog) {
    if (dialog.exec() != QDialog::Accepted)
        return {};
    const QStringList files = dialog.selectedFiles();
    return files.isEmpty() ? QString() : files.front();
}

}  // namespace

void Tfrm_mset::SetFileDialogRunner(FileDialogRunner runner) {
    fileDialogRunner_ = std::move(runner);
}

QString Tfrm_mset::RunFileDialog(QFileDialog& dialog) {
    dialog.setDirectory(DialogStartFolder(folders_));
    const QString chosen = fileDialogRunner_ ? fileDialogRunner_(dialog) : ModalRun(dialog);
    if (dialog.fileMode() == QFileDialog::Directory)
        NoteDialogFolder(folders_, chosen);
    else
        NoteDialogFile(folders_, chosen);
    return chosen;
}

void Tfrm_mset::btn_saveconfigureClick() {
    QString file;
    try {
        QFileDialog& dialog = *dlgSave_configuredocument;
        dialog.selectFile(QStringLiteral("setini") + QDateTime::currentDateTime().toString(
                                                         QStringLiteral("yyyy-MM-dd_HH-mm-ss")));
        file = RunFileDialog(dialog);
        if (file.isEmpty())
            return;
        std::string error;
        if (profiles::SaveProfileFile(Settings(), PathOf(file), error))
            return;
        boxes_->Error(QStringLiteral("Unable to write to ") + ShownName(file),
                      QString::fromStdString(error));
    } catch (const std::exception& e) {
        if (!file.isEmpty())
            boxes_->Error(QStringLiteral("Unable to write to ") + ShownName(file),
                          QString::fromUtf8(e.what()));
    }
}

void Tfrm_mset::btn_loadconfigureClick() {
    QString file;
    try {
        QFileDialog& dialog = *dlgOpen_configuredocument;
        file = RunFileDialog(dialog);
        if (file.isEmpty())
            return;
        std::string error;
        // A file that cannot be read, that holds none of the settings or a value that does not
        // fit one, is not loaded in part: the settings on the window stay as they are.
        switch (profiles::LoadProfileFile(PathOf(file), Settings(), error)) {
            case profiles::ProfileLoad::Loaded:
                return;
            case profiles::ProfileLoad::NoSettings:
                boxes_->Error(QString::fromStdString(
                                  profiles::NoSettingsMessage(ShownName(file).toStdString())),
                              QString());
                return;
            case profiles::ProfileLoad::Unfit:
                boxes_->Error(QStringLiteral("Unable to load ") + ShownName(file),
                              QString::fromStdString(error));
                return;
            case profiles::ProfileLoad::Unreadable:
                break;
        }
        boxes_->Error(QStringLiteral("Unable to read ") + ShownName(file),
                      QString::fromStdString(error));
    } catch (const std::exception& e) {
        if (!file.isEmpty())
            boxes_->Error(QStringLiteral("Unable to read ") + ShownName(file),
                          QString::fromUtf8(e.what()));
    }
}

}  // namespace lgcset::ui
