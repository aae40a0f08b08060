// The loggersim program's options, parsed into the simulator's Options.
#pragma once

#include <string>
#include <vector>

#include "sim/options.h"

namespace lgcset::sim {

struct CommandLine {
    Options options;
    std::string linkPath;      // --link: a symlink to the slave side
    bool ignoreStdin = false;  // --no-stdin
    bool help = false;
    bool version = false;
    std::string error;  // empty when the arguments were understood
};

// `args` without the program name. Accepts "--name=value" and "--name value".
CommandLine ParseCommandLine(const std::vector<std::string>& args);

// The --help text.
std::string Usage();

}  // namespace lgcset::sim
