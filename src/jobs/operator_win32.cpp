// The Windows user's logon name and the computer's NetBIOS name, as UTF-8.
#include <windows.h>

#include <string>

#include "jobs/change_log.h"
#include "project_version.h"

namespace lgcset::jobs {

namespace {

std::string Utf8(const wchar_t* text, DWORD length) {
    if (length == 0)
        return {};
    const int size = WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(length), nullptr, 0,
                                         nullptr, nullptr);
    std::string out(static_cast<std::size_t>(size > 0 ? size : 0), '\0');
    if (size > 0)
        WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(length), out.data(), size, nullptr,
                            nullptr);
    return out;
}

}  // namespace

Operator CurrentOperator() {
    Operator who;
    wchar_t user[257];
    DWORD userLength = 257;
    if (GetUserNameW(user, &userLength) && userLength > 0)
        who.user = Utf8(user, userLength - 1);  // the count includes the terminating zero
    wchar_t host[MAX_COMPUTERNAME_LENGTH + 1];
    DWORD hostLength = MAX_COMPUTERNAME_LENGTH + 1;
    if (GetComputerNameW(host, &hostLength))
        who.host = Utf8(host, hostLength);
    who.program = std::string("LGCSET ") + kVersion;
    return who;
}

}  // namespace lgcset::jobs
