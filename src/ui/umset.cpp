// Construction of the window: the rows above the tabs, the tabs, the status bar, the
// timers and the two ports; start-up, first showing and the close request.
#include "ui/umset.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDateTime>
#include <QDateTimeEdit>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QTabWidget>
#include <QTableWidget>
#include <QTimeEdit>
#include <QTimer>
#include <QVBoxLayout>
#include <stdexcept>

#include "settings/settings_rules.h"
#include "settings/settings_table.h"
#include "ui/current_data_grid.h"
#include "ui/filtered_line_edit.h"
#include "ui/lamp.h"
#include "ui/message_box.h"
#include "ui/others_tab_fields.h"
#include "ui/port_combo_box.h"
#include "ui/settings_presenter.h"
#include "ui/settings_widgets.h"
#include "ui/status_panels.h"
#include "ui/status_texts.h"
#include "ui/tools_presenter.h"
#include "ui/widget_settings_view.h"
#include "ui/history_presenter.h"

namespace lgcset::ui {

namespace {

constexpr int kClientWidth = 977;
constexpr int kClientHeight = 615;
constexpr int kResendIntervalMs = 1000;
constexpr double kFontPoints = 8.0;
// The traffic memos keep this many newest lines; older ones are dropped.
constexpr int kMemoLineLimit = 10000;

QPushButton* MakeButton(const char* name, const QString& caption, QWidget* parent,
                        bool enabled = true) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setEnabled(enabled);
    return button;
}

// A button that exists for the program's code but is never shown.
QPushButton* MakeHiddenButton(const char* name, const QString& caption, QWidget* parent) {
    QPushButton* button = MakeButton(name, caption, parent);
    button->hide();
    return button;
}

QGroupBox* MakeGroup(const char* name, const QString& caption, QWidget* parent) {
    auto* group = new QGroupBox(caption, parent);
    group->setObjectName(QString::fromLatin1(name));
    return group;
}

QDateTimeEdit* MakePicker(const char* name, const QString& format, QWidget* parent, bool calendar) {
    auto* picker = new QDateTimeEdit(parent);
    picker->setObjectName(QString::fromLatin1(name));
    picker->setDisplayFormat(format);
    picker->setCalendarPopup(calendar);
    return picker;
}

QPlainTextEdit* MakeMemo(const char* name, QWidget* parent) {
    auto* memo = new QPlainTextEdit(parent);
    memo->setObjectName(QString::fromLatin1(name));
    memo->setMaximumBlockCount(kMemoLineLimit);
    return memo;
}

QLabel* MakeLabel(const QString& text, QWidget* parent) {
    return new QLabel(text, parent);
}

}  // namespace

Tfrm_mset::Tfrm_mset(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint |
                          Qt::MSWindowsFixedSizeDialogHint) {
    setObjectName(QStringLiteral("frm_mset"));
    setWindowTitle(QStringLiteral("R48x GPRS Data Logger Configurator V1.22"));
    setFixedSize(kClientWidth, kClientHeight);
    {
        // Every setting is on view at once in a fixed client area: a compact font.
        QFont compact = font();
        compact.setPointSizeF(kFontPoints);
        setFont(compact);
    }

    ownBoxes_ = std::make_unique<ModalMessageBoxes>(this);
    boxes_ = ownBoxes_.get();

    auto* rows = new QVBoxLayout(this);
    rows->setContentsMargins(6, 4, 6, 0);
    rows->setSpacing(3);
    BuildFirstRow();
    BuildSecondRow();
    BuildTabs();
    BuildStatusBar();
    BuildTimers();
    BuildFileDialogs();
    settingsView_ = std::make_unique<WidgetSettingsView>(this);
    BuildPresenters();
    BuildHistoryQuery();

    auto* first = new QHBoxLayout;
    first->setSpacing(6);
    first->addWidget(GroupBox1);
    first->addWidget(grp8, 1);
    rows->addLayout(first);
    auto* second = new QHBoxLayout;
    second->setSpacing(6);
    second->addWidget(grp9, 1);
    rows->addLayout(second);
    rows->addWidget(PageControl1, 1);
    rows->addWidget(stat1);

    ConnectSettingsReactions();
    ConnectTools();
    ConfigurePorts();

    FormCreate();
}

Tfrm_mset::~Tfrm_mset() {
    // Neither port may outlive its owner with its threads running.
    tmr_cf->stop();
    Session().Close();
    mycom.ClosePort();
}

void Tfrm_mset::SetMessageBoxes(MessageBoxes* boxes) {
    boxes_ = boxes != nullptr ? boxes : ownBoxes_.get();
}

settings::SettingsView& Tfrm_mset::Settings() {
    return *settingsView_;
}

// ---- Building --------------------------------------------------------------------------

void Tfrm_mset::BuildFirstRow() {
    GroupBox1 = MakeGroup("GroupBox1", QStringLiteral("COM Port"), this);
    auto* ports = new PortComboBox(GroupBox1);
    ports->SetBeforePopup([this] { RefreshPortList(); });
    cbox_com = ports;
    cbox_com->setObjectName(QStringLiteral("cbox_com"));
    cbox_com->setEditable(true);
    cbox_com->setInsertPolicy(QComboBox::NoInsert);
    cbox_com->setMinimumWidth(130);
    for (int n = 1; n <= 5; ++n) cbox_com->addItem(QStringLiteral("COM%1").arg(n));
    btn8 = MakeButton("btn8", QStringLiteral("Open"), GroupBox1);
    btn_stop = MakeButton("btn_stop", QStringLiteral("Stop"), GroupBox1, false);
    btn_openc = MakeHiddenButton("btn_openc", QStringLiteral("Open"), GroupBox1);
    btn_closec = MakeHiddenButton("btn_closec", QStringLiteral("Close"), GroupBox1);
    auto* com = new QHBoxLayout(GroupBox1);
    com->setContentsMargins(8, 4, 8, 6);
    com->addWidget(cbox_com);
    com->addWidget(btn8);
    com->addWidget(btn_stop);

    // The login group holds settings widgets of the table (password, model, firmware),
    // created later with the other settings; its layout is made there.
    grp8 = MakeGroup("grp8", QString(), this);
    btn7 = MakeButton("btn7", QStringLiteral("Login"), grp8, false);
    btn5 = MakeHiddenButton("btn5", QStringLiteral("Open"), grp8);
    btn6 = MakeHiddenButton("btn6", QStringLiteral("Close"), grp8);

    connect(btn8, &QPushButton::clicked, this, [this] { btn8Click(); });
    connect(btn_stop, &QPushButton::clicked, this, [this] { btn_stopClick(); });
    connect(btn7, &QPushButton::clicked, this, [this] { btn7Click(); });
    for (QPushButton* open : {btn_openc, btn5})
        connect(open, &QPushButton::clicked, this, [this] { btn_opencClick(); });
    for (QPushButton* close : {btn_closec, btn6})
        connect(close, &QPushButton::clicked, this, [this] { btn_closecClick(); });
}

void Tfrm_mset::BuildSecondRow() {
    grp9 = MakeGroup("grp9", QString(), this);
    btn_down = MakeButton("btn_down", QStringLiteral("Save Settings"), grp9, false);
    chk_review = new QCheckBox(QStringLiteral("Review changes before writing"), grp9);
    chk_review->setObjectName(QStringLiteral("chk_review"));
    chk_review->setChecked(folders_.ReviewBeforeWriting());
    connect(chk_review, &QCheckBox::toggled, this,
            [this](bool review) { folders_.SetReviewBeforeWriting(review); });
    btn_load = MakeButton("btn_load", QStringLiteral("Read Settings"), grp9, false);
    btn_saveconfigure =
        MakeButton("btn_saveconfigure", QStringLiteral("Save Profile to..."), grp9, false);
    btn_loadconfigure =
        MakeButton("btn_loadconfigure", QStringLiteral("Load Profile"), grp9, false);
    btn_apply_template =
        MakeButton("btn_apply_template", QStringLiteral("Apply Template..."), grp9, false);
    btn_industrial = MakeButton("btn_industrial", QStringLiteral("Factory Mode"), grp9, false);
    btn_settings_history = MakeButton("btn_settings_history",
                                      QStringLiteral("Settings History..."), grp9, true);
    btn9 = MakeHiddenButton("btn9", QStringLiteral("Open"), grp9);
    btn10 = MakeHiddenButton("btn10", QStringLiteral("Close"), grp9);
    connect(btn_down, &QPushButton::clicked, this, [this] { btn_downClick(); });
    connect(btn_load, &QPushButton::clicked, this, [this] { btn_loadClick(); });
    connect(btn_industrial, &QPushButton::clicked, this, [this] { btn_industrialClick(); });
    connect(btn_saveconfigure, &QPushButton::clicked, this, [this] { btn_saveconfigureClick(); });
    connect(btn_loadconfigure, &QPushButton::clicked, this, [this] { btn_loadconfigureClick(); });
    connect(btn_apply_template, &QPushButton::clicked, this,
            [this] { btn_apply_templateClick(); });
    connect(btn_settings_history, &QPushButton::clicked, this,
            [this] { btn_settings_historyClick(); });
    connect(btn9, &QPushButton::clicked, this, [this] { btn_opencClick(); });
    connect(btn10, &QPushButton::clicked, this, [this] { btn_closecClick(); });

    // Counters of the history transfer: records requested and records received.
    lbl16 = MakeLabel(QStringLiteral("0"), grp9);
    lbl16->setObjectName(QStringLiteral("lbl16"));
    lbl4 = MakeLabel(QStringLiteral("0"), grp9);
    lbl4->setObjectName(QStringLiteral("lbl4"));
    for (QLabel* counter : {lbl16, lbl4}) {
        counter->setMinimumWidth(counter->fontMetrics().horizontalAdvance(QStringLiteral("00000")));
        counter->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    }

    // Seven buttons take the row, each as wide as its caption needs; the check box that goes
    // with "Save Settings" and the counters take a line of their own below, so that no
    // caption is cut where the system's font is wider.
    auto* lines = new QVBoxLayout(grp9);
    lines->setContentsMargins(8, 4, 8, 4);
    lines->setSpacing(2);
    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(4);
    for (QPushButton* b :
         {btn_down, btn_load, btn_saveconfigure, btn_loadconfigure, btn_apply_template,
          btn_settings_history, btn_industrial}) {
        b->setMinimumWidth(b->sizeHint().width());
        buttons->addWidget(b);
    }
    buttons->addStretch(1);
    lines->addLayout(buttons);
    auto* below = new QHBoxLayout;
    below->setSpacing(4);
    chk_review->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    below->addWidget(chk_review);
    below->addStretch(1);
    below->addWidget(lbl16);
    below->addWidget(lbl4);
    lines->addLayout(below);
}

void Tfrm_mset::BuildTabs() {
    PageControl1 = new QTabWidget(this);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    const auto makeSheet = [this](const char* name) {
        auto* sheet = new QWidget(PageControl1);
        sheet->setObjectName(QString::fromLatin1(name));
        return sheet;
    };
    TabSheet1 = makeSheet("TabSheet1");
    TabSheet2 = makeSheet("TabSheet2");
    TabSheet3 = makeSheet("TabSheet3");
    for (const settings::TabRow& tab : settings::SettingsTabs()) {
        QWidget* sheet = tab.name == "TabSheet1" ? TabSheet1 : TabSheet2;
        PageControl1->addTab(sheet, FromUtf8(tab.caption));
    }
    PageControl1->addTab(TabSheet3, QStringLiteral("Others"));

    BuildSettingsWidgets();
    BuildOthersTab();
    BuildHiddenTabs();
    PageControl1->setCurrentIndex(0);
}

void Tfrm_mset::BuildSettingsWidgets() {
    // The group boxes of the table, each on its tab (or in the row above the tabs).
    std::map<std::string, QGroupBox*> groups;
    for (const settings::GroupRow& def : settings::SettingsGroups()) {
        if (def.name == settings::kLoginGroup) {
            groups[def.name] = grp8;
            continue;
        }
        QWidget* sheet = def.tab == "TabSheet1" ? TabSheet1 : TabSheet2;
        auto* box = new QGroupBox(FromUtf8(def.caption), sheet);
        box->setObjectName(FromUtf8(def.name));
        groups[def.name] = box;
    }
    const WidgetsByName widgets = BuildSettingsGroups(groups);
    BindSettingsMembers();

    // Login group: model, firmware, password and the Login button on one line.
    auto* login = new QHBoxLayout(grp8);
    login->setContentsMargins(8, 4, 8, 6);
    login->setSpacing(6);
    for (const settings::WidgetRow* def : settings::WidgetsOfGroup(settings::kLoginGroup)) {
        if (QLabel* caption = CaptionLabel(*def, grp8))
            login->addWidget(caption);
        login->addWidget(widgets.at(def->name));
        login->addSpacing(8);
    }
    login->addWidget(btn7);
    login->addStretch(1);

    // Basic Parameters: System Parameters across the top, numbers and GPRS below.
    auto* basic = new QGridLayout(TabSheet1);
    basic->setContentsMargins(6, 6, 6, 6);
    basic->setSpacing(6);
    basic->addWidget(GroupBox18, 0, 0, 1, 2);
    basic->addWidget(grp7, 1, 0);
    basic->addWidget(grp6, 1, 1);
    basic->setRowStretch(1, 1);

    // Alarm setting: the four sensors, two by two.
    auto* alarms = new QGridLayout(TabSheet2);
    alarms->setContentsMargins(6, 6, 6, 6);
    alarms->setSpacing(6);
    alarms->addWidget(GroupBox7, 0, 0);
    alarms->addWidget(grp1, 0, 1);
    alarms->addWidget(grp2, 1, 0);
    alarms->addWidget(grp3, 1, 1);
}

template <typename W>
static void Bind(QWidget* root, W*& member, const char* name) {
    member = root->findChild<W*>(QString::fromLatin1(name));
    if (member == nullptr)
        throw std::logic_error(std::string("settings widget missing: ") + name);
}

void Tfrm_mset::BindSettingsMembers() {
#define LGCSET_BIND(member) Bind(this, member, #member)
    LGCSET_BIND(Edit1);
    LGCSET_BIND(edt43);
    LGCSET_BIND(edt_setpwd);
    LGCSET_BIND(GroupBox18);
    LGCSET_BIND(cbb_timemode);
    LGCSET_BIND(edt_tel_my);
    LGCSET_BIND(edt_pwd);
    LGCSET_BIND(edt_id);
    LGCSET_BIND(edt_rec_time);
    LGCSET_BIND(CheckBox1);
    LGCSET_BIND(chk1);
    LGCSET_BIND(edt_PinCode);
    LGCSET_BIND(edt_GprsFailTel);
    LGCSET_BIND(cb_pdat);
    LGCSET_BIND(edit9);
    LGCSET_BIND(edt1);
    LGCSET_BIND(CheckBox2);
    LGCSET_BIND(CheckBox3);
    LGCSET_BIND(CheckBox4);
    LGCSET_BIND(CheckBox5);
    LGCSET_BIND(DateTimePicker5);
    LGCSET_BIND(DateTimePicker6);
    LGCSET_BIND(DateTimePicker7);
    LGCSET_BIND(DateTimePicker8);
    LGCSET_BIND(edt_relay_time);
    LGCSET_BIND(cbb_gprsupmode);
    LGCSET_BIND(edt_gprstimeup);
    LGCSET_BIND(dtp_gprspointup);
    LGCSET_BIND(grp7);
    LGCSET_BIND(edt_tel1);
    LGCSET_BIND(edt_tel2);
    LGCSET_BIND(edt_tel3);
    LGCSET_BIND(edt_tel4);
    LGCSET_BIND(edt_tel5);
    LGCSET_BIND(edt_tel6);
    LGCSET_BIND(cbb_tel1_f1);
    LGCSET_BIND(cbb_tel2_f1);
    LGCSET_BIND(cbb_tel3_f1);
    LGCSET_BIND(cbb_tel4_f1);
    LGCSET_BIND(cbb_tel5_f1);
    LGCSET_BIND(cbb_tel6_f1);
    LGCSET_BIND(cbb_tel1_f2);
    LGCSET_BIND(cbb_tel2_f2);
    LGCSET_BIND(cbb_tel3_f2);
    LGCSET_BIND(cbb_tel4_f2);
    LGCSET_BIND(cbb_tel5_f2);
    LGCSET_BIND(cbb_tel6_f2);
    LGCSET_BIND(grp6);
    LGCSET_BIND(edt_ip1);
    LGCSET_BIND(edt_ip2);
    LGCSET_BIND(edt_port);
    LGCSET_BIND(cbb_mode);
    LGCSET_BIND(edt_apn);
    LGCSET_BIND(edt_gprsname);
    LGCSET_BIND(edt_gprspassword);
    LGCSET_BIND(GroupBox7);
    LGCSET_BIND(grp1);
    LGCSET_BIND(grp2);
    LGCSET_BIND(grp3);
#define LGCSET_BIND_SENSOR(n)           \
    LGCSET_BIND(cbb_sensor##n);         \
    LGCSET_BIND(cbb_sensor##n##_ain);   \
    LGCSET_BIND(edt_Sensor##n##_SLow);  \
    LGCSET_BIND(edt_Sensor##n##_Low);   \
    LGCSET_BIND(edt_Sensor##n##_High);  \
    LGCSET_BIND(edt_Sensor##n##_SHigh); \
    LGCSET_BIND(edt_Sensor##n##_Relay); \
    LGCSET_BIND(edt_Sensor##n##_STP);   \
    LGCSET_BIND(edt_Sensor##n##_SP);    \
    LGCSET_BIND(edt_Sensor##n##_ens);   \
    LGCSET_BIND(edt_Sensor##n##_start); \
    LGCSET_BIND(edt_Sensor##n##_end)
    LGCSET_BIND_SENSOR(1);
    LGCSET_BIND_SENSOR(2);
    LGCSET_BIND_SENSOR(3);
    LGCSET_BIND_SENSOR(4);
#undef LGCSET_BIND_SENSOR
#undef LGCSET_BIND
}

void Tfrm_mset::BuildOthersTab() {
    // Historical data query.
    grp4 = MakeGroup("grp4", QStringLiteral("Historical Data Query"), TabSheet3);
    DateTimePicker1 = MakePicker("DateTimePicker1", QStringLiteral("yy-MM-dd"), grp4, true);
    DateTimePicker2 = MakePicker("DateTimePicker2", QStringLiteral("yy-MM-dd"), grp4, true);
    Button1 = MakeButton("Button1", QStringLiteral("Query"), grp4, false);
    btn_chart = MakeButton("btn_chart", QStringLiteral("Chart"), grp4, false);
    connect(btn_chart, &QPushButton::clicked, this, [this] { btn_chartClick(); });
    btn_exportfolder = MakeButton("btn_exportfolder", QStringLiteral("Export folder..."), grp4);
    connect(btn_exportfolder, &QPushButton::clicked, this, [this] { btn_exportfolderClick(); });
    {
        auto* grid = new QGridLayout(grp4);
        grid->setContentsMargins(8, 6, 8, 6);
        grid->addWidget(MakeLabel(QStringLiteral("From"), grp4), 0, 0);
        grid->addWidget(DateTimePicker1, 0, 1);
        grid->addWidget(MakeLabel(QStringLiteral("To"), grp4), 1, 0);
        grid->addWidget(DateTimePicker2, 1, 1);
        grid->addWidget(Button1, 2, 1);
        grid->addWidget(btn_chart, 3, 1);
        grid->addWidget(btn_exportfolder, 4, 1);
        grid->setRowStretch(5, 1);
        grid->setColumnStretch(2, 1);
    }

    // Device clock.
    GroupBox3 = MakeGroup("GroupBox3", QStringLiteral("Time setting "), TabSheet3);
    DateTimePicker3 = MakePicker("DateTimePicker3", QStringLiteral("yy-MM-dd "), GroupBox3, true);
    DateTimePicker4 = MakePicker("DateTimePicker4", QStringLiteral("HH:mm:ss"), GroupBox3, false);
    btn_acquiretime =
        MakeButton("btn_acquiretime", QStringLiteral("Read device Time"), GroupBox3, false);
    Button4 = MakeButton("Button4", QStringLiteral("Edit"), GroupBox3, false);
    btn_setcurtime =
        MakeButton("btn_setcurtime", QStringLiteral("Load local time"), GroupBox3, false);
    btn_setcurtime->hide();
    {
        auto* grid = new QGridLayout(GroupBox3);
        grid->setContentsMargins(8, 6, 8, 6);
        grid->addWidget(MakeLabel(QStringLiteral("Date:"), GroupBox3), 0, 0);
        grid->addWidget(DateTimePicker3, 0, 1);
        grid->addWidget(MakeLabel(QStringLiteral("Time:"), GroupBox3), 1, 0);
        grid->addWidget(DateTimePicker4, 1, 1);
        auto* buttons = new QHBoxLayout;
        buttons->addWidget(btn_acquiretime);
        buttons->addWidget(Button4);
        grid->addLayout(buttons, 2, 0, 1, 3);
        grid->setRowStretch(3, 1);
        grid->setColumnStretch(2, 1);
    }

    // Relay control test.
    GroupBox2 = MakeGroup("GroupBox2", QStringLiteral("Relay Control Testing "), TabSheet3);
    ComboBox1 = new QComboBox(GroupBox2);
    ComboBox1->setObjectName(QStringLiteral("ComboBox1"));
    for (const char* item : kRelayControlTypes) ComboBox1->addItem(QString::fromUtf8(item));
    ComboBox1->setCurrentIndex(0);
    Button3 = MakeButton("Button3", QStringLiteral("Start"), GroupBox2, false);
    Button2 = MakeButton("Button2", QStringLiteral("Stop"), GroupBox2, false);
    {
        auto* grid = new QGridLayout(GroupBox2);
        grid->setContentsMargins(8, 6, 8, 6);
        grid->setVerticalSpacing(4);
        grid->addWidget(MakeLabel(QStringLiteral("Control type:"), GroupBox2), 0, 0);
        grid->addWidget(ComboBox1, 0, 1, 1, 2);
        int row = 1;
        for (const RelayField& field : kRelayFields) {
            auto* edit = new FilteredLineEdit(GroupBox2);
            edit->setObjectName(QString::fromLatin1(field.name));
            edit->SetTypingLimit(field.maxLength);
            edit->setText(QString::fromLatin1(field.defaultText));
            edit->SetKeyFilter(settings::KeyFilter::Adt);
            edit->setEnabled(field.enabled);
            edit->setFixedWidth(64);
            grid->addWidget(MakeLabel(QString::fromLatin1(field.label), GroupBox2), row, 0);
            grid->addWidget(edit, row, 1);
            grid->addWidget(MakeLabel(QString::fromLatin1(field.hint), GroupBox2), row, 2);
            ++row;
        }
        auto* buttons = new QHBoxLayout;
        buttons->setSpacing(6);
        buttons->addWidget(Button3);
        buttons->addWidget(Button2);
        buttons->addStretch(1);
        grid->addLayout(buttons, row, 0, 1, 3);
        grid->setRowStretch(row + 1, 1);
        grid->setColumnStretch(3, 1);
    }
    Edit8 = GroupBox2->findChild<FilteredLineEdit*>(QStringLiteral("Edit8"));
    Edit10 = GroupBox2->findChild<FilteredLineEdit*>(QStringLiteral("Edit10"));
    Edit11 = GroupBox2->findChild<FilteredLineEdit*>(QStringLiteral("Edit11"));
    Edit12 = GroupBox2->findChild<FilteredLineEdit*>(QStringLiteral("Edit12"));
    connect(ComboBox1, &QComboBox::activated, this, [this] { ComboBox1Change(); });
    connect(Edit12, &QLineEdit::textChanged, this, [this] { Edit12Change(); });

    // Debug monitor.
    GroupBox4 =
        MakeGroup("GroupBox4", QStringLiteral("GPRS Data communication (for Debug)"), TabSheet3);
    Button5 = MakeButton("Button5", QStringLiteral("Debug ON"), GroupBox4, false);
    btn_padlockregulation =
        MakeButton("btn_padlockregulation", QStringLiteral("Debug OFF"), GroupBox4, false);
    Memo1 = MakeMemo("Memo1", GroupBox4);
    memo2 = MakeMemo("memo2", GroupBox4);
    for (QPlainTextEdit* memo : {Memo1, memo2}) {
        memo->setReadOnly(true);
        memo->setLineWrapMode(QPlainTextEdit::NoWrap);
        memo->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    }
    {
        auto* grid = new QGridLayout(GroupBox4);
        grid->setContentsMargins(8, 6, 8, 6);
        auto* buttons = new QHBoxLayout;
        buttons->addWidget(Button5);
        buttons->addWidget(btn_padlockregulation);
        buttons->addStretch(1);
        grid->addLayout(buttons, 0, 0, 1, 2);
        grid->addWidget(MakeLabel(QStringLiteral("Device received from Server"), GroupBox4), 1, 0);
        grid->addWidget(MakeLabel(QStringLiteral("Device send to Server"), GroupBox4), 1, 1);
        grid->addWidget(Memo1, 2, 0);
        grid->addWidget(memo2, 2, 1);
        grid->setRowStretch(2, 1);
    }

    // Current data.
    grp_curdat = MakeGroup("grp_curdat", QStringLiteral("Current Data Query"), TabSheet3);
    strngrd_curdata = MakeCurrentDataGrid(grp_curdat);
    btn_inquire_curdat =
        MakeButton("btn_inquire_curdat", QStringLiteral("Query"), grp_curdat, false);
    {
        auto* row = new QHBoxLayout(grp_curdat);
        row->setContentsMargins(8, 6, 8, 6);
        row->addWidget(strngrd_curdata);
        row->addWidget(btn_inquire_curdat, 0, Qt::AlignTop);
        row->addStretch(1);
    }

    // History and clock on the left, relay in the middle, debug on the right; current
    // data across the bottom.
    auto* grid = new QGridLayout(TabSheet3);
    grid->setContentsMargins(6, 6, 6, 6);
    grid->setSpacing(6);
    grid->addWidget(grp4, 0, 0);
    grid->addWidget(GroupBox3, 1, 0);
    grid->addWidget(GroupBox2, 0, 1, 2, 1);
    grid->addWidget(GroupBox4, 0, 2, 2, 1);
    grid->addWidget(grp_curdat, 2, 0, 1, 3);
    grid->setColumnStretch(2, 1);
    grid->setRowStretch(1, 1);
}

void Tfrm_mset::BuildHiddenTabs() {
    // The traffic log tab: filled by the send and receive paths, never shown.
    TabSheet4 = new QWidget(PageControl1);
    TabSheet4->setObjectName(QStringLiteral("TabSheet4"));
    mmo1 = MakeMemo("mmo1", TabSheet4);
    mmo2 = MakeMemo("mmo2", TabSheet4);
    btn_clrmmo1 = MakeButton("btn_clrmmo1", QStringLiteral("清除发送"), TabSheet4);
    btn_clrmmo2 = MakeButton("btn_clrmmo2", QStringLiteral("清除接受"), TabSheet4);
    Button6 = MakeButton("Button6", QStringLiteral("测试进度条"), TabSheet4);
    Button7 = MakeButton("Button7", QStringLiteral("绿"), TabSheet4);
    Button8 = MakeButton("Button8", QStringLiteral("红"), TabSheet4);
    lbl_lasttime = MakeLabel(QStringLiteral("lbl_lasttime"), TabSheet4);
    lbl_lasttime->setObjectName(QStringLiteral("lbl_lasttime"));
    {
        auto* grid = new QGridLayout(TabSheet4);
        grid->addWidget(mmo1, 0, 0);
        grid->addWidget(mmo2, 0, 1);
        grid->addWidget(btn_clrmmo1, 1, 0);
        grid->addWidget(btn_clrmmo2, 1, 1);
        auto* tests = new QHBoxLayout;
        tests->addWidget(Button6);
        tests->addWidget(Button7);
        tests->addWidget(Button8);
        tests->addWidget(lbl_lasttime);
        grid->addLayout(tests, 2, 0, 1, 2);
    }
    connect(Button6, &QPushButton::clicked, this, [this] { Button6Click(); });
    connect(Button7, &QPushButton::clicked, this, [this] { BringLampToFront(true); });
    connect(Button8, &QPushButton::clicked, this, [this] { BringLampToFront(false); });

    ts_other = new QWidget(PageControl1);
    ts_other->setObjectName(QStringLiteral("ts_other"));
    dtp_DeviceCurrentTime =
        MakePicker("dtp_DeviceCurrentTime", QStringLiteral("yy\\MM\\dd hh:mm:ss"), ts_other, false);

    PageControl1->setTabVisible(PageControl1->addTab(TabSheet4, QStringLiteral("调试数据")), false);
    PageControl1->setTabVisible(PageControl1->addTab(ts_other, QStringLiteral("ts_other")), false);
}

void Tfrm_mset::BuildStatusBar() {
    stat1 = new StatusPanels(this);
    stat1->setObjectName(QStringLiteral("stat1"));
    stat1->AddPanel(100, Qt::AlignHCenter, QStringLiteral("COM Port status"));
    stat1->AddPanel(50, Qt::AlignLeft);
    stat1->AddPanel(110, Qt::AlignHCenter);
    stat1->AddPanel(50, Qt::AlignLeft);
    stat1->FitPanelTo(0, {stat1->PanelText(0)});
    stat1->FitPanelTo(2, StatusPanelTexts());
    connect(stat1, &StatusPanels::PanelsMoved, this, [this] {
        if (shown_)
            PlaceInStatusBar();
    });

    img_red = MakeLamp("img_red", Qt::red, stat1);
    img_green = MakeLamp("img_green", Qt::green, stat1);

    pb_write = new QProgressBar(this);
    pb_write->setObjectName(QStringLiteral("pb_write"));
    pb_write->setRange(0, 80);
    pb_write->setTextVisible(false);
    pb_write->hide();
}

void Tfrm_mset::BuildTimers() {
    const auto makeTimer = [this](const char* name, int interval) {
        auto* timer = new QTimer(this);
        timer->setObjectName(QString::fromLatin1(name));
        timer->setInterval(interval);
        return timer;
    };
    tmr_cf = makeTimer("tmr_cf", kResendIntervalMs);
    timer_tb = makeTimer("timer_tb", 200);
    timer_gb = makeTimer("timer_gb", 20);
    connect(tmr_cf, &QTimer::timeout, this, [this] { tmr_cfTimer(); });
}

void Tfrm_mset::BuildFileDialogs() {
    // "ini file|*.ini|(*.*)|*.*" and "INI file|*.ini|(*.*)|*.*"; every file matches "*".
    dlgSave_configuredocument = new QFileDialog(this);
    dlgSave_configuredocument->setObjectName(QStringLiteral("dlgSave_configuredocument"));
    dlgSave_configuredocument->setAcceptMode(QFileDialog::AcceptSave);
    dlgSave_configuredocument->setDefaultSuffix(QStringLiteral("ini"));
    dlgSave_configuredocument->setNameFilters(
        {QStringLiteral("ini file (*.ini)"), QStringLiteral("(*.*) (*)")});

    dlgOpen_configuredocument = new QFileDialog(this);
    dlgOpen_configuredocument->setObjectName(QStringLiteral("dlgOpen_configuredocument"));
    dlgOpen_configuredocument->setAcceptMode(QFileDialog::AcceptOpen);
    dlgOpen_configuredocument->setFileMode(QFileDialog::ExistingFile);
    dlgOpen_configuredocument->setNameFilters(
        {QStringLiteral("INI file (*.ini)"), QStringLiteral("(*.*) (*)")});

    dlgOpen_template = new QFileDialog(this, QStringLiteral("Apply Template: the template"));
    dlgOpen_template->setObjectName(QStringLiteral("dlgOpen_template"));
    dlgOpen_values = new QFileDialog(
        this, QStringLiteral("Apply Template: the values file (Cancel: none)"));
    dlgOpen_values->setObjectName(QStringLiteral("dlgOpen_values"));
    for (QFileDialog* dialog : {dlgOpen_template, dlgOpen_values}) {
        dialog->setAcceptMode(QFileDialog::AcceptOpen);
        dialog->setFileMode(QFileDialog::ExistingFile);
    }
    dlgOpen_template->setNameFilters(
        {QStringLiteral("INI file (*.ini)"), QStringLiteral("(*.*) (*)")});
    dlgOpen_values->setNameFilters(
        {QStringLiteral("CSV file (*.csv)"), QStringLiteral("(*.*) (*)")});
}

void Tfrm_mset::ConfigurePorts() {
    // The device link's port (115,200 baud, one byte per event) is the session's serial
    // line; its name is set at each open.
    cm1.setCommName("COM1");

    mycom.setCommName("COM1");
    mycom.setBaudRate(38400);
    mycom.setDtrControl(link::TDtrControl::DtrEnable);
    mycom.setRtsControl(link::TRtsControl::RtsEnable);
    mycom.setTxContinueOnXoff(true);
    mycom.setOutx_XonXoffFlow(true);
    mycom.setInx_XonXoffFlow(true);
    mycom.setReadIntervalTimeout(20);
    // Line errors of the auxiliary port are ignored.
    mycom.OnReceiveError = [](link::TComm*, std::uint32_t) {};
}

void Tfrm_mset::ConnectSettingsReactions() {
    // Lists react to the user's choice only; check boxes to every change of state, from
    // code too; edit boxes to every change of text.
    connect(cb_pdat, &QComboBox::activated, this, [this] { cb_pdatChange(); });
    connect(cbb_gprsupmode, &QComboBox::activated, this, [this] { cbb_gprsupmodeChange(); });
    connect(CheckBox2, &QCheckBox::toggled, this, [this] { CheckBox2Click(); });
    connect(CheckBox3, &QCheckBox::toggled, this, [this] { CheckBox3Click(); });
    connect(CheckBox4, &QCheckBox::toggled, this, [this] { CheckBox4Click(); });
    connect(edt_gprstimeup, &QLineEdit::textChanged, this, [this] { edt_gprstimeupChange(); });
}

// ---- Start-up and shutdown --------------------------------------------------------------

void Tfrm_mset::FormCreate() {
    Assembler().Reset();
    LinkToggleCount = 0;
    FillPortList();
    const QDateTime now = QDateTime::currentDateTime();
    for (QDateTimeEdit* picker :
         {DateTimePicker1, DateTimePicker2, DateTimePicker3, DateTimePicker4})
        picker->setDateTime(now);
    Codes() = settings::CodeTables{};
    pb_write->setParent(stat1);
    pb_write->hide();
    connection_->ClearSentLog();
    WriteGridHeadings();
}

void Tfrm_mset::FormShow() {
    pb_write->setValue(0);
    PlaceInStatusBar();
    BringLampToFront(false);
}

void Tfrm_mset::PlaceInStatusBar() {
    pb_write->setGeometry(stat1->PanelRect(3));
    const QRect lamp = stat1->PanelRect(1);
    for (QLabel* image : {img_red, img_green}) image->move(lamp.left() + 15, lamp.top() + 5);
}

bool Tfrm_mset::FormCloseQuery() {
    return boxes_->Ask(QStringLiteral("Exit?"), QStringLiteral("Information"), DefaultButton::Yes);
}

void Tfrm_mset::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (shown_)
        return;
    shown_ = true;
    if (const QScreen* screen = this->screen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
    FormShow();
}

void Tfrm_mset::closeEvent(QCloseEvent* event) {
    if (FormCloseQuery())
        event->accept();
    else
        event->ignore();
}

void Tfrm_mset::WriteGridHeadings() {
    WriteCurrentDataHeadings(strngrd_curdata);
}

void Tfrm_mset::Button6Click() {
    // Progress bar test of the traffic tab.
    pb_write->show();
    pb_write->setValue(0);
    SetStatusText(StatusShows::ProgressTest, QStringLiteral("one"));
    for (int n = 0; n <= 30000; ++n) {
        pb_write->setValue(n / 100);
        if (n % 2000 == 0) {
            SetStatusText(StatusShows::ProgressTest, QString::number(n));
            stat1->Repaint();
        }
    }
}

// ---- Status bar -------------------------------------------------------------------------

void Tfrm_mset::SetStatusText(StatusShows what, const QString& text) {
    statusShows_ = what;
    stat1->SetPanelText(2, text);
}

QString Tfrm_mset::StatusText() const {
    return stat1->PanelText(2);
}

void Tfrm_mset::BringLampToFront(bool green) {
    (green ? img_green : img_red)->raise();
    // Only the lamp in front can be seen; keep the other one out of the way of tests and
    // screen readers alike.
    img_green->setVisible(green);
    img_red->setVisible(!green);
}

bool Tfrm_mset::GreenLampInFront() const {
    return !img_green->isHidden();
}

// ---- Settings reactions -----------------------------------------------------------------

void Tfrm_mset::cb_pdatChange() {
    settings::cb_pdatChange(Settings());
}
void Tfrm_mset::cbb_gprsupmodeChange() {
    settings::cbb_gprsupmodeChange(Settings());
}
void Tfrm_mset::CheckBox2Click() {
    settings::CheckBox2Click(Settings());
}
void Tfrm_mset::CheckBox3Click() {
    settings::CheckBox3Click(Settings());
}
void Tfrm_mset::CheckBox4Click() {
    settings::CheckBox4Click(Settings());
}

void Tfrm_mset::edt_gprstimeupChange() {
    settings::edt_gprstimeupChange(
        Settings(), [this](const std::string& text) { boxes_->Show(FromUtf8(text)); });
}

void Tfrm_mset::ComboBox1Change() {
    tools_->RelayTypeChanged();
}

void Tfrm_mset::Edit12Change() {
    tools_->RelayTimeChanged();
}

}  // namespace lgcset::ui
