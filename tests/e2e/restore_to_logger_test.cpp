// "Save Settings" after a snapshot was restored writes the snapshot's own pages: the bytes no
// setting owns come back with the settings, reviewed or not, read before or not, and alone
// where only they differ.
#include <QCheckBox>
#include <QPushButton>

#include "e2e_support.h"
#include "support/settings_snapshot.h"
#include "ui/review_dialog.h"

namespace lgcset::ui::e2e {
namespace {

TEST(RestoreToLogger, SaveSettingsWritesTheRestoredSnapshotsPagesByteForByte) {
    archive::SettingsSnapshot kept = support::CustomerSnapshot();
    kept.pages.at(protocol::kGprsPage)[250] = 0x00;  // a byte no setting owns
    SettingsPages expected;
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const std::vector<std::uint8_t>& page = kept.pages.at(1024 * (i + 1));
        std::copy(page.begin(), page.end(), expected[i].begin());
    }
    struct Case {
        const char* name;
        bool readFirst;  // the logger's pages known before the restore
        bool reviewed;
    };
    const Case cases[] = {
        {"reviewed after a read", true, true},
        {"reviewed, read by the save", false, true},
        {"unreviewed", true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Session s{sim::Options{}};
        ASSERT_TRUE(s.Start());
        ASSERT_TRUE(s.Login());
        if (c.readFirst) {
            ASSERT_TRUE(s.Read());
        }
        TestWindow& w = *s.window;
        ASSERT_TRUE(w.RestoreSnapshot(kept));
        w.chk_review->setChecked(c.reviewed);
        int reviews = 0;
        w.SetReviewDialogRunner([&](ReviewDialog& dialog) {
            ++reviews;
            dialog.write->click();
            return dialog.result() == QDialog::Accepted;
        });
        ASSERT_TRUE(s.Save());
        EXPECT_EQ(reviews, c.reviewed ? 1 : 0);
        ExpectPages(MemoryPages(s.logger.Memory()), expected);
        if (!c.reviewed)
            continue;
        // Now holding the snapshot, the logger is restored to one a byte apart: that byte
        // alone is reviewed and written, never "nothing to write".
        archive::SettingsSnapshot apart = kept;
        apart.pages.at(protocol::kGprsPage)[250] = 0x77;
        expected[2][250] = 0x77;
        ASSERT_TRUE(w.RestoreSnapshot(apart));
        std::size_t rows = 0;
        w.SetReviewDialogRunner([&](ReviewDialog& dialog) {
            rows = dialog.Chosen().size();
            dialog.write->click();
            return dialog.result() == QDialog::Accepted;
        });
        ASSERT_TRUE(s.Save());
        EXPECT_EQ(rows, 1u);
        ExpectPages(MemoryPages(s.logger.Memory()), expected);
        expected[2][250] = 0x00;
    }
}

}  // namespace
}  // namespace lgcset::ui::e2e
