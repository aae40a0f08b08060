#include "ui/file_dialog_folder.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include "ui/remembered_folders.h"

namespace lgcset::ui {

QString DialogStartFolder(const RememberedFolders& folders) {
    const QString last = folders.LastDialogFolder();
    if (!last.isEmpty() && QFileInfo(last).isDir())
        return last;
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (!documents.isEmpty() && QFileInfo(documents).isDir())
        return documents;
    return QDir::homePath();
}

void NoteDialogFile(RememberedFolders& folders, const QString& file) {
    if (!file.isEmpty())
        folders.SetLastDialogFolder(QFileInfo(file).absolutePath());
}

void NoteDialogFolder(RememberedFolders& folders, const QString& folder) {
    if (!folder.isEmpty())
        folders.SetLastDialogFolder(QFileInfo(folder).absoluteFilePath());
}

}  // namespace lgcset::ui
