#include "app/launch_options.h"

#include <array>
#include <string_view>

#include "project_version.h"

namespace lgcset::app {

namespace {

constexpr std::array<std::string_view, 4> kModels{"R480", "R481", "R482", "R483"};

bool KnownModel(std::string_view model) {
    for (const std::string_view known : kModels)
        if (model == known)
            return true;
    return false;
}

// "--name VALUE" or "--name=VALUE": true when `argument` is the option, with its value
// (or the error) set.
bool FileOption(const std::vector<std::string>& arguments, std::size_t& i, std::string_view name,
                std::string& value, std::string& error) {
    const std::string& argument = arguments[i];
    if (argument == name) {
        if (i + 1 >= arguments.size()) {
            error = std::string(name) + " needs a file";
            return true;
        }
        value = arguments[++i];
        return true;
    }
    if (argument.starts_with(std::string(name) + "=")) {
        value = argument.substr(name.size() + 1);
        return true;
    }
    return false;
}

// The report's options go together, and with nothing that shows the window.
void CheckReport(LaunchOptions& options) {
    if (!options.error.empty() || options.help || options.version)
        return;
    const bool any = !options.report.empty() || !options.profile.empty() || !options.pdf.empty();
    if (!any)
        return;
    if (options.report.empty() || options.pdf.empty())
        options.error = "--report needs a CSV file and --pdf the report's file";
    else if (options.demo)
        options.error = "--report shows no window and runs no logger: not with --demo";
}

}  // namespace

LaunchOptions ParseLaunchOptions(const std::vector<std::string>& arguments) {
    LaunchOptions options;
    for (std::size_t i = 0; i < arguments.size() && options.error.empty(); ++i) {
        const std::string& argument = arguments[i];
        constexpr std::string_view kModelOption = "--demo-model";
        if (argument == "--demo") {
            options.demo = true;
        } else if (argument == "--help" || argument == "-h") {
            options.help = true;
        } else if (argument == "--no-archive") {
            options.noArchive = true;
        } else if (argument == "--version") {
            options.version = true;
        } else if (argument == kModelOption || argument.starts_with("--demo-model=")) {
            std::string model;
            if (argument == kModelOption) {
                if (i + 1 >= arguments.size()) {
                    options.error = "--demo-model needs a model (R480 to R483)";
                    break;
                }
                model = arguments[++i];
            } else {
                model = argument.substr(kModelOption.size() + 1);
            }
            if (!KnownModel(model)) {
                options.error = "unknown model \"" + model + "\" (R480 to R483)";
                break;
            }
            options.demo = true;
            options.demoModel = model;
        } else if (!FileOption(arguments, i, "--report", options.report, options.error) &&
                   !FileOption(arguments, i, "--profile", options.profile, options.error) &&
                   !FileOption(arguments, i, "--pdf", options.pdf, options.error) &&
                   !FileOption(arguments, i, "--archive", options.archive, options.error)) {
            options.error = "unknown argument \"" + argument + "\"";
        }
    }
    if (options.error.empty() && options.noArchive && !options.archive.empty())
        options.error = "--archive names the archive that --no-archive turns off: one of them";
    CheckReport(options);
    return options;
}

std::string LaunchUsage() {
    return "Usage: lgcset [--demo] [--demo-model R480|R481|R482|R483]\n"
           "              [--archive FILE|URL | --no-archive]\n"
           "       lgcset --report FILE.csv [--profile PROFILE.ini] --pdf OUT.pdf\n"
           "\n"
           "Configures R48x GSM/GPRS data loggers over a serial port: settings, profiles,\n"
           "current readings, history download and export, clock, relay test and debug\n"
           "monitor, in one window.\n"
           "\n"
           "Options:\n"
           "  --demo              start with a simulated logger inside the program, first\n"
           "                      in the port list (password 8604); its transfers go to an\n"
           "                      archive of its own, removed at the end, unless --archive\n"
           "                      names one\n"
           "  --demo-model MODEL  the simulated logger's model (default R481); implies --demo\n"
           "  --archive FILE|URL  keep every history transfer in this archive file (its\n"
           "                      folder must exist) or PostgreSQL database\n"
           "                      (postgresql://user@host/db); by default the archive= line\n"
           "                      of ~/.config/lgcset/lgcset.ini, else archive.sqlite in\n"
           "                      $XDG_DATA_HOME/lgcset, else ~/.local/share/lgcset\n"
           "  --no-archive        keep no archive of the transfers\n"
           "  --report FILE.csv   write the PDF report of a CSV file the export wrote (its\n"
           "                      statistics, excursions, gaps and chart) to the file of\n"
           "                      --pdf, against the alarm limits of --profile, and exit\n"
           "                      without showing a window; exit status 2 for a wrong file\n"
           "  --profile FILE      the profile whose alarm limits the report applies\n"
           "  --pdf FILE          the report's file, replaced whole when it exists\n"
           "  -h, --help          print this text and exit\n"
           "  --version           print the version and exit\n";
}

std::string LaunchVersion() {
    return std::string("lgcset ") + kVersion + "\n";
}

}  // namespace lgcset::app
