// The program's one window: the link control, the settings widgets, the tools of the
// "Others" tab, the hidden traffic log and the status bar. The form keeps the widgets; its
// presenters hold the logic: the connection (the conversation with the logger on tmr_cf, the
// port list, the running job), the settings and the tools. Replies enter through
// DispatchResponse, and the window shows what the operations tell (umset_presenters.cpp).
#pragma once

#include <QString>
#include <QWidget>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "data/current_data.h"
#include "data/history_query.h"
#include "data/history_record.h"
#include "export/history_export.h"
#include "jobs/change_log.h"
#include "jobs/job.h"
#include "link/SerialComm.h"
#include "link/comm_event_sink.h"
#include "protocol/device_host.h"
#include "protocol/device_operations.h"
#include "protocol/frame_codec.h"
#include "protocol/request_params.h"
#include "jobs/identify_job.h"
#include "session/device_session.h"
#include "session/link.h"
#include "session/logger_session.h"
#include "session/serial_link.h"
#include "settings/parameter_image.h"
#include "settings/settings_view.h"
#include "ui/connection_presenter.h"
#include "ui/desktop_open.h"
#include "ui/filtered_line_edit.h"
#include "ui/qt_comm_event_sink.h"
#include "ui/remembered_folders.h"
#include "ui/status_panels.h"

class QCheckBox;
class QComboBox;
class QDateTimeEdit;
class QFileDialog;
class QGroupBox;
class QLabel;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QTabWidget;
class QTableWidget;
class QTimeEdit;
class QTimer;

namespace lgcset::data {
struct HistoryChartData;
class RelayWidgets;
}

namespace lgcset::ui {

class HistoryChartWindow;
class MessageBoxes;
class SettingsHistoryDialog;
class ReviewDialog;
class HistoryPresenter;
class TrafficLog;
class WidgetSettingsView;

class SettingsPresenter;
class ToolsPresenter;

class Tfrm_mset : public QWidget, public protocol::DeviceObserver {
    Q_OBJECT
  public:
    explicit Tfrm_mset(QWidget* parent = nullptr);
    ~Tfrm_mset() override;

    // ---- Message boxes. Every box of the window goes through this seam; tests put a
    // scripted implementation in (the window does not take ownership).
    MessageBoxes& Boxes() { return *boxes_; }
    void SetMessageBoxes(MessageBoxes* boxes);

    // ---- The settings as a name-keyed view over the real widgets.
    settings::SettingsView& Settings();

    // ---- The logger's parameter memory as read or to be written, and the code bytes of
    // the list items (the sensor type codes change with the model at login): the session's.
    settings::ParameterImage& Image() { return Device().Image(); }
    settings::CodeTables& Codes() { return Device().Codes(); }

    // ---- Start-up (run by the constructor and the first showing).
    void FormCreate();
    void FormShow();
    // Asks "Exit?"; true lets the window close.
    bool FormCloseQuery();

    // ---- Link control.
    void FillPortList();
    // The list read again (each time it drops down), keeping the text typed or chosen.
    void RefreshPortList();
    // Where the port list comes from; the system's serial ports unless set (tests).
    void SetPortSource(std::function<std::vector<std::string>()> source);
    void btn8Click();
    // Every way the device link closes goes through here ("Close", the line lost): what
    // runs on the link ends, the port is closed, and the window shows the closed link.
    enum class LinkCloseReason { User, LineLost };
    void CloseDeviceLink(LinkCloseReason reason);
    void btn_stopClick();
    void btn_opencClick();
    void btn_closecClick();
    void DisableDeviceButtons();
    void EnableDeviceButtons() override;
    bool LinkOpen() const { return (LinkToggleCount & 1) != 0; }
    std::uint8_t LinkToggleCount = 0;  // odd while the device link is open
    bool StopRequested = false;        // set by Stop; polled by the history export

    // ---- Send path: the session's, on tmr_cf.
    void TransmitFrame(std::span<const std::uint8_t> frame);
    void tmr_cfTimer();
    // Stops re-sending the outstanding request (a valid reply arrived, or Stop).
    void StopResend();
    void SetResendInterval(int milliseconds);
    int ResendCount() const { return connection_->Session().ResendCount(); }
    std::span<const std::uint8_t> ResendCopy() const { return connection_->Session().ResendCopy(); }

    void SendRequest(std::uint8_t requestType);
    void SendLogin();
    void SendReadPage(std::uint32_t address);
    void SendErasePage(std::uint32_t address);
    // Sends image[address .. address + 255]; without an image, the window's own.
    void SendWritePage(std::uint32_t address, std::span<const std::uint8_t> image);
    void SendWritePage(std::uint32_t address);
    protocol::RequestParams& Params() { return Device().Params(); }
    session::LoggerSession& Session() { return connection_->Session(); }
    // The device operations over the session, with the parameter image and the page codec.
    session::DeviceSession& Device() { return connection_->Device(); }
    // The sink through which lines reach the window's thread (demo mode's line among them).
    link::CommEventSink& LineEvents() { return commEvents_; }

    // ---- Receive path: the traffic log, and the one entry point of replies.
    // The traffic log (mmo1 sent, mmo2 received). Its text reaches the memos in batches
    // (ui/traffic_log.h); FlushTrafficLog puts everything logged so far into them, for
    // whoever is about to read them.
    void EchoSent(std::span<const std::uint8_t> bytes);
    void EchoReceived(std::span<const std::uint8_t> bytes);
    void FlushTrafficLog();
    virtual void DispatchResponse(const protocol::ReceivedFrame& frame);
    protocol::FrameAssembler& Assembler() { return Session().Assembler(); }

    // ---- Device operations: the buttons that start them, and the window's side of the
    // dispatcher.
    void btn7Click();            // "Login"
    void btn_loadClick();        // "Read Settings"
    void btn_downClick();        // "Save Settings"
    void btn_industrialClick();  // "Factory Mode"
    protocol::DeviceOperations& Operations() { return Device().Operations(); }
    // Starts a job of the settings or the tools; it takes the place of the one before, as
    // its request takes the place of the one being sent again. The window passes on to it
    // what the conversation reports.
    void RunDeviceJob(std::shared_ptr<jobs::Job> job);
    // DebugMode: 1 after "Debug ON", 0 after "Debug OFF"; words the debug mode replies.
    int DebugModeFlag = 0;

    // A box with the text and an OK button.
    void ShowMessage(std::string_view text);
    // An operation's end, in the box of its message (none for one that shows nothing).
    void Report(const protocol::OperationOutcome& outcome) override;
    bool AskYesNo(std::string_view text, protocol::DefaultAnswer defaultAnswer) override;
    void SetProgress(int position) override;
    void SetProgressVisible(bool visible) override;
    void ClearStatusText() override;
    void RepaintStatus() override;
    void ApplyDeviceIdentity() override;
    // Data replies, handled by the tools that asked for them (the tools presenter, history).
    void OnCurrentData(const protocol::ReceivedFrame& frame) override;
    void OnHistoryCount(const protocol::ReceivedFrame& frame) override;
    void OnHistoryRecord(const protocol::ReceivedFrame& frame) override;
    void ShowDeviceTime(const protocol::ReceivedFrame& frame) override;
    void OnPage(const protocol::ReceivedFrame& frame) override;
    void ShowDebugData(const protocol::ReceivedFrame& frame) override;
    int DebugMode() const override { return DebugModeFlag; }

    // ---- History (ui/history_presenter.h): the store that a transfer fills, its export and
    // its chart. Slots 0 .. HistoryCount - 1 hold the records of the running or last
    // transfer.
    data::HistoryStore History;
    std::uint16_t HistoryCount = 0;
    void Button1Click();  // "Query"
    // A transfer cannot go on (timeout, Stop, link closed): nothing more is sent, and the
    // records received so far are offered for export, their manifest saying `why`.
    void EndHistoryTransfer(const std::string& why = "the transfer was ended",
                            jobs::LineEnd line = jobs::LineEnd::Closed);
    const data::HistoryQuery& HistoryQueryState() const;
    // The transfer waits for the logger's clock before its query starts.
    bool HistoryReadingClock() const;
    // The logger's device ID as read since the login; empty when not read.
    std::string LoggerDeviceId() const;
    // Writes History[0 .. HistoryCount) to the workbook and the CSV file, as a transfer's
    // records are.
    void ExportHistory();
    // Where the export's files go: the folder chosen with "Export folder...", else (none
    // chosen, or it cannot be written) the first writable one of these; empty: the program's
    // folder, then the user's documents folder (tests set their own).
    std::vector<std::string> ExportFolders;
    // "Export folder...": a folder dialog whose choice takes the exports from then on, and
    // is remembered with the window's folders.
    void btn_exportfolderClick();
    // Opens an exported file with the desktop's application: 0, or an error code (tests
    // put their own in; by default DesktopOpener, started on its own and not waited for).
    std::function<int(const QString& path)> OpenExportedFile;
    QString DesktopOpener = DefaultDesktopOpener();  // xdg-open; on Windows the shell
    // The clock that names the export's files; empty: the local clock (tests set their own).
    std::function<exports::LocalTime()> ExportClock;
    // A transfer has ended with records in History[0 .. HistoryCount), complete or ended
    // early and kept; called before they are exported.
    void HistoryTransferEnded();
    // "Chart": the records of the last transfer that ended with records, in the chart window.
    void btn_chartClick();
    HistoryChartWindow* ChartWindow() const;

    // ---- The archive: every transfer exported is kept there too,
    // under the logger's device ID, and the chart window opens it ("Chart" is on from the
    // start). No file: nothing is kept (--no-archive, and tests that set none).
    // `makeFolder`: the default place, whose folder is made when missing. `throwaway`: demo
    // mode's own archive, removed when the program ends, which the status bar says.
    void UseArchive(std::optional<std::filesystem::path> file, bool makeFolder,
                    bool throwaway = false);
    std::optional<std::filesystem::path> ArchiveFile;
    bool ArchiveMakesFolder = false;
    bool ArchiveThrowaway = false;
    // Where the window records what it changes: the archive above, opened on first use;
    // one that keeps nothing without an archive.
    jobs::ChangeLog& Changes();
    // Records an action's row (none: it changed nothing); the status says when nothing
    // keeps it or it could not be kept.
    void RecordChange(const std::optional<archive::AuditEntry>& entry);
    // The settings pages just read, into the settings history.
    void KeepReadSettings();
    // The logger on the line as the window knows it: its device ID when read since the
    // login (else empty) and its model.
    archive::LoggerKey LoggerOnLine();
    // The window's words for why the line ended a job.
    static std::string LineEndText(jobs::LineEnd why);

    // ---- Profile files: "Save Profile to...", "Load Profile" and "Apply Template...".
    void btn_saveconfigureClick();
    void btn_loadconfigureClick();
    void btn_apply_templateClick();
    // Runs a file dialog and gives the chosen file, empty when the user cancels. Modal
    // unless set (tests answer the dialog themselves).
    using FileDialogRunner = std::function<QString(QFileDialog& dialog)>;
    void SetFileDialogRunner(FileDialogRunner runner);
    // Runs the review shown before a write; true when the user chose to write. Modal unless
    // set (tests answer the dialog themselves).
    using ReviewDialogRunner = std::function<bool(ReviewDialog& dialog)>;
    void SetReviewDialogRunner(ReviewDialogRunner runner);
    bool RunReviewDialog(ReviewDialog& dialog);

    // ---- "Settings History...": the archive's snapshots of the logger (of every logger
    // before its device ID is known), compared two at a time; "Restore" loads one into the
    // widgets, its pages kept as those the next "Save Settings" writes over. Modal unless
    // the runner is set (tests answer the dialog themselves).
    void btn_settings_historyClick();
    std::function<bool(SettingsHistoryDialog& dialog)> settingsHistoryRunner;
    // The snapshot's settings into the widgets; refused (false, and said) for another model.
    bool RestoreSnapshot(const archive::SettingsSnapshot& snapshot);
    // The restored snapshot's pages, until a login or a read replaces what the logger holds.
    const std::optional<std::map<std::uint32_t, session::Page>>& RestoredPages() const {
        return restoredPages_;
    }
    // The widgets show something else now (a template applied over the logger's settings).
    void DropRestoredPages() { restoredPages_.reset(); }

    // ---- The folders the window remembers (ui/remembered_folders.h): the export folder
    // and the folder the last file dialog of the window or its chart was left in, where
    // every one of them starts. Kept in `file` across runs (the program names the user's
    // own, but not in demo mode); without one, for this run only.
    void RememberFoldersIn(std::optional<std::filesystem::path> file);

    // ---- The current data, clock, relay and debug tools of the "Others" tab (the tools
    // presenter). Reading holds a decoded current-data reply until it is shown.
    data::CurrentReading Reading;
    void btn_inquire_curdatClick();
    void ShowCurrentData();
    void btn_acquiretimeClick();
    void Button4Click();
    void btn_setcurtimeClick();
    void Button3Click();
    void Button2Click();
    void Button5Click();
    void btn_padlockregulationClick();
    // Appends the hex text of one run of bytes at the end of a memo (the debug monitor's
    // traffic).
    void AppendHexToMemo(QPlainTextEdit* memo, std::span<const std::uint8_t> bytes);

    // ---- Demo mode: the port list starts with the simulated logger's line, selected, and
    // the caption says that the logger is simulated. The line is a port (a pseudo-terminal
    // the logger serves), or, given `line`, the logger inside the program listed as `name`.
    void UseSimulatedLogger(const std::string& portPath, const std::string& model);
    void UseSimulatedLogger(std::unique_ptr<session::Link> line, const std::string& name,
                            const std::string& model);

    // ---- Status bar. Panel 2 says one thing at a time; the code decides by what it says,
    // never by its text.
    enum class StatusShows { Nothing, ResendCount, Exporting, ArchiveCounts, ProgressTest, Other };
    void SetStatusText(StatusShows what, const QString& text);
    // Words of no kind the window decides by (a screenshot's caption).
    void SetStatusText(const QString& text) { SetStatusText(StatusShows::Other, text); }
    QString StatusText() const;
    StatusShows StatusPanelShows() const { return statusShows_; }
    void BringLampToFront(bool green);
    // The lamps and the progress bar into their panels.
    void PlaceInStatusBar();
    bool GreenLampInFront() const;

    // ---- Settings change reactions (the rules run over the settings view).
    void cb_pdatChange();
    void cbb_gprsupmodeChange();
    void CheckBox2Click();
    void CheckBox3Click();
    void CheckBox4Click();
    void edt_gprstimeupChange();
    // Relay test fields.
    void ComboBox1Change();
    void Edit12Change();

    // ================= Widgets: member name = objectName ==========
    // First row.
    QGroupBox* GroupBox1 = nullptr;
    QComboBox* cbox_com = nullptr;
    QPushButton* btn8 = nullptr;
    QPushButton* btn_stop = nullptr;
    QPushButton* btn_openc = nullptr;
    QPushButton* btn_closec = nullptr;
    QGroupBox* grp8 = nullptr;
    FilteredLineEdit* Edit1 = nullptr;
    FilteredLineEdit* edt43 = nullptr;
    FilteredLineEdit* edt_setpwd = nullptr;
    QPushButton* btn7 = nullptr;
    QPushButton* btn5 = nullptr;
    QPushButton* btn6 = nullptr;
    // Second row.
    QGroupBox* grp9 = nullptr;
    QPushButton* btn_down = nullptr;
    QCheckBox* chk_review = nullptr;  // "Review changes before writing", remembered
    QPushButton* btn_load = nullptr;
    QPushButton* btn_saveconfigure = nullptr;
    QPushButton* btn_loadconfigure = nullptr;
    QPushButton* btn_apply_template = nullptr;
    QPushButton* btn_industrial = nullptr;
    QPushButton* btn_settings_history = nullptr;
    QPushButton* btn9 = nullptr;
    QPushButton* btn10 = nullptr;
    QLabel* lbl4 = nullptr;
    QLabel* lbl16 = nullptr;
    // Tabs.
    QTabWidget* PageControl1 = nullptr;
    QWidget* TabSheet1 = nullptr;
    QWidget* TabSheet2 = nullptr;
    QWidget* TabSheet3 = nullptr;
    QWidget* TabSheet4 = nullptr;  // never shown
    QWidget* ts_other = nullptr;   // never shown

    // "Basic Parameters": System Parameters.
    QGroupBox* GroupBox18 = nullptr;
    QComboBox* cbb_timemode = nullptr;
    FilteredLineEdit* edt_tel_my = nullptr;
    FilteredLineEdit* edt_pwd = nullptr;
    FilteredLineEdit* edt_id = nullptr;
    FilteredLineEdit* edt_rec_time = nullptr;
    QCheckBox* CheckBox1 = nullptr;
    QCheckBox* chk1 = nullptr;
    FilteredLineEdit* edt_PinCode = nullptr;
    FilteredLineEdit* edt_GprsFailTel = nullptr;
    QComboBox* cb_pdat = nullptr;
    FilteredLineEdit* edit9 = nullptr;
    FilteredLineEdit* edt1 = nullptr;
    QCheckBox* CheckBox2 = nullptr;
    QCheckBox* CheckBox3 = nullptr;
    QCheckBox* CheckBox4 = nullptr;
    QCheckBox* CheckBox5 = nullptr;
    QTimeEdit* DateTimePicker5 = nullptr;
    QTimeEdit* DateTimePicker6 = nullptr;
    QTimeEdit* DateTimePicker7 = nullptr;
    QTimeEdit* DateTimePicker8 = nullptr;
    FilteredLineEdit* edt_relay_time = nullptr;
    QComboBox* cbb_gprsupmode = nullptr;
    FilteredLineEdit* edt_gprstimeup = nullptr;
    QTimeEdit* dtp_gprspointup = nullptr;
    // Authorized numbers.
    QGroupBox* grp7 = nullptr;
    FilteredLineEdit *edt_tel1 = nullptr, *edt_tel2 = nullptr, *edt_tel3 = nullptr,
                     *edt_tel4 = nullptr, *edt_tel5 = nullptr, *edt_tel6 = nullptr;
    QComboBox *cbb_tel1_f1 = nullptr, *cbb_tel2_f1 = nullptr, *cbb_tel3_f1 = nullptr,
              *cbb_tel4_f1 = nullptr, *cbb_tel5_f1 = nullptr, *cbb_tel6_f1 = nullptr;
    QComboBox *cbb_tel1_f2 = nullptr, *cbb_tel2_f2 = nullptr, *cbb_tel3_f2 = nullptr,
              *cbb_tel4_f2 = nullptr, *cbb_tel5_f2 = nullptr, *cbb_tel6_f2 = nullptr;
    // GPRS Connection setting.
    QGroupBox* grp6 = nullptr;
    FilteredLineEdit* edt_ip1 = nullptr;
    FilteredLineEdit* edt_ip2 = nullptr;
    FilteredLineEdit* edt_port = nullptr;
    QComboBox* cbb_mode = nullptr;
    FilteredLineEdit* edt_apn = nullptr;
    FilteredLineEdit* edt_gprsname = nullptr;
    FilteredLineEdit* edt_gprspassword = nullptr;

    // "Alarm setting": one group per sensor.
    QGroupBox *GroupBox7 = nullptr, *grp1 = nullptr, *grp2 = nullptr, *grp3 = nullptr;
    QComboBox *cbb_sensor1 = nullptr, *cbb_sensor2 = nullptr, *cbb_sensor3 = nullptr,
              *cbb_sensor4 = nullptr;
    QComboBox *cbb_sensor1_ain = nullptr, *cbb_sensor2_ain = nullptr, *cbb_sensor3_ain = nullptr,
              *cbb_sensor4_ain = nullptr;
#define LGCSET_SENSOR_EDITS(n)                                                          \
    FilteredLineEdit *edt_Sensor##n##_SLow = nullptr, *edt_Sensor##n##_Low = nullptr,   \
                     *edt_Sensor##n##_High = nullptr, *edt_Sensor##n##_SHigh = nullptr, \
                     *edt_Sensor##n##_Relay = nullptr, *edt_Sensor##n##_STP = nullptr,  \
                     *edt_Sensor##n##_SP = nullptr, *edt_Sensor##n##_ens = nullptr,     \
                     *edt_Sensor##n##_start = nullptr, *edt_Sensor##n##_end = nullptr;
    LGCSET_SENSOR_EDITS(1)
    LGCSET_SENSOR_EDITS(2)
    LGCSET_SENSOR_EDITS(3)
    LGCSET_SENSOR_EDITS(4)
#undef LGCSET_SENSOR_EDITS

    // "Others": history query.
    QGroupBox* grp4 = nullptr;
    QDateTimeEdit* DateTimePicker1 = nullptr;  // "From"
    QDateTimeEdit* DateTimePicker2 = nullptr;  // "To"
    QPushButton* Button1 = nullptr;
    QPushButton* btn_chart = nullptr;         // "Chart"
    QPushButton* btn_exportfolder = nullptr;  // "Export folder...", the choice its tooltip
    // Relay control test.
    QGroupBox* GroupBox2 = nullptr;
    QComboBox* ComboBox1 = nullptr;
    FilteredLineEdit* Edit8 = nullptr;
    FilteredLineEdit* Edit10 = nullptr;
    FilteredLineEdit* Edit11 = nullptr;
    FilteredLineEdit* Edit12 = nullptr;
    QPushButton* Button3 = nullptr;
    QPushButton* Button2 = nullptr;
    // Device clock.
    QGroupBox* GroupBox3 = nullptr;
    QDateTimeEdit* DateTimePicker3 = nullptr;  // date
    QDateTimeEdit* DateTimePicker4 = nullptr;  // time of day
    QPushButton* btn_acquiretime = nullptr;
    QPushButton* Button4 = nullptr;
    QPushButton* btn_setcurtime = nullptr;  // never shown
    // Debug monitor.
    QGroupBox* GroupBox4 = nullptr;
    QPushButton* Button5 = nullptr;
    QPushButton* btn_padlockregulation = nullptr;
    QPlainTextEdit* Memo1 = nullptr;
    QPlainTextEdit* memo2 = nullptr;
    // Current data.
    QGroupBox* grp_curdat = nullptr;
    QTableWidget* strngrd_curdata = nullptr;
    QPushButton* btn_inquire_curdat = nullptr;

    // Hidden traffic tab.
    QPlainTextEdit* mmo1 = nullptr;
    QPlainTextEdit* mmo2 = nullptr;
    QPushButton* btn_clrmmo1 = nullptr;
    QPushButton* btn_clrmmo2 = nullptr;
    QPushButton* Button6 = nullptr;
    QPushButton* Button7 = nullptr;
    QPushButton* Button8 = nullptr;
    QLabel* lbl_lasttime = nullptr;
    // Hidden tab ts_other.
    QDateTimeEdit* dtp_DeviceCurrentTime = nullptr;

    // Status bar with the lamps and the transfer progress bar.
    StatusPanels* stat1 = nullptr;
    QLabel* img_red = nullptr;
    QLabel* img_green = nullptr;
    QProgressBar* pb_write = nullptr;

    // Profile file dialogs; folder and proposed name are set when they are used.
    QFileDialog* dlgSave_configuredocument = nullptr;  // default suffix "ini"
    QFileDialog* dlgOpen_configuredocument = nullptr;
    // "Apply Template...": the template, then its values file.
    QFileDialog* dlgOpen_template = nullptr;
    QFileDialog* dlgOpen_values = nullptr;

    // Timers.
    QTimer* tmr_cf = nullptr;    // resend, 1000 ms
    QTimer* timer_tb = nullptr;  // 200 ms, never enabled
    QTimer* timer_gb = nullptr;  // 20 ms, never enabled

  private:
    // The lines' events reach the window's thread through it; made before the lines and
    // gone after them.
    QtCommEventSink commEvents_;
    session::SerialLink serialLink_{commEvents_, session::SerialReading::OneByteAtATime()};

  public:
    // The device link's serial port, and the auxiliary port.
    link::TComm& cm1 = serialLink_.Comm();
    link::TComm mycom{commEvents_};

  private:
    // After the lines: the session ends before them.
    std::unique_ptr<ConnectionPresenter> connection_;
    std::unique_ptr<SettingsPresenter> settings_;
    std::unique_ptr<ToolsPresenter> tools_;

  protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    void BuildFirstRow();
    void BuildSecondRow();
    void BuildTabs();
    void BuildOthersTab();
    void BuildHiddenTabs();
    void BuildStatusBar();
    void BuildTimers();
    void BuildFileDialogs();
    void BuildSettingsWidgets();
    void BindSettingsMembers();
    void ConnectSettingsReactions();
    void ConfigurePorts();
    void WriteGridHeadings();
    void ConnectTools();
    void Button6Click();
    void BuildHistoryQuery();

    std::unique_ptr<MessageBoxes> ownBoxes_;
    MessageBoxes* boxes_ = nullptr;
    std::unique_ptr<WidgetSettingsView> settingsView_;
    // Makes the presenters over the widgets built so far.
    void BuildPresenters();
    FileDialogRunner fileDialogRunner_;
    ReviewDialogRunner reviewDialogRunner_;
    RememberedFolders folders_;
    // Runs `dialog` from the folder every dialog starts in, and remembers where it was left.
    QString RunFileDialog(QFileDialog& dialog);
    void ShowExportFolder();
    bool shown_ = false;
    // The history query, its export, chart and archive.
    friend class HistoryPresenter;
    std::unique_ptr<HistoryPresenter> history_;
    std::unique_ptr<jobs::ChangeLog> changes_;
    std::optional<std::map<std::uint32_t, session::Page>> restoredPages_;
    StatusShows statusShows_ = StatusShows::Nothing;
    std::unique_ptr<jobs::DeviceIdJob> idJob_;
    // true when Read Settings is to wait for the device ID's page.
    bool DeferReadSettings();
    void DropPendingArchive(const QString& why);
    void NoteSettingsRead();
    // A login: the device ID and limits known so far may be another logger's.
    void ForgetLogger();
};

}  // namespace lgcset::ui
