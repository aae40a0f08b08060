// The archive the window keeps its transfers in, as the command line chose it.
#pragma once

#include <filesystem>
#include <optional>

#include "app/launch_options.h"

namespace lgcset::app {

struct WindowArchive {
    std::optional<std::filesystem::path> file;  // none: nothing is kept
    bool makeFolder = false;                    // the default place, made when missing
    bool throwaway = false;                     // demo mode's own, removed at the end
};

// The file or URL of --archive; none with --no-archive; in demo mode `demoArchive` (never the
// user's archive nor the configured one); else the configured one or the default file.
WindowArchive ChooseArchive(const LaunchOptions& options,
                            const std::optional<std::filesystem::path>& demoArchive);

}  // namespace lgcset::app
