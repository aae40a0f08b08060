// Defined as libstdc++ for MinGW defines it, so that either may come first.
#define NOMINMAX 1
#include <windows.h>
#include <shlwapi.h>

#include <climits>

#include "link/port_pattern.h"

namespace lgcset::link {

namespace {

std::wstring WideFromUtf8(const std::string& text) {
    if (text.empty() || text.size() > INT_MAX)
        return {};
    const int length = static_cast<int>(text.size());
    const int size = ::MultiByteToWideChar(CP_UTF8, 0, text.data(), length, nullptr, 0);
    if (size <= 0)
        return {};
    std::wstring wide(static_cast<std::size_t>(size), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, text.data(), length, wide.data(), size);
    return wide;
}

}  // namespace

bool PortNameMatches(const std::string& pattern, const std::string& name) {
    // PathMatchSpecW takes ';' as a separator of several patterns; a port name holds none.
    return ::PathMatchSpecW(WideFromUtf8(name).c_str(), WideFromUtf8(pattern).c_str()) != FALSE;
}

}  // namespace lgcset::link
