#include "profiles/ini_file.h"

#include <algorithm>

#include "profiles/text_encoding.h"

namespace lgcset::profiles {
namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LittleMark = "\xFF\xFE";
constexpr std::string_view kUtf16BigMark = "\xFE\xFF";

// The name of a section header line ("[name]", spaces allowed inside and around), or
// nothing for any other line.
std::optional<std::string_view> SectionName(std::string_view line) {
    line = TrimBlanks(line);
    if (line.empty() || line.front() != '[') {
        return std::nullopt;
    }
    line.remove_prefix(1);
    return TrimBlanks(line.substr(0, line.find(']')));
}

struct KeyLine {
    std::string_view name;
    std::string_view value;
};

// A "name = value" line; comments, headers, blank lines and lines without '=' are none.
std::optional<KeyLine> ParseKeyLine(std::string_view line) {
    line = TrimBlanks(line);
    if (line.empty() || line.front() == ';' || line.front() == '[') {
        return std::nullopt;
    }
    const auto equals = line.find('=');
    if (equals == std::string_view::npos) {
        return std::nullopt;
    }
    const std::string_view name = TrimBlanks(line.substr(0, equals));
    if (name.empty()) {
        return std::nullopt;
    }
    return KeyLine{name, TrimBlanks(line.substr(equals + 1))};
}

std::string_view WithoutQuotes(std::string_view value) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front()) {
        return value.substr(1, value.size() - 2);
    }
    return value;
}

// The first `limit` characters of a UTF-8 text.
std::string_view FirstCharacters(std::string_view text, std::size_t limit) {
    std::size_t count = 0;
    for (std::size_t at = 0; at < text.size(); ++at) {
        const auto byte = static_cast<unsigned char>(text[at]);
        if ((byte & 0xC0) != 0x80) {  // a character starts here
            if (count == limit) {
                return text.substr(0, at);
            }
            ++count;
        }
    }
    return text;
}

std::string OneLine(std::string_view text) {
    std::string line(text);
    std::replace(line.begin(), line.end(), '\r', ' ');
    std::replace(line.begin(), line.end(), '\n', ' ');
    return line;
}

// A reader trims the blanks around a value and one pair of quotes around it; a value that
// would lose either is written inside quotes of its own, which the reader takes away again.
std::string StoredValue(std::string_view value) {
    const std::string line = OneLine(value);
    if (WithoutQuotes(TrimBlanks(line)) != line) {
        return "\"" + line + "\"";
    }
    return line;
}

}  // namespace

static char LowerAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool SameName(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return LowerAscii(x) == LowerAscii(y);
           });
}


std::string_view TrimBlanks(std::string_view text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) {
        return {};
    }
    const auto last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

IniFile IniFile::FromBytes(std::string_view bytes) {
    IniFile file;
    std::string text;
    if (bytes.starts_with(kUtf16LittleMark)) {
        file.form_ = Form::Utf16Little;
        text = Utf16ToUtf8(bytes.substr(kUtf16LittleMark.size()), ByteOrder::Little);
    } else if (bytes.starts_with(kUtf16BigMark)) {
        file.form_ = Form::Utf16Big;
        text = Utf16ToUtf8(bytes.substr(kUtf16BigMark.size()), ByteOrder::Big);
    } else if (IsValidUtf8(bytes)) {
        if (bytes.starts_with(kByteOrderMark)) {
            file.form_ = Form::Utf8Marked;
            bytes.remove_prefix(kByteOrderMark.size());
        }
        text = std::string(bytes);
    } else {
        text = Windows1252ToUtf8(bytes);
    }
    bool sawLineEnd = false;
    std::size_t start = 0;
    while (start < text.size()) {
        const auto stop = text.find_first_of("\r\n", start);
        Line line;
        if (stop == std::string::npos) {
            line.text = text.substr(start);
            start = text.size();
        } else {
            line.text = text.substr(start, stop - start);
            const std::size_t endLength = text.compare(stop, 2, "\r\n") == 0 ? 2 : 1;
            line.end = text.substr(stop, endLength);
            start = stop + endLength;
            if (!sawLineEnd) {
                file.newLine_ = line.end;
                sawLineEnd = true;
            }
        }
        file.lines_.push_back(std::move(line));
    }
    return file;
}

std::string IniFile::ToBytes() const {
    std::string text;
    for (const Line& line : lines_) {
        text += line.text;
        text += line.end;
    }
    switch (form_) {
        case Form::Utf16Little:
            return std::string(kUtf16LittleMark) + Utf8ToUtf16(text, ByteOrder::Little);
        case Form::Utf16Big:
            return std::string(kUtf16BigMark) + Utf8ToUtf16(text, ByteOrder::Big);
        case Form::Utf8Marked:
            return std::string(kByteOrderMark) + text;
        case Form::Plain:
            break;
    }
    // Windows-1252 bytes that happen to be valid UTF-8 ("Ã©" is C3 A9) would be read back
    // as UTF-8, another text: such a file is written in UTF-8.
    auto narrow = Utf8ToWindows1252(text);
    if (narrow && (*narrow == text || !IsValidUtf8(*narrow))) {
        return *std::move(narrow);
    }
    return text;
}

std::optional<std::size_t> IniFile::FindSection(std::string_view section) const {
    const std::string_view wanted = TrimBlanks(section);
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        const auto name = SectionName(lines_[i].text);
        if (name && SameName(*name, wanted)) {
            return i;
        }
    }
    return std::nullopt;
}

std::size_t IniFile::SectionEnd(std::size_t header) const {
    std::size_t i = header + 1;
    while (i < lines_.size() && !SectionName(lines_[i].text)) {
        ++i;
    }
    return i;
}

std::optional<std::string> IniFile::Read(std::string_view section, std::string_view key) const {
    const auto header = FindSection(section);
    if (!header) {
        return std::nullopt;
    }
    const std::string_view wanted = TrimBlanks(key);
    const std::size_t end = SectionEnd(*header);
    for (std::size_t i = *header + 1; i < end; ++i) {
        const auto line = ParseKeyLine(lines_[i].text);
        if (line && SameName(line->name, wanted)) {
            return std::string(FirstCharacters(WithoutQuotes(line->value), kMaxValueCharacters));
        }
    }
    return std::nullopt;
}

void IniFile::Insert(std::size_t at, std::string text) {
    // The line before a new one may be a last line without a line end.
    Line line{std::move(text), newLine_};
    if (at > 0 && lines_[at - 1].end.empty()) {
        lines_[at - 1].end = newLine_;
        line.end.clear();
    }
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(at), std::move(line));
}

void IniFile::Write(std::string_view section, std::string_view key, std::string_view value) {
    const std::string name = OneLine(TrimBlanks(key));
    const std::string stored = StoredValue(value);
    const std::string entry = name + "=" + stored;
    const auto header = FindSection(section);
    if (!header) {
        Insert(lines_.size(), "[" + OneLine(TrimBlanks(section)) + "]");
        Insert(lines_.size(), entry);
        return;
    }
    const std::size_t end = SectionEnd(*header);
    std::size_t lastKey = *header;
    for (std::size_t i = *header + 1; i < end; ++i) {
        const auto line = ParseKeyLine(lines_[i].text);
        if (!line) {
            continue;
        }
        if (SameName(line->name, name)) {
            // The name keeps its spelling in the file.
            lines_[i].text = std::string(line->name) + "=" + stored;
            return;
        }
        lastKey = i;
    }
    Insert(lastKey + 1, entry);
}

}  // namespace lgcset::profiles
