#include "cli/cli_fleet.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <set>
#include <thread>

#include "data/device_id.h"
#include "data/text_trim.h"
#include "link/port_list.h"
#include "link/port_pattern.h"

namespace lgcset::cli {

namespace {

// The lines redrawn in place a few times a second.
constexpr auto kLinesRedrawEvery = std::chrono::milliseconds(200);

// One line per port, written over the previous ones.
class ProgressBoard {
  public:
    explicit ProgressBoard(std::ostream& err) : err_(err) {}
    void Draw(const std::vector<std::string>& lines) {
        if (drawn_ > 0)
            err_ << "\x1b[" << drawn_ << "A";
        for (const std::string& line : lines) err_ << '\r' << line << "\x1b[K\n";
        err_ << std::flush;
        drawn_ = lines.size();
    }

  private:
    std::ostream& err_;
    std::size_t drawn_ = 0;
};

}  // namespace

std::vector<std::string> CollectPorts(const CliOptions& options) {
    std::vector<std::string> ports;
    std::set<std::string> seen;
    auto add = [&](const std::string& port) {
        if (seen.insert(port).second)
            ports.push_back(port);
    };
    for (const std::string& port : options.ports) add(port);
    for (const std::string& pattern : options.portsGlobs) {
        std::vector<std::string> matches;
        const std::size_t slash = pattern.rfind('/');
        if (slash != std::string::npos) {
            const std::filesystem::path folder =
                slash == 0 ? std::filesystem::path("/")
                           : std::filesystem::path(pattern.substr(0, slash));
            const std::string name = pattern.substr(slash + 1);
            std::error_code error;
            for (std::filesystem::directory_iterator it(folder, error), end; !error && it != end;
                 it.increment(error))
                if (link::PortNameMatches(name, it->path().filename().string()))
                    matches.push_back((folder / it->path().filename()).string());
        } else {
            for (const std::string& port : link::ListSerialPorts())
                if (link::PortNameMatches(pattern, port) ||
                    link::PortNameMatches(pattern, std::filesystem::path(port).filename().string()))
                    matches.push_back(port);
        }
        std::sort(matches.begin(), matches.end(), link::NaturalLess);
        for (const std::string& port : matches) add(port);
    }
    return ports;
}

PasswordList CollectPasswords(const CliOptions& options) {
    PasswordList list;
    auto refuse = [&list](std::string why) {
        list.outcome = PasswordList::Outcome::Refused;
        list.error = std::move(why);
        return list;
    };
    auto add = [&](const std::string& password) {
        if (std::find(list.passwords.begin(), list.passwords.end(), password) ==
            list.passwords.end())
            list.passwords.push_back(password);
    };
    if (options.passwordsFile.empty() || options.passwordGiven)
        add(options.password);
    if (options.passwordsFile.empty())
        return list;
    std::ifstream in(options.passwordsFile, std::ios::binary);
    if (!in)
        return refuse("--passwords: cannot read " + options.passwordsFile);
    std::string line;
    std::size_t number = 0, found = 0;
    while (std::getline(in, line)) {
        ++number;
        line = data::TrimBlanks(line);
        if (line.empty() || line[0] == '#')
            continue;
        const std::size_t comma = line.find(',');
        const std::string where =
            "--passwords: line " + std::to_string(number) + " of " + options.passwordsFile;
        if (comma == std::string::npos)
            return refuse(where + " is not \"device ID,password\"");
        const std::string password = data::TrimBlanks(line.substr(comma + 1));
        const std::string id = data::TrimBlanks(line.substr(0, comma));
        if (number == 1 && id == "device_id")
            continue;  // a header
        // The IDs are not needed to log in, but one that names no logger is a mistaken file.
        if (const data::DeviceIdText normal = data::NormalDeviceId(id); !normal.ok())
            return refuse(where + ": " + normal.error);
        if (std::optional<std::string> refused = PasswordRefusal(where, password))
            return refuse(std::move(*refused));
        add(password);
        ++found;
    }
    if (found == 0 && list.passwords.empty())
        return refuse("--passwords: " + options.passwordsFile + " holds no password");
    if (!options.passwordGiven)
        add(kFactoryPassword);
    return list;
}

Outcome LogIn(HeadlessSession& session, settings::SettingsModel& settings,
              const std::vector<std::string>& passwords) {
    Outcome last = Outcome::Failed(kExitUsage, "no password to try");
    for (const std::string& password : passwords) {
        settings.SetText(settings::Setting::LoginPassword, password);
        last = session.Login();
        if (last.status != kExitRefused)
            return last;  // logged in, or the line failed
    }
    if (passwords.size() > 1)
        last.error = "none of the " + std::to_string(passwords.size()) +
                     " passwords was taken: the logger refused every login";
    return last;
}

void RunEachPort(std::size_t ports, const CliOptions& options, const CliEnvironment& environment,
                 const std::function<void(std::size_t)>& work,
                 const std::function<std::vector<std::string>()>& lines, std::ostream& err) {
    const std::size_t jobs =
        options.jobs > 0 ? std::min<std::size_t>(static_cast<std::size_t>(options.jobs), ports)
                         : ports;
    std::atomic<std::size_t> next{0};
    // The board waits on `ended` between its redraws, so that the last port's end is not
    // followed by the rest of a redraw's pause.
    std::mutex mutex;
    std::condition_variable ended;
    std::size_t running = jobs;
    std::vector<std::thread> workers;
    for (std::size_t w = 0; w < jobs; ++w)
        workers.emplace_back([&] {
            for (std::size_t i = next++; i < ports; i = next++) work(i);
            std::lock_guard lock(mutex);
            --running;
            ended.notify_all();
        });
    ProgressBoard board(err);
    for (;;) {
        if (environment.errorIsTerminal)
            board.Draw(lines());
        std::unique_lock lock(mutex);
        if (ended.wait_for(lock, kLinesRedrawEvery, [&] { return running == 0; }))
            break;
    }
    for (std::thread& worker : workers) worker.join();
    if (environment.errorIsTerminal)
        board.Draw(lines());
}

}  // namespace lgcset::cli
