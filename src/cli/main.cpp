// lgcset-cli: the configurator without a window. Everything runs on the calling thread's
// session loop; no toolkit is needed.
#include <unistd.h>

#include <iostream>
#include <string>
#include <vector>

#ifdef LGCSET_ARCHIVE
#include "archive/archive_config.h"
#endif
#include "cli/cli_commands.h"

int main(int argc, char* argv[]) {
    std::vector<std::string> arguments(argv + 1, argv + argc);
    lgcset::cli::CliEnvironment environment;
    environment.errorIsTerminal = ::isatty(STDERR_FILENO) == 1;
    if (::isatty(STDIN_FILENO) == 1)
        environment.terminalInput = &std::cin;
#ifdef LGCSET_ARCHIVE
    if (const auto archive = lgcset::archive::ArchiveWhenNoneNamed())
        environment.defaultArchive = std::filesystem::path(*archive);
#endif
    return lgcset::cli::RunCli(arguments, std::cout, std::cerr, environment);
}
