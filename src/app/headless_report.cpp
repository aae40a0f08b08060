#include "app/headless_report.h"

#include <QFileInfo>
#include <cstdio>
#include <memory>
#include <string>

#include "data/history_csv_reader.h"
#include "data/printable_text.h"
#include "ui/history_chart_window.h"
#include "ui/history_report.h"
#include "ui/message_box.h"
#include "ui/profile_limits.h"

namespace lgcset::app {
namespace {

constexpr int kExitUsage = 2;

int Refuse(const std::string& why) {
    std::fprintf(stderr, "lgcset: %s\n", data::PrintableText(why).c_str());
    return kExitUsage;
}

}  // namespace

int MakeHeadlessReport(const LaunchOptions& options) {
    const data::HistoryCsvRead read = data::ReadHistoryCsvFile(options.report);
    if (!read.ok)
        return Refuse("cannot report on " + options.report + ": " + read.error);
    if (!read.form.empty())
        std::fprintf(stderr, "lgcset: %s\n", read.form.c_str());

    // The window is never shown; its boxes would only come up for its own buttons.
    ui::ModalMessageBoxes boxes(nullptr);
    ui::HistoryChartWindow window([&boxes]() -> ui::MessageBoxes& { return boxes; });
    if (!options.profile.empty()) {
        const ui::ProfileLimits limits = ui::ReadProfileLimits(options.profile, std::nullopt);
        if (limits.outcome == profiles::ProfileLoad::Unreadable ||
            limits.outcome == profiles::ProfileLoad::Unfit)
            return Refuse(profiles::UnreadableProfileMessage(options.profile, limits.error));
        if (limits.outcome == profiles::ProfileLoad::NoSettings)
            return Refuse(profiles::NoSettingsMessage(options.profile));
        const QString name = QFileInfo(QString::fromStdString(options.profile)).fileName();
        window.SetLimits(limits.setups, QStringLiteral("profile %1").arg(name));
    }
    const QFileInfo csv(QString::fromStdString(options.report));
    window.ShowRecords(std::make_shared<const std::vector<data::HistoryRecord>>(read.records),
                       csv.fileName(), csv.absoluteFilePath());
    QString error;
    if (!ui::WriteHistoryReport(QString::fromStdString(options.pdf), window.Facts(),
                                window.Analysis(), window.SensorPlot(), error))
        return Refuse("cannot write the report " + options.pdf + ": " + error.toStdString());
    return 0;
}

}  // namespace lgcset::app
