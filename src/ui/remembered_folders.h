// The folders and choices the window remembers across runs: where "Export folder..." sends
// the exports, where the last file dialog was left, and whether a write is reviewed first. They are kept in a small INI file of the user's
// own, apart from lgcset.ini, which the user writes by hand and the program only reads.
// Without a file (demo mode, and tests that name none) they last for the run only.
#pragma once

#include <QString>
#include <filesystem>
#include <optional>

namespace lgcset::ui {

class RememberedFolders {
  public:
    // Reads the folders kept in `file`, and keeps later choices there; none: for this run.
    void UseFile(std::optional<std::filesystem::path> file);

    // Empty while none was chosen.
    QString ExportFolder() const { return exportFolder_; }
    void SetExportFolder(const QString& folder);
    QString LastDialogFolder() const { return lastDialogFolder_; }
    void SetLastDialogFolder(const QString& folder);
    // "Review changes before writing": on unless turned off.
    bool ReviewBeforeWriting() const { return reviewBeforeWriting_; }
    void SetReviewBeforeWriting(bool review);

  private:
    void Store(const QString& key, const QString& value) const;

    std::optional<std::filesystem::path> file_;
    QString exportFolder_;
    QString lastDialogFolder_;
    bool reviewBeforeWriting_ = true;
};

// The user's file of remembered folders: lgcset/window.ini in the user's configuration
// folder (~/.config on Linux); none when there is no such folder.
std::optional<std::filesystem::path> UserFoldersFile();

}  // namespace lgcset::ui
