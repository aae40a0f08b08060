#include "cli/cli_connection.h"

#include "jobs/audit_entries.h"
#include "jobs/settings_jobs.h"
#include "sim/options.h"

namespace lgcset::cli {

Outcome Connect(const CliOptions& options, const CliEnvironment& environment, Connection& c) {
    c.settings.SetText(settings::Setting::LoginPassword, options.password);
    c.session.emplace(c.settings, environment.resendIntervalMs);
    Outcome opened;
    if (options.demo) {
        sim::Options logger;
        logger.model = options.demoModel;
        opened = c.session->OpenSimulated(logger, "simulated " + options.demoModel);
    } else {
        opened = c.session->Open(options.port);
    }
    if (!opened.ok())
        return opened;
    return c.session->Login();
}

Outcome ReadEnded(const HeadlessSession& session, jobs::LineEnd why, std::uint32_t page) {
    return Outcome::Failed(kExitLink,
                           session.LinkError(why) + " while reading page " + std::to_string(page));
}

Outcome ReadSettings(HeadlessSession& session) {
    jobs::ReadSettingsJob read(session.Device());
    session.Run(read);
    const jobs::ReadSettingsResult& result = read.Result();
    if (result.end == jobs::ReadSettingsResult::End::LineEnded)
        return ReadEnded(session, result.line, result.page);
    return {};
}

void KeepRead(const Connection& c, CommandRecord& record) {
    record.Keep(jobs::ReadSnapshot(
        {c.settings.Text(settings::Setting::DeviceId), c.settings.Text(settings::Setting::Model)},
        c.settings.Text(settings::Setting::Firmware), c.session->ReadPages()));
}

}  // namespace lgcset::cli
