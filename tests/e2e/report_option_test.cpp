// lgcset --report: the PDF report of an exported CSV file against a profile's limits, made
// by the program itself without a display, and the wrong files it refuses with status 2.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <memory>

#include "app/launch_options.h"
#include "cold_room_history.h"
#include "data/sha256.h"
#include "export/history_export.h"
#include "pdf_text.h"
#include "profiles/profile.h"
#include "settings/settings_model.h"
#include "settings/settings_table.h"

namespace lgcset::ui::e2e {
namespace {

struct Finished {
    int status = -1;
    QString errors;
};

// The program as a script runs it: no display at all.
Finished Lgcset(const QStringList& arguments) {
    QProcess program;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("DISPLAY"));
    environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
    environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
    program.setProcessEnvironment(environment);
    program.start(QStringLiteral(LGCSET_PROGRAM), arguments);
    if (!program.waitForFinished(60000) || program.exitStatus() != QProcess::NormalExit)
        return {};
    return {program.exitCode(), QString::fromUtf8(program.readAllStandardError())};
}

TEST(ReportOption, CommandLine) {
    const auto full =
        app::ParseLaunchOptions({"--report", "a.csv", "--profile=p.ini", "--pdf", "a.pdf"});
    EXPECT_TRUE(full.error.empty()) << full.error;
    EXPECT_EQ(full.report, "a.csv");
    EXPECT_EQ(full.profile, "p.ini");
    EXPECT_EQ(full.pdf, "a.pdf");
    EXPECT_TRUE(app::ParseLaunchOptions({"--report", "a.csv", "--pdf", "a.pdf"}).error.empty());
    for (const std::vector<std::string>& wrong :
         {std::vector<std::string>{"--report", "a.csv"},
          {"--pdf", "a.pdf"},
          {"--profile", "p.ini"},
          {"--report", "a.csv", "--pdf"},
          {"--demo", "--report", "a.csv", "--pdf", "a.pdf"}})
        EXPECT_FALSE(app::ParseLaunchOptions(wrong).error.empty()) << wrong.back();
}

TEST(ReportOption, WritesTheReportOfAnExportWithoutADisplayAndRefusesWrongFiles) {
    if (!test::HavePdfText())
        GTEST_SKIP() << "pdftotext is not installed (scripts/setup installs it)";
    QTemporaryDir top;
    // A folder deep enough that its path does not fit on one line of the page (no spaces:
    // pdftotext drops one where a line breaks).
    const QString deep = top.filePath(QStringLiteral("cold-chain-records-").repeated(8));
    ASSERT_TRUE(QDir().mkpath(deep));
    const QDir folder(deep);
    const auto store = std::make_unique<data::HistoryStore>();
    constexpr std::size_t kRecords = 1008;
    test::FillColdRoomHistory(*store, kRecords, 600);
    exports::ExportOptions options;
    options.folders = {deep.toStdString()};
    const exports::ExportResult exported = exports::ExportHistory(store->data(), kRecords, options);
    ASSERT_EQ(exported.outcome, exports::ExportResult::Outcome::Saved) << exported.error;
    const QString csv = QString::fromStdString(exported.csv.string());

    settings::SettingsModel limits;
    limits.SetText(settings::SettingId{settings::Setting::SensorHigh, 1}, "6");
    const QString profile = folder.filePath(QStringLiteral("room.ini"));
    std::string error;
    ASSERT_TRUE(profiles::SaveProfileFile(limits, profile.toStdString(), error)) << error;

    const QString pdf = folder.filePath(QStringLiteral("room.pdf"));
    const Finished made = Lgcset({QStringLiteral("--report"), csv, QStringLiteral("--profile"),
                                  profile, QStringLiteral("--pdf"), pdf});
    ASSERT_EQ(made.status, 0) << made.errors.toStdString();
    const std::optional<QString> text = test::PdfText(pdf);
    ASSERT_TRUE(text);
    EXPECT_TRUE(text->contains(QStringLiteral("Limits: profile room.ini")));
    EXPECT_TRUE(text->contains(
        QStringLiteral("SHA-256 of the CSV file: %1")
            .arg(QString::fromStdString(data::Sha256OfFile(exported.csv).value_or("?")))));
    // The path goes on over the next line, whole.
    QString joined = *text;
    joined.remove(QRegularExpression(QStringLiteral("\n\\s*")));
    EXPECT_TRUE(joined.contains(QStringLiteral("CSV file: %1").arg(csv))) << text->toStdString();
    EXPECT_TRUE(text->contains(QStringLiteral("Excursions, longest first")));
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^\\s*1\\s+High\\s+\\d\\d-"),
                                   QRegularExpression::MultilineOption)
                    .match(*text)
                    .hasMatch());

    QFile notOurs(folder.filePath(QStringLiteral("notes.csv")));
    ASSERT_TRUE(notOurs.open(QIODevice::WriteOnly));
    notOurs.write("date;temp\r\n2024-01-31;3.5\r\n");
    notOurs.close();
    const QString other = folder.filePath(QStringLiteral("other.pdf"));
    const QString missing = folder.filePath(QStringLiteral("missing.ini"));
    const struct {
        QStringList arguments;
        QString says;
    } wrong[] = {
        {{QStringLiteral("--report"), notOurs.fileName(), QStringLiteral("--pdf"), other},
         QStringLiteral("is not the header line")},
        {{QStringLiteral("--report"), csv, QStringLiteral("--profile"), missing,
          QStringLiteral("--pdf"), other},
         QStringLiteral("lgcset: cannot read the profile %1: no such file\n").arg(missing)},
        {{QStringLiteral("--report"), csv, QStringLiteral("--pdf"),
          folder.filePath(QStringLiteral("no folder/other.pdf"))},
         QStringLiteral("cannot write the report")},
        {{QStringLiteral("--report"), csv}, QStringLiteral("--pdf")},
    };
    for (const auto& w : wrong) {
        SCOPED_TRACE(w.arguments.join(QLatin1Char(' ')).toStdString());
        const Finished refused = Lgcset(w.arguments);
        EXPECT_EQ(refused.status, 2);
        EXPECT_TRUE(refused.errors.contains(w.says)) << refused.errors.toStdString();
    }
    EXPECT_FALSE(QFile::exists(other));
}

}  // namespace
}  // namespace lgcset::ui::e2e
