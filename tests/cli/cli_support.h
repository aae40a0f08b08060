// Runs lgcset-cli in the test's process against a simulated logger on a pseudo-terminal.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "cli/cli_commands.h"
#include "loggersim/simulator.h"

namespace lgcset::cli::test {

// Short, so that a request left unanswered gives up within a second; long enough that a
// loaded machine answers within it.
constexpr int kResendMs = 250;

struct CliResult {
    int status = -1;
    std::string out;
    std::string err;
};

inline CliResult Cli(const std::vector<std::string>& arguments, CliEnvironment environment = {}) {
    environment.resendIntervalMs = kResendMs;
    std::ostringstream out;
    std::ostringstream err;
    CliResult result;
    result.status = RunCli(arguments, out, err, environment);
    result.out = out.str();
    result.err = err.str();
    return result;
}

// A simulated logger and the command line that reaches it.
struct Logger {
    explicit Logger(sim::Options options = {}) : simulator(std::move(options)) {
        std::string error;
        started = simulator.StartOnPseudoTerminal(&error);
        EXPECT_TRUE(started) << error;
    }
    // The port options followed by the command's arguments.
    CliResult Run(std::vector<std::string> arguments) {
        arguments.insert(arguments.begin(), {"--port", simulator.slavePath()});
        return Cli(arguments);
    }
    sim::Simulator simulator;
    bool started = false;
};

// A folder of its own for each test, removed afterwards.
struct TempFolder {
    TempFolder() {
        // A test of a parameterised suite is named "Test/Param": one folder all the same.
        std::string test = ::testing::UnitTest::GetInstance()->current_test_info()->name();
        std::replace(test.begin(), test.end(), '/', '-');
        path = std::filesystem::temp_directory_path() /
               ("lgcset-cli-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
                "-" + test);
        std::filesystem::remove_all(path);
        std::filesystem::create_directories(path);
    }
    ~TempFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }
    std::string File(const std::string& name) const { return (path / name).string(); }
    std::filesystem::path path;
};

inline std::string ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

inline void WriteText(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

// The profile text with the value of one key replaced (the key as the file spells it).
inline std::string WithValue(std::string profile, const std::string& key,
                             const std::string& value) {
    const std::string start = "\n" + key + "=";
    const auto at = profile.find(start);
    EXPECT_NE(at, std::string::npos) << key;
    if (at == std::string::npos)
        return profile;
    const auto from = at + start.size();
    const auto end = profile.find_first_of("\r\n", from);
    return profile.replace(from, end - from, value);
}

}  // namespace lgcset::cli::test
