// Demo mode as the program starts it: the command line, the simulated logger first in the
// port list and named on screen, and a login with the password already in the window.
#include <QComboBox>
#include <algorithm>
#include <filesystem>
#include <string_view>

#include "app/launch_options.h"
#include "e2e_support.h"
#include "session/simulated_link.h"
#include "ui/status_panels.h"

namespace lgcset::ui::e2e {
namespace {

using app::ParseLaunchOptions;

TEST(DemoMode, CommandLine) {
    EXPECT_FALSE(ParseLaunchOptions({}).demo);
    const auto demo = ParseLaunchOptions({"--demo"});
    EXPECT_TRUE(demo.demo);
    EXPECT_EQ(demo.demoModel, "R481");
    const auto model = ParseLaunchOptions({"--demo-model", "R483"});
    EXPECT_TRUE(model.demo);
    EXPECT_EQ(model.demoModel, "R483");
    EXPECT_EQ(ParseLaunchOptions({"--demo-model=R480"}).demoModel, "R480");
    EXPECT_TRUE(ParseLaunchOptions({"--help"}).help);
    EXPECT_TRUE(ParseLaunchOptions({"--demo", "--version"}).version);
    for (const std::vector<std::string>& wrong :
         {std::vector<std::string>{"--demo-model"}, {"--demo-model", "R484"}, {"--dmeo"}, {"R481"}})
        EXPECT_FALSE(ParseLaunchOptions(wrong).error.empty()) << wrong.back();
}

TEST(DemoMode, TheSimulatedLoggerIsFirstSelectedAndNamedAndTakesTheLogin) {
    sim::Options options;
    options.model = "R483";
    sim::Simulator logger(options);
    std::string error;
    ASSERT_TRUE(logger.StartOnPseudoTerminal(&error)) << error;

    auto w = test::MakeWindow();
    w->SetPortSource([&] { return std::vector<std::string>{"/dev/ttyS0", logger.slavePath()}; });
    const QString title = w->windowTitle();
    w->UseSimulatedLogger(logger.slavePath(), "R483");
    ASSERT_EQ(w->cbox_com->count(), 2);  // listed once, first
    EXPECT_EQ(w->cbox_com->itemText(0).toStdString(), logger.slavePath());
    EXPECT_EQ(w->cbox_com->currentText().toStdString(), logger.slavePath());
    EXPECT_EQ(w->windowTitle(), title + QStringLiteral(" — simulated R483 logger"));
    EXPECT_EQ(w->stat1->PanelText(w->stat1->PanelCount() - 1),
              QStringLiteral("Demo: simulated R483 logger"));
    // With demo mode's own archive, the panel says where the transfers go.
    auto own = test::MakeWindow();
    own->UseArchive(std::filesystem::temp_directory_path() / "unused.sqlite", false, true);
    own->UseSimulatedLogger(logger.slavePath(), "R483");
    EXPECT_EQ(own->stat1->PanelText(own->stat1->PanelCount() - 1),
              QStringLiteral("Demo: simulated R483 logger; throw-away archive"));

    // Open and Login as the user clicks them, with the password the window starts with.
    w->btn8->click();
    ASSERT_TRUE(w->LinkOpen());
    w->btn7->click();
    ASSERT_TRUE(WaitForBox(*w, kLoginSuccess));
    EXPECT_EQ(w->Edit1->text(), QStringLiteral("R483"));
}

TEST(DemoMode, TheLoggerInsideTheProgramIsReadWrittenAndKeepsWhatWasSaved) {
    // Demo mode as the program starts it: no port at all, the logger runs in the program.
    auto w = test::MakeWindow();
    w->SetPortSource([] { return std::vector<std::string>{"/dev/ttyS0"}; });
    sim::Options options;
    options.model = "R480";
    auto line = std::make_unique<session::SimulatedLink>(w->LineEvents(), options);
    session::SimulatedLink& logger = *line;
    w->UseSimulatedLogger(std::move(line), "simulated R480", "R480");
    EXPECT_EQ(w->cbox_com->currentText(), QStringLiteral("simulated R480"));
    EXPECT_EQ(w->cbox_com->itemText(1), QStringLiteral("/dev/ttyS0"));

    w->btn8->click();
    ASSERT_TRUE(w->LinkOpen());
    EXPECT_FALSE(w->cm1.PortOpen());  // the serial port stays closed
    w->btn7->click();
    ASSERT_TRUE(WaitForBox(*w, kLoginSuccess));
    EXPECT_EQ(w->Edit1->text(), QStringLiteral("R480"));
    w->btn_load->click();
    ASSERT_TRUE(WaitForBox(*w, kReadDone));

    w->edt_tel1->setText(QStringLiteral("+4915112345678"));
    w->btn_down->click();
    ASSERT_TRUE(WaitForBox(*w, kSaved));
    w->edt_tel1->clear();
    w->btn_load->click();
    ASSERT_TRUE(WaitForBox(*w, kReadDone, 2));
    EXPECT_EQ(w->edt_tel1->text(), QStringLiteral("+4915112345678"));

    w->btn8->click();  // Close: the logger's memory can be looked at once its line is closed
    ASSERT_FALSE(w->LinkOpen());
    const sim::ParameterMemory memory = logger.Memory();
    const std::string_view number = "+4915112345678";
    const auto page = memory.begin() + 1024;
    EXPECT_NE(std::search(page, page + 256, number.begin(), number.end()), page + 256);
}

}  // namespace
}  // namespace lgcset::ui::e2e
