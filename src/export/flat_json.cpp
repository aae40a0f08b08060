#include "export/flat_json.h"

#include <cstdint>

namespace lgcset::exports {
namespace {

constexpr std::size_t kMaxNumberChars = 40;

void AppendUtf8(std::string& out, std::uint32_t code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

// The length of the UTF-8 sequence at `at`, or 0 when it is not a valid one (overlong
// forms, surrogates and code points past U+10FFFF included).
std::size_t Utf8Length(std::string_view text, std::size_t at) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char first = byte(at);
    std::size_t length = 0;
    std::uint32_t code = 0;
    if (first < 0x80)
        return 1;
    if (first >= 0xC2 && first <= 0xDF) {
        length = 2;
        code = first & 0x1Fu;
    } else if (first >= 0xE0 && first <= 0xEF) {
        length = 3;
        code = first & 0x0Fu;
    } else if (first >= 0xF0 && first <= 0xF4) {
        length = 4;
        code = first & 0x07u;
    } else {
        return 0;
    }
    if (at + length > text.size())
        return 0;
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(at + i) & 0xC0) != 0x80)
            return 0;
        code = (code << 6) | (byte(at + i) & 0x3Fu);
    }
    const bool overlong = (length == 3 && code < 0x800) || (length == 4 && code < 0x10000);
    if (overlong || (code >= 0xD800 && code <= 0xDFFF) || code > 0x10FFFF)
        return 0;
    return length;
}

class Reader {
  public:
    explicit Reader(std::string_view text) : text_(text) {}

    FlatJsonRead Read() {
        FlatJsonRead read;
        if (text_.size() > kFlatJsonMaxBytes)
            return Refuse(read, "it is larger than any manifest");
        SkipSpace();
        if (!Take('{'))
            return Refuse(read, "it is not a JSON object");
        SkipSpace();
        if (!Take('}')) {
            for (;;) {
                std::string name;
                FlatJsonValue value;
                SkipSpace();
                if (!String(name))
                    return Refuse(read, "a member's name is not a string");
                SkipSpace();
                if (!Take(':'))
                    return Refuse(read, "a member's name is not followed by ':'");
                SkipSpace();
                if (!Value(value))
                    return Refuse(read, "the value of \"" + Shown(name) +
                                            "\" is not a string, number, true, false or null");
                if (read.members.size() == kFlatJsonMaxMembers)
                    return Refuse(read, "it has more members than any manifest");
                if (!read.members.emplace(name, std::move(value)).second)
                    return Refuse(read, "\"" + Shown(name) + "\" is given twice");
                SkipSpace();
                if (Take('}'))
                    break;
                if (!Take(','))
                    return Refuse(read, "the members are not separated by ','");
            }
        }
        SkipSpace();
        if (at_ != text_.size())
            return Refuse(read, "text follows the object");
        return read;
    }

  private:
    static FlatJsonRead Refuse(FlatJsonRead& read, std::string why) {
        read.members.clear();
        read.error = std::move(why);
        return std::move(read);
    }

    // A name as a message may show it: short, and printable.
    static std::string Shown(const std::string& name) {
        std::string shown;
        for (char c : name.substr(0, 40)) shown += c >= 0x20 && c != 0x7F ? c : '?';
        return shown;
    }

    bool AtEnd() const { return at_ >= text_.size(); }
    char Peek() const { return AtEnd() ? '\0' : text_[at_]; }
    bool Take(char c) {
        if (AtEnd() || text_[at_] != c)
            return false;
        ++at_;
        return true;
    }
    bool Take(std::string_view word) {
        if (text_.substr(at_, word.size()) != word)
            return false;
        at_ += word.size();
        return true;
    }
    void SkipSpace() {
        while (!AtEnd() && (Peek() == ' ' || Peek() == '\t' || Peek() == '\n' || Peek() == '\r'))
            ++at_;
    }

    bool Value(FlatJsonValue& value) {
        if (Peek() == '"') {
            value.kind = FlatJsonValue::Kind::String;
            return String(value.text);
        }
        if (Take("true")) {
            value.kind = FlatJsonValue::Kind::True;
            return true;
        }
        if (Take("false")) {
            value.kind = FlatJsonValue::Kind::False;
            return true;
        }
        if (Take("null")) {
            value.kind = FlatJsonValue::Kind::Null;
            return true;
        }
        value.kind = FlatJsonValue::Kind::Number;
        return Number(value.text);
    }

    bool Digits() {
        const std::size_t start = at_;
        while (!AtEnd() && Peek() >= '0' && Peek() <= '9') ++at_;
        return at_ > start;
    }

    // -?(0|[1-9][0-9]*)(.[0-9]+)?([eE][+-]?[0-9]+)?
    bool Number(std::string& out) {
        const std::size_t start = at_;
        Take('-');
        if (Take('0')) {
            if (Peek() >= '0' && Peek() <= '9')
                return false;
        } else if (!Digits()) {
            return false;
        }
        if (Take('.') && !Digits())
            return false;
        if (Take('e') || Take('E')) {
            if (!Take('+'))
                Take('-');
            if (!Digits())
                return false;
        }
        if (at_ - start > kMaxNumberChars)
            return false;
        out.assign(text_.substr(start, at_ - start));
        return true;
    }

    bool Hex4(std::uint32_t& code) {
        if (at_ + 4 > text_.size())
            return false;
        code = 0;
        for (int i = 0; i < 4; ++i) {
            const char c = text_[at_++];
            code <<= 4;
            if (c >= '0' && c <= '9')
                code |= static_cast<std::uint32_t>(c - '0');
            else if (c >= 'a' && c <= 'f')
                code |= static_cast<std::uint32_t>(c - 'a' + 10);
            else if (c >= 'A' && c <= 'F')
                code |= static_cast<std::uint32_t>(c - 'A' + 10);
            else
                return false;
        }
        return true;
    }

    bool Escape(std::string& out) {
        const char c = Peek();
        ++at_;
        switch (c) {
            case '"': out += '"'; return true;
            case '\\': out += '\\'; return true;
            case '/': out += '/'; return true;
            case 'b': out += '\b'; return true;
            case 'f': out += '\f'; return true;
            case 'n': out += '\n'; return true;
            case 'r': out += '\r'; return true;
            case 't': out += '\t'; return true;
            case 'u': break;
            default: return false;
        }
        std::uint32_t code = 0;
        if (!Hex4(code))
            return false;
        if (code >= 0xDC00 && code <= 0xDFFF)
            return false;  // a low surrogate without its high one
        if (code >= 0xD800 && code <= 0xDBFF) {
            std::uint32_t low = 0;
            if (!Take("\\u") || !Hex4(low) || low < 0xDC00 || low > 0xDFFF)
                return false;
            code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
        }
        AppendUtf8(out, code);
        return true;
    }

    bool String(std::string& out) {
        out.clear();
        if (!Take('"'))
            return false;
        while (!AtEnd()) {
            const auto c = static_cast<unsigned char>(Peek());
            if (c == '"') {
                ++at_;
                return true;
            }
            if (c < 0x20)
                return false;
            if (c == '\\') {
                ++at_;
                if (AtEnd() || !Escape(out))
                    return false;
                continue;
            }
            const std::size_t length = Utf8Length(text_, at_);
            if (length == 0)
                return false;
            out.append(text_.substr(at_, length));
            at_ += length;
        }
        return false;  // never closed
    }

    std::string_view text_;
    std::size_t at_ = 0;
};

}  // namespace

std::string JsonString(std::string_view text) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string json = "\"";
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        switch (c) {
            case '"': json += "\\\""; break;
            case '\\': json += "\\\\"; break;
            case '\n': json += "\\n"; break;
            case '\r': json += "\\r"; break;
            case '\t': json += "\\t"; break;
            default:
                if (byte < 0x20) {
                    json += "\\u00";
                    json += kDigits[byte >> 4];
                    json += kDigits[byte & 0x0F];
                } else {
                    json += c;
                }
        }
    }
    return json + "\"";
}

FlatJsonRead ReadFlatJson(std::string_view text) {
    return Reader(text).Read();
}

}  // namespace lgcset::exports
