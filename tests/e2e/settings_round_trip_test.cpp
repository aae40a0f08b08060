// For each model: login shows the logger and adapts the channels, Read Settings brings the
// factory settings into the widgets, values typed on every tab are saved byte for byte into
// the logger's memory, and a fresh window reads them back.
#include <QCheckBox>
#include <QComboBox>
#include <QProgressBar>
#include <QTimeEdit>

#include "e2e_support.h"
#include "support/customer_settings.h"

namespace lgcset::ui::e2e {
namespace {

using support::CustomerTel;

struct ModelCase {
    const char* model;
    bool fourChannels;
    bool analog;
};

class SettingsRoundTrip : public ::testing::TestWithParam<ModelCase> {
  protected:
    sim::Options LoggerOptions() const {
        sim::Options options;
        options.model = GetParam().model;
        return options;
    }
    int Channels() const { return GetParam().fourChannels ? 4 : 2; }
};

FilteredLineEdit* Edit(TestWindow& w, const std::string& name) {
    return w.findChild<FilteredLineEdit*>(QString::fromStdString(name));
}
QComboBox* List(TestWindow& w, const std::string& name) {
    return w.findChild<QComboBox*>(QString::fromStdString(name));
}
std::string Sensor(int n, const char* field) {
    return "edt_Sensor" + std::to_string(n) + "_" + field;
}
float Threshold(int n, int which) {
    // Ultra-low, low, ultra-high, high of sensor n.
    switch (which) {
        case 0:
            return -10.5f - static_cast<float>(n);
        case 1:
            return static_cast<float>(n);
        case 2:
            return 80.25f + static_cast<float>(n);
        default:
            return 60.1f;
    }
}
const char* ThresholdText(int n, int which) {
    static const char* texts[4][4] = {{"-11.5", "1", "81.25", "60.1"},
                                      {"-12.5", "2", "82.25", "60.1"},
                                      {"-13.5", "3", "83.25", "60.1"},
                                      {"-14.5", "4", "84.25", "60.1"}};
    return texts[n - 1][which];
}
const char* kThresholdFields[4] = {"SLow", "Low", "SHigh", "High"};

// What the user types on every tab. Sensors 3 and 4 only where the model has them.
void TypeSettings(TestWindow& w, int channels, bool analog) {
    // Authorised numbers: row 6 stays empty.
    for (int n = 1; n <= 6; ++n) {
        Edit(w, "edt_tel" + std::to_string(n))
            ->setText(n == 6 ? QString() : QString::fromStdString(CustomerTel(n)));
        List(w, "cbb_tel" + std::to_string(n) + "_f1")->setCurrentIndex(n % 2);
        List(w, "cbb_tel" + std::to_string(n) + "_f2")->setCurrentIndex(n % 4);
    }
    // Alarms.
    for (int n = 1; n <= channels; ++n) {
        const std::string s = std::to_string(n);
        List(w, "cbb_sensor" + s)->setCurrentIndex(!analog && n == 2 ? 1 : 0);
        List(w, "cbb_sensor" + s + "_ain")->setCurrentIndex(analog ? 2 : 1);
        Edit(w, Sensor(n, "STP"))->setText(QStringLiteral("5"));
        Edit(w, Sensor(n, "Relay"))->setText(QStringLiteral("120"));
        for (int k = 0; k < 4; ++k)
            Edit(w, Sensor(n, kThresholdFields[k]))
                ->setText(QString::fromLatin1(ThresholdText(n, k)));
        Edit(w, Sensor(n, "SP"))->setText(QStringLiteral("30"));
        Edit(w, Sensor(n, "ens"))->setText(QStringLiteral("15"));
        Edit(w, Sensor(n, "start"))->setText(QStringLiteral("4"));
        Edit(w, Sensor(n, "end"))->setText(QString::number(20 + n));
    }
    // GPRS.
    w.edt_ip1->setText(QStringLiteral("lgc.example.com"));
    w.edt_ip2->setText(QStringLiteral("10.0.0.2"));
    w.edt_port->setText(QStringLiteral("9001"));
    w.cbb_mode->setCurrentIndex(1);
    w.edt_apn->setText(QStringLiteral("cmnet"));
    w.edt_gprsname->setText(QStringLiteral("user"));
    w.edt_gprspassword->setText(QStringLiteral("secret"));
    // System parameters, with both modes on Schedule as the user chooses them.
    w.cbb_timemode->setCurrentIndex(0);
    w.edt_tel_my->setText(QStringLiteral("13900139000"));
    w.edt_pwd->setText(QStringLiteral("12"));
    w.edt_id->setText(QStringLiteral("4711"));
    w.edt_rec_time->setText(QStringLiteral("15"));
    w.chk1->setChecked(true);
    w.edt_PinCode->setText(QStringLiteral("1234"));
    w.edt_GprsFailTel->setText(QStringLiteral("13700137000"));
    w.CheckBox1->setChecked(true);
    w.cbb_gprsupmode->setCurrentIndex(1);
    w.cbb_gprsupmodeChange();
    w.dtp_gprspointup->setTime(QTime(23, 45));
    w.cb_pdat->setCurrentIndex(1);
    w.cb_pdatChange();
    w.CheckBox2->setChecked(true);
    w.DateTimePicker5->setTime(QTime(8, 30));
    w.CheckBox3->setChecked(true);
    w.DateTimePicker6->setTime(QTime(20, 0));
    w.edit9->setText(QStringLiteral("13600136000"));
    w.edt_relay_time->setText(QStringLiteral("30"));
}

Page ExpectedAlarmPage(int channels, bool analog) {
    Page page = BlankPage();
    for (int n = 1; n <= 4; ++n) {
        const std::size_t at = 36 * static_cast<std::size_t>(n - 1);
        if (n > channels) {
            // Read from the factory state and written back unchanged.
            PutAlarmBlock(page, at, FactoryAlarmBlock(analog ? 'B' : 'C'));
            continue;
        }
        const std::uint8_t type = analog ? 'B' : (n == 2 ? 'F' : 'C');
        const std::array<float, 4> thresholds{Threshold(n, 0), Threshold(n, 1), Threshold(n, 2),
                                              Threshold(n, 3)};
        PutAlarmBlock(
            page, at,
            {type, 5, 120, thresholds, 30, 15, static_cast<std::uint8_t>(analog ? '2' : '1'), 4.0f,
             20.0f + static_cast<float>(n)});
    }
    return page;
}

TEST_P(SettingsRoundTrip, LoginReadSaveAndReadBack) {
    const ModelCase& model = GetParam();
    Session s(LoggerOptions());
    ASSERT_TRUE(s.Start());
    TestWindow& w = *s.window;

    // Login: identity, channel lists, sensors 3 and 4, device buttons.
    ASSERT_TRUE(s.Login());
    EXPECT_EQ(w.Edit1->text(), QString::fromLatin1(model.model));
    EXPECT_EQ(w.edt43->text(), QStringLiteral("V3.05-R48x"));
    const QStringList expectedItems =
        model.analog ? QStringList{"Ain"} : QStringList{"Centigrade", "Fahrenheit"};
    for (QComboBox* list : {w.cbb_sensor1, w.cbb_sensor2}) {
        QStringList items;
        for (int i = 0; i < list->count(); ++i) items << list->itemText(i);
        EXPECT_EQ(items, expectedItems);
        EXPECT_EQ(list->currentIndex(), 0);
    }
    for (QWidget* widget :
         std::initializer_list<QWidget*>{w.cbb_sensor3, w.cbb_sensor4, w.cbb_sensor3_ain,
                                         w.edt_Sensor3_SLow, w.edt_Sensor4_High, w.edt_Sensor4_end})
        EXPECT_EQ(widget->isEnabled(), model.fourChannels) << widget->objectName().toStdString();
    EXPECT_TRUE(w.btn_load->isEnabled());
    EXPECT_TRUE(w.btn_down->isEnabled());

    // Read Settings: the factory settings in the widgets.
    ASSERT_TRUE(s.Read());
    EXPECT_EQ(w.edt_port->text(), QStringLiteral("8000"));
    EXPECT_EQ(w.edt_rec_time->text(), QStringLiteral("5"));
    EXPECT_EQ(w.edt_id->text(), QStringLiteral("000000000000000"));
    EXPECT_EQ(w.edt_pwd->text(), QStringLiteral("8604"));
    EXPECT_EQ(w.cbb_timemode->currentIndex(), 1);
    EXPECT_EQ(w.edt1->text(), QStringLiteral("24"));
    EXPECT_EQ(w.edt_relay_time->text(), QStringLiteral("10"));
    EXPECT_EQ(w.edt_Sensor2_SLow->text(), QStringLiteral("999.00"));
    EXPECT_EQ(w.edt_Sensor2_start->text(), QStringLiteral("99999.00"));
    EXPECT_EQ(w.edt_Sensor2_Relay->text(), QStringLiteral("9999"));
    EXPECT_EQ(w.cbb_tel3_f2->currentIndex(), 0);
    EXPECT_TRUE(w.pb_write->isHidden());

    // Every tab edited, then saved: the logger's memory holds exactly the typed values.
    TypeSettings(w, Channels(), model.analog);
    ASSERT_TRUE(s.Save());
    ExpectPages(MemoryPages(s.logger.Memory()),
                {support::CustomerNumbersPage(), ExpectedAlarmPage(Channels(), model.analog),
                 support::CustomerGprsPage(),
                 support::CustomerSystemPage({'M', 0, 23, 45})});  // upload at 23:45

    // A fresh window reads them back.
    ASSERT_TRUE(s.Connect());
    TestWindow& r = *s.window;
    ASSERT_TRUE(s.Login());
    ASSERT_TRUE(s.Read());
    for (int n = 1; n <= 6; ++n) {
        EXPECT_EQ(Edit(r, "edt_tel" + std::to_string(n))->text().toStdString(),
                  n == 6 ? std::string() : CustomerTel(n));
        EXPECT_EQ(List(r, "cbb_tel" + std::to_string(n) + "_f1")->currentIndex(), n % 2);
        EXPECT_EQ(List(r, "cbb_tel" + std::to_string(n) + "_f2")->currentIndex(), n % 4);
    }
    for (int n = 1; n <= Channels(); ++n) {
        const std::string sn = std::to_string(n);
        EXPECT_EQ(List(r, "cbb_sensor" + sn)->currentIndex(), !model.analog && n == 2 ? 1 : 0);
        EXPECT_EQ(List(r, "cbb_sensor" + sn + "_ain")->currentIndex(), model.analog ? 2 : 1);
        EXPECT_EQ(Edit(r, Sensor(n, "STP"))->text(), QStringLiteral("5"));
        EXPECT_EQ(Edit(r, Sensor(n, "Relay"))->text(), QStringLiteral("120"));
        for (int k = 0; k < 4; ++k)
            EXPECT_EQ(Edit(r, Sensor(n, kThresholdFields[k]))->text(),
                      QString::number(static_cast<double>(Threshold(n, k)), 'f', 2));
        EXPECT_EQ(Edit(r, Sensor(n, "ens"))->text(), QStringLiteral("15"));
        EXPECT_EQ(Edit(r, Sensor(n, "end"))->text(), QString::number(20 + n) + ".00");
    }
    EXPECT_EQ(r.edt_ip1->text(), QStringLiteral("lgc.example.com"));
    EXPECT_EQ(r.edt_port->text(), QStringLiteral("9001"));
    EXPECT_EQ(r.cbb_mode->currentIndex(), 1);
    EXPECT_EQ(r.edt_gprspassword->text(), QStringLiteral("secret"));
    EXPECT_EQ(r.cbb_timemode->currentIndex(), 0);
    EXPECT_EQ(r.edt_pwd->text(), QStringLiteral("12"));
    EXPECT_EQ(r.edt_id->text(), QStringLiteral("000000000004711"));
    EXPECT_EQ(r.edt_rec_time->text(), QStringLiteral("15"));
    EXPECT_TRUE(r.chk1->isChecked());
    EXPECT_TRUE(r.CheckBox1->isChecked());
    EXPECT_EQ(r.cbb_gprsupmode->currentIndex(), 1);
    EXPECT_TRUE(r.dtp_gprspointup->isEnabled());
    EXPECT_EQ(r.dtp_gprspointup->time(), QTime(23, 45));
    EXPECT_EQ(r.cb_pdat->currentIndex(), 1);
    EXPECT_FALSE(r.edt1->isEnabled());
    EXPECT_TRUE(r.CheckBox2->isChecked());
    EXPECT_EQ(r.DateTimePicker5->time(), QTime(8, 30));
    EXPECT_TRUE(r.CheckBox3->isChecked());
    EXPECT_EQ(r.DateTimePicker6->time(), QTime(20, 0));
    EXPECT_FALSE(r.CheckBox4->isChecked());
    EXPECT_EQ(r.edit9->text(), QStringLiteral("13600136000"));
    EXPECT_EQ(r.edt_relay_time->text(), QStringLiteral("30"));
}

INSTANTIATE_TEST_SUITE_P(Models, SettingsRoundTrip,
                         ::testing::Values(ModelCase{"R480", false, false},
                                           ModelCase{"R481", true, false},
                                           ModelCase{"R482", false, true},
                                           ModelCase{"R483", true, true}),
                         [](const ::testing::TestParamInfo<ModelCase>& param) {
                             return std::string(param.param.model);
                         });

}  // namespace
}  // namespace lgcset::ui::e2e
