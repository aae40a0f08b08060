// The window as it opens: its frame, the widgets that later work needs, the start-up
// state and the status bar (closing with a link open: window_close_test.cpp).
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QFontMetricsF>
#include <QGroupBox>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QTimer>
#include <initializer_list>

#include "ui/current_data_grid.h"
#include "ui/others_tab_fields.h"
#include "ui/status_panels.h"
#include "ui/status_texts.h"
#include "ui_test_support.h"

namespace lgcset::ui::test {
namespace {

TEST(WindowFrame, FixedCaptionSizeAndButtonsOfTheFrame) {
    auto w = MakeWindow();
    EXPECT_EQ(w->windowTitle(), QStringLiteral("R48x GPRS Data Logger Configurator V1.22"));
    EXPECT_EQ(w->size(), QSize(977, 615));
    EXPECT_EQ(w->minimumSize(), w->maximumSize()) << "the window must not be resizable";
    const Qt::WindowFlags flags = w->windowFlags();
    EXPECT_TRUE(flags & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(flags & Qt::WindowMaximizeButtonHint);
}

TEST(WindowFrame, ThreeVisibleTabsAndTwoThatAreNeverShown) {
    auto w = MakeWindow();
    QTabWidget* tabs = w->PageControl1;
    ASSERT_EQ(tabs->count(), 5);
    EXPECT_EQ(tabs->currentIndex(), 0);
    const QStringList captions{"Basic Parameters", "Alarm setting", "Others"};
    for (int i = 0; i < 3; ++i) {
        EXPECT_TRUE(tabs->isTabVisible(i));
        EXPECT_EQ(tabs->tabText(i), captions[i]);
    }
    EXPECT_EQ(tabs->widget(3), w->TabSheet4);
    EXPECT_EQ(tabs->tabText(3), QStringLiteral("调试数据"));
    EXPECT_FALSE(tabs->isTabVisible(3));
    EXPECT_EQ(tabs->widget(4), w->ts_other);
    EXPECT_FALSE(tabs->isTabVisible(4));

    // Showing the window and walking the tab bar never reaches the hidden tabs.
    w->show();
    for (int i = 0; i < tabs->count(); ++i) {
        if (tabs->isTabVisible(i))
            tabs->setCurrentIndex(i);
    }
    EXPECT_FALSE(w->mmo1->isVisible());
    EXPECT_FALSE(w->dtp_DeviceCurrentTime->isVisible());
}

TEST(WindowFrame, HiddenButtonsExistButAreNeverShown) {
    auto w = MakeWindow();
    w->show();
    for (QPushButton* b :
         {w->btn_openc, w->btn5, w->btn9, w->btn_closec, w->btn6, w->btn10, w->btn_setcurtime}) {
        ASSERT_NE(b, nullptr);
        EXPECT_TRUE(b->isHidden()) << b->objectName().toStdString();
        EXPECT_EQ(w->findChild<QPushButton*>(b->objectName()), b);
    }
    for (QPushButton* b : {w->btn_openc, w->btn5, w->btn9})
        EXPECT_EQ(b->text(), QStringLiteral("Open"));
    for (QPushButton* b : {w->btn_closec, w->btn6, w->btn10})
        EXPECT_EQ(b->text(), QStringLiteral("Close"));
}

TEST(WindowFrame, OnlyOpenIsEnabledAmongTheDeviceButtonsAtStart) {
    auto w = MakeWindow();
    EXPECT_TRUE(w->btn8->isEnabled());
    EXPECT_EQ(w->btn8->text(), QStringLiteral("Open"));
    for (QPushButton* b :
         {w->btn7, w->btn_stop, w->btn_down, w->btn_load, w->btn_industrial, w->btn_saveconfigure,
          w->btn_loadconfigure, w->btn_apply_template, w->Button1, w->btn_inquire_curdat, w->Button3, w->Button2,
          w->btn_acquiretime, w->Button4, w->btn_setcurtime, w->Button5, w->btn_padlockregulation})
        EXPECT_FALSE(b->isEnabled()) << b->objectName().toStdString();
}

TEST(WindowFrame, TimersExistDisabledWithTheirIntervals) {
    auto w = MakeWindow();
    const std::pair<QTimer*, int> timers[] = {
        {w->tmr_cf, 1000}, {w->timer_tb, 200}, {w->timer_gb, 20}};
    for (const auto& [timer, interval] : timers) {
        EXPECT_EQ(timer->interval(), interval) << timer->objectName().toStdString();
        EXPECT_FALSE(timer->isActive()) << timer->objectName().toStdString();
    }
}

TEST(WindowFrame, StartUpFillsPickersGridAndEmptiesTheTrafficLog) {
    const QDateTime before = QDateTime::currentDateTime().addSecs(-1);
    auto w = MakeWindow();
    const QDateTime after = QDateTime::currentDateTime().addSecs(1);
    for (QDateTimeEdit* picker :
         {w->DateTimePicker1, w->DateTimePicker2, w->DateTimePicker3, w->DateTimePicker4}) {
        EXPECT_GE(picker->dateTime(), before) << picker->objectName().toStdString();
        EXPECT_LE(picker->dateTime(), after) << picker->objectName().toStdString();
    }
    EXPECT_EQ(w->DateTimePicker1->displayFormat(), QStringLiteral("yy-MM-dd"));
    EXPECT_EQ(w->DateTimePicker4->displayFormat(), QStringLiteral("HH:mm:ss"));
    EXPECT_TRUE(w->mmo1->toPlainText().isEmpty());

    QTableWidget* grid = w->strngrd_curdata;
    ASSERT_EQ(grid->columnCount(), 12);
    ASSERT_EQ(grid->rowCount(), 2);
    EXPECT_EQ(grid->item(0, 0)->text(), QStringLiteral("Item"));
    EXPECT_EQ(grid->item(1, 0)->text(), QStringLiteral("Value"));
    EXPECT_EQ(grid->item(0, 11)->text(), QStringLiteral("Power Status"));
    EXPECT_EQ(grid->columnWidth(8), 65);
    EXPECT_EQ(grid->columnWidth(7), 64);
    for (int column = 1; column < 12; ++column)
        EXPECT_TRUE(grid->item(1, column)->text().isEmpty());
}

TEST(WindowFrame, RelayFieldsStartWithTheirDefaultsAndFollowTheControlType) {
    auto w = MakeWindow();
    EXPECT_EQ(w->ComboBox1->count(), 2);
    EXPECT_EQ(w->ComboBox1->currentIndex(), 0);
    for (const RelayField& field : kRelayFields) {
        auto* edit = w->findChild<QLineEdit*>(QString::fromLatin1(field.name));
        ASSERT_NE(edit, nullptr) << field.name;
        EXPECT_EQ(edit->text(), QString::fromLatin1(field.defaultText));
        EXPECT_EQ(edit->maxLength(), field.maxLength);
        EXPECT_EQ(edit->isEnabled(), field.enabled) << field.name;
    }
    w->ComboBox1->setCurrentIndex(1);
    emit w->ComboBox1->activated(1);
    EXPECT_FALSE(w->Edit8->isEnabled());
    EXPECT_TRUE(w->Edit10->isEnabled() && w->Edit11->isEnabled() && w->Edit12->isEnabled());

    // Back to NC/NO: a change of the repeat count disables the pulse fields again.
    w->ComboBox1->setCurrentIndex(0);
    emit w->ComboBox1->activated(0);
    w->Edit12->setEnabled(true);
    w->Edit12->setText(QStringLiteral("7"));
    EXPECT_FALSE(w->Edit10->isEnabled() || w->Edit11->isEnabled() || w->Edit12->isEnabled());
}

TEST(WindowFrame, StatusBarPanelsLampsAndProgressBarAfterFirstShowing) {
    auto w = MakeWindow();
    w->show();
    ASSERT_TRUE(WaitFor([&] { return w->isVisible(); }));
    StatusPanels* bar = w->stat1;
    // The program's four, then the one that tells where a history transfer stands.
    ASSERT_EQ(bar->PanelCount(), 5);
    // At least as wide as designed; the text panels wider where their texts need it.
    const int widths[] = {100, 50, 110, 50};
    for (int i = 0; i < 4; ++i) EXPECT_GE(bar->PanelRect(i).width(), widths[i]);
    EXPECT_EQ(bar->PanelRect(1).width(), 50);
    EXPECT_EQ(bar->PanelRect(3).width(), 50);
    EXPECT_EQ(bar->PanelText(0), QStringLiteral("COM Port status"));
    EXPECT_TRUE(bar->PanelText(2).isEmpty());
    EXPECT_TRUE(bar->PanelText(4).isEmpty());

    const QRect lampPanel = bar->PanelRect(1);
    for (QLabel* lamp : {w->img_red, w->img_green}) {
        EXPECT_EQ(lamp->parentWidget(), bar);
        EXPECT_EQ(lamp->size(), QSize(17, 17));
        EXPECT_EQ(lamp->pos(), lampPanel.topLeft() + QPoint(15, 5));
        EXPECT_TRUE(bar->rect().contains(lamp->geometry()));
    }
    EXPECT_FALSE(w->GreenLampInFront());
    EXPECT_TRUE(w->img_red->isVisible());

    EXPECT_EQ(w->pb_write->parentWidget(), bar);
    EXPECT_EQ(w->pb_write->geometry(), bar->PanelRect(3));
    EXPECT_EQ(w->pb_write->minimum(), 0);
    EXPECT_EQ(w->pb_write->maximum(), 80);
    EXPECT_EQ(w->pb_write->value(), 0);
    EXPECT_FALSE(w->pb_write->isVisible());
}

TEST(WindowFrame, EveryCaptionOfTheSecondRowIsShownWhole) {
    auto w = MakeWindow();
    w->show();
    ASSERT_TRUE(WaitFor([&] { return w->isVisible(); }));
    for (QWidget* widget : std::initializer_list<QWidget*>{
             w->btn_down, w->chk_review, w->btn_load, w->btn_saveconfigure, w->btn_loadconfigure,
             w->btn_apply_template, w->btn_settings_history, w->btn_industrial, w->lbl16, w->lbl4})
        EXPECT_GE(widget->width(), widget->sizeHint().width()) << widget->objectName().toStdString();
    // "Apply Template..." right beside "Load Profile", as any two neighbours of the row.
    const auto gap = [](const QWidget* left, const QWidget* right) {
        return right->geometry().left() - left->geometry().right();
    };
    EXPECT_EQ(w->btn_apply_template->y(), w->btn_loadconfigure->y());
    EXPECT_EQ(gap(w->btn_loadconfigure, w->btn_apply_template), gap(w->btn_down, w->btn_load));
}

TEST(WindowFrame, EveryTextOfTheStatusPanelsIsShownWholeInAnyFont) {
    auto w = MakeWindow();
    w->show();
    ASSERT_TRUE(WaitFor([&] { return w->isVisible(); }));
    StatusPanels* bar = w->stat1;
    const auto fits = [&](int panel, const QString& text) {
        const int width = bar->TextRect(panel).width();
        const QFontMetricsF metrics(bar->font());
        return metrics.horizontalAdvance(text) <= width &&
               metrics.elidedText(text, Qt::ElideRight, width) == text;
    };
    QFont font = bar->font();
    for (const qreal points : {font.pointSizeF(), font.pointSizeF() * 1.5}) {
        font.setPointSizeF(points);
        bar->setFont(font);
        for (const QString& text : StatusPanelTexts())
            EXPECT_TRUE(fits(2, text)) << text.toStdString() << " at " << points << " pt";
        EXPECT_TRUE(fits(0, QStringLiteral("COM Port status")));
        // The panels after it moved with it, and the progress bar with its panel.
        EXPECT_EQ(bar->PanelRect(3).left(), bar->PanelRect(2).right() + 3);
        EXPECT_EQ(w->pb_write->geometry(), bar->PanelRect(3));
    }
    EXPECT_LE(bar->sizeHint().width(), w->width());
    // A longer text is cut at its end, and the panel's tooltip shows it whole.
    const QString archived = QStringLiteral("266 new records archived (0 already there)");
    w->SetStatusText(archived);
    EXPECT_FALSE(fits(2, archived));
    EXPECT_EQ(bar->ToolTipAt(bar->PanelRect(2).center()), archived);
    w->SetStatusText(QStringLiteral("resend:3"));
    EXPECT_EQ(bar->ToolTipAt(bar->PanelRect(2).center()), QString());
}

}  // namespace
}  // namespace lgcset::ui::test
