// "Apply Template..." on a simulated logger with its own device ID: the row of the values
// file that names the logger reaches its memory through the review, and every refusal leaves
// the window as it was.
#include <QDir>
#include <QFileDialog>
#include <QTableWidget>
#include <QTemporaryDir>
#include <array>
#include <fstream>
#include <initializer_list>

#include "e2e_support.h"
#include "jobs/settings_jobs.h"
#include "profiles/profile.h"
#include "profiles/profile_origin.h"
#include "settings/settings_model.h"
#include "ui/review_dialog.h"

namespace lgcset::ui::e2e {
namespace {

using Edits = std::initializer_list<std::array<const char*, 3>>;  // section, key, value

struct Files {
    QTemporaryDir dir;
    QString Path(const char* name) const { return dir.filePath(QString::fromLatin1(name)); }
    QString Shown(const char* name) const { return QDir::toNativeSeparators(Path(name)); }
    void Write(const char* name, const std::string& text) const {
        std::ofstream(Path(name).toStdString(), std::ios::binary) << text;
    }
    // A logger's profile saved as another logger's, then edited: a template as a user makes.
    void WriteTemplate(const char* name, const settings::SettingsView& from, Edits edits) const {
        profiles::IniFile file;
        profiles::SaveProfile(from, file);
        profiles::WriteOrigin(file, {"R481", "V3.05-R48x", "000000000000999", "", ""});
        for (const auto& [section, key, value] : edits) file.Write(section, key, value);
        Write(name, file.ToBytes());
    }
    // The template's dialog answered with `templ`, the values file's with `values` (empty:
    // Cancel).
    void Answer(TestWindow& w, const char* templ, const char* values) const {
        w.SetFileDialogRunner([this, templ, values](QFileDialog& dialog) {
            const char* file = dialog.objectName() == "dlgOpen_template" ? templ : values;
            return *file == '\0' ? QString() : Path(file);
        });
    }
};

// Every value of the window's settings a profile holds, the login password among them.
std::string ProfileOf(const settings::SettingsView& view) {
    profiles::IniFile file;
    profiles::SaveProfile(view, file);
    return file.ToBytes();
}

TEST(ApplyTemplate, TheLoggersRowIsReviewedAndWrittenAndItKeepsItsOwnDeviceId) {
    sim::Options options;
    options.deviceId = "4711";
    Session s(options);
    ASSERT_TRUE(s.Start() && s.Login());
    TestWindow& w = *s.window;

    Files files;
    files.WriteTemplate(
        "fleet.ini", w.Settings(),
        {{"GPRS", "ip1", "${server}"}, {"TEL", "tel1", "${tel}"}, {"OTHER", "devid", "999"}});
    files.Write("loggers.csv",
                "device_id;server;tel\r\n999;other.example.com;1\r\n"
                "4711;lgc.example.com;+8613800138000\r\n");
    // Typed and never sent: the template goes over what the logger holds, read first (and
    // with it the logger's device ID) as nothing was read since the login. The box is off,
    // and the template is reviewed all the same.
    w.edt_port->setText(QStringLiteral("9001"));
    files.Answer(w, "fleet.ini", "loggers.csv");
    QStringList reviewed;
    w.SetReviewDialogRunner([&](ReviewDialog& dialog) {
        for (int r = 0; r < dialog.table->rowCount(); ++r)
            reviewed << dialog.table->item(r, 1)->text() + QLatin1Char('|') +
                            dialog.table->item(r, 3)->text();
        dialog.write->click();
        return dialog.result() == QDialog::Accepted;
    });
    ASSERT_TRUE(WaitForWrite(w, [&] { w.btn_apply_template->click(); }));
    EXPECT_EQ(reviewed, (QStringList{QStringLiteral("No.1|+8613800138000"),
                                     QStringLiteral("Target Server IP(DNS)|lgc.example.com")}));
    for (const auto& box : w.boxes.Boxes())  // another logger's [Origin] is not asked about
        EXPECT_NE(box.kind, ScriptedMessageBoxes::Kind::Ask) << box.text.toStdString();

    std::map<std::uint32_t, jobs::Page> pages;
    for (std::uint32_t page = 1024; page <= 4096; page += 1024)
        pages[page] = MemoryPage(s.logger.Memory(), page);
    settings::SettingsModel held;
    jobs::DecodePages(pages, w.Device().LoginReply(), held);
    EXPECT_EQ(held.Text("edt_ip1"), "lgc.example.com");
    EXPECT_EQ(held.Text("edt_tel1"), "+8613800138000");
    EXPECT_EQ(held.Text("edt_port"), "8000");
    EXPECT_EQ(held.Text("edt_id"), "000000000004711");
}

// Each refusal is one error box, with no review and every widget as it was.
// The button is on while "Load Profile" is: while logged in.
TEST(ApplyTemplate, ARefusalChangesNothingAndTheButtonNeedsALogin) {
    sim::Options options;
    options.deviceId = "4711";
    Session s(options);
    ASSERT_TRUE(s.Start());
    TestWindow& w = *s.window;
    EXPECT_FALSE(w.btn_apply_template->isEnabled());
    ASSERT_TRUE(s.Login());
    EXPECT_TRUE(w.btn_apply_template->isEnabled());
    ASSERT_TRUE(s.Read());

    Files files;
    files.WriteTemplate("fleet.ini", w.Settings(), {{"GPRS", "ip1", "${server}"}});
    files.WriteTemplate("flag.ini", w.Settings(), {{"SENSOR1", "flag", "${flag}"}});
    files.Write("stray.ini", "[Other program]\r\nkey=1\r\n");
    files.Write("short.csv", "device_id,server,tel\r\n4711,a.example.com\r\n");
    files.Write("others.csv", "device_id,server\r\n999,a.example.com\r\n");
    files.Write("noserver.csv", "device_id,sever\r\n4711,a.example.com\r\n");
    files.Write("flag.csv", "device_id,flag\r\n4711,7\r\n");
    const struct {
        const char* templ;
        const char* values;  // empty: Cancel
        QString text;
        QString detail;
    } cases[] = {
        {"missing.ini", "", QStringLiteral("Unable to read ") + files.Shown("missing.ini"),
         QStringLiteral("no such file")},
        {"stray.ini",
         "",
         files.Shown("stray.ini") + QStringLiteral(" holds no settings of this program."),
         {}},
        {"fleet.ini",
         "short.csv",
         files.Shown("short.csv") + QStringLiteral(": line 2 has 2 fields; the header names 3"),
         {}},
        {"fleet.ini", "noserver.csv", QStringLiteral("Unable to apply ") + files.Shown("fleet.ini"),
         QStringLiteral("the template fleet.ini uses ${server}, which noserver.csv has no column "
                        "for; noserver.csv has the column sever, which is neither a name the "
                        "template uses nor a profile key")},
        {"fleet.ini", "", QStringLiteral("Unable to apply ") + files.Shown("fleet.ini"),
         QStringLiteral("the template fleet.ini uses ${server}, which only a values file can "
                        "give")},
        {"fleet.ini",
         "others.csv",
         QStringLiteral("The logger 000000000004711 is not in %1.").arg(files.Shown("others.csv")),
         {}},
        {"flag.ini", "flag.csv", QStringLiteral("Unable to load ") + files.Shown("flag.ini"),
         QStringLiteral("Sensor1 (Alarm parameters setting1): [SENSOR1] flag=7 does not fit; the "
                        "setting holds 0 \"Centigrade\", 1 \"Fahrenheit\" or 2 \"AIN\".")},
    };
    w.edt_port->setText(QStringLiteral("9001"));  // typed: a template applied would undo it
    const std::string before = ProfileOf(w.Settings());
    bool reviewed = false;
    w.SetReviewDialogRunner([&](ReviewDialog&) { return reviewed = true; });
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.templ) + " " + c.values);
        w.boxes.Clear();
        files.Answer(w, c.templ, c.values);
        w.btn_apply_template->click();
        test::Pump(50);
        ASSERT_EQ(w.boxes.Boxes().size(), 1u);
        EXPECT_EQ(w.boxes.Boxes()[0].kind, ScriptedMessageBoxes::Kind::Error);
        EXPECT_EQ(w.boxes.Boxes()[0].text, c.text);
        EXPECT_EQ(w.boxes.Boxes()[0].detail, c.detail);
        EXPECT_EQ(ProfileOf(w.Settings()), before);
        EXPECT_FALSE(reviewed);
    }

    w.btn8->click();  // Close
    EXPECT_FALSE(w.btn_apply_template->isEnabled());
}

}  // namespace
}  // namespace lgcset::ui::e2e
