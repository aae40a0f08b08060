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
        } else {
            options.error = "unknown argument \"" + argument + "\"";
        }
    }
    return options;
}

std::string LaunchUsage() {
    return "Usage: lgcset [--demo] [--demo-model R480|R481|R482|R483]\n"
           "\n"
           "Configures R48x GSM/GPRS data loggers over a serial port: settings, profiles,\n"
           "current readings, history download and export, clock, relay test and debug\n"
           "monitor, in one window.\n"
           "\n"
           "Options:\n"
           "  --demo              start with a simulated logger inside the program, first\n"
           "                      in the port list (password 8604)\n"
           "  --demo-model MODEL  the simulated logger's model (default R481); implies --demo\n"
           "  -h, --help          print this text and exit\n"
           "  --version           print the version and exit\n";
}

std::string LaunchVersion() {
    return std::string("lgcset ") + kVersion + "\n";
}

}  // namespace lgcset::app
