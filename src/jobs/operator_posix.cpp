// The login name of the effective user, as the password database has it (the environment's
// USER can say anything), and the host's name.
#include <pwd.h>
#include <unistd.h>

#include <array>
#include <string>

#include "jobs/change_log.h"
#include "project_version.h"

namespace lgcset::jobs {

Operator CurrentOperator() {
    Operator who;
    if (const passwd* entry = getpwuid(geteuid()); entry != nullptr && entry->pw_name != nullptr)
        who.user = entry->pw_name;
    else
        who.user = "uid " + std::to_string(geteuid());
    std::array<char, 256> host{};
    if (gethostname(host.data(), host.size() - 1) == 0)
        who.host = host.data();
    who.program = std::string("LGCSET ") + kVersion;
    return who;
}

}  // namespace lgcset::jobs
