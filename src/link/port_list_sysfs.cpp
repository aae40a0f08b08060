#include "link/port_list.h"

#include <algorithm>
#include <fstream>
#include <system_error>

namespace lgcset::link {

const char* const kExamplePortName = "/dev/ttyUSB0";

namespace {

namespace fs = std::filesystem;

// A serial-core port reports its UART type; 0 means no UART answered at that address.
bool HasUart(const fs::path& entry) {
    std::ifstream typeFile(entry / "type");
    if (!typeFile) {
        return true;  // not a serial-core port: the device link is enough
    }
    long type = 0;
    if (!(typeFile >> type)) {
        return true;
    }
    return type != 0;
}

}  // namespace

std::vector<std::string> ListSerialPorts(const fs::path& ttyClassRoot, const fs::path& devRoot) {
    std::vector<std::string> names;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(ttyClassRoot, error)) {
        const fs::path path = entry.path();
        std::error_code ignored;
        if (!fs::exists(path / "device", ignored) || !HasUart(path)) {
            continue;
        }
        const std::string name = path.filename().string();
        if (!fs::exists(devRoot / name, ignored)) {
            continue;
        }
        names.push_back(name);
    }
    std::sort(names.begin(), names.end(),
              [](const std::string& a, const std::string& b) { return NaturalLess(a, b); });
    std::vector<std::string> paths;
    paths.reserve(names.size());
    for (const auto& name : names) {
        paths.push_back((devRoot / name).string());
    }
    return paths;
}

}  // namespace lgcset::link
