// lgcset-cli history against the simulated logger: records a second with the line unpaced,
// and, paced at a baud rate, the time taken against the pure line time of the bytes that
// crossed it (10 bits a byte, requests and replies one after the other).
//
//   cli_history_bench [RECORDS [BAUD]]     (defaults: 65535 records, unpaced)
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>

#include "cli/cli_commands.h"
#include "loggersim/simulator.h"

namespace {

// Bytes of one trace line: the two-digit hex tokens after the timestamp and the direction,
// up to the note.
std::size_t TraceBytes(const std::string& line) {
    std::size_t bytes = 0;
    std::istringstream tokens(line.substr(0, line.find("  (")));
    std::string token;
    int index = 0;
    while (tokens >> token) {
        if (index++ < 2)
            continue;
        bytes += token.size() == 2 ? 1 : 0;
    }
    return bytes;
}

}  // namespace

int main(int argc, char* argv[]) {
    const unsigned records = argc > 1 ? static_cast<unsigned>(std::atoi(argv[1])) : 65535;
    const unsigned baud = argc > 2 ? static_cast<unsigned>(std::atoi(argv[2])) : 0;

    std::size_t lineBytes = 0;
    lgcset::sim::Options options;
    options.historyEnd = lgcset::sim::CivilTime{2024, 3, 10, 12, 0, 0};
    options.logIntervalMinutes = 1;
    options.historyRecords = records;
    options.faults.baud = baud;
    if (baud > 0) {
        options.trace = true;
        options.traceSink = [&lineBytes](const std::string& line) { lineBytes += TraceBytes(line); };
    }
    lgcset::sim::Simulator logger(options);
    std::string error;
    if (!logger.StartOnPseudoTerminal(&error)) {
        std::fprintf(stderr, "simulator: %s\n", error.c_str());
        return 1;
    }
    const auto folder = std::filesystem::temp_directory_path() / "lgcset-cli-history-bench";
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);

    std::ostringstream out;
    std::ostringstream err;
    const auto start = std::chrono::steady_clock::now();
    const int status = lgcset::cli::RunCli({"--port", logger.slavePath(), "history", "--from",
                                            "24-01-01", "--to", "24-03-31", "--out",
                                            folder.string()},
                                           out, err);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::filesystem::remove_all(folder);
    if (status != 0) {
        std::fprintf(stderr, "lgcset-cli history failed (%d): %s", status, err.str().c_str());
        return 1;
    }
    std::printf("%u records in %.2f s: %.0f records/s (transfer and export)\n", records, seconds,
                records / seconds);
    if (baud > 0) {
        const double lineSeconds = static_cast<double>(lineBytes) * 10.0 / baud;
        std::printf("paced at %u baud: %zu bytes on the line, pure line time %.2f s, ratio %.4f\n",
                    baud, lineBytes, lineSeconds, seconds / lineSeconds);
    }
    return 0;
}
