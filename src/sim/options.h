// Everything that shapes one simulated logger: its identity, its synthetic log, the debug
// traffic it volunteers, the faults it injects on purpose and where its trace goes.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "sim/civil_time.h"

namespace lgcset::sim {

// Faults a real line brings, injected into the simulator's replies. Every random choice
// comes from one generator seeded with `seed`, consumed only while replies are built, so a
// run with the same seed and the same requests misbehaves the same way.
struct FaultOptions {
    std::uint64_t seed = 1;
    double dropProbability = 0.0;           // the reply is not sent at all
    double corruptProbability = 0.0;        // one byte of the reply is changed (the check fails)
    int delayMs = 0;                        // every reply starts this much later
    int delayRandomMaxMs = 0;               // plus a random 0..N ms
    double noiseProbability = 0.0;          // 1..16 random bytes (never 0xA5) before a reply
    double loneDelimiterProbability = 0.0;  // a single 0xA5 before a reply
    double duplicateProbability = 0.0;      // the reply is sent twice
    std::uint32_t hangUpAfterFrames = 0;    // close the line after this many frames; 0: never
    std::uint32_t baud = 0;                 // pace both directions at 10 bits a byte; 0: no pacing
};

// One frame of scripted debug traffic: a direction letter ('R', 'T' or any other) and the
// bytes 0x00, 0x01, 0x02, ... up to `length` of them.
struct ScriptedDebugFrame {
    std::uint8_t direction = 'R';
    std::uint8_t length = 0;
};

struct Options {
    std::string password = "8604";  // at most four characters
    std::string model = "R481";     // its first four characters choose the sensor channels
    std::string firmware = "V3.05-R48x";
    // The device ID of the system page, up to 15 digits, '0'-filled on the left; empty:
    // none set (fifteen '0'). A factory reset keeps it.
    std::string deviceId;

    // Synthetic history: a record every `logIntervalMinutes` over `days` days, the last one
    // at or before `historyEnd` (the device clock when the simulator starts, if not given).
    int logIntervalMinutes = 30;
    int days = 7;
    std::optional<CivilTime> historyEnd;
    std::optional<std::uint32_t> historyRecords;  // exactly this many records, not `days`
    // Records carried by one HistoryRecord reply (as many as fit); the count is one of replies.
    int recordsPerReply = 1;
    // Records (numbered from 1 in the whole log; 0 for none) carrying an item with a tag,
    // or with sub-codes, that no history record has.
    std::uint32_t unknownTagRecord = 0;
    std::uint32_t unknownSubCodeRecord = 0;

    int debugIntervalMs = 1000;  // period of the unasked debug traffic frames
    // While debug mode is on, these frames in turn instead of the modem session.
    std::vector<ScriptedDebugFrame> debugFrames;

    // Chosen replies of the tools, so that every branch of the configurator can be reached:
    // the whole payload of every current-data reply instead of the live readings, the six
    // bytes of every clock reply instead of the device clock, and result 0 (nothing done)
    // for every set-time, relay or debug mode request.
    std::optional<std::vector<std::uint8_t>> currentDataReply;
    std::optional<std::array<std::uint8_t, 6>> clockReply;
    bool refuseSetTime = false;
    bool refuseRelay = false;
    bool refuseDebugMode = false;
    // The erase of this settings page is refused (result 0, the page left as it is) the
    // first `refusedErases` times it is asked for; 0: no page.
    std::uint32_t refuseEraseOf = 0;
    std::uint32_t refusedErases = 1;

    FaultOptions faults;

    // Trace of every frame received and sent, hex with a timestamp: to `traceSink` when set,
    // else to `traceFile`, else to standard error.
    bool trace = false;
    std::string traceFile;
    std::function<void(const std::string& line)> traceSink;
};

}  // namespace lgcset::sim
