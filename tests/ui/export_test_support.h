// Drives a window's history export into a folder of its own: the files land there, and the
// desktop's "open" is recorded instead of starting an application. The end-to-end tests
// use it after a transfer from the simulated logger.
#pragma once

#include <unistd.h>
#include <QString>
#include <algorithm>
#include <atomic>
#include <filesystem>
#include <string>
#include <vector>

#include "ui/umset.h"

namespace lgcset::ui::test {

class ExportCapture {
  public:
    explicit ExportCapture(Tfrm_mset& window) : window_(window) {
        static std::atomic<int> serial{0};
        folder =
            std::filesystem::temp_directory_path() /
            ("lgcset-window-export-" + std::to_string(::getpid()) + "-" + std::to_string(serial++));
        std::filesystem::remove_all(folder);
        std::filesystem::create_directories(folder);
        window.ExportFolders = {folder.string()};
        window.OpenExportedFile = [this](const QString& path) {
            opened.push_back(path);
            return openResult;
        };
    }
    ~ExportCapture() {
        window_.OpenExportedFile = nullptr;
        window_.ExportFolders.clear();
        std::error_code ec;
        std::filesystem::remove_all(folder, ec);
    }
    ExportCapture(const ExportCapture&) = delete;
    ExportCapture& operator=(const ExportCapture&) = delete;

    // The names in the folder, sorted: the workbook ("SAVE...xls") before the CSV file. The
    // manifests ("SAVE....json") are listed apart.
    std::vector<std::string> Files(bool manifests = false) const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(folder))
            if ((entry.path().extension() == ".json") == manifests)
                names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    std::filesystem::path folder;
    std::vector<QString> opened;  // paths handed to the desktop's "open", in order
    int openResult = 0;           // what the desktop answers: 0 or an error code

  private:
    Tfrm_mset& window_;
};

}  // namespace lgcset::ui::test
