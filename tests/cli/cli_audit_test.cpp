// `audit list|verify|export` on a trail recorded through the change log, on both engines:
// what is listed and filtered, the files written and read back, and the row verify names
// after the trail was changed with the database's own tools.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <memory>

#include "archive/audit_chain.h"
#include "archive_engines.h"
#include "cli/headless_session.h"
#include "cli_support.h"
#include "jobs/change_log.h"

namespace lgcset::cli::test {
namespace {

using archive::AuditAction;
using archive::AuditEntry;
using archive::AuditResult;
using archive::testing::EngineKind;

constexpr const char* kCold = "000000000000101";
constexpr const char* kFreezer = "000000000000202";

AuditEntry Entry(std::int64_t at, const char* device, AuditAction action, AuditResult result,
                 std::string reason, std::string detail = {}, std::string why = {}) {
    AuditEntry e;
    e.at = at;
    e.deviceId = device;
    e.model = "R481";
    e.action = action;
    e.result = result;
    e.reason = std::move(reason);
    e.detail = std::move(detail);
    e.why = std::move(why);
    return e;
}

// 2024-03-01 10:00:00 UTC and the days after it.
constexpr std::int64_t kMarch1 = 1709287200;
constexpr std::int64_t kDay = 86400;

// Six rows over two loggers and a month, with the texts a file format gets wrong: a comma
// and quotes, lines of changes, a character beyond Latin-1.
const std::vector<AuditEntry> kScript{
    Entry(kMarch1, kCold, AuditAction::SettingsWritten, AuditResult::Verified,
          "Cold room \"B\", review 12", "Alarm high: 8.0 -> 6.0\nSMS number: +4917 -> +4918"),
    Entry(kMarch1 + kDay, kFreezer, AuditAction::ClockSet, AuditResult::Done, "Winter time"),
    Entry(kMarch1 + 14 * kDay, kCold, AuditAction::FactoryReset, AuditResult::Failed, "",
          "Site: \xC5\x8Csaka -> Z\xC3\xBCrich",
          "The line was lost: the logger holds its factory settings"),
    Entry(kMarch1 + 20 * kDay, kFreezer, AuditAction::RelayTested, AuditResult::Done, ""),
    Entry(kMarch1 + 31 * kDay, kCold, AuditAction::HistoryDownloaded, AuditResult::Done, ""),
    Entry(kMarch1 + 32 * kDay, kCold, AuditAction::ExportWritten, AuditResult::Done, ""),
};

// The PDF's text as poppler lays it out; nothing when pdftotext cannot run.
std::optional<std::string> PdfText(const std::string& path) {
    FILE* pipe = ::popen(("pdftotext -layout '" + path + "' - 2>/dev/null").c_str(), "r");
    if (pipe == nullptr)
        return std::nullopt;
    std::string text;
    char buffer[4096];
    while (const std::size_t n = std::fread(buffer, 1, sizeof buffer, pipe)) text.append(buffer, n);
    return ::pclose(pipe) == 0 ? std::optional(text) : std::nullopt;
}

// RFC 4180 records: quoted fields may hold commas, quotes and line breaks.
std::vector<std::vector<std::string>> ParsedCsv(const std::string& text) {
    std::vector<std::vector<std::string>> records(1, std::vector<std::string>(1));
    bool quoted = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        std::string& field = records.back().back();
        if (quoted && c == '"' && i + 1 < text.size() && text[i + 1] == '"')
            field += text[++i];
        else if (c == '"')
            quoted = !quoted;
        else if (!quoted && c == ',')
            records.back().emplace_back();
        else if (!quoted && c == '\r' && text[i + 1] == '\n' && ++i < text.size() - 1)
            records.emplace_back(1);
        else if (quoted || c != '\r')
            field += c;
    }
    return records;
}

class CliAudit : public ::testing::TestWithParam<EngineKind> {
  protected:
    void SetUp() override {
        engine = GetParam().make("audit");
        if (!engine->SkipReason().empty())
            GTEST_SKIP() << engine->SkipReason();
        ASSERT_EQ(engine->SetupError(), "");
        archive::OpenResult opened = archive::OpenArchive(engine->Archive(), false);
        ASSERT_TRUE(opened.status.ok()) << opened.status.message;
        store = std::move(opened.store);
        jobs::ChangeLog log(*store, {"anna", "lab-pc", "LGCSET 1.4.0"});
        for (const AuditEntry& entry : kScript) ASSERT_TRUE(log.Record(entry).ok());
        const archive::Rows<archive::AuditRow> read = store->AuditTrail({});
        ASSERT_EQ(read.rows.size(), kScript.size()) << read.status.message;
        rows = read.rows;
    }

    CliResult Audit(std::vector<std::string> arguments) {
        arguments.insert(arguments.begin(), {"audit", "--archive", engine->Archive()});
        return Cli(arguments);
    }

    std::unique_ptr<archive::testing::Engine> engine;
    std::unique_ptr<archive::ArchiveStore> store;
    std::vector<archive::AuditRow> rows;
    TempFolder folder;
};

// The sequences of a text list: its lines that are not changes.
std::vector<std::int64_t> ListedRows(const std::string& out) {
    std::vector<std::int64_t> sequences;
    for (std::size_t at = 0; at < out.size(); at = out.find('\n', at) + 1)
        if (out[at] != ' ')
            sequences.push_back(std::stoll(out.substr(at, out.find('\t', at) - at)));
    return sequences;
}

TEST_P(CliAudit, ListsTheRowsInOrderAndFiltersThemByLoggerAndUtcDay) {
    const std::string who =
        rows[0].entry.role.empty() ? "anna" : "anna (" + rows[0].entry.role + ")";
    const CliResult all = Audit({"list"});
    ASSERT_EQ(all.status, kExitOk) << all.err;
    EXPECT_EQ(all.out.substr(0, all.out.find("\n3\t")),
              "1\t2024-03-01 10:00:00\t" + who +
                  "\tlab-pc\tLGCSET 1.4.0\t000000000000101\tR481\tsettings written\tverified\t"
                  "Cold room \"B\", review 12\n"
                  "    Alarm high: 8.0 -> 6.0\n    SMS number: +4917 -> +4918\n"
                  "2\t2024-03-02 10:00:00\t" +
                  who +
                  "\tlab-pc\tLGCSET 1.4.0\t000000000000202\tR481\tclock set\tdone\tWinter time");
    EXPECT_NE(all.out.find("\tfailed: The line was lost: the logger holds its factory settings\t"),
              std::string::npos);

    const struct {
        std::vector<std::string> filter;
        std::vector<std::int64_t> listed;
    } cases[] = {
        {{}, {1, 2, 3, 4, 5, 6}},
        {{"--device-id", "101"}, {1, 3, 5, 6}},
        {{"--from", "2024-03-02"}, {2, 3, 4, 5, 6}},
        {{"--to", "2024-03-01"}, {1}},  // the whole day, to its last second
        {{"--device-id", "101", "--from", "24-03-02", "--to", "2024-04-01"}, {3, 5}},
        {{"--device-id", "303"}, {}},
    };
    for (const auto& c : cases) {
        std::vector<std::string> arguments{"list"};
        arguments.insert(arguments.end(), c.filter.begin(), c.filter.end());
        const CliResult listed = Audit(arguments);
        EXPECT_EQ(listed.status, kExitOk) << listed.err;
        EXPECT_EQ(ListedRows(listed.out), c.listed) << ::testing::PrintToString(c.filter);
    }

    const CliResult json = Audit({"list", "--json", "--device-id", "202"});
    EXPECT_NE(json.out.find("[\n  {\"sequence\": 2, \"at\": \"2024-03-02 10:00:00\", \"user\": "
                            "\"anna\""),
              std::string::npos)
        << json.out;
    EXPECT_NE(json.out.find("\"hash\": \"" + rows[3].hash + "\"}\n]\n"), std::string::npos);
}

TEST_P(CliAudit, ExportsTheFilteredRowsAsCsvReadBackWholeAndAsAPrintablePdf) {
    const std::string csv = folder.File("trail.csv");
    const CliResult exported = Audit({"export", "--csv", csv, "--device-id", "101"});
    ASSERT_EQ(exported.status, kExitOk) << exported.err;
    EXPECT_EQ(exported.out, "4 rows written to " + csv + "\n6 rows verified; final hash " +
                                rows.back().hash + "\n");
    const auto records = ParsedCsv(ReadText(csv));
    ASSERT_EQ(records.size(), 5u);
    EXPECT_EQ(records[0].front(), "Sequence");
    for (std::size_t r = 1; r < records.size(); ++r)
        ASSERT_EQ(records[r].size(), records[0].size()) << r;
    const archive::AuditRow& third = rows[2];
    EXPECT_EQ(records[2],
              (std::vector<std::string>{"3", "2024-03-15 10:00:00", "anna", third.entry.role,
                                        "lab-pc", "LGCSET 1.4.0", kCold, "R481", "factory reset",
                                        "failed", third.entry.why, "", third.entry.detail,
                                        third.previousHash, third.hash}));
    EXPECT_EQ(records[1][11], "Cold room \"B\", review 12");
    EXPECT_EQ(records[1][12], "Alarm high: 8.0 -> 6.0\nSMS number: +4917 -> +4918");

    const std::string pdf = folder.File("trail.pdf");
    const CliResult printed = Audit({"export", "--pdf", pdf, "--from", "2024-03-15"});
    ASSERT_EQ(printed.status, kExitOk) << printed.err;
    EXPECT_TRUE(ReadText(pdf).starts_with("%PDF-"));
    const std::optional<std::string> text = PdfText(pdf);
    ASSERT_TRUE(text) << "pdftotext could not read " << pdf;
    for (const std::string& shown : std::vector<std::string>{
             "Audit trail", "Rows: from 2024-03-15", "factory reset",
             "Site: ?saka -> Z\xC3\xBCrich", "Rows shown: 4", "Rows in the audit trail: 6",
             "Final hash: " + rows.back().hash, "The chain verifies", "Page 1 of 1",
             archive::ShownArchiveName(engine->Archive())})
        EXPECT_NE(text->find(shown), std::string::npos) << shown << "\n" << *text;
    EXPECT_EQ(text->find("Winter time"), std::string::npos);
    // Only the character beyond Latin-1 is replaced: a line break is no '?'.
    EXPECT_EQ(std::count(text->begin(), text->end(), '?'), 1) << *text;
}

// A row taller than a page goes on over the next ones; no row or line of it is lost.
TEST(CliAuditPdf, ALongTrailRunsOverNumberedPagesWithEveryRowAndLine) {
    TempFolder folder;
    archive::testing::SqliteEngine engine("long");
    archive::OpenResult opened = archive::OpenArchive(engine.Archive(), false);
    ASSERT_TRUE(opened.status.ok());
    jobs::ChangeLog log(*opened.store, {"anna", "lab-pc", "LGCSET 1.4.0"});
    std::string detail;
    for (int line = 1; line <= 120; ++line)
        detail += "Setting " + std::to_string(line) + ": old -> new\n";
    for (int row = 1; row <= 60; ++row)
        ASSERT_TRUE(log.Record(Entry(kMarch1 + row, kCold, AuditAction::SettingsWritten,
                                     AuditResult::Verified, "", row == 30 ? detail : ""))
                        .ok());
    const std::string pdf = folder.File("long.pdf");
    ASSERT_EQ(Cli({"audit", "--archive", engine.Archive(), "export", "--pdf", pdf}).status,
              kExitOk);
    const std::optional<std::string> text = PdfText(pdf);
    ASSERT_TRUE(text);
    const std::size_t pages = std::count(text->begin(), text->end(), '\f');
    ASSERT_GE(pages, 3u);
    for (std::size_t page = 1; page <= pages; ++page)
        EXPECT_NE(text->find("Page " + std::to_string(page) + " of " + std::to_string(pages)),
                  std::string::npos);
    for (const std::string shown : {"Setting 1:", "Setting 120:", "Rows shown: 60"})
        EXPECT_NE(text->find(shown), std::string::npos) << shown;
    EXPECT_NE(text->find("2024-03-01 10:01:00"), std::string::npos);  // the last row
}

// How a row is changed, removed or put in behind the archive's back, and what verify says.
struct Tampering {
    const char* name;
    std::string (*sql)(const std::vector<archive::AuditRow>& rows);
    const char* says;
};

std::string Quoted(const std::string& text) {
    return "'" + text + "'";
}

const Tampering kTamperings[] = {
    {"changed",
     [](const auto&) {
         return std::string(
             "UPDATE audit_trail SET reason = 'none' "
             "WHERE sequence = 3;");
     },
     "Row 3 was changed: its hash does not match its content."},
    {"removed",
     [](const auto&) { return std::string("DELETE FROM audit_trail WHERE sequence = 4;"); },
     "Row 5 does not follow row 3: a row is missing."},
    // A row chained to row 2 as the archive would, the rows after it moved up by one.
    {"put in",
     [](const std::vector<archive::AuditRow>& rows) {
         AuditEntry e = rows[1].entry;
         e.reason = "backdated";
         const std::string hash = archive::ChainHash(rows[1].hash, 3, e);
         return std::string(
                    "UPDATE audit_trail SET sequence = sequence + 1000 WHERE sequence >= 3; "
                    "UPDATE audit_trail SET sequence = sequence - 999 WHERE sequence > 1000; "
                    "INSERT INTO audit_trail SELECT 3, at, user_name, role, host, program, "
                    "device_id, model, action, detail, result, why, ") +
                Quoted(e.reason) + ", " + Quoted(rows[1].hash) + ", " + Quoted(hash) +
                " FROM audit_trail WHERE sequence = 2;";
     },
     "Row 4's previous hash is not row 3's: a row was put in."},
};

TEST_P(CliAudit, VerifyPassesAnIntactTrailAndNamesTheFirstRowThatBreaksIt) {
    const CliResult intact = Audit({"verify"});
    EXPECT_EQ(intact.status, kExitOk) << intact.err;
    EXPECT_EQ(intact.out, "6 rows verified; final hash " + rows.back().hash + "\n");
    for (const Tampering& tampering : kTamperings) {
        SCOPED_TRACE(tampering.name);
        auto tampered = GetParam().make(std::string("tampered-") + tampering.name);
        ASSERT_EQ(tampered->SetupError(), "");
        archive::OpenResult opened = archive::OpenArchive(tampered->Archive(), false);
        ASSERT_TRUE(opened.status.ok()) << opened.status.message;
        jobs::ChangeLog log(*opened.store, {"anna", "lab-pc", "LGCSET 1.4.0"});
        for (const AuditEntry& entry : kScript) ASSERT_TRUE(log.Record(entry).ok());
        const auto stored = opened.store->AuditTrail({}).rows;
        opened.store.reset();
        ASSERT_EQ(tampered->Sql(tampered->AllowAuditChanges() + tampering.sql(stored)), "");
        const CliResult broken = Cli({"audit", "--archive", tampered->Archive(), "verify"});
        EXPECT_EQ(broken.status, kExitRefused) << broken.err;
        EXPECT_EQ(broken.out, std::string(tampering.says) + "\n");
        // The export says it too, and fails, with the file written all the same.
        const std::string pdf = folder.File(std::string(tampering.name) + ".pdf");
        const CliResult exported =
            Cli({"audit", "--archive", tampered->Archive(), "export", "--pdf", pdf});
        EXPECT_EQ(exported.status, kExitRefused) << exported.err;
        const std::optional<std::string> text = PdfText(pdf);
        ASSERT_TRUE(text);
        EXPECT_NE(text->find("The chain does not verify."), std::string::npos) << *text;
    }
}

INSTANTIATE_TEST_SUITE_P(Engines, CliAudit,
                         ::testing::Values(archive::testing::kSqlite, archive::testing::kPostgres),
                         archive::testing::EngineName);

// What cannot be read or written is said in one line, and no file is left behind.
TEST(CliAuditRefusals, AMissingArchiveOrAnUnwritableFileIsOneLineAndLeavesNothing) {
    TempFolder folder;
    archive::testing::SqliteEngine engine("refusals");
    ASSERT_TRUE(archive::OpenArchive(engine.Archive(), false).status.ok());
    const struct {
        std::vector<std::string> arguments;
        std::string says;
    } cases[] = {
        {{"audit", "--archive", folder.File("none.sqlite"), "list"}, "none.sqlite"},
        {{"audit", "--archive", engine.Archive(), "export", "--csv", folder.File("no/t.csv")},
         "cannot create"},
        {{"audit", "--archive", engine.Archive(), "export", "--pdf", engine.Archive()},
         "is the archive: nothing was written"},
    };
    for (const auto& c : cases) {
        const CliResult refused = Cli(c.arguments);
        EXPECT_EQ(refused.status, kExitUsage) << refused.out;
        EXPECT_EQ(refused.err.find('\n'), refused.err.size() - 1) << refused.err;
        EXPECT_NE(refused.err.find(c.says), std::string::npos) << refused.err;
        EXPECT_EQ(refused.out, "");
    }
    EXPECT_TRUE(std::filesystem::is_empty(folder.path));
    EXPECT_TRUE(Cli({"audit", "--archive", engine.Archive(), "verify"}).out ==
                "The audit trail holds no rows.\n");
}

}  // namespace
}  // namespace lgcset::cli::test
