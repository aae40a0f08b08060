#include "link/port_list.h"

#include <cctype>

namespace lgcset::link {

namespace {

bool IsDigit(char c) {
    return std::isdigit(static_cast<unsigned char>(c)) != 0;
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

}  // namespace lgcset::link
