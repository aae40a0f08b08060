// A profile as the Windows program writes it, loaded into the window and saved to the
// simulated logger: the logger's pages hold the profile's values.
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QTemporaryDir>

#include "e2e_support.h"
#include "support/customer_settings.h"

namespace lgcset::ui::e2e {
namespace {

using support::CustomerTel;

// Thresholds of sensor n: ultra-low, low, ultra-high, high.
std::string ProfileThresholdText(int n, int which) {
    const char* texts[4] = {"-10.5", "0", "80.25", "60"};
    return which == 0 ? "-1" + std::to_string(n) + ".5" : texts[which];
}
float ProfileThreshold(int n, int which) {
    const float values[4] = {0.0f, 0.0f, 80.25f, 60.0f};
    return which == 0 ? -(10.0f + static_cast<float>(n) + 0.5f) : values[which];
}

std::string Profile() {
    std::string p = "; Customer profile\r\n[COM]\r\nSetPwd=8604\r\n[TEL]\r\n";
    for (int n = 1; n <= 6; ++n)
        p += "tel" + std::to_string(n) + "=" + (n == 6 ? "" : CustomerTel(n)) + "\r\n";
    for (int n = 1; n <= 6; ++n) {
        p += "TEL" + std::to_string(n) + "_FUN1 = " + std::to_string(n % 2) + "\r\n";
        p += "tel" + std::to_string(n) + "_fun2=" + std::to_string(n % 4) + "\r\n";
    }
    p += "[GPRS]\r\nip1=lgc.example.com\r\nip2=10.0.0.2\r\nport=9001\r\nmode=1\r\n"
         "apn=cmnet\r\ngprsname=user\r\ngprspwd=secret\r\n"
         "[OTHER]\r\ntimemode=0\r\nmytel=13900139000\r\npwd=12\r\ndevid=4711\r\nrectime=15\r\n"
         "GPRSenable=1\r\nuploadtel=13600136000\r\nupmode=1\r\nrelaytime=30\r\n"
         "gprsupmode=0\r\ngprstimeup=30\r\ngprspointup=11:45:00 PM\r\n"
         "[GPRSalarmtel]\r\nfailurereport=13700137000\r\n"
         "[PIN]\r\npinverify=1\r\npincode=1234\r\n"
         "[uploading]\r\ntimealarm=24\r\n"
         "[fixedpointtime]\r\ntime1open=1\r\ntime2open=1\r\ntime3open=0\r\ntime4open=0\r\n"
         "time1time=8:30:00 AM\r\ntime2time=20:00:00\r\ntime3time=21:00:00\r\n"
         "time4time=22:00:00\r\n";
    const char* thresholdKeys[4] = {"ullimit", "llimit", "uhlimit", "hlimit"};
    for (int n = 1; n <= 4; ++n) {
        p += "[SENSOR" + std::to_string(n) + "]\r\nflag=" + std::to_string(n % 2) + "\r\n";
        for (int k = 0; k < 4; ++k)
            p += std::string(thresholdKeys[k]) + "=" + ProfileThresholdText(n, k) + "\r\n";
        p += "relaytime=" + std::to_string(100 + n) +
             "\r\nstp=5\r\nnalarm=30\r\ncontime=15\r\n"
             "ainflag=1\r\nsvalue=4\r\nevalue=" +
             std::to_string(20 + n) + "\r\n";
    }
    return p;
}

Page ExpectedAlarmPage() {
    Page page = BlankPage();
    for (int n = 1; n <= 4; ++n) {
        const std::uint8_t type = n % 2 == 1 ? 'F' : 'C';
        const std::uint16_t relay = static_cast<std::uint16_t>(100 + n);
        const std::array<float, 4> thresholds{ProfileThreshold(n, 0), ProfileThreshold(n, 1), ProfileThreshold(n, 2),
                                              ProfileThreshold(n, 3)};
        PutAlarmBlock(
            page, 36 * static_cast<std::size_t>(n - 1),
            {type, 5, relay, thresholds, 30, 15, '1', 4.0f, 20.0f + static_cast<float>(n)});
    }
    return page;
}

TEST(ProfileToLogger, ALoadedProfileIsWhatSaveSettingsWritesToTheLogger) {
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("customer.ini"));
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        const std::string bytes = Profile();
        file.write(bytes.data(), static_cast<qint64>(bytes.size()));
    }

    sim::Options options;
    options.model = "R481";
    Session s(options);
    ASSERT_TRUE(s.Start());
    ASSERT_TRUE(s.Login());
    TestWindow& w = *s.window;
    ASSERT_TRUE(w.btn_loadconfigure->isEnabled());
    w.SetFileDialogRunner([&](QFileDialog&) { return path; });
    const std::size_t boxesBefore = w.boxes.Boxes().size();
    w.btn_loadconfigure->click();
    EXPECT_EQ(w.boxes.Boxes().size(), boxesBefore);
    EXPECT_EQ(w.edt_tel1->text().toStdString(), CustomerTel(1));

    ASSERT_TRUE(s.Save());
    ExpectPages(MemoryPages(s.logger.Memory()),
                {support::CustomerNumbersPage(), ExpectedAlarmPage(), support::CustomerGprsPage(),
                 support::CustomerSystemPage({'D', 30})});  // upload every 30 minutes
}

}  // namespace
}  // namespace lgcset::ui::e2e
