// The login name of the effective user, as the password database has it (the environment's
// USER can say anything), and the host's name.
#include <pwd.h>
#include <unistd.h>

#include <array>
#include <string>
#include <vector>

#include "jobs/change_log.h"
#include "project_version.h"

namespace lgcset::jobs {

Operator CurrentOperator() {
    Operator who;
    // The reentrant call: collect asks from a thread per logger at once.
    passwd entry{};
    passwd* found = nullptr;
    std::vector<char> buffer(16384);
    if (getpwuid_r(geteuid(), &entry, buffer.data(), buffer.size(), &found) == 0 &&
        found != nullptr && found->pw_name != nullptr)
        who.user = found->pw_name;
    else
        who.user = "uid " + std::to_string(geteuid());
    std::array<char, 256> host{};
    if (gethostname(host.data(), host.size() - 1) == 0)
        who.host = host.data();
    who.program = std::string("LGCSET ") + kVersion;
    return who;
}

}  // namespace lgcset::jobs
