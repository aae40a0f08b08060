// Writes the seed inputs of the fuzz targets from what the program and the simulated
// logger make: requests built by the program, the logger's replies to them, profiles saved
// of the settings, exports of a transfer. Usage: fuzz_make_seeds CORPUS_FOLDER
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "data/history_frame.h"
#include "export/csv_writer.h"
#include "export/history_export.h"
#include "profiles/ini_file.h"
#include "profiles/profile.h"
#include "protocol/commands.h"
#include "protocol/frame_codec.h"
#include "settings/channel_layout.h"
#include "settings/parameter_image.h"
#include "settings/settings_model.h"
#include "sim/device.h"
#include "sim/request_frame.h"

namespace {

using namespace lgcset;
using Bytes = std::vector<std::uint8_t>;

std::filesystem::path root;

void Write(const std::string& target, const std::string& name, const Bytes& bytes) {
    const auto folder = root / target;
    std::filesystem::create_directories(folder);
    std::ofstream(folder / ("seed-" + name), std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
}

Bytes Text(const std::string& text) { return Bytes(text.begin(), text.end()); }

// A logger of the simulator answering the program's requests, with a fixed clock.
struct Logger {
    static constexpr std::int64_t kNow = 1772366400;  // 2026-03-01 12:00:00
    sim::Device device;
    std::vector<Bytes> requests;  // stuffed, as sent

    explicit Logger(sim::Options options) : device(Options(std::move(options)), kNow) {}
    static sim::Options Options(sim::Options o) {
        o.days = 2;
        return o;
    }

    // The stuffed reply frame, and its payload.
    std::optional<sim::Reply> Ask(const protocol::Frame& request, Bytes* raw = nullptr) {
        requests.push_back(protocol::EscapeFrame(request));
        const auto parsed = sim::ParseRequest(requests.back());
        if (!parsed)
            return std::nullopt;
        auto reply = device.Handle(*parsed, kNow);
        if (reply && raw != nullptr) {
            const Bytes frame = protocol::BuildFrame(reply->command, reply->payload);
            protocol::EscapeFrame(frame, *raw);
        }
        return reply;
    }
    std::optional<sim::Reply> AskType(std::uint8_t type, protocol::RequestParams& params,
                                      Bytes* raw = nullptr) {
        const auto request = protocol::BuildRequest(type, params);
        return request ? Ask(*request, raw) : std::nullopt;
    }
};

// The receive target's input: the operation to start, then the line's bytes in chunks.
Bytes ReceiveInput(std::uint8_t start, const Bytes& line, std::optional<std::uint8_t> arg = {}) {
    Bytes input{start};
    if (arg)
        input.push_back(*arg);
    for (std::size_t at = 0; at < line.size(); at += 64) {
        const std::size_t n = std::min<std::size_t>(64, line.size() - at);
        input.push_back(static_cast<std::uint8_t>(n - 1));
        input.insert(input.end(), line.begin() + static_cast<std::ptrdiff_t>(at),
                     line.begin() + static_cast<std::ptrdiff_t>(at + n));
    }
    return input;
}

Bytes Prefixed(std::initializer_list<std::uint8_t> head, const Bytes& payload) {
    Bytes input(head);
    input.insert(input.end(), payload.begin(), payload.end());
    return input;
}

void Frames(const std::string& model, std::uint8_t layout) {
    sim::Options options;
    options.model = model;
    Logger logger(options);
    protocol::RequestParams params;

    Bytes line;
    const auto login = logger.Ask(protocol::BuildLogin("8604"), &line);
    Write("receive", "login-" + model, ReceiveInput(0, line));
    Write("replies", "login-" + model, Prefixed({2}, login->payload));

    line.clear();
    std::uint8_t selector = 3;
    for (const std::uint32_t page : settings::kSettingsPages) {
        const auto reply = logger.Ask(protocol::BuildReadPage(page), &line);
        Write("replies", "page-" + std::to_string(page) + "-" + model,
              Prefixed({selector++, layout}, reply->payload));
    }
    Write("receive", "read-" + model, ReceiveInput(1, line));

    // A save of the factory pages read back: erase and write each, then the closing request.
    line.clear();
    for (const std::uint32_t page : settings::kSettingsPages) {
        logger.Ask(protocol::BuildErasePage(page), &line);
        logger.Ask(protocol::BuildWritePage(page, logger.device.memory()), &line);
    }
    logger.AskType(protocol::kFinishWriteRequest, params, &line);
    Write("receive", "save-" + model, ReceiveInput(2, line));

    // A history transfer of March 2026.
    line.clear();
    params.historyFrom = {2026, 3, 1};
    params.historyTo = {2026, 3, 28};
    const auto count = logger.AskType(protocol::kHistoryCountRequest, params, &line);
    const std::uint16_t total = static_cast<std::uint16_t>(count->payload[0] | count->payload[1] << 8);
    static data::HistoryStore store;
    std::uint16_t stored = 0;
    for (std::uint16_t k = 1; k <= total; ++k) {
        params.historyRecordIndex = k;
        const auto record = logger.AskType(protocol::kHistoryRecordRequest, params, &line);
        data::ParseHistoryFrame(record->payload, store, stored);
        if (k == 1)
            Write("replies", "record-" + model, Prefixed({1, 0}, record->payload));
    }
    params.historyRecordIndex = 0;
    logger.AskType(protocol::kHistoryRecordRequest, params, &line);
    Write("receive", "history-" + model, ReceiveInput(4, line, 2));
    Write("replies", "count-" + model, Prefixed({1, 0}, count->payload));

    // The export's CSV of that transfer, with either decimal separator.
    for (const std::string separator : {".", ","}) {
        std::string csv;
        exports::AppendCsvLine(csv, data::kHistoryColumns);
        exports::ExportRow row;
        for (std::uint16_t r = 0; r < stored; ++r) {
            exports::RecordCells(store[r], row);
            exports::AppendCsvRow(csv, row, separator);
        }
        Write("history_csv", "export-" + model + (separator == "." ? "-point" : "-comma"),
              Prefixed({static_cast<std::uint8_t>(separator == ",")}, Text(csv)));
    }

    // The tools' replies.
    line.clear();
    const auto current = logger.AskType(protocol::kCurrentDataRequest, params, &line);
    const auto clock = logger.AskType(protocol::kReadTimeRequest, params, &line);
    logger.AskType(protocol::kDebugOnRequest, params, &line);
    const sim::Reply debug = logger.device.NextDebugFrame(Logger::kNow);
    protocol::EscapeFrame(protocol::BuildFrame(debug.command, debug.payload), line);
    Write("receive", "tools-" + model, ReceiveInput(5, line));
    Write("replies", "current-" + model,
          Prefixed({0, static_cast<std::uint8_t>(current->payload.size())}, current->payload));
    Write("replies", "clock-" + model, Prefixed({7}, clock->payload));
    Write("replies", "debug-" + model,
          Prefixed({8, static_cast<std::uint8_t>(debug.payload.size()), 0}, debug.payload));

    for (std::size_t i = 0; i < logger.requests.size(); ++i)
        Write("sim_request", model + "-" + std::to_string(i), logger.requests[i]);
}

void Profiles() {
    settings::SettingsModel model;
    profiles::IniFile file;
    profiles::SaveProfile(model, file);
    Write("profile", "defaults", Text(file.ToBytes()));

    // The factory settings of a logger, decoded as a read leaves them.
    sim::Options options;
    Logger logger(options);
    settings::ParameterImage image;
    settings::CodeTables codes;
    const auto login = logger.Ask(protocol::BuildLogin("8604"));
    image.Store(settings::kLoginReplyAddress, login->payload);
    settings::ApplyDeviceIdentity(model, image, codes);
    for (const std::uint32_t page : settings::kSettingsPages) {
        image.Store(page, std::span<const std::uint8_t>(logger.device.memory().data() + page, settings::kPageBytes));
        settings::DecodePage(page, model, image, codes);
    }
    profiles::IniFile factory;
    profiles::SaveProfile(model, factory);
    Write("profile", "factory", Text(factory.ToBytes()));
    // A text with a character Windows-1252 lacks: the file goes out as UTF-8.
    model.SetText("edt_apn", "\xCE\xA9net");
    profiles::IniFile utf8;
    profiles::SaveProfile(model, utf8);
    Write("profile", "utf8", Text(utf8.ToBytes()));
}

void CommandLines() {
    const std::vector<std::vector<std::string>> lines = {
        {"--port", "/dev/ttyUSB0", "read", "logger.ini"},
        {"--demo", "write", "--no-verify", "logger.ini"},
        {"--port", "COM3", "--password", "1234", "diff", "--json", "logger.ini"},
        {"--demo", "history", "--from", "2026-03-01", "--to", "26-03-28", "--out", "x",
         "--keep-partial"},
        {"--demo", "clock", "--set", "2026-03-01 12:00:00"},
        {"--demo", "clock", "--set", "now"},
        {"--demo", "relay", "--nc", "30"},
        {"--demo", "relay", "--pulse", "5", "5", "3"},
        {"archive", "export", "--archive", "a.db", "0000000001", "R481", "out"},
        {"archive", "import", "--model", "R481", "0000000001", "file.csv"},
        {"report", "--model", "R483", "file.csv"},
        {"--help"},
        {"--version"},
    };
    int n = 0;
    for (const auto& arguments : lines) {
        Bytes input;
        for (std::size_t i = 0; i < arguments.size(); ++i) {
            if (i > 0)
                input.push_back(0);
            input.insert(input.end(), arguments[i].begin(), arguments[i].end());
        }
        Write("cli_args", std::to_string(n++), input);
    }
}

// The export's CSV as spreadsheets save it again: other separators, dates and quoting.
void SpreadsheetCsvs() {
    const std::pair<const char*, const char*> files[] = {
        {"spreadsheet-semicolon", "\xEF\xBB\xBF\"time\";\"Sensor1\";\"Sensor2\";\"Sensor3\";\"Sensor4\";\"Longitude\";\"Latitude\";\"Velocity\";\"Direction\";\n05.03.2024 14:07;23,46;-4,5;;;113,954321;22,54;45,6;90;\n\"06.03.2024 09:00:00\";;;;;;;;;\n;;;;;;;;;\n"},
        {"spreadsheet-month-first", "time,Sensor1,Sensor2,Sensor3,Sensor4,Longitude,Latitude,Velocity,Direction\r\n3/5/2024 2:07:09 PM,23.46,,,,,,,\r\n3/13/2024 12:00 AM,1,,,,,,,\r\n24-00-05 14:07:09,2,,,,,,,\r\n"},
        {"spreadsheet-day-month-open", "time\tSensor1\tSensor2\tSensor3\tSensor4\tLongitude\tLatitude\tVelocity\tDirection\r\n05/03/2024 14:07\t1.5\t\t\t\t\t\t\t\r\n01/04/2024 09:00\t2\t\t\t\t\t\t\t\r\n2024-04-02 10:00:00\t\t\t\t\t\t\t\t\r\n"},
    };
    for (const auto& [name, text] : files)
        Write("history_csv", name, Prefixed({0}, Text(text)));
}

}  // namespace

int main(int argc, char* argv[]) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: fuzz_make_seeds CORPUS_FOLDER\n");
        return 2;
    }
    root = argv[1];
    Frames("R480", 0);
    Frames("R481", 1);
    Frames("R483", 3);
    Profiles();
    CommandLines();
    SpreadsheetCsvs();
    return 0;
}
