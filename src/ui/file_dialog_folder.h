// Where every file dialog of the window starts: the folder the last one was left in, while
// it is still there, else the user's documents folder. Never the program's own folder,
// which once installed is a system folder (/usr/bin) the user has no business in.
#pragma once

#include <QString>

namespace lgcset::ui {

class RememberedFolders;

QString DialogStartFolder(const RememberedFolders& folders);

// Keeps the folder of what a dialog gave: the folder of a chosen file, or a chosen folder
// itself. Nothing for a cancelled dialog (empty).
void NoteDialogFile(RememberedFolders& folders, const QString& file);
void NoteDialogFolder(RememberedFolders& folders, const QString& folder);

}  // namespace lgcset::ui
