// Demo mode as the program starts it: the command line, the simulated logger first in the
// port list and named on screen, and a login with the password already in the window.
#include <QComboBox>

#include "app/launch_options.h"
#include "e2e_support.h"
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

    // Open and Login as the user clicks them, with the password the window starts with.
    w->btn8->click();
    ASSERT_TRUE(w->LinkOpen());
    w->btn7->click();
    ASSERT_TRUE(WaitForBox(*w, kLoginSuccess));
    EXPECT_EQ(w->Edit1->text(), QStringLiteral("R483"));
}

}  // namespace
}  // namespace lgcset::ui::e2e
