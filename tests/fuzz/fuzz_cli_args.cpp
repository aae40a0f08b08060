// lgcset-cli's command line: the input split at NUL bytes into arguments. Whatever it
// takes is either refused with a reason or within the ranges the commands rely on.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "cli/cli_command_table.h"
#include "cli/cli_options.h"
#include "fuzz_input.h"

using namespace lgcset;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::vector<std::string> arguments(1);
    for (std::size_t i = 0; i < size; ++i) {
        if (data[i] == 0)
            arguments.emplace_back();
        else
            arguments.back() += static_cast<char>(data[i]);
    }
    const cli::CliOptions options = cli::ParseCommandLine(arguments);
    if (!options.Understood())
        return 0;
    FUZZ_CHECK(options.relaySeconds <= cli::kMaxRelaySeconds);
    if (options.setClock && !options.setClockNow) {
        const data::DeviceTime& t = options.clockValue;
        FUZZ_CHECK(t.date.year >= cli::kFirstClockYear && t.date.year <= cli::kLastClockYear);
        FUZZ_CHECK(t.date.month >= 1 && t.date.month <= 12 && t.date.day >= 1 &&
                   t.date.day <= 31);
        FUZZ_CHECK(t.time.hour >= 0 && t.time.hour < 24 && t.time.minute >= 0 &&
                   t.time.minute < 60 && t.time.second >= 0 && t.time.second < 60);
    }
    if (options.from && options.to)
        FUZZ_CHECK(options.from->month >= 1 && options.from->month <= 12);
    if (!options.command.empty() && !options.help)
        cli::CommandHelp(options.command);
    return 0;
}
