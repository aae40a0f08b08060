#include "link/win32_text.h"

#include <windows.h>

#include <climits>

namespace lgcset::link {

std::string Utf8FromWide(const wchar_t* text, std::size_t length) {
    if (text == nullptr || length == 0 || length > INT_MAX)
        return {};
    const int wideLength = static_cast<int>(length);
    const int size =
        ::WideCharToMultiByte(CP_UTF8, 0, text, wideLength, nullptr, 0, nullptr, nullptr);
    if (size <= 0)
        return {};
    std::string utf8(static_cast<std::size_t>(size), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text, wideLength, utf8.data(), size, nullptr, nullptr);
    return utf8;
}

std::string SystemErrorText(unsigned long error) {
    wchar_t* buffer = nullptr;
    const DWORD length = ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, error, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::string text = length > 0 ? Utf8FromWide(buffer, length) : std::string();
    ::LocalFree(buffer);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' '))
        text.pop_back();
    if (text.empty())
        text = "system error " + std::to_string(error);
    return text;
}

}  // namespace lgcset::link
