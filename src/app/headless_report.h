// lgcset --report: the chart window's PDF report of an exported CSV file, made on the
// offscreen platform for scripts on machines without a screen.
#pragma once

#include "app/launch_options.h"

namespace lgcset::app {

// 0 when the report is written; 2 (and why on stderr) for a file that is not one of our
// exports, a profile that cannot be read or a report that cannot be written.
int MakeHeadlessReport(const LaunchOptions& options);

}  // namespace lgcset::app
