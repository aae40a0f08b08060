// The window and a simulated logger on a pseudo-terminal, and the user's steps on them:
// log in, read, save, each waiting for the message that ends it.
#pragma once

#include <gtest/gtest.h>

#include <QPushButton>
#include <QString>
#include <array>
#include <bit>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "loggersim/simulator.h"
#include "ui_test_support.h"
#include "window_steps.h"

namespace lgcset::ui::e2e {

// A window on the simulated logger's line, its link open.
struct Session {
    explicit Session(sim::Options options) : logger(std::move(options)) {}

    bool Start() {
        std::string error;
        if (!logger.StartOnPseudoTerminal(&error)) {
            ADD_FAILURE() << "simulator: " << error;
            return false;
        }
        return Connect();
    }

    // A fresh window on the same logger (the previous one closed first).
    bool Connect() {
        window.reset();
        window = test::MakeWindow();
        window->SetResendInterval(kResendMs);
        return test::OpenLink(*window, logger.slavePath());
    }

    bool Login(const std::string& password = "8604") { return LogIn(*window, password); }
    bool Read() { return ReadSettings(*window); }
    bool Save() { return SaveSettings(*window); }

    sim::Simulator logger;
    std::unique_ptr<TestWindow> window;
};

// ---- Pages as the logger should hold them, written out field by field.

using Page = std::array<std::uint8_t, 256>;

inline Page BlankPage() {
    Page page;
    page.fill(0xFF);
    return page;
}

inline void PutU16(Page& page, std::size_t at, std::uint16_t value) {
    page[at] = static_cast<std::uint8_t>(value & 0xFF);
    page[at + 1] = static_cast<std::uint8_t>(value >> 8);
}

inline void PutF32(Page& page, std::size_t at, float value) {
    const auto bits = std::bit_cast<std::uint32_t>(value);
    for (std::size_t i = 0; i < 4; ++i) page[at + i] = static_cast<std::uint8_t>(bits >> (8 * i));
}

// Characters from `at` on; the rest of the field stays as the blank page has it (0xFF).
inline void PutText(Page& page, std::size_t at, std::string_view text) {
    for (std::size_t i = 0; i < text.size(); ++i) page[at + i] = static_cast<std::uint8_t>(text[i]);
}

// An alarm block as the factory leaves it (every value "not set").
inline void PutFactoryAlarmBlock(Page& page, std::size_t at, std::uint8_t type) {
    page[at] = type;
    page[at + 1] = 99;
    PutU16(page, at + 2, 9999);
    for (std::size_t k = 0; k < 4; ++k) PutF32(page, at + 4 + 4 * k, 999.0f);
    PutU16(page, at + 20, 999);
    PutU16(page, at + 22, 999);
    page[at + 24] = '0';
    PutF32(page, at + 28, 99999.0f);
    PutF32(page, at + 32, 99999.0f);
}

inline Page MemoryPage(const sim::ParameterMemory& memory, std::size_t address) {
    Page page;
    for (std::size_t i = 0; i < page.size(); ++i) page[i] = memory[address + i];
    return page;
}

// The offsets where two pages differ, for a readable failure.
inline std::string Differences(const Page& actual, const Page& expected) {
    std::string text;
    for (std::size_t i = 0; i < actual.size(); ++i) {
        if (actual[i] != expected[i]) {
            text += " @" + std::to_string(i) + ": " + std::to_string(actual[i]) + " (expected " +
                    std::to_string(expected[i]) + ")";
        }
    }
    return text;
}

}  // namespace lgcset::ui::e2e
