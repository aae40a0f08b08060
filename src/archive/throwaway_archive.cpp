#include "archive/throwaway_archive.h"

#include <random>
#include <string>
#include <system_error>

namespace lgcset::archive {

ThrowawayArchive::ThrowawayArchive() {
    std::error_code error;
    const std::filesystem::path temporary = std::filesystem::temp_directory_path(error);
    if (error)
        return;
    // A name nobody holds: two demos at once each get their own.
    std::random_device random;
    for (int tries = 0; tries < 10; ++tries) {
        const std::filesystem::path folder =
            temporary / ("lgcset-demo-" + std::to_string(random()));
        if (std::filesystem::create_directory(folder, error) && !error) {
            folder_ = folder;
            file_ = folder / "archive.sqlite";
            return;
        }
    }
}

ThrowawayArchive::~ThrowawayArchive() {
    if (folder_.empty())
        return;
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
}

}  // namespace lgcset::archive
