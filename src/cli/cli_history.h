// `history`: the window's history query over the headless session, and the window's export
// of what it fetched, with the progress on standard error.
#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "cli/cli_options.h"
#include "cli/headless_session.h"
#include "export/history_export.h"
#include "jobs/transfer_job.h"

namespace lgcset::cli {

// The export folder of --out (empty: the current folder): made when missing, and tried
// with a file of its own, so that a folder that cannot take the export is refused before
// the logger is asked for anything.
Outcome PrepareOutFolder(const std::string& outDir, std::filesystem::path& folder);

// `folder`: as PrepareOutFolder gave it. `terminal`: standard error is a terminal, so a
// progress bar is worth drawing there. `clock` names the export files (the local clock
// when empty).
// `origin`: what the export's manifest says of the logger and the range (none written
// without it). `keep` is given the ended job of a transfer whose records reached the export
// (saved or not), once its lines are written; `ended` every transfer's result, once it has
// been kept.
Outcome RunHistory(HeadlessSession& session, const CliOptions& options,
                   const std::filesystem::path& folder, std::ostream& out, std::ostream& err,
                   bool terminal, const std::function<exports::LocalTime()>& clock = {},
                   const std::function<void(jobs::TransferJob&)>& keep = {},
                   std::optional<exports::ExportManifest> origin = std::nullopt,
                   const std::function<void(const jobs::TransferResult&)>& ended = {});

// The manifest's origin of a transfer lgcset-cli makes: the logger as the login named it
// (model and firmware in `settings`), its ID when read, and the days asked for.
exports::ExportManifest CliExportOrigin(const settings::SettingsModel& settings,
                                        std::string deviceId, const data::CalendarDate& from,
                                        const data::CalendarDate& to);

// The progress line: a bar of `width` cells and the query's own text ("record 120 of 5000,
// 6:12 left").
std::string ProgressLine(std::uint32_t answered, std::uint32_t total, double elapsedSeconds,
                         int width = 30);

}  // namespace lgcset::cli
