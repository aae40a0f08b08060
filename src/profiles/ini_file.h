// An INI file as the Windows profile-string service reads and writes it, held line by line
// so that a write changes only the line it must and everything else stays as it was.
//
// Reading: section and key names match without regard to (ASCII) case; spaces and tabs
// around names and values are ignored; lines starting with ';' are comments; lines end in
// CR LF, LF or CR; the first of duplicate sections, and within it the first of duplicate
// keys, is the one that counts; a pair of quotes (double or single) around the whole value
// is removed; a value is read up to kMaxValueCharacters characters.
//
// Writing: a key that exists gets its new value where it stands; a new key goes after the
// last key of its section; a new section goes to the end of the file. New lines end as the
// file's lines do (CR LF for a new file).
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lgcset::profiles {

// The service reads into a buffer of 2,048 characters with its terminating null.
inline constexpr std::size_t kMaxValueCharacters = 2047;

// The text without the spaces and tabs at either end, as names and values are read.
std::string_view TrimBlanks(std::string_view text);

// Whether two section or key names are the same without regard to ASCII case.
bool SameName(std::string_view a, std::string_view b);

class IniFile {
  public:
    // A new, empty file.
    IniFile() = default;

    // From a file's bytes: UTF-16 after its byte order mark (little- or big-endian), UTF-8
    // when they are valid UTF-8 (a leading byte order mark is kept aside), else
    // Windows-1252. Any bytes make a file; nothing is rejected.
    static IniFile FromBytes(std::string_view bytes);

    // The bytes to store: a UTF-16 file stays UTF-16 in its byte order, with its mark.
    // Otherwise Windows-1252 when every character has a byte there, the file did not start
    // with a UTF-8 byte order mark and those bytes do not read as UTF-8 (unless they are
    // plain ASCII), else UTF-8. FromBytes of them reads the same text.
    std::string ToBytes() const;

    // The value, or nothing when the section or the key is missing. UTF-8.
    std::optional<std::string> Read(std::string_view section, std::string_view key) const;
    bool HasSection(std::string_view section) const { return FindSection(section).has_value(); }

    // Sets a value (UTF-8, plain text). A line break in it would end the line and start
    // another, so each CR and LF in the value is written as a space.
    void Write(std::string_view section, std::string_view key, std::string_view value);

  private:
    struct Line {
        std::string text;  // UTF-8, without its line end
        std::string end;   // "\r\n", "\n", "\r", or empty for a last line without one
    };
    // Index of the header line of the first section named section, if any.
    std::optional<std::size_t> FindSection(std::string_view section) const;
    // One past the last line of the section whose header is at header.
    std::size_t SectionEnd(std::size_t header) const;
    void Insert(std::size_t at, std::string text);

    std::vector<Line> lines_;
    std::string newLine_ = "\r\n";
    // The byte form the file was read in, which a write keeps.
    enum class Form { Plain, Utf8Marked, Utf16Little, Utf16Big };
    Form form_ = Form::Plain;
};

}  // namespace lgcset::profiles
