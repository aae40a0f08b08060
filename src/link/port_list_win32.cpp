// The ports the system's serial drivers registered: the values of the registry key
// HARDWARE\DEVICEMAP\SERIALCOMM, each named by its device ("\Device\Serial0") and holding
// the port's name ("COM1").
#include <windows.h>

#include <algorithm>
#include <utility>

#include "link/port_details.h"
#include "link/port_list.h"
#include "link/win32_text.h"

namespace lgcset::link {

const char* const kExamplePortName = "COM3";

namespace {

// Device and port name of every value; empty when the key is missing or unreadable.
std::vector<std::pair<std::string, std::string>> SerialCommValues() {
    std::vector<std::pair<std::string, std::string>> values;
    HKEY key = nullptr;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"HARDWARE\\DEVICEMAP\\SERIALCOMM", 0,
                        KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return values;
    for (DWORD index = 0;; ++index) {
        wchar_t name[256];
        wchar_t data[256];
        DWORD nameLength = 256;
        DWORD dataBytes = sizeof data;
        DWORD type = 0;
        const LONG result = ::RegEnumValueW(key, index, name, &nameLength, nullptr, &type,
                                            reinterpret_cast<BYTE*>(data), &dataBytes);
        if (result == ERROR_NO_MORE_ITEMS)
            break;
        if (result != ERROR_SUCCESS || type != REG_SZ)
            continue;  // a value too long or of another type names no port
        std::size_t dataLength = dataBytes / sizeof(wchar_t);
        while (dataLength > 0 && data[dataLength - 1] == L'\0') --dataLength;
        if (dataLength == 0)
            continue;
        values.emplace_back(Utf8FromWide(name, nameLength), Utf8FromWide(data, dataLength));
    }
    ::RegCloseKey(key);
    return values;
}

}  // namespace

std::vector<std::string> ListSerialPorts(const std::filesystem::path&,
                                         const std::filesystem::path&) {
    std::vector<std::string> ports;
    for (auto& [device, port] : SerialCommValues()) ports.push_back(std::move(port));
    std::sort(ports.begin(), ports.end(),
              [](const std::string& a, const std::string& b) { return NaturalLess(a, b); });
    ports.erase(std::unique(ports.begin(), ports.end()), ports.end());
    return ports;
}

PortDetails DescribeSerialPort(const std::string& portName, const std::filesystem::path&) {
    PortDetails details;
    for (const auto& [device, port] : SerialCommValues()) {
        if (port == portName) {
            details.driver = device;
            break;
        }
    }
    return details;
}

}  // namespace lgcset::link
