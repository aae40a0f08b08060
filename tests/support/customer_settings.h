// The settings a customer gives the logger in the end-to-end tests, typed into the window or
// loaded from a profile, and the pages the logger must then hold. The alarm page differs
// between the two and is each test's own.
#pragma once

#include <cstdint>
#include <string>

#include "support/settings_pages.h"

namespace lgcset::support {

// Authorised number n (1 to 5; number 6 stays empty).
std::string CustomerTel(int n);

// Numbers n: function 1 is item n % 2, function 2 item n % 4, and CustomerTel(n).
Page CustomerNumbersPage();
// Servers lgc.example.com and 10.0.0.2, port 9001, mode 1, APN cmnet, user and secret.
Page CustomerGprsPage();

// How the logger uploads: every `minutes` ('D', by timer) or at a time of day ('M').
struct Upload {
    std::uint8_t mode;
    std::uint16_t minutes;
    std::uint8_t hour = 0xFF;
    std::uint8_t minute = 0xFF;
};
Page CustomerSystemPage(const Upload& upload);

}  // namespace lgcset::support
