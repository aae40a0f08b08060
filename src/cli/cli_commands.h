// lgcset-cli as a function: the command line in, the exit status out, everything printed
// to the two streams given. The caller provides the Qt event loop's application object.
#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <istream>
#include <ostream>
#include <string>
#include <vector>

#include "export/flat_json.h"
#include "export/history_export.h"

namespace lgcset::cli {

struct CliEnvironment {
    int resendIntervalMs = 1000;  // the window's resend timer
    bool errorIsTerminal = false;
    // Where `write` asks its question when standard input is a terminal; none: it is not.
    std::istream* terminalInput = nullptr;
    std::filesystem::path ttyClassRoot = "/sys/class/tty";
    std::filesystem::path devRoot = "/dev";
    // The clock that names the export files; the local clock when empty.
    std::function<exports::LocalTime()> exportClock;
    // The archive when --archive names none (the program sets the one of the configuration
    // file, else the user's data folder; a URL is held as its text); nothing: `history`
    // archives nothing unless --archive names one.
    std::optional<std::filesystem::path> defaultArchive;
    // The default archive is demo mode's own, thrown away when the run ends (RunCli sets it
    // for --demo without --archive).
    bool throwawayArchive = false;
};

int RunCli(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err,
           const CliEnvironment& environment = {});

// A JSON string literal of UTF-8 text.
using exports::JsonString;

}  // namespace lgcset::cli
