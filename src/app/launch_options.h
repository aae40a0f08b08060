// The program's command line: without arguments it starts as it always has; --demo starts
// a simulated logger in the program, so that it can be tried without hardware; --report
// writes the PDF report of an exported CSV file and exits without showing a window.
#pragma once

#include <string>
#include <vector>

namespace lgcset::app {

struct LaunchOptions {
    bool demo = false;
    std::string demoModel = "R481";  // the simulated logger's model, R480 to R483
    bool help = false;
    bool version = false;
    // --report: the CSV file, the profile whose alarm limits apply (may be empty) and the PDF.
    std::string report, profile, pdf;
    // Where transfers are archived: the file of --archive (empty: the default one), or
    // nowhere with --no-archive.
    std::string archive;
    bool noArchive = false;
    std::string error;  // not empty: the command line was not understood
};

// The arguments after the program name (those of the GUI toolkit already taken out).
LaunchOptions ParseLaunchOptions(const std::vector<std::string>& arguments);

// What --help prints.
std::string LaunchUsage();

// What --version prints: the program's name and the project's version.
std::string LaunchVersion();

}  // namespace lgcset::app
