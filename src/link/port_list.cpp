#include "link/port_list.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <system_error>

namespace lgcset::link {

namespace {

namespace fs = std::filesystem;

bool IsDigit(char c) {
    return std::isdigit(static_cast<unsigned char>(c)) != 0;
}

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

bool NaturalLess(std::string_view a, std::string_view b) {
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < a.size() && j < b.size()) {
        if (IsDigit(a[i]) && IsDigit(b[j])) {
            std::size_t endA = i;
            std::size_t endB = j;
            while (endA < a.size() && IsDigit(a[endA])) ++endA;
            while (endB < b.size() && IsDigit(b[endB])) ++endB;
            // Compare the numbers without their leading zeros: first by length, then digits.
            std::string_view numberA = a.substr(i, endA - i);
            std::string_view numberB = b.substr(j, endB - j);
            const auto trim = [](std::string_view& n) {
                while (n.size() > 1 && n.front() == '0') n.remove_prefix(1);
            };
            trim(numberA);
            trim(numberB);
            if (numberA.size() != numberB.size()) {
                return numberA.size() < numberB.size();
            }
            if (numberA != numberB) {
                return numberA < numberB;
            }
            i = endA;
            j = endB;
            continue;
        }
        if (a[i] != b[j]) {
            return a[i] < b[j];
        }
        ++i;
        ++j;
    }
    if (a.size() - i != b.size() - j) {
        return a.size() - i < b.size() - j;
    }
    return a < b;  // equal apart from leading zeros: keep a strict, total order
}

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
