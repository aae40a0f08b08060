// The settings widgets as the table describes them, their key filters, and the rules that
// enable and disable them, driven as the user drives them.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QGroupBox>
#include <QLayout>
#include <QLineEdit>
#include <QTimeEdit>

#include "settings/key_filters.h"
#include "settings/parameter_image.h"
#include "settings/settings_diff.h"
#include "settings/settings_model.h"
#include "settings/settings_table.h"
#include "test_input.h"
#include "ui/filtered_line_edit.h"
#include "ui_test_support.h"

namespace lgcset::ui::test {
namespace {

using settings::KeyFilter;
using settings::SettingsTable;
using settings::WidgetKind;
using settings::WidgetRow;

QString Q(const std::string& text) {
    return QString::fromUtf8(text.c_str());
}

bool InLayout(const QLayout* layout, const QWidget* widget) {
    if (layout == nullptr)
        return false;
    for (int i = 0; i < layout->count(); ++i) {
        QLayoutItem* item = layout->itemAt(i);
        if (item->widget() == widget || InLayout(item->layout(), widget))
            return true;
    }
    return false;
}

// Chooses a list item as the user does: the change handler runs.
void Choose(QComboBox* list, int index) {
    list->setCurrentIndex(index);
    emit list->activated(index);
}

TEST(SettingsWidgets, EveryWidgetOfTheTableWithItsDefaultsLimitsAndItems) {
    auto w = MakeWindow();
    for (const WidgetRow& def : SettingsTable()) {
        SCOPED_TRACE(def.name);
        QWidget* widget = w->findChild<QWidget*>(Q(def.name));
        ASSERT_NE(widget, nullptr);
        EXPECT_EQ(widget->parentWidget()->objectName(), Q(def.group));
        EXPECT_TRUE(InLayout(widget->parentWidget()->layout(), widget)) << "not placed";
        EXPECT_EQ(!widget->testAttribute(Qt::WA_ForceDisabled), def.enabled);
        switch (def.kind) {
            case WidgetKind::Edit:
            case WidgetKind::ReadOnlyEdit: {
                auto* edit = qobject_cast<FilteredLineEdit*>(widget);
                ASSERT_NE(edit, nullptr);
                EXPECT_EQ(edit->text(), Q(def.defaultText));
                EXPECT_EQ(edit->isReadOnly(), def.kind == WidgetKind::ReadOnlyEdit);
                EXPECT_EQ(edit->maxLength(), def.maxLength > 0 ? def.maxLength : 32767);
                EXPECT_EQ(edit->KeyFilter(), def.filter);
                break;
            }
            case WidgetKind::List: {
                auto* list = qobject_cast<QComboBox*>(widget);
                ASSERT_NE(list, nullptr);
                ASSERT_EQ(list->count(), static_cast<int>(def.items.size()));
                for (int i = 0; i < list->count(); ++i)
                    EXPECT_EQ(list->itemText(i), Q(def.items[static_cast<std::size_t>(i)]));
                EXPECT_EQ(list->currentIndex(), def.defaultIndex);
                if (def.defaultIndex < 0) {
                    EXPECT_EQ(list->placeholderText(), Q(def.shownText));
                }
                break;
            }
            case WidgetKind::CheckBox: {
                auto* check = qobject_cast<QCheckBox*>(widget);
                ASSERT_NE(check, nullptr);
                EXPECT_EQ(check->isChecked(), def.defaultChecked);
                EXPECT_EQ(check->text(), Q(def.checkText));
                break;
            }
            case WidgetKind::TimePicker: {
                auto* picker = qobject_cast<QTimeEdit*>(widget);
                ASSERT_NE(picker, nullptr);
                EXPECT_EQ(picker->time(), QTime(def.defaultTime.hour, def.defaultTime.minute));
                EXPECT_EQ(picker->displayFormat(), QStringLiteral("HH:mm"));
                break;
            }
        }
    }
    for (const settings::GroupRow& group : settings::SettingsGroups()) {
        auto* box = w->findChild<QGroupBox*>(Q(group.name));
        ASSERT_NE(box, nullptr) << group.name;
        if (!group.caption.empty()) {
            EXPECT_EQ(box->title(), Q(group.caption));
        }
    }
}

TEST(SettingsWidgets, TheViewReadsAndWritesTheRealWidgets) {
    auto w = MakeWindow();
    settings::SettingsView& view = w->Settings();
    view.SetText("edt_id", "4711");
    EXPECT_EQ(w->edt_id->text(), QStringLiteral("4711"));
    view.SetItems("cbb_sensor1", {"Centigrade", "Fahrenheit", "0～20mA/0～5V"});
    EXPECT_EQ(view.ItemIndex("cbb_sensor1"), -1);
    EXPECT_EQ(view.Items("cbb_sensor1")[2], "0～20mA/0～5V");
    view.SetTime("dtp_gprspointup", {13, 45});
    EXPECT_EQ(w->dtp_gprspointup->time(), QTime(13, 45));
    view.SetEnabled("edt_id", false);
    EXPECT_FALSE(view.Enabled("edt_id"));
    EXPECT_THROW(view.Text("no_such_widget"), std::invalid_argument);
    EXPECT_THROW(view.Checked("edt_id"), std::invalid_argument);  // not a check box
}

// A setting reached by its identifier is the widget its table row names, in the window and
// in the model alike: a value of its own put into each setting is what that widget shows.
TEST(SettingsWidgets, EverySettingByIdentifierIsTheWidgetOfItsName) {
    auto w = MakeWindow();
    settings::SettingsModel model;
    const auto& table = SettingsTable();
    const auto valueOf = [&](const WidgetRow& def) {
        const int i = static_cast<int>(&def - table.data());
        return std::pair{i, settings::TimeOfDay{i % 24, i % 60}};
    };
    for (settings::SettingsView* view : {&w->Settings(), static_cast<settings::SettingsView*>(&model)})
        for (const WidgetRow& def : table) {
            const auto [i, time] = valueOf(def);
            switch (def.kind) {
                case WidgetKind::Edit:
                case WidgetKind::ReadOnlyEdit:
                    view->SetText(def.id, std::to_string(i));
                    break;
                case WidgetKind::List:
                    view->SetItemIndex(def.id, i % static_cast<int>(def.items.size()));
                    break;
                case WidgetKind::CheckBox:
                    view->SetChecked(def.id, true);
                    break;
                case WidgetKind::TimePicker:
                    view->SetTime(def.id, time);
                    break;
            }
        }
    for (const WidgetRow& def : table) {
        const auto [i, time] = valueOf(def);
        QWidget* widget = w->findChild<QWidget*>(Q(def.name));
        ASSERT_NE(widget, nullptr) << def.name;
        if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
            EXPECT_EQ(edit->text(), QString::number(i)) << def.name;
        } else if (auto* list = qobject_cast<QComboBox*>(widget)) {
            EXPECT_EQ(list->currentIndex(), i % list->count()) << def.name;
        } else if (auto* check = qobject_cast<QCheckBox*>(widget)) {
            EXPECT_TRUE(check->isChecked()) << def.name;
        } else if (auto* picker = qobject_cast<QTimeEdit*>(widget)) {
            EXPECT_EQ(picker->time(), QTime(time.hour, time.minute)) << def.name;
        }
        EXPECT_EQ(settings::ValueText(model, def), settings::ValueText(w->Settings(), def))
            << def.name;
    }
}

// Every filtered box of the table: letters never get in, Backspace always works, and what
// the filter accepts is inserted.
TEST(SettingsWidgets, KeyFiltersOfEveryFilteredBoxAsTyped) {
    auto w = MakeWindow();
    w->show();
    for (const WidgetRow& def : SettingsTable()) {
        if (def.kind != WidgetKind::Edit || def.filter == KeyFilter::None)
            continue;
        SCOPED_TRACE(def.name);
        auto* edit = w->findChild<FilteredLineEdit*>(Q(def.name));
        ASSERT_NE(edit, nullptr);
        edit->setEnabled(true);
        edit->clear();
        KeyClicks(edit, QStringLiteral("a1x2"));
        EXPECT_EQ(edit->text(), QStringLiteral("12"));
        KeyClick(edit, Qt::Key_Backspace);
        EXPECT_EQ(edit->text(), QStringLiteral("1"));
        for (const char32_t key : {U'+', U'-', U'.'}) {
            const std::string before = edit->text().toStdString();
            const bool accepted = settings::AcceptsKey(def.filter, key, before);
            KeyClick(edit, static_cast<char>(key));
            EXPECT_EQ(edit->text().size() > static_cast<qsizetype>(before.size()), accepted)
                << static_cast<char>(key);
        }
    }
}

TEST(SettingsWidgets, PlusOnlyIntoAnEmptyNumberBoxWhereverTheCaretStands) {
    auto w = MakeWindow();
    w->show();
    KeyClicks(w->edt_tel1, QStringLiteral("+4917"));
    EXPECT_EQ(w->edt_tel1->text(), QStringLiteral("+4917"));
    w->edt_tel2->setText(QStringLiteral("0171"));
    w->edt_tel2->setCursorPosition(0);
    KeyClick(w->edt_tel2, '+');
    EXPECT_EQ(w->edt_tel2->text(), QStringLiteral("0171"));
}

TEST(SettingsWidgets, PastedTextPassesTheSameFilter) {
    auto w = MakeWindow();
    w->show();
    QGuiApplication::clipboard()->setText(QStringLiteral("+49 (171) 555-12\n"));
    w->edt_tel1->setFocus();
    KeyClick(w->edt_tel1, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(w->edt_tel1->text(), QStringLiteral("+4917155512"));

    // The length limit holds for pasted text as for typed text.
    QGuiApplication::clipboard()->setText(QStringLiteral("123456789"));
    w->edt_pwd->selectAll();
    KeyClick(w->edt_pwd, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(w->edt_pwd->text(), QStringLiteral("1234"));

    // The same path as the context menu's Paste.
    w->edt_Sensor1_SLow->clear();
    w->edt_Sensor1_SLow->PasteFiltered(QStringLiteral("-12,5e3.x"));
    EXPECT_EQ(w->edt_Sensor1_SLow->text(), QStringLiteral("-1253."));

    // A box without filter takes the text as it is.
    QGuiApplication::clipboard()->setText(QStringLiteral("apn.example (1)"));
    w->edt_apn->setFocus();
    KeyClick(w->edt_apn, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(w->edt_apn->text(), QStringLiteral("apn.example (1)"));

    // ... but never its control characters: a line copied with its line end (or a tab
    // from a table) would otherwise go to the logger inside the access point name.
    QGuiApplication::clipboard()->setText(QStringLiteral("internet\tgprs\r\n"));
    w->edt_apn->clear();
    KeyClick(w->edt_apn, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(w->edt_apn->text(), QStringLiteral("internetgprs"));
    w->edt_ip1->PasteFiltered(QStringLiteral("10.0.0.1\n"));
    EXPECT_EQ(w->edt_ip1->text(), QStringLiteral("10.0.0.1"));
}

TEST(SettingsWidgets, UploadTimerAbove1440IsCutWithOneMessage) {
    auto w = MakeWindow();
    w->show();
    KeyClicks(w->edt_gprstimeup, QStringLiteral("1441"));
    EXPECT_EQ(w->edt_gprstimeup->text(), QStringLiteral("144"));
    ASSERT_EQ(w->boxes.Boxes().size(), 1u);
    EXPECT_EQ(w->boxes.Boxes()[0].text, QStringLiteral("The input value is out of range"));

    w->boxes.Clear();
    w->edt_gprstimeup->clear();
    KeyClicks(w->edt_gprstimeup, QStringLiteral("1440"));
    EXPECT_EQ(w->edt_gprstimeup->text(), QStringLiteral("1440"));
    EXPECT_TRUE(w->boxes.Boxes().empty());

    // Set from code (a profile or the device): the same check.
    w->Settings().SetText("edt_gprstimeup", "9999");
    EXPECT_EQ(w->edt_gprstimeup->text(), QStringLiteral("999"));
    EXPECT_EQ(w->boxes.Boxes().size(), 1u);
}

TEST(SettingsWidgets, ValuesReadFromTheLoggerShowInFullBeyondTheTypingLimit) {
    // Erased alarm memory: step 255 and times of 65535 are longer than their boxes let the
    // user type; cut to 25 and 6553 they would be written back so by the next save.
    auto w = MakeWindow();
    w->show();
    settings::ClearImage(w->Image());
    w->Device().DecodePage(settings::kAlarmPageAddress);
    EXPECT_EQ(w->edt_Sensor1_STP->text(), QStringLiteral("255"));
    EXPECT_EQ(w->edt_Sensor2_Relay->text(), QStringLiteral("65535"));
    EXPECT_EQ(w->edt_Sensor4_ens->text(), QStringLiteral("65535"));
    settings::ParameterImage written;
    settings::EncodePage(settings::kAlarmPageAddress, w->Settings(), written, w->Codes());
    EXPECT_EQ(written[2048 + 1], 0xFF);
    EXPECT_EQ(written[2048 + 36 + 2], 0xFF);
    EXPECT_EQ(written[2048 + 36 + 3], 0xFF);

    // Typing cannot lengthen such a text; once an edit brings it within the limit, the
    // limit holds again.
    w->edt_Sensor1_STP->setFocus();
    w->edt_Sensor1_STP->end(false);
    KeyClicks(w->edt_Sensor1_STP, QStringLiteral("7"));
    EXPECT_EQ(w->edt_Sensor1_STP->text(), QStringLiteral("255"));
    KeyClick(w->edt_Sensor1_STP, Qt::Key_Backspace);
    KeyClicks(w->edt_Sensor1_STP, QStringLiteral("7"));
    EXPECT_EQ(w->edt_Sensor1_STP->text(), QStringLiteral("25"));
    EXPECT_EQ(w->edt_Sensor1_STP->maxLength(), 2);
    w->edt_Sensor2_Relay->setFocus();
    w->edt_Sensor2_Relay->setCursorPosition(1);
    KeyClick(w->edt_Sensor2_Relay, Qt::Key_Backspace);
    EXPECT_EQ(w->edt_Sensor2_Relay->text(), QStringLiteral("5535"));
    EXPECT_EQ(w->edt_Sensor2_Relay->cursorPosition(), 0);  // the caret stays where it was

    // The upload timer shows all its digits to the range check, which cuts the fourth each
    // time: 65535, 6555, 655.
    w->Image()[4096 + 74] = 'D';
    w->Image()[4096 + 76] = 0xFF;
    w->Image()[4096 + 77] = 0xFF;
    w->Device().DecodePage(settings::kSystemPageAddress);
    EXPECT_EQ(w->edt_gprstimeup->text(), QStringLiteral("655"));
    EXPECT_EQ(w->edt_gprstimeup->maxLength(), 4);
}

TEST(SettingsWidgets, ReportModeAndScheduleChainAsTheUserChooses) {
    auto w = MakeWindow();
    Choose(w->cb_pdat, 1);  // Schedule
    EXPECT_FALSE(w->edt1->isEnabled());
    EXPECT_TRUE(w->CheckBox2->isEnabled());
    EXPECT_TRUE(w->DateTimePicker5->isEnabled());
    for (QWidget* other : std::initializer_list<QWidget*>{w->CheckBox3, w->CheckBox4, w->CheckBox5,
                                                          w->DateTimePicker6, w->DateTimePicker7,
                                                          w->DateTimePicker8})
        EXPECT_FALSE(other->isEnabled()) << other->objectName().toStdString();

    MouseClick(w->CheckBox2, w->CheckBox2->rect().center());
    EXPECT_TRUE(w->CheckBox2->isChecked());
    EXPECT_TRUE(w->CheckBox3->isEnabled());
    EXPECT_TRUE(w->DateTimePicker6->isEnabled());
    w->CheckBox3->setChecked(true);
    w->CheckBox4->setChecked(true);
    EXPECT_TRUE(w->CheckBox5->isEnabled() && w->DateTimePicker8->isEnabled());

    // Unchecking schedule 1 from code runs the chain to its end.
    w->Settings().SetChecked("CheckBox2", false);
    for (QCheckBox* later : {w->CheckBox3, w->CheckBox4, w->CheckBox5}) {
        EXPECT_FALSE(later->isChecked()) << later->objectName().toStdString();
        EXPECT_FALSE(later->isEnabled()) << later->objectName().toStdString();
    }
    EXPECT_TRUE(w->DateTimePicker5->isEnabled()) << "follows the report mode only";

    w->CheckBox2->setChecked(true);
    Choose(w->cb_pdat, 0);  // Timer again
    EXPECT_TRUE(w->edt1->isEnabled());
    for (QCheckBox* box : {w->CheckBox2, w->CheckBox3, w->CheckBox4, w->CheckBox5}) {
        EXPECT_FALSE(box->isChecked());
        EXPECT_FALSE(box->isEnabled());
    }
}

TEST(SettingsWidgets, ListsSetFromCodeDoNotRunTheirChangeHandlers) {
    auto w = MakeWindow();
    w->Settings().SetItemIndex("cb_pdat", 1);
    w->Settings().SetItemIndex("cbb_gprsupmode", 1);
    EXPECT_EQ(w->cb_pdat->currentIndex(), 1);
    EXPECT_TRUE(w->edt1->isEnabled());
    EXPECT_FALSE(w->CheckBox2->isEnabled());
    EXPECT_TRUE(w->edt_gprstimeup->isEnabled());
    EXPECT_FALSE(w->dtp_gprspointup->isEnabled());

    Choose(w->cbb_gprsupmode, 1);
    EXPECT_FALSE(w->edt_gprstimeup->isEnabled());
    EXPECT_TRUE(w->dtp_gprspointup->isEnabled());
    Choose(w->cbb_gprsupmode, 0);
    EXPECT_TRUE(w->edt_gprstimeup->isEnabled());
    EXPECT_FALSE(w->dtp_gprspointup->isEnabled());
}

}  // namespace
}  // namespace lgcset::ui::test
