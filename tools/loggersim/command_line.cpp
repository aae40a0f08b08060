#include "loggersim/command_line.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <functional>
#include <map>

#include "protocol/frame_codec.h"
#include "sim/data_items.h"

namespace lgcset::sim {

namespace {
template <typename T>
bool ParseNumber(const std::string& text, T& out, T min, T max) {
    T value{};
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (ec != std::errc{} || ptr != end || value < min || value > max) {
        return false;
    }
    out = value;
    return true;
}

bool ParseProbability(const std::string& text, double& out) {
    // from_chars for double is there in GCC 12, and it ignores the locale.
    return ParseNumber(text, out, 0.0, 1.0);
}

bool ParseCivilTime(const std::string& text, CivilTime& out) {
    CivilTime t;
    int consumed = 0;
    const int fields = std::sscanf(text.c_str(), "%4d-%2d-%2d %2d:%2d:%2d%n", &t.year, &t.month,
                                   &t.day, &t.hour, &t.minute, &t.second, &consumed);
    if (fields < 6) {
        t.second = 0;
        consumed = 0;
        if (std::sscanf(text.c_str(), "%4d-%2d-%2d %2d:%2d%n", &t.year, &t.month, &t.day, &t.hour,
                        &t.minute, &consumed) < 5) {
            return false;
        }
    }
    if (static_cast<std::size_t>(consumed) != text.size() || !IsValid(t) || t.year < 2000 ||
        t.year > 2099) {
        return false;
    }
    out = t;
    return true;
}

bool PrintableAscii(const std::string& text) {
    for (char c : text) {
        if (c < 0x20 || c > 0x7E) {
            return false;
        }
    }
    return true;
}

// "NAME=VALUE,..." items of a current-data reply, in the order given: sensor1..sensor4,
// signal, relay and power take a decimal (single precision), longitude, latitude, velocity
// and direction a whole number or "absent", and raw=HEX appends bytes as they are (an item
// of an unknown tag, a cut item). An empty text is an empty reply.
bool ParseCurrentItems(const std::string& text, std::vector<std::uint8_t>& out) {
    static const std::map<std::string, std::pair<std::uint8_t, std::uint8_t>> kFloats = {
        {"sensor1", {kSensorTag, 0x00}},      {"sensor2", {kSensorTag, 0x01}},
        {"sensor3", {kSensorTag, 0x02}},      {"sensor4", {kSensorTag, 0x03}},
        {"signal", {kSignalTag, kSignalTag}}, {"relay", {kRelayTag, kRelayTag}},
        {"power", {kPowerTag, kPowerTag}}};
    static const std::map<std::string, std::uint8_t> kPositions = {{"longitude", kLongitude},
                                                                   {"latitude", kLatitude},
                                                                   {"velocity", kVelocity},
                                                                   {"direction", kDirection}};
    std::vector<std::uint8_t> payload;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find(',', start);
        if (end == std::string::npos) {
            end = text.size();
        }
        const std::string item = text.substr(start, end - start);
        start = end + 1;
        const std::size_t eq = item.find('=');
        if (eq == std::string::npos) {
            return false;
        }
        const std::string name = item.substr(0, eq);
        const std::string value = item.substr(eq + 1);
        if (const auto f = kFloats.find(name); f != kFloats.end()) {
            double number = 0;
            if (!ParseNumber(value, number, -1e30, 1e30)) {
                return false;
            }
            AppendItem(payload, f->second.first, f->second.second, static_cast<float>(number));
        } else if (const auto p = kPositions.find(name); p != kPositions.end()) {
            std::uint32_t number = 0xFFFFFFFFu;
            if (value != "absent" && !ParseNumber<std::uint32_t>(value, number, 0, UINT32_MAX)) {
                return false;
            }
            AppendItem(payload, kPositionTag, p->second, number);
        } else if (name == "raw") {
            if (value.empty() || value.size() % 2 != 0) {
                return false;
            }
            for (std::size_t i = 0; i < value.size(); i += 2) {
                std::uint8_t byte = 0;
                const auto [ptr, ec] =
                    std::from_chars(value.data() + i, value.data() + i + 2, byte, 16);
                if (ec != std::errc{} || ptr != value.data() + i + 2) {
                    return false;
                }
                payload.push_back(byte);
            }
        } else {
            return false;
        }
    }
    if (payload.size() > protocol::kPayloadArea) {
        return false;
    }
    out = std::move(payload);
    return true;
}

// "Y,M,D,h,m,s": six bytes 0..255.
bool ParseClockBytes(const std::string& text, std::array<std::uint8_t, 6>& out) {
    std::array<std::uint8_t, 6> bytes{};
    std::size_t start = 0;
    for (std::size_t k = 0; k < bytes.size(); ++k) {
        const std::size_t end = k + 1 < bytes.size() ? text.find(',', start) : text.size();
        if (end == std::string::npos ||
            !ParseNumber<std::uint8_t>(text.substr(start, end - start), bytes[k], 0, 255)) {
            return false;
        }
        start = end + 1;
    }
    out = bytes;
    return true;
}

// "set-time,relay,debug-mode" in any selection.
bool ParseRefusals(const std::string& text, Options& options) {
    std::size_t start = 0;
    do {
        std::size_t end = text.find(',', start);
        if (end == std::string::npos) {
            end = text.size();
        }
        const std::string name = text.substr(start, end - start);
        if (name == "set-time") {
            options.refuseSetTime = true;
        } else if (name == "relay") {
            options.refuseRelay = true;
        } else if (name == "debug-mode") {
            options.refuseDebugMode = true;
        } else {
            return false;
        }
        start = end + 1;
    } while (start <= text.size());
    return true;
}

// "R:45,T:20,R:0": a direction letter and a byte count 0..255 per frame.
bool ParseDebugFrames(const std::string& text, std::vector<ScriptedDebugFrame>& out) {
    std::vector<ScriptedDebugFrame> frames;
    std::size_t start = 0;
    do {
        std::size_t end = text.find(',', start);
        if (end == std::string::npos) {
            end = text.size();
        }
        const std::string item = text.substr(start, end - start);
        ScriptedDebugFrame frame;
        if (item.size() < 3 || item[1] != ':' || item[0] < 0x21 || item[0] > 0x7E ||
            !ParseNumber<std::uint8_t>(item.substr(2), frame.length, 0, 255)) {
            return false;
        }
        frame.direction = static_cast<std::uint8_t>(item[0]);
        frames.push_back(frame);
        start = end + 1;
    } while (start <= text.size());
    out = std::move(frames);
    return true;
}

struct OptionEntry {
    bool takesValue;
    std::function<bool(CommandLine&, const std::string&)> apply;
    const char* rule;  // said when the value is refused
};

const std::map<std::string, OptionEntry>& OptionTable() {
    static const std::map<std::string, OptionEntry> table = {
        {"password",
         {true,
          [](CommandLine& c, const std::string& v) {
              c.options.password = v;
              return v.size() <= 4 && PrintableAscii(v);
          },
          "at most four printable characters"}},
        {"device-id",
         {true,
          [](CommandLine& c, const std::string& v) {
              c.options.deviceId = v;
              return v.size() <= 15 && std::all_of(v.begin(), v.end(), [](char ch) {
                         return ch >= '0' && ch <= '9';
                     });
          },
          "at most 15 digits"}},
        {"model",
         {true,
          [](CommandLine& c, const std::string& v) {
              c.options.model = v;
              return !v.empty() && v.size() <= 64 && PrintableAscii(v);
          },
          "1 to 64 printable characters, e.g. R480, R481, R482 or R483"}},
        {"firmware",
         {true,
          [](CommandLine& c, const std::string& v) {
              c.options.firmware = v;
              return v.size() <= 64 && PrintableAscii(v);
          },
          "at most 64 printable characters"}},
        {"log-interval",
         {true,
          [](CommandLine& c, const std::string& v) {
              return ParseNumber(v, c.options.logIntervalMinutes, 1, 1440);
          },
          "minutes, 1 to 1440"}},
        {"days",
         {true,
          [](CommandLine& c, const std::string& v) {
              return ParseNumber(v, c.options.days, 0, 3660);
          },
          "0 to 3660"}},
        {"history-end",
         {true,
          [](CommandLine& c, const std::string& v) {
              CivilTime t;
              if (!ParseCivilTime(v, t)) {
                  return false;
              }
              c.options.historyEnd = t;
              return true;
          },
          "\"YYYY-MM-DD HH:MM[:SS]\", a real date of 2000..2099"}},
        {"records",
         {true,
          [](CommandLine& c, const std::string& v) {
              std::uint32_t n = 0;
              if (!ParseNumber<std::uint32_t>(v, n, 0, 1'000'000)) {
                  return false;
              }
              c.options.historyRecords = n;
              return true;
          },
          "0 to 1000000"}},
        {"unknown-tag-record",
         {true,
          [](CommandLine& c, const std::string& v) {
              return ParseNumber<std::uint32_t>(v, c.options.unknownTagRecord, 0, 1'000'000);
          },
          "a record number from 1, or 0"}},
        {"unknown-subcode-record",
         {true,
          [](CommandLine& c, const std::string& v) {
              return ParseNumber<std::uint32_t>(v, c.options.unknownSubCodeRecord, 0, 1'000'000);
          },
          "a record number from 1, or 0"}},
        {"records-per-reply",
         {true,
          [](CommandLine& c, const std::string& v) {
              return ParseNumber(v, c.options.recordsPerReply, 1, 64);
          },
          "1 to 64"}},
        {"debug-interval",
         {true,
          [](CommandLine& c, const std::string& v) {
              return ParseNumber(v, c.options.debugIntervalMs, 1, 3'600'000);
          },
          "milliseconds, 1 to 3600000"}},
        {"debug-frames",
         {true,
          [](CommandLine& c, const std::string& v) {
              return ParseDebugFrames(v, c.options.debugFrames);
          },
          "LETTER:COUNT,... with a printable letter and a count of 0 to 255, e.g. R:45,T:20,R:0"}},
        {"current-data",
         {true,
          [](CommandLine& c, const std::string& v) {
              std::vector<std::uint8_t> payload;
              if (!ParseCurrentItems(v, payload)) {
                  return false;
              }
              c.options.currentDataReply = std::move(payload);
              return true;
          },
          "NAME=VALUE,... of sensor1..sensor4, signal, relay, power (decimal), longitude, "
          "latitude, velocity, direction (whole number or absent) and raw (hex bytes), at most "
          "256 bytes in all"}},
        {"clock-reply",
         {true,
          [](CommandLine& c, const std::string& v) {
              std::array<std::uint8_t, 6> bytes{};
              if (!ParseClockBytes(v, bytes)) {
                  return false;
              }
              c.options.clockReply = bytes;
              return true;
          },
          "six numbers 0 to 255: year,month,day,hour,minute,second"}},
        {"refuse",
         {true, [](CommandLine& c, const std::string& v) { return ParseRefusals(v, c.options); },
          "a list of set-time, relay, debug-mode"}},
        {"seed",
         {true,
          [](CommandLine& c, const std::string& v) {
              return ParseNumber<std::uint64_t>(v, c.options.faults.seed, 0, UINT64_MAX);
          },
          "an unsigned 64-bit number"}},
        {"drop",
         {true,
          [](CommandLine& c, const std::string& v) {
              return ParseProbability(v, c.options.faults.dropProbability);
          },
          "a probability, 0 to 1"}},
        {"corrupt",
         {true,
          [](CommandLine& c, const std::string& v) {
              return ParseProbability(v, c.options.faults.corruptProbability);
          },
          "a probability, 0 to 1"}},
        {"delay",
         {true,
          [](CommandLine& c, const std::string& v) {
              return ParseNumber(v, c.options.faults.delayMs, 0, 600'000);
          },
          "milliseconds, 0 to 600000"}},
        {"delay-random",
         {true,
          [](CommandLine& c, const std::string& v) {
              return ParseNumber(v, c.options.faults.delayRandomMaxMs, 0, 600'000);
          },
          "milliseconds, 0 to 600000"}},
        {"noise",
         {true,
          [](CommandLine& c, const std::string& v) {
              return ParseProbability(v, c.options.faults.noiseProbability);
          },
          "a probability, 0 to 1"}},
        {"lone-delimiter",
         {true,
          [](CommandLine& c, const std::string& v) {
              return ParseProbability(v, c.options.faults.loneDelimiterProbability);
          },
          "a probability, 0 to 1"}},
        {"duplicate",
         {true,
          [](CommandLine& c, const std::string& v) {
              return ParseProbability(v, c.options.faults.duplicateProbability);
          },
          "a probability, 0 to 1"}},
        {"hang-up-after",
         {true,
          [](CommandLine& c, const std::string& v) {
              return ParseNumber<std::uint32_t>(v, c.options.faults.hangUpAfterFrames, 0,
                                                UINT32_MAX);
          },
          "a number of frames (0: never)"}},
        {"baud",
         {true,
          [](CommandLine& c, const std::string& v) {
              return ParseNumber<std::uint32_t>(v, c.options.faults.baud, 0, 4'000'000) &&
                     (c.options.faults.baud == 0 || c.options.faults.baud >= 50);
          },
          "0 (no pacing) or 50 to 4000000"}},
        {"link",
         {true,
          [](CommandLine& c, const std::string& v) {
              c.linkPath = v;
              return !v.empty();
          },
          "a path"}},
        {"no-stdin",
         {false,
          [](CommandLine& c, const std::string&) {
              c.ignoreStdin = true;
              return true;
          },
          ""}},
        {"help",
         {false,
          [](CommandLine& c, const std::string&) {
              c.help = true;
              return true;
          },
          ""}},
        {"version",
         {false,
          [](CommandLine& c, const std::string&) {
              c.version = true;
              return true;
          },
          ""}},
    };
    return table;
}
}  // namespace

CommandLine ParseCommandLine(const std::vector<std::string>& args) {
    CommandLine c;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "-h") {
            c.help = true;
            continue;
        }
        if (arg.rfind("--", 0) != 0) {
            c.error = "unexpected argument '" + arg + "'";
            return c;
        }
        const std::size_t eq = arg.find('=');
        const std::string name =
            arg.substr(2, eq == std::string::npos ? std::string::npos : eq - 2);
        const bool inlineValue = eq != std::string::npos;
        std::string value = inlineValue ? arg.substr(eq + 1) : std::string();

        if (name == "trace") {  // optional value: only "--trace=FILE"
            c.options.trace = true;
            c.options.traceFile = value;
            if (inlineValue && value.empty()) {
                c.error = "--trace= needs a file name";
                return c;
            }
            continue;
        }
        const auto option = OptionTable().find(name);
        if (option == OptionTable().end()) {
            c.error = "unknown option '--" + name + "'";
            return c;
        }
        if (option->second.takesValue && !inlineValue) {
            if (i + 1 >= args.size()) {
                c.error = "--" + name + " needs a value: " + option->second.rule;
                return c;
            }
            value = args[++i];
        } else if (!option->second.takesValue && inlineValue) {
            c.error = "--" + name + " takes no value";
            return c;
        }
        if (!option->second.apply(c, value)) {
            c.error = "bad value '" + value + "' for --" + name + ": " + option->second.rule;
            return c;
        }
    }
    return c;
}

std::string Usage() {
    return R"(Usage: loggersim [OPTIONS]

A simulated R48x data logger on a pseudo-terminal. It prints the path of the
terminal's slave side (the "serial port" to open at 115200 8N1) as the first
line of its output, then answers the configurator's requests until it is killed
(SIGINT, SIGTERM, SIGHUP) or its standard input ends.

Standard input: when it is a terminal, a pipe or a socket, loggersim stops at
end of file (Ctrl-D, or the writing process closing it). When it is /dev/null,
a regular file or closed, it is not watched, so `loggersim </dev/null &` keeps
serving until killed. A terminal is read only while loggersim is in the
foreground.

Device:
  --password=TEXT        login password, at most 4 characters (default 8604);
                         also the device password of the factory settings
  --model=TEXT           model string of the login reply (default R481); its
                         first four characters choose the channels: R480 two
                         temperature, R481 four temperature, R482 two analog,
                         R483 four analog (anything else: two temperature)
  --firmware=TEXT        firmware string of the login reply (default V3.05-R48x)
  --device-id=DIGITS     device ID of the system page, up to 15 digits filled
                         with '0' on the left (default: none, fifteen '0')

History (a synthetic log, fixed when the simulator starts):
  --log-interval=MIN     minutes between records, 1..1440 (default 30)
  --days=N               days of records up to the end (default 7)
  --history-end="YYYY-MM-DD HH:MM[:SS]"
                         time of the last record (default: the clock at start)
  --records-per-reply=N  records carried by one history reply, as many of them
                         as fit in 256 bytes (default 1); the count is then one
                         of replies, each carrying the records after the last
  --records=N            exactly N records (0..1000000) up to the end, instead
                         of --days: a count of 1, 256 or 65535 for a range
                         that holds the whole log
  --unknown-tag-record=K
                         record K of the log (from 1) carries, first, an item
                         with a tag no history record has (0x33)
  --unknown-subcode-record=K
                         record K of the log carries, first, a sensor item and
                         a position item with sub-codes no record has

Debug traffic:
  --debug-interval=MS    period of the unasked debug frames while debug mode is
                         on (default 1000)
  --debug-frames=LIST    send these frames in turn instead of a modem session:
                         LETTER:COUNT,... (R from the server, T to it, any other
                         letter too), each with the bytes 00 01 02 ... of COUNT
                         0..255, e.g. R:45,T:20,R:0

Chosen replies of the tools (to try every branch of the configurator):
  --current-data=ITEMS   every current-data reply carries exactly these items,
                         in order: sensor1..sensor4, signal, relay, power with a
                         decimal, longitude, latitude, velocity, direction with a
                         whole number or "absent", raw with hex bytes as they are
                         (e.g. raw=770000000000, an item of an unknown tag);
                         e.g. sensor1=23.456,relay=0.999,latitude=absent;
                         an empty list is an empty reply
  --clock-reply=Y,M,D,h,m,s
                         every clock reply carries these six bytes (e.g.
                         24,0,5,14,7,9 for month 0, 24,13,5,14,7,9 for month 13)
  --refuse=LIST          answer result 0 to every request of these commands:
                         set-time, relay, debug-mode (e.g. --refuse=relay)

Faults (each reproducible under --seed; the probabilities are per reply):
  --seed=N               seed of the fault generators (default 1)
  --drop=P               do not send the reply
  --corrupt=P            change one byte of the reply so its check fails
  --delay=MS             start every reply MS later
  --delay-random=MS      and a further random 0..MS
  --noise=P              send 1..16 random bytes (never 0xA5) before the reply
  --lone-delimiter=P     send a single 0xA5 before the reply
  --duplicate=P          send the reply twice
  --hang-up-after=N      close the line after N frames sent (replies and debug
                         frames); loggersim then exits
  --baud=B               pace both directions at B baud, 10 bits a byte: a
                         reply starts only after the request's bytes would have
                         arrived and goes out at line speed (0: no pacing)

Output:
  --trace[=FILE]         log every frame received and sent, in hex, with a UTC
                         timestamp, to standard error or to FILE (appended)
  --link=PATH            also make PATH a symlink to the slave side (replacing
                         an earlier symlink there; removed again at exit)
  --no-stdin             do not watch standard input
  -h, --help             show this text
  --version              show the version

Unknown commands get no reply, nor does a page read of an address other than
1024, 2048, 3072 or 4096 (the configurator then times out).
)";
}

}  // namespace lgcset::sim
