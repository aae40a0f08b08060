// loggersim: a simulated R48x logger on a pseudo-terminal. See --help.
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "loggersim/command_line.h"
#include "loggersim/simulator.h"
#include "project_version.h"

namespace {

volatile sig_atomic_t g_signalled = 0;

void OnSignal(int) {
    g_signalled = 1;
}

void InstallSignals() {
    struct sigaction sa {};
    sa.sa_handler = OnSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = 0;  // no SA_RESTART: poll returns at once
    sigaction(SIGINT, &sa, nullptr);
    sigaction(SIGTERM, &sa, nullptr);
    sigaction(SIGHUP, &sa, nullptr);
    signal(SIGPIPE, SIG_IGN);
    signal(SIGTTIN, SIG_IGN);  // a background read of the terminal fails instead of stopping us
}

// Standard input is watched for its end only when something can end it on purpose: a
// terminal, a pipe or a socket. /dev/null, a regular file or a closed descriptor would end
// at once, which nobody means as "stop".
bool ShouldWatchStdin() {
    struct stat st {};
    if (fstat(STDIN_FILENO, &st) != 0) {
        return false;
    }
    return S_ISFIFO(st.st_mode) || S_ISSOCK(st.st_mode) || isatty(STDIN_FILENO);
}

bool InBackground() {
    if (!isatty(STDIN_FILENO)) {
        return false;
    }
    const pid_t foreground = tcgetpgrp(STDIN_FILENO);
    return foreground >= 0 && foreground != getpgrp();
}

bool MakeLink(const std::string& link, const std::string& target) {
    struct stat st {};
    if (lstat(link.c_str(), &st) == 0) {
        if (!S_ISLNK(st.st_mode)) {
            std::fprintf(stderr, "loggersim: %s exists and is not a symlink; not replaced\n",
                         link.c_str());
            return false;
        }
        unlink(link.c_str());
    }
    if (symlink(target.c_str(), link.c_str()) != 0) {
        std::fprintf(stderr, "loggersim: cannot make symlink %s: %s\n", link.c_str(),
                     std::strerror(errno));
        return false;
    }
    return true;
}

void RemoveLinkIfOurs(const std::string& link, const std::string& target) {
    char buffer[PATH_MAX];
    const ssize_t n = readlink(link.c_str(), buffer, sizeof buffer - 1);
    if (n > 0 && std::string(buffer, static_cast<std::size_t>(n)) == target) {
        unlink(link.c_str());
    }
}

}  // namespace

int main(int argc, char** argv) {
    using namespace lgcset::sim;
    const CommandLine cl = ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
    if (!cl.error.empty()) {
        std::fprintf(stderr, "loggersim: %s\nTry 'loggersim --help'.\n", cl.error.c_str());
        return 2;
    }
    if (cl.help) {
        std::fputs(Usage().c_str(), stdout);
        return 0;
    }
    if (cl.version) {
        std::printf("loggersim %s\n", lgcset::kVersion);
        return 0;
    }

    InstallSignals();
    Simulator simulator(cl.options);
    std::string error;
    if (!simulator.StartOnPseudoTerminal(&error)) {
        std::fprintf(stderr, "loggersim: %s\n", error.c_str());
        return 1;
    }
    const std::string path = simulator.slavePath();
    if (!cl.linkPath.empty() && !MakeLink(cl.linkPath, path)) {
        simulator.Stop();
        return 1;
    }
    std::printf("%s\n", path.c_str());
    std::fflush(stdout);

    const bool watchStdin = !cl.ignoreStdin && ShouldWatchStdin();
    bool endOfInput = false;
    while (!g_signalled && !simulator.finished() && !endOfInput) {
        if (!watchStdin || InBackground()) {
            poll(nullptr, 0, 200);
            continue;
        }
        pollfd in{STDIN_FILENO, POLLIN, 0};
        if (poll(&in, 1, 200) <= 0) {
            continue;
        }
        char buffer[256];
        const ssize_t n = read(STDIN_FILENO, buffer, sizeof buffer);
        if (n == 0) {
            endOfInput = true;
        } else if (n < 0 && errno != EINTR && errno != EAGAIN && errno != EIO) {
            endOfInput = true;  // unreadable for good: same as its end
        } else if (n < 0) {
            poll(nullptr, 0, 200);
        }
    }

    const bool hungUp = simulator.finished();
    simulator.Stop();
    if (!cl.linkPath.empty()) {
        RemoveLinkIfOurs(cl.linkPath, path);
    }
    if (hungUp && !g_signalled) {
        std::fprintf(stderr, "loggersim: the line is closed\n");
    }
    return 0;
}
