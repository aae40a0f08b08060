// lgcset-cli: the configurator without a window. The serial port posts its events to the
// thread that made it, so the program runs a Qt event loop, with no display.
#include <unistd.h>

#include <QCoreApplication>
#include <iostream>
#include <string>
#include <vector>

#include "cli/cli_commands.h"

int main(int argc, char* argv[]) {
    QCoreApplication application(argc, argv);
    std::vector<std::string> arguments(argv + 1, argv + argc);
    lgcset::cli::CliEnvironment environment;
    environment.errorIsTerminal = ::isatty(STDERR_FILENO) == 1;
    return lgcset::cli::RunCli(arguments, std::cout, std::cerr, environment);
}
