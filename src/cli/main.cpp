// lgcset-cli: the configurator without a window.
#include <unistd.h>

#include <iostream>
#include <string>
#include <vector>

#include "cli/cli_commands.h"

int main(int argc, char* argv[]) {
    std::vector<std::string> arguments(argv + 1, argv + argc);
    lgcset::cli::CliEnvironment environment;
    environment.errorIsTerminal = ::isatty(STDERR_FILENO) == 1;
    return lgcset::cli::RunCli(arguments, std::cout, std::cerr, environment);
}
