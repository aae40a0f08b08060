#include "archive/archive_open.h"

#include <libpq-fe.h>

#include <filesystem>

#include "archive/postgres_archive.h"
#include "archive/sqlite_archive.h"

namespace lgcset::archive {

namespace {

constexpr std::string_view kHidden = "***";

// Every value of a "password=" parameter in the query part hidden, even one libpq would
// not take (a second one).
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

int HexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// How many characters of `text` from `at` spell `secret`, each character raw or
// percent-encoded; 0 when they do not.
std::size_t SpelledLength(std::string_view text, std::size_t at, std::string_view secret) {
    std::size_t i = at;
    for (const char wanted : secret) {
        if (i < text.size() && text[i] == wanted) {
            ++i;
        } else if (i + 2 < text.size() && text[i] == '%' && HexDigit(text[i + 1]) >= 0 &&
                   HexDigit(text[i + 2]) >= 0 &&
                   static_cast<char>(HexDigit(text[i + 1]) * 16 + HexDigit(text[i + 2])) ==
                       wanted) {
            i += 3;
        } else {
            return 0;
        }
    }
    return i - at;
}

struct ParsedUrl {
    bool parsed = false;
    std::string password;
    std::string host;
    std::string port;
};

// The URL as libpq itself reads it: what it sends as the password is what must not show.
ParsedUrl ParseUrl(std::string_view url) {
    ParsedUrl result;
    char* error = nullptr;
    PQconninfoOption* options = PQconninfoParse(std::string(url).c_str(), &error);
    PQfreemem(error);
    if (options == nullptr)
        return result;
    result.parsed = true;
    for (const PQconninfoOption* o = options; o->keyword != nullptr; ++o) {
        if (o->val == nullptr)
            continue;
        if (std::string_view(o->keyword) == "password")
            result.password = o->val;
        else if (std::string_view(o->keyword) == "host")
            result.host = o->val;
        else if (std::string_view(o->keyword) == "port")
            result.port = o->val;
    }
    PQconninfoFree(options);
    return result;
}

// From the first ':' of the authority to the last '@': a user part whose password holds a
// raw '/' or '@' (which end libpq's user part early) or a URL libpq cannot read at all.
std::string HideUserPart(std::string text) {
    const std::size_t authority = text.find("://") + 3;
    const std::size_t at = text.rfind('@');
    const std::size_t colon = text.find(':', authority);
    if (at != std::string::npos && at > authority && colon < at)
        text.replace(colon + 1, at - colon - 1, kHidden);
    return text;
}

}  // namespace

bool IsDatabaseUrl(std::string_view name) {
    return name.starts_with("postgresql://") || name.starts_with("postgres://");
}

std::string WithoutPassword(std::string_view text, std::string_view url) {
    std::string shown;
    const std::string password = IsDatabaseUrl(url) ? ParseUrl(url).password : std::string();
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t length = password.empty() ? 0 : SpelledLength(text, at, password);
        if (length > 0) {
            shown += kHidden;
            at += length;
        } else {
            shown += text[at++];
        }
    }
    return shown;
}

std::string ShownArchiveName(std::string_view name) {
    if (!IsDatabaseUrl(name))
        return std::string(name);
    const ParsedUrl parsed = ParseUrl(name);
    // The scheme is fixed text: a password of one letter leaves it readable.
    const std::size_t authority = name.find("://") + 3;
    std::string shown =
        std::string(name.substr(0, authority)) + WithoutPassword(name.substr(authority), name);
    // A host with an '@' or a port that is no number took part of a password.
    if (!parsed.parsed || parsed.host.find('@') != std::string::npos ||
        parsed.port.find_first_not_of("0123456789,") != std::string::npos)
        shown = HideUserPart(std::move(shown));
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
