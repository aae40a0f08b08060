// The window and a simulated logger on a pseudo-terminal, and the user's steps on them:
// log in, read, save, each waiting for the message that ends it.
#pragma once

#include <gtest/gtest.h>

#include <QPushButton>
#include <QString>
#include <QTemporaryDir>
#include <array>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "archive/archive_open.h"
#include "loggersim/simulator.h"
#include "support/settings_pages.h"
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

// An SQLite archive of the test's own, for the window's UseArchive.
struct TestArchive {
    QTemporaryDir folder;
    std::filesystem::path file =
        std::filesystem::path(folder.path().toStdString()) / "archive.sqlite";

    // Its audit trail, once it holds at least `count` rows (the window records after the
    // boxes of an action's end).
    std::vector<archive::AuditRow> Trail(std::size_t count) const {
        archive::OpenResult opened = archive::OpenArchive(file.string(), false);
        EXPECT_TRUE(opened.status.ok()) << opened.status.message;
        if (!opened.status.ok())
            return {};
        archive::Rows<archive::AuditRow> trail;
        WaitFor([&] {
            trail = opened.store->AuditTrail({});
            return trail.rows.size() >= count;
        });
        return trail.rows;
    }
};

// ---- Pages as the logger should hold them (support/settings_pages.h) and as it holds them.

using support::AlarmBlock;
using support::BlankPage;
using support::Differences;
using support::FactoryAlarmBlock;
using support::Page;
using support::PutAlarmBlock;
using support::PutF32;
using support::PutText;
using support::PutU16;

inline Page MemoryPage(const sim::ParameterMemory& memory, std::size_t address) {
    Page page;
    for (std::size_t i = 0; i < page.size(); ++i) page[i] = memory[address + i];
    return page;
}

// The four settings pages (1024, 2048, 3072 and 4096) as the logger holds them.
using SettingsPages = std::array<Page, 4>;

inline SettingsPages MemoryPages(const sim::ParameterMemory& memory) {
    SettingsPages pages;
    for (std::size_t i = 0; i < pages.size(); ++i) pages[i] = MemoryPage(memory, 1024 * (i + 1));
    return pages;
}

inline void ExpectPages(const SettingsPages& actual, const SettingsPages& expected) {
    for (std::size_t i = 0; i < actual.size(); ++i)
        EXPECT_EQ(actual[i], expected[i])
            << "page " << 1024 * (i + 1) << Differences(actual[i], expected[i]);
}

}  // namespace lgcset::ui::e2e
