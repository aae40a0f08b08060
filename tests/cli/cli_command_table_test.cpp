// The command table as the command line reads it: which command takes which option, the
// words each option takes, and each command's help.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>

#include "cli/cli_command_table.h"
#include "cli_support.h"

namespace lgcset::cli {
namespace {

// Words each option accepts, as many as the table says it takes.
const std::map<std::string_view, std::vector<std::string>> kGoodWords{
    {"--from", {"24-03-01"}},
    {"--to", {"24-03-02"}},
    {"--out", {"folder"}},
    {"--archive", {"a.sqlite"}},
    {"--ports-glob", {"/dev/x*"}},
    {"--jobs", {"2"}},
    {"--passwords", {"p.txt"}},
    {"--device-id", {"101"}},
    {"--model", {"R481"}},
    {"--profile", {"p.ini"}},
    {"--set", {"now"}},
    {"--nc", {"5"}},
    {"--pulse", {"1", "2", "3"}},
    {"--csv", {"a.csv"}},
    {"--pdf", {"a.pdf"}},
    {"--reason", {"why"}},
    {"--template", {"t.ini"}},
    {"--values", {"v.csv"}},
    {"--default-row", {"101"}},
};

std::vector<std::string> WithWords(std::vector<std::string> line, const OptionEntry& option) {
    line.emplace_back(option.name);
    if (const auto words = kGoodWords.find(option.name); words != kGoodWords.end())
        line.insert(line.end(), words->second.begin(), words->second.end());
    return line;
}

std::size_t WordCount(Takes takes) {
    return takes == Takes::ThreeValues ? 3 : takes == Takes::Value ? 1 : 0;
}

TEST(CliCommandTable, EachCommandTakesItsOwnOptionsAndRefusesThoseOfTheOthers) {
    std::vector<OptionEntry> commandOptions;
    std::set<std::string_view> seen;
    for (const CommandEntry& command : Commands())
        for (const OptionEntry& option : command.options)
            if (seen.insert(option.name).second)
                commandOptions.push_back(option);

    for (const OptionEntry& option : commandOptions) {
        EXPECT_FALSE(IsGlobal(option)) << option.name;
        // The words the table says the option takes are the ones the line reads.
        const auto words = kGoodWords.find(option.name);
        EXPECT_EQ(words == kGoodWords.end() ? 0 : words->second.size(), WordCount(option.takes))
            << option.name;
        // An option whose words are missing says what they are.
        EXPECT_EQ(option.needs.empty(), option.takes == Takes::Nothing) << option.name;
        const std::string bare = ParseCommandLine({"--demo", std::string(option.name)}).error;
        EXPECT_EQ(bare == std::string(option.name) + " needs " + std::string(option.needs),
                  option.takes != Takes::Nothing)
            << bare;

        for (const CommandEntry& command : Commands()) {
            if (command.name == "help")
                continue;
            const std::string error =
                ParseCommandLine(WithWords({"--port", "p", std::string(command.name)}, option))
                    .error;
            const std::string refusal =
                std::string(command.name) + " does not take " + std::string(option.name);
            if (TakesOption(command.options, option.id))
                EXPECT_NE(error, refusal);
            else
                EXPECT_EQ(error, refusal);
        }
    }
}

TEST(CliCommandTable, EachActionTakesOnlyItsOwnOptions) {
    EXPECT_EQ(ParseCommandLine({"archive", "drop"}).error,
              "archive needs list, export, import or copy");
    EXPECT_EQ(ParseCommandLine({"audit", "drop"}).error, "audit needs list, verify or export");
    // A whole line of each action, and then each option of the command added to it.
    const std::map<std::string, std::vector<std::string>> whole{
        {"archive list", {"archive", "list"}},
        {"archive export",
         {"archive", "export", "--device-id", "1", "--from", "24-03-01", "--to", "24-03-02"}},
        {"archive import", {"archive", "import", "--device-id", "1", "--model", "R481", "f.csv"}},
        {"archive copy", {"archive", "copy", "--from", "a.sqlite", "--to", "b.sqlite"}},
        {"audit list", {"audit", "list"}},
        {"audit verify", {"audit", "verify"}},
        {"audit export", {"audit", "export", "--csv", "a.csv"}},
        {"settings-history list", {"settings-history", "list"}},
        {"settings-history show", {"settings-history", "show", "1"}},
        {"settings-history diff", {"settings-history", "diff", "1", "2"}},
        {"settings-history restore", {"--demo", "settings-history", "restore", "1"}},
    };
    for (const CommandEntry& command : Commands())
        for (const ActionEntry& action : command.actions) {
            const std::vector<std::string>& line =
                whole.at(std::string(command.name) + " " + std::string(action.name));
            ASSERT_EQ(ParseCommandLine(line).error, "") << action.name;
            for (const OptionEntry& option : command.options) {
                // audit export takes one of --csv and --pdf.
                if (option.id == OptionId::PdfOut && line[1] == "export" && line[0] == "audit")
                    continue;
                if (std::find(line.begin(), line.end(), option.name) != line.end())
                    continue;
                const std::string error = ParseCommandLine(WithWords(line, option)).error;
                EXPECT_EQ(error.empty(), TakesOption(action.options, option.id))
                    << action.name << " " << option.name << ": " << error;
            }
        }
}

TEST(CliCommandTable, EachCommandAndActionMissingWhatItNeedsIsRefusedInItsOwnWords) {
    // "": the line is understood. A command's own needs are said before the logger it needs.
    const std::vector<std::pair<std::vector<std::string>, std::string>> lines{
        {{"ports"}, ""},
        {{"info"}, "info needs --port PATH or --demo"},
        {{"--demo", "info"}, ""},
        {{"--demo", "read"}, "read needs one profile file"},
        {{"--demo", "write"}, "write needs one profile file"},
        {{"--demo", "diff"}, "diff needs one profile file"},
        {{"history"}, "history needs --from and --to"},
        {{"history", "--from", "24-03-01", "--to", "24-03-02"},
         "history needs --port PATH or --demo"},
        {{"--demo", "history", "--from", "24-03-02", "--to", "24-03-01"},
         "history: the range ends before it starts (--to 2024-03-01 is before --from "
         "2024-03-02)"},
        {{"collect"}, "collect needs --port PATH or --ports-glob PATTERN"},
        {{"configure", "--port", "a"}, "configure needs --template PROFILE.ini"},
        {{"configure", "--template", "t.ini"},
         "configure needs --port PATH or --ports-glob PATTERN"},
        {{"configure", "--template", "t.ini", "--port", "a", "--default-row", "1"},
         "--default-row names a row of --values, which is not given"},
        {{"--demo", "clock"}, ""},
        {{"--demo", "current"}, ""},
        {{"relay"}, "relay needs --nc, --pulse or --stop"},
        {{"relay", "--stop", "--nc"}, "relay takes one of --nc, --pulse and --stop"},
        {{"factory-reset"}, "factory-reset resets every setting of the logger: confirm with --yes"},
        {{"factory-reset", "--yes"}, "factory-reset needs --port PATH or --demo"},
        {{"report"}, "report needs one CSV file"},
        {{"archive"}, "archive needs list, export, import or copy"},
        {{"archive", "list"}, ""},
        {{"archive", "export", "--from", "24-03-01", "--to", "24-03-02"},
         "archive export needs --device-id"},
        {{"archive", "export", "--device-id", "1", "--from", "24-03-02", "--to", "24-03-01"},
         "archive export: the range ends before it starts"},
        // Only copy's --from and --to name archives.
        {{"archive", "export", "--device-id", "1", "--from", "a.sqlite", "--to", "24-03-01"},
         "--from: \"a.sqlite\" is not a date YY-MM-DD"},
        {{"archive", "import", "--device-id", "1", "f.csv"}, "archive import needs --model"},
        {{"archive", "copy", "--from", "a.sqlite", "--to", "postgresql://db"}, ""},
        {{"archive", "copy", "--to", "b.sqlite"},
         "archive copy needs --from and --to: an archive file or a postgresql:// URL each"},
        {{"archive", "copy", "--from", "a", "--to", "b", "--archive", "c"},
         "archive copy names its archives with --from and --to, not --archive"},
        {{"archive", "copy", "--from", "a", "--to", "b", "--out", "d"},
         "archive copy takes only --from and --to"},
        {{"audit"}, "audit needs list, verify or export"},
        {{"audit", "list", "--device-id", "1", "--from", "2024-03-01"}, ""},
        {{"audit", "list", "--from", "2024-03-02", "--to", "2024-03-01"},
         "audit list: the range ends before it starts"},
        {{"audit", "list", "--csv", "a.csv"}, "audit list takes no --csv or --pdf"},
        // The chain is the whole trail's.
        {{"audit", "verify", "--device-id", "1"}, "audit verify takes no --device-id or --model"},
        {{"audit", "export"}, "audit export needs one of --csv FILE and --pdf FILE"},
        {{"audit", "export", "--csv", "a.csv", "--pdf", "a.pdf"},
         "audit export needs one of --csv FILE and --pdf FILE"},
        {{"settings-history"}, "settings-history needs list, show, diff or restore"},
        {{"settings-history", "list", "--yes"}, "settings-history list does not take --yes"},
        {{"settings-history", "show"}, "settings-history show needs one snapshot ID"},
        {{"settings-history", "diff", "1", "0"},
         "settings-history diff: \"0\" is not a snapshot ID"},
        {{"settings-history", "restore", "3"},
         "settings-history restore needs --port PATH or --demo"},
        {{"help"}, ""},
        {{"help", "frob"}, "unknown command \"frob\""},
    };
    std::set<std::string> named;
    for (const auto& [line, refusal] : lines) {
        const CliOptions options = ParseCommandLine(line);
        EXPECT_EQ(options.error, refusal) << line.back();
        EXPECT_EQ(options.outcome,
                  refusal.empty() ? ParseOutcome::Understood : ParseOutcome::Refused)
            << line.back();
        const auto command = std::find_if(line.begin(), line.end(),
                                          [](const std::string& word) { return word[0] != '-'; });
        named.insert(*command + (command + 1 == line.end() ? "" : " " + *(command + 1)));
    }
    // Every command and action of the table has its line here.
    for (const CommandEntry& command : Commands()) {
        EXPECT_TRUE(std::any_of(named.begin(), named.end(), [&](const std::string& name) {
            return name.starts_with(command.name);
        })) << command.name;
        for (const ActionEntry& action : command.actions)
            EXPECT_TRUE(named.contains(std::string(command.name) + " " + std::string(action.name)))
                << action.name;
    }
    const CliOptions copy = ParseCommandLine({"archive", "copy", "--from", "a", "--to", "b"});
    EXPECT_EQ(copy.copyFrom, "a");
    EXPECT_FALSE(copy.from.has_value());
}

TEST(CliCommandTable, HelpListsEveryCommandInTableOrderAndEachCommandsHelpIsItsUsage) {
    const std::string program = test::Cli({"--help"}).out;
    std::size_t at = program.find("\ncommands:\n");
    ASSERT_NE(at, std::string::npos);
    for (const CommandEntry& command : Commands()) {
        const std::string line = "\n  " + std::string(command.synopsis) + "\n";
        const std::size_t found = program.find(line, at);
        EXPECT_NE(found, std::string::npos) << command.name;
        at = found == std::string::npos ? at : found + 1;

        // "help --help" is the program's help.
        std::vector<std::vector<std::string>> asks{{"help", std::string(command.name)}};
        if (command.name != "help")
            asks.push_back({std::string(command.name), "--help"});
        for (const std::vector<std::string>& asked : asks) {
            const test::CliResult own = test::Cli(asked);
            EXPECT_EQ(own.status, kExitOk) << command.name;
            const std::string usage = own.out.substr(0, own.out.find('\n'));
            EXPECT_TRUE(usage.starts_with("Usage: lgcset-cli ")) << usage;
            EXPECT_TRUE(usage.ends_with(command.synopsis.substr(0, command.synopsis.find('\n'))))
                << usage;
            EXPECT_TRUE(own.out.ends_with("\n\n" + std::string(command.help) + "\n")) << own.out;
        }
    }
}

}  // namespace
}  // namespace lgcset::cli
