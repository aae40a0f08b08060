// The simulator behind a pseudo-terminal, in-process and as the loggersim program: the slave
// side behaves like a quiet serial port, and the program starts and stops as documented.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <thread>

#include "sim_line.h"

extern char** environ;

namespace lgcset::sim::test {
namespace {

using protocol::Command;
using ::testing::ElementsAre;

int OpenPort(const std::string& path) {
    return ::open(path.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
}

TEST(SimulatedPty, SlaveIsARawQuietPortThatSurvivesReopening) {
    Simulator simulator(Options{});
    std::string error;
    ASSERT_TRUE(simulator.StartOnPseudoTerminal(&error)) << error;
    ASSERT_FALSE(simulator.slavePath().empty());

    int fd = OpenPort(simulator.slavePath());
    ASSERT_GE(fd, 0);
    termios tio{};
    ASSERT_EQ(tcgetattr(fd, &tio), 0);
    EXPECT_EQ(tio.c_lflag & (ECHO | ICANON | ISIG), 0u);
    EXPECT_EQ(tio.c_oflag & OPOST, 0u);
    {
        SimLine line(fd, true);
        line.Write(Request(Command::Login, {'8', '6', '0', '4'}));
        // Exactly the reply comes back: no echo of the request, no translated bytes.
        const Bytes expected = protocol::EscapeFrame(protocol::BuildFrame(
            0x01,
            Bytes{1, 'R', '4', '8', '1', 0, 'V', '3', '.', '0', '5', '-', 'R', '4', '8', 'x', 0}));
        EXPECT_EQ(line.ReadCount(expected.size()), expected);
        EXPECT_TRUE(line.ReadUntilQuiet(50ms, 50ms).empty());
    }  // the port is closed here, as the configurator closes it
    fd = OpenPort(simulator.slavePath());
    ASSERT_GE(fd, 0);
    SimLine again(fd, true);
    EXPECT_THAT(*again.Ask(Command::FinishWrite), ElementsAre(1));
    EXPECT_TRUE(simulator.running());
    simulator.Stop();
    EXPECT_FALSE(simulator.running());
}

TEST(SimulatedPty, HangUpClosesTheMasterUnderTheOpenPort) {
    Options o;
    o.faults.hangUpAfterFrames = 1;
    Simulator simulator(o);
    ASSERT_TRUE(simulator.StartOnPseudoTerminal());
    SimLine line(OpenPort(simulator.slavePath()), true);
    EXPECT_TRUE(line.Ask(Command::FinishWrite));
    EXPECT_TRUE(line.WaitForHangUp(2000ms));
}

// ---- the program ----

struct Program {
    pid_t pid = -1;
    int input = -1;   // its standard input (write end), or -1
    int output = -1;  // its standard output (read end)
    int errors = -1;  // its standard error (read end)

    // `stdinMode`: "pipe" or "null".
    static Program Start(const std::vector<std::string>& args, const std::string& stdinMode) {
        Program p;
        int in[2] = {-1, -1};
        int out[2];
        int err[2];
        EXPECT_EQ(pipe2(out, O_CLOEXEC), 0);
        EXPECT_EQ(pipe2(err, O_CLOEXEC), 0);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        if (stdinMode == "pipe") {
            EXPECT_EQ(pipe2(in, O_CLOEXEC), 0);
            posix_spawn_file_actions_adddup2(&actions, in[0], 0);
        } else {
            posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
        }
        posix_spawn_file_actions_adddup2(&actions, out[1], 1);
        posix_spawn_file_actions_adddup2(&actions, err[1], 2);
        std::vector<char*> argv{const_cast<char*>(LOGGERSIM_PROGRAM)};
        for (const auto& a : args) {
            argv.push_back(const_cast<char*>(a.c_str()));
        }
        argv.push_back(nullptr);
        EXPECT_EQ(posix_spawn(&p.pid, LOGGERSIM_PROGRAM, &actions, nullptr, argv.data(), environ),
                  0);
        posix_spawn_file_actions_destroy(&actions);
        if (in[0] >= 0) {
            ::close(in[0]);
        }
        ::close(out[1]);
        ::close(err[1]);
        p.input = in[1];
        p.output = out[0];
        p.errors = err[0];
        return p;
    }

    std::string ReadAll(int fd, std::chrono::milliseconds limit = 3000ms) const {
        std::string text;
        const auto end = std::chrono::steady_clock::now() + limit;
        while (std::chrono::steady_clock::now() < end) {
            pollfd p{fd, POLLIN, 0};
            if (::poll(&p, 1, 20) <= 0) {
                continue;
            }
            char buffer[4096];
            const ssize_t n = ::read(fd, buffer, sizeof buffer);
            if (n <= 0) {
                break;
            }
            text.append(buffer, static_cast<std::size_t>(n));
        }
        return text;
    }

    std::string FirstLine() const {
        std::string line;
        const auto end = std::chrono::steady_clock::now() + 3000ms;
        while (std::chrono::steady_clock::now() < end) {
            pollfd p{output, POLLIN, 0};
            if (::poll(&p, 1, 20) <= 0) {
                continue;
            }
            char c;
            if (::read(output, &c, 1) != 1 || c == '\n') {
                break;
            }
            line += c;
        }
        return line;
    }

    // The exit status within `limit`, or -1 if it is still running.
    int WaitExit(std::chrono::milliseconds limit) {
        const auto end = std::chrono::steady_clock::now() + limit;
        while (std::chrono::steady_clock::now() < end) {
            int status = 0;
            if (waitpid(pid, &status, WNOHANG) == pid) {
                pid = -1;
                return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            }
            std::this_thread::sleep_for(10ms);
        }
        return -1;
    }

    ~Program() {
        if (pid > 0) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
        for (int fd : {input, output, errors}) {
            if (fd >= 0) {
                ::close(fd);
            }
        }
    }
};

std::string TempPath(const std::string& name) {
    return (std::filesystem::temp_directory_path() /
            (name + "." + std::to_string(getpid()) + "." + std::to_string(std::rand())))
        .string();
}

TEST(LoggersimProgram, PrintsThePortLinksItAndStopsAtEndOfInput) {
    const std::string link = TempPath("loggersim-port");
    Program p = Program::Start({"--link", link, "--model=R480"}, "pipe");
    const std::string port = p.FirstLine();
    ASSERT_EQ(port.rfind("/dev/pts/", 0), 0u) << port;
    ASSERT_EQ(std::filesystem::read_symlink(link).string(), port);

    const int fd = OpenPort(link);
    ASSERT_GE(fd, 0);
    {
        SimLine line(fd, true);
        const auto reply = line.Ask(Command::Login, {'8', '6', '0', '4'});
        ASSERT_TRUE(reply);
        EXPECT_EQ(std::string(reply->begin() + 1, reply->begin() + 5), "R480");
    }
    ::close(p.input);
    p.input = -1;
    EXPECT_EQ(p.WaitExit(3000ms), 0);
    EXPECT_FALSE(std::filesystem::is_symlink(link)) << "the link is removed at exit";
}

TEST(LoggersimProgram, WithInputFromDevNullItRunsUntilKilled) {
    Program p = Program::Start({}, "null");
    const std::string port = p.FirstLine();
    ASSERT_FALSE(port.empty());
    EXPECT_EQ(p.WaitExit(400ms), -1) << "an empty /dev/null input is no request to stop";
    SimLine line(OpenPort(port), true);
    EXPECT_TRUE(line.Ask(Command::FinishWrite));
    kill(p.pid, SIGTERM);
    EXPECT_EQ(p.WaitExit(3000ms), 0);
}

TEST(LoggersimProgram, ExitsAfterHangingUp) {
    Program p = Program::Start({"--hang-up-after=1", "--no-stdin"}, "pipe");
    SimLine line(OpenPort(p.FirstLine()), true);
    EXPECT_TRUE(line.Ask(Command::FinishWrite));
    EXPECT_EQ(p.WaitExit(3000ms), 0);
}

TEST(LoggersimProgram, TracesFramesToAFile) {
    const std::string trace = TempPath("loggersim-trace");
    Program p = Program::Start({"--trace=" + trace}, "pipe");
    {
        SimLine line(OpenPort(p.FirstLine()), true);
        ASSERT_TRUE(line.Ask(Command::FinishWrite));
    }
    ::close(p.input);
    p.input = -1;
    ASSERT_EQ(p.WaitExit(3000ms), 0);
    std::FILE* f = std::fopen(trace.c_str(), "r");
    ASSERT_NE(f, nullptr);
    std::string text;
    char buffer[4096];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) {
        text.append(buffer, n);
    }
    std::fclose(f);
    std::remove(trace.c_str());
    EXPECT_THAT(text,
                ::testing::ContainsRegex(
                    "[0-9]{4}-[0-9]{2}-[0-9]{2}T[0-9:.]+Z RX A5 05 00 13 01 00 01 00 E5 FF A5"));
    EXPECT_THAT(text, ::testing::ContainsRegex("Z TX A5 06 00 13 01 00 01 00 01 E3 FF A5"));
}

TEST(LoggersimProgram, HelpNamesEveryOptionAndBadOptionsAreRefused) {
    {
        Program p = Program::Start({"--help"}, "null");
        const std::string help = p.ReadAll(p.output);
        EXPECT_EQ(p.WaitExit(3000ms), 0);
        for (const char* option : {"--password",
                                   "--model",
                                   "--firmware",
                                   "--log-interval",
                                   "--days",
                                   "--history-end",
                                   "--records-per-reply",
                                   "--debug-interval",
                                   "--seed",
                                   "--drop",
                                   "--corrupt",
                                   "--delay",
                                   "--delay-random",
                                   "--noise",
                                   "--lone-delimiter",
                                   "--duplicate",
                                   "--hang-up-after",
                                   "--baud",
                                   "--trace",
                                   "--link",
                                   "--no-stdin",
                                   "--help",
                                   "--version"}) {
            EXPECT_NE(help.find(option), std::string::npos) << option;
        }
    }
    for (const std::vector<std::string>& bad : {std::vector<std::string>{"--drop=1.5"},
                                                {"--password=12345"},
                                                {"--frobnicate"},
                                                {"--baud", "12"},
                                                {"--history-end=2026-02-30 10:00"},
                                                {"--days"},
                                                {"--version=2"}}) {
        Program p = Program::Start(bad, "null");
        const std::string errors = p.ReadAll(p.errors);
        EXPECT_EQ(p.WaitExit(3000ms), 2) << bad[0];
        EXPECT_NE(errors.find("loggersim: "), std::string::npos) << bad[0];
    }
}

}  // namespace
}  // namespace lgcset::sim::test
