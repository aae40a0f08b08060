// What the commands that work on many loggers at once share (collect, configure): the ports
// named by --port and --ports-glob, the passwords to try, the login with each in turn, the
// sessions run in parallel with a line per port redrawn on the terminal, and the table.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "cli/cli_options.h"
#include "cli/headless_session.h"
#include "settings/settings_model.h"

namespace lgcset::cli {

// The ports of --port and --ports-glob, each once, in the order given (a pattern's matches
// in natural order). A pattern with a '/' matches the files of its folder, others match
// the system's port names; either by the system's own pattern rules (link/port_pattern.h).
std::vector<std::string> CollectPorts(const CliOptions& options);

// The passwords to try in turn: --password when it was given, then the distinct passwords
// of --passwords FILE ("device ID,password" lines), then, without --password, the factory
// password (a logger never set up is still on it). A logger tells its device ID only after
// a login, so each password is tried until one is taken.
struct PasswordList {
    enum class Outcome { Read, Refused };
    Outcome outcome = Outcome::Read;
    std::vector<std::string> passwords;
    std::string error;  // when refused: why the file gives no passwords to try
};
PasswordList CollectPasswords(const CliOptions& options);

// Logs in with each password in turn until one is taken or the line fails.
Outcome LogIn(HeadlessSession& session, settings::SettingsModel& settings,
              const std::vector<std::string>& passwords);

// Runs work(i) for every port i, at most --jobs at once (all without it); on a terminal,
// the lines of lines() are drawn on `err` a few times a second, over the previous ones,
// and once more at the end.
void RunEachPort(std::size_t ports, const CliOptions& options, const CliEnvironment& environment,
                 const std::function<void(std::size_t)>& work,
                 const std::function<std::vector<std::string>()>& lines, std::ostream& err);

// Rows as columns parted by two blanks, each as wide as its widest cell; the last column
// is not padded.
template <std::size_t N>
std::string TableText(const std::vector<std::array<std::string, N>>& rows) {
    std::array<std::size_t, N> widths{};
    for (const auto& row : rows)
        for (std::size_t c = 0; c + 1 < N; ++c) widths[c] = std::max(widths[c], row[c].size());
    std::string text;
    for (const auto& row : rows) {
        for (std::size_t c = 0; c < N; ++c) {
            text += row[c];
            if (c + 1 < N)
                text += std::string(widths[c] - row[c].size() + 2, ' ');
        }
        text += "\n";
    }
    return text;
}

}  // namespace lgcset::cli
