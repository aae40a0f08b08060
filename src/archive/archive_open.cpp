#include "archive/archive_open.h"

#include <filesystem>

#include "archive/postgres_archive.h"
#include "archive/sqlite_archive.h"

namespace lgcset::archive {

namespace {

constexpr std::string_view kHidden = "***";

// Every value of a "password=" parameter in the query part hidden.
std::string HideQueryPassword(std::string text, std::size_t queryStart) {
    std::size_t at = queryStart;
    while (at < text.size()) {
        const std::size_t end = std::min(text.find('&', at), text.size());
        constexpr std::string_view kKey = "password=";
        if (std::string_view(text).substr(at, end - at).starts_with(kKey)) {
            const std::size_t value = at + kKey.size();
            text.replace(value, end - value, kHidden);
            at = value + kHidden.size() + 1;
        } else {
            at = end + 1;
        }
    }
    return text;
}

}  // namespace

bool IsDatabaseUrl(std::string_view name) {
    return name.starts_with("postgresql://") || name.starts_with("postgres://");
}

std::string ShownArchiveName(std::string_view name) {
    std::string shown(name);
    if (!IsDatabaseUrl(name))
        return shown;
    const std::size_t authority = shown.find("://") + 3;
    const std::size_t authorityEnd = std::min(shown.find_first_of("/?#", authority), shown.size());
    const std::size_t at = shown.rfind('@', authorityEnd);
    if (at != std::string::npos && at >= authority) {
        const std::size_t colon = shown.find(':', authority);
        if (colon < at)
            shown.replace(colon + 1, at - colon - 1, kHidden);
    }
    const std::size_t query = shown.find('?');
    return query == std::string::npos ? shown : HideQueryPassword(shown, query + 1);
}

OpenResult OpenArchive(const std::string& name, bool makeFolder) {
    if (IsDatabaseUrl(name))
        return OpenPostgresArchive(name);
    return OpenSqliteArchive(std::filesystem::path(name), makeFolder);
}

OpenResult OpenArchiveToRead(const std::string& name) {
    if (IsDatabaseUrl(name))
        return OpenPostgresArchiveToRead(name);
    return OpenSqliteArchiveToRead(std::filesystem::path(name));
}

}  // namespace lgcset::archive
