#include "cli/cli_profile_file.h"

#include "data/printable_text.h"
#include "profiles/ini_storage.h"
#include "profiles/profile.h"
#include "profiles/profile_check.h"

namespace lgcset::cli {

namespace {

Outcome ReadProfileFile(const std::string& path, profiles::IniFile& file) {
    std::string error;
    switch (profiles::ReadIniFile(path, file, error)) {
        case profiles::ReadOutcome::Read:
            return {};
        case profiles::ReadOutcome::Missing:
            error = profiles::kNoSuchFile;
            break;
        case profiles::ReadOutcome::Failed:
            break;
    }
    return Outcome::Failed(kExitUsage, profiles::UnreadableProfileMessage(path, error));
}

}  // namespace

Outcome ReadCheckedProfile(const std::string& path, profiles::IniFile& profile, std::ostream& err,
                           ValuesFit fit) {
    if (Outcome read = ReadProfileFile(path, profile); !read.ok())
        return read;
    const int missing = profiles::MissingProfileKeys(profile);
    if (missing == profiles::kProfileKeyCount)
        return Outcome::Failed(kExitUsage, profiles::NoSettingsMessage(path));
    if (fit == ValuesFit::Checked)
        if (std::string unfit = profiles::UnfitProfileValue(profile); !unfit.empty())
            return Outcome::Failed(kExitRefused, std::move(unfit));
    if (missing > 0 && fit == ValuesFit::Checked)
        err << "lgcset-cli: " << data::PrintableText(profiles::MissingKeysMessage(path, missing))
            << "\n";
    return {};
}

}  // namespace lgcset::cli
