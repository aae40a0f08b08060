// A profile as the Windows program writes it, loaded into the window and saved to the
// simulated logger: the logger's pages hold the profile's values.
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QTemporaryDir>

#include "e2e_support.h"

namespace lgcset::ui::e2e {
namespace {

std::string Tel(int n) {
    return "13800138" + std::to_string(100 + n);
}

// Thresholds of sensor n: ultra-low, low, ultra-high, high.
std::string ThresholdText(int n, int which) {
    const char* texts[4] = {"-10.5", "0", "80.25", "60"};
    return which == 0 ? "-1" + std::to_string(n) + ".5" : texts[which];
}
float Threshold(int n, int which) {
    const float values[4] = {0.0f, 0.0f, 80.25f, 60.0f};
    return which == 0 ? -(10.0f + static_cast<float>(n) + 0.5f) : values[which];
}

std::string Profile() {
    std::string p = "; Customer profile\r\n[COM]\r\nSetPwd=8604\r\n[TEL]\r\n";
    for (int n = 1; n <= 6; ++n)
        p += "tel" + std::to_string(n) + "=" + (n == 6 ? "" : Tel(n)) + "\r\n";
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
            p += std::string(thresholdKeys[k]) + "=" + ThresholdText(n, k) + "\r\n";
        p += "relaytime=" + std::to_string(100 + n) +
             "\r\nstp=5\r\nnalarm=30\r\ncontime=15\r\n"
             "ainflag=1\r\nsvalue=4\r\nevalue=" +
             std::to_string(20 + n) + "\r\n";
    }
    return p;
}

Page ExpectedNumbersPage() {
    Page page = BlankPage();
    for (int n = 1; n <= 6; ++n) {
        const std::size_t row = 22 * static_cast<std::size_t>(n - 1);
        page[row] = static_cast<std::uint8_t>('1' + n % 2);
        page[row + 1] = static_cast<std::uint8_t>('1' + n % 4);
        if (n != 6)
            PutText(page, row + 2, Tel(n));
    }
    return page;
}

Page ExpectedAlarmPage() {
    Page page = BlankPage();
    for (int n = 1; n <= 4; ++n) {
        const std::size_t at = 36 * static_cast<std::size_t>(n - 1);
        page[at] = n % 2 == 1 ? 'F' : 'C';
        page[at + 1] = 5;
        PutU16(page, at + 2, static_cast<std::uint16_t>(100 + n));
        for (std::size_t k = 0; k < 4; ++k)
            PutF32(page, at + 4 + 4 * k, Threshold(n, static_cast<int>(k)));
        PutU16(page, at + 20, 30);
        PutU16(page, at + 22, 15);
        page[at + 24] = '1';
        PutF32(page, at + 28, 4.0f);
        PutF32(page, at + 32, static_cast<float>(20 + n));
    }
    return page;
}

Page ExpectedGprsPage() {
    Page page = BlankPage();
    PutText(page, 0, "lgc.example.com");
    PutText(page, 32, "10.0.0.2");
    PutU16(page, 64, 9001);
    page[66] = 1;
    PutText(page, 67, "cmnet");
    PutText(page, 99, "user");
    PutText(page, 131, "secret");
    return page;
}

Page ExpectedSystemPage() {
    Page page = BlankPage();
    page[0] = 0;
    PutText(page, 1, "13900139000");
    PutText(page, 21, "12");
    PutText(page, 27, "000000000004711");
    page[42] = 15;
    PutU16(page, 44, 60);
    page[46] = 1;
    PutText(page, 47, "1234");
    PutText(page, 53, "13700137000");
    page[73] = 1;
    page[74] = 'D';  // upload by timer: 30 minutes, no upload time
    PutU16(page, 76, 30);
    page[80] = 'M';  // report by schedule: schedules 1 and 2
    PutU16(page, 82, 2);
    page[84] = 8;
    page[85] = 30;
    page[86] = 20;
    page[87] = 0;
    PutText(page, 92, "13600136000");
    page[112] = 'C';
    PutU16(page, 114, 30);
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
    EXPECT_EQ(w.edt_tel1->text().toStdString(), Tel(1));

    ASSERT_TRUE(s.Save());
    const sim::ParameterMemory memory = s.logger.Memory();
    const struct {
        std::size_t address;
        Page expected;
    } pages[] = {{1024, ExpectedNumbersPage()},
                 {2048, ExpectedAlarmPage()},
                 {3072, ExpectedGprsPage()},
                 {4096, ExpectedSystemPage()}};
    for (const auto& page : pages) {
        const Page actual = MemoryPage(memory, page.address);
        EXPECT_EQ(actual, page.expected)
            << "page " << page.address << Differences(actual, page.expected);
    }
}

}  // namespace
}  // namespace lgcset::ui::e2e
