// The history export of a full sheet (65,535 records, every value present) into both files,
// timed; then, when LibreOffice is installed, its own conversion of the same CSV file to
// ".xls", the tool a user would otherwise reach for; then the peak memory of the program.
//   export_bench            the export code alone
//   export_bench --window   the same through the window (Qt, the store, the boxes)
// A plain program, not a Google Benchmark binary: one LibreOffice run takes seconds.
#include <sys/resource.h>

#include <QApplication>
#include <QProcess>
#include <QStandardPaths>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>

#include "data/history_record.h"
#include "export/history_export.h"
#include "ui/scripted_message_boxes.h"
#include "short_run.h"
#include "ui/umset.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

void FillFullStore(lgcset::data::HistoryRecord* records, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) {
        const int s = static_cast<int>(i);
        lgcset::data::HistoryRecord& r = records[i];
        r.year = 24;
        r.month = static_cast<std::uint8_t>(1 + s % 12);
        r.day = static_cast<std::uint8_t>(1 + s % 28);
        r.hour = static_cast<std::uint8_t>(s % 24);
        r.minute = static_cast<std::uint8_t>(s % 60);
        r.second = static_cast<std::uint8_t>((s * 7) % 60);
        for (std::size_t k = 0; k < 4; ++k) {
            r.sensor[k] = static_cast<float>((s % 2000) * 0.173 - 40.0 + static_cast<double>(k));
            r.sensorPresent[k] = 1;
        }
        r.longitude = 113954321u + static_cast<std::uint32_t>(s) * 17u;
        r.latitude = 22540000u + static_cast<std::uint32_t>(s);
        r.velocity = static_cast<std::uint32_t>(s % 1500);
        r.direction = static_cast<std::uint32_t>(s % 3600);
    }
}

double Seconds(Clock::time_point since) {
    return std::chrono::duration<double>(Clock::now() - since).count();
}

long PeakKilobytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

}  // namespace

int main(int argc, char* argv[]) {
    const bool window = argc > 1 && std::strcmp(argv[1], "--window") == 0;
    const std::size_t kRecords = lgcset::bench::Records<std::size_t>(65535);
    const fs::path folder =
        fs::temp_directory_path() / ("lgcset-export-bench-" + std::to_string(::getpid()));
    fs::create_directories(folder);

    std::unique_ptr<QApplication> app;
    std::unique_ptr<lgcset::ui::Tfrm_mset> form;
    lgcset::ui::ScriptedMessageBoxes boxes;
    auto store = std::make_unique<lgcset::data::HistoryStore>();
    fs::path csv;
    double best = 1e9;
    for (int run = 0; run < 3; ++run) {
        fs::remove_all(folder);
        fs::create_directories(folder);
        const auto start = Clock::now();
        if (window) {
            if (!app) {
                qputenv("QT_QPA_PLATFORM", "offscreen");
                app = std::make_unique<QApplication>(argc, argv);
                form = std::make_unique<lgcset::ui::Tfrm_mset>();
                form->SetMessageBoxes(&boxes);
                boxes.SetDefaultAnswer(false);
                form->ExportFolders = {folder.string()};
            }
            FillFullStore(form->History.data(), kRecords);
            form->HistoryCount = kRecords;
            const auto exportStart = Clock::now();
            form->ExportHistory();
            best = std::min(best, Seconds(exportStart));
        } else {
            FillFullStore(store->data(), kRecords);
            lgcset::exports::ExportOptions options;
            options.folders = {folder};
            const auto exportStart = Clock::now();
            const auto result = lgcset::exports::ExportHistory(store->data(), kRecords, options);
            best = std::min(best, Seconds(exportStart));
            if (result.outcome != lgcset::exports::ExportResult::Outcome::Saved) {
                std::fprintf(stderr, "export failed: %s\n", result.error.c_str());
                return 1;
            }
        }
        (void)start;
    }
    for (const auto& entry : fs::directory_iterator(folder))
        if (entry.path().extension() == ".csv")
            csv = entry.path();
    std::printf("export of %zu records to .xls and .csv%s: %.3f s (best of 3)\n", kRecords,
                window ? " through the window" : "", best);

    const QString soffice = QStandardPaths::findExecutable(QStringLiteral("soffice"));
    if (!soffice.isEmpty() && !csv.empty() && !lgcset::bench::ShortRun()) {
        const fs::path profile = folder / "profile";
        const fs::path out = folder / "libreoffice";
        const auto start = Clock::now();
        const int code = QProcess::execute(
            soffice, {QStringLiteral("-env:UserInstallation=file://") +
                          QString::fromStdString(profile.string()),
                      QStringLiteral("--headless"), QStringLiteral("--convert-to"),
                      QStringLiteral("xls"), QStringLiteral("--outdir"),
                      QString::fromStdString(out.string()), QString::fromStdString(csv.string())});
        const double lo = Seconds(start);
        std::printf("LibreOffice's conversion of the same CSV file to .xls: %.3f s (exit %d)\n", lo,
                    code);
        std::printf("ratio: %.1f\n", lo / best);
    } else {
        std::printf("soffice not installed: no comparison\n");
    }
    std::printf("peak memory: %.1f MB\n", static_cast<double>(PeakKilobytes()) / 1024.0);
    if (form)
        form->SetMessageBoxes(nullptr);
    fs::remove_all(folder);
    return 0;
}
