// A file the user chose, as the profile libraries open it and as the window's boxes name it.
#pragma once

#include <QDir>
#include <QFile>
#include <QString>
#include <filesystem>

namespace lgcset::ui {

inline std::filesystem::path ChosenPath(const QString& file) {
    return std::filesystem::path(QFile::encodeName(file).toStdString());
}

inline QString ShownPath(const QString& file) {
    return QDir::toNativeSeparators(file);
}

}  // namespace lgcset::ui
