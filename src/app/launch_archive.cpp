#include "app/launch_archive.h"

#include <string>

#include "archive/archive_config.h"

namespace lgcset::app {

WindowArchive ChooseArchive(const LaunchOptions& options,
                            const std::optional<std::filesystem::path>& demoArchive) {
    if (options.noArchive)
        return {};
    // A URL is held as a path's text: the opener tells the two apart.
    if (!options.archive.empty())
        return {std::filesystem::path(options.archive), false, false};
    if (options.demo)
        return {demoArchive, false, true};
    const std::optional<std::string> chosen = archive::ArchiveWhenNoneNamed();
    if (!chosen)
        return {};
    return {std::filesystem::path(*chosen), true, false};
}

}  // namespace lgcset::app
