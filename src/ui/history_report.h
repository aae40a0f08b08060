// The PDF report of a history: the logger, the range, the limits, the statistics, the
// longest excursions, the gaps and the chart as vectors, with the SHA-256 of the CSV file it
// was made from so that the file can be matched to it later.
#pragma once

#include <QString>

#include "analysis/history_analysis.h"

class QCustomPlot;

namespace lgcset::ui {

struct ReportFacts {
    QString model, firmware, deviceId;  // empty: not known
    QString source;                     // where the records come from
    QString csvPath;                    // the CSV file that holds them; empty: none
    QString limitsFrom;                 // where the limits were taken from
};

// The excursion table lists at most this many, the rest counted.
inline constexpr std::size_t kReportExcursionRows = 200;

// Writes the report to `path` whole or not at all (an existing file is replaced only by a
// complete one). False with the reason in `error` when it cannot be written.
bool WriteHistoryReport(const QString& path, const ReportFacts& facts,
                        const analysis::HistoryAnalysis& analysis, QCustomPlot* plot,
                        QString& error);

}  // namespace lgcset::ui
