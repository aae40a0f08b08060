#include "ui/remembered_folders.h"

#include <QSettings>
#include <QStandardPaths>

namespace lgcset::ui {

namespace {

const QString kExportKey = QStringLiteral("folders/export");
const QString kDialogKey = QStringLiteral("folders/lastDialog");
const QString kReviewKey = QStringLiteral("write/review");

QString FileName(const std::filesystem::path& file) {
    return QString::fromStdU16String(file.u16string());
}

}  // namespace

void RememberedFolders::UseFile(std::optional<std::filesystem::path> file) {
    file_ = std::move(file);
    if (!file_)
        return;
    const QSettings stored(FileName(*file_), QSettings::IniFormat);
    exportFolder_ = stored.value(kExportKey).toString();
    lastDialogFolder_ = stored.value(kDialogKey).toString();
    reviewBeforeWriting_ = stored.value(kReviewKey, true).toBool();
}

void RememberedFolders::SetReviewBeforeWriting(bool review) {
    if (review == reviewBeforeWriting_)
        return;
    reviewBeforeWriting_ = review;
    if (!file_)
        return;
    QSettings stored(FileName(*file_), QSettings::IniFormat);
    stored.setValue(kReviewKey, review);
    stored.sync();
}

void RememberedFolders::SetExportFolder(const QString& folder) {
    exportFolder_ = folder;
    Store(kExportKey, folder);
}

void RememberedFolders::SetLastDialogFolder(const QString& folder) {
    if (folder == lastDialogFolder_)
        return;
    lastDialogFolder_ = folder;
    Store(kDialogKey, folder);
}

void RememberedFolders::Store(const QString& key, const QString& value) const {
    if (!file_)
        return;
    // Written at once: a second window, or the next run after a crash, finds it.
    QSettings stored(FileName(*file_), QSettings::IniFormat);
    stored.setValue(key, value);
    stored.sync();
}

std::optional<std::filesystem::path> UserFoldersFile() {
    const QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    if (config.isEmpty())
        return std::nullopt;
    return std::filesystem::path(config.toStdU16String()) / "lgcset" / "window.ini";
}

}  // namespace lgcset::ui
