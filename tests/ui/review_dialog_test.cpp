// The review shown before a write: its write button counts the rows checked and cannot
// write none.
#include <gtest/gtest.h>

#include <QPushButton>

#include "ui/review_dialog.h"
#include "ui_test_support.h"

namespace lgcset::ui {
namespace {

TEST(ReviewDialog, TheWriteButtonFollowsTheCheckBoxes) {
    test::App();
    const std::vector<jobs::ReviewRow> rows = {
        {"edt_port", "GPRS Connection setting", "Port", "8000", "9001", "", {}},
        {"edt_apn", "GPRS Connection setting", "Access Point Name", "", "cmnet", "", {}},
        {"edt_rec_time", "System", "Log interval timer", "5", "10", "mins", {}},
    };
    ReviewDialog dialog(rows, nullptr);
    EXPECT_EQ(dialog.write->text(), QStringLiteral("Write 3 changes"));
    struct Step {
        int row;
        bool chosen;
        const char* button;
        bool enabled;
    };
    const Step steps[] = {
        {0, false, "Write 2 changes", true},
        {2, false, "Write 1 change", true},
        {1, false, "Write 0 changes", false},
        {2, true, "Write 1 change", true},
    };
    for (const Step& step : steps) {
        dialog.SetChosen(step.row, step.chosen);
        EXPECT_EQ(dialog.write->text(), QString::fromUtf8(step.button));
        EXPECT_EQ(dialog.write->isEnabled(), step.enabled) << step.button;
    }
    EXPECT_EQ(dialog.Chosen(), (std::vector<bool>{false, false, true}));
}

}  // namespace
}  // namespace lgcset::ui
