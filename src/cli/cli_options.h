// The command line of lgcset-cli: the connection options, one command and its arguments, as
// the command table (cli_command_table.h) says which command takes what.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "data/device_clock.h"

namespace lgcset::cli {

enum class RelayMode { None, NcNo, Pulse, Stop };

// Whether a command line was understood or refused as wrong usage.
enum class ParseOutcome { Understood, Refused };

// The window's box for the relay working time holds four digits.
inline constexpr int kMaxRelaySeconds = 9999;
// The logger keeps the year of its clock in two digits, counted from 2000.
inline constexpr int kFirstClockYear = 2000;
inline constexpr int kLastClockYear = 2099;

// The password a logger leaves the factory with.
inline constexpr const char* kFactoryPassword = "8604";

struct CliOptions {
    std::string port;                // the last --port
    std::vector<std::string> ports;  // every --port, in order (collect, configure)
    bool demo = false;
    std::string demoModel = "R481";
    std::string password = kFactoryPassword;
    bool passwordGiven = false;
    bool json = false;
    bool help = false;
    bool version = false;

    std::string command;  // empty: none given
    std::string profile;  // read, write, diff; report --profile (empty: none)
    std::string csvFile;  // report
    std::string model;    // report --model (empty: not known)
    bool noVerify = false;
    bool force = false;  // write, diff: a profile saved from another logger too
    bool yes = false;
    bool dryRun = false;  // write: the list of changes only
    std::string reason;   // write: the user's reason, into the record

    std::optional<data::CalendarDate> from, to;  // history
    std::string outDir;                          // history; empty: the current folder
    bool keepPartial = false;                    // history: export what arrived before a loss
    std::string archive;     // the archive file or URL (empty: the default)
    bool noArchive = false;  // archive and record nothing

    std::vector<std::string> portsGlobs;  // collect --ports-glob
    int jobs = 0;                         // collect: sessions at once; 0: every port at once
    bool sinceLast = false;               // collect: from each logger's newest archived day
    std::string passwordsFile;            // collect, configure: "device ID,password" lines

    std::string templateFile;  // configure: the profile with ${name} values
    std::string valuesFile;    // configure: a row of values per device ID
    std::string defaultRow;    // configure: the row of a logger that has none (a device ID)
    bool onlyChanged = false;  // configure: the loggers left unchanged are not listed

    std::string archiveAction;     // archive: list, export, import or copy; audit: list,
                                   // verify or export
    std::string deviceId;          // archive export, import
    std::string copyFrom, copyTo;  // archive copy: the archives, a file or a URL each
    std::string csvOut, pdfOut;    // audit export: the files to write
    std::vector<std::int64_t> snapshots;  // settings-history show, diff, restore

    bool setClock = false;  // clock --set
    bool setClockNow = false;
    data::DeviceTime clockValue;

    RelayMode relay = RelayMode::None;
    std::uint16_t relaySeconds = 0;  // --nc, 0 to kMaxRelaySeconds
    std::uint16_t onSeconds = 0, offSeconds = 0;
    std::uint8_t repeat = 0;

    ParseOutcome outcome = ParseOutcome::Understood;
    std::string error;  // when refused: how the command line is wrong

    bool Understood() const { return outcome == ParseOutcome::Understood; }
    // Refuses the line; the first refusal is the one said.
    void Refuse(std::string why);
};

// Nothing when the logger holds `password` whole, else the refusal after `origin` (the option
// or the line it came from): a login sends only the first characters the logger holds, so a
// longer password would log in with a part of it.
std::optional<std::string> PasswordRefusal(const std::string& origin, const std::string& password);

// The arguments after the program name.
CliOptions ParseCommandLine(const std::vector<std::string>& arguments);

// What --version prints: the program's name and the project's version.
std::string VersionText();

// Parses "YY-MM-DD" (or "YYYY-MM-DD") and "YYYY-MM-DD HH:MM:SS": a real date and time, or
// nothing.
std::optional<data::CalendarDate> ParseDate(const std::string& text);
std::optional<data::DeviceTime> ParseDateTime(const std::string& text);
// "YYYY-MM-DD".
std::string DateText(const data::CalendarDate& date);

}  // namespace lgcset::cli
