#include "ui/history_presenter.h"

#include <QCoreApplication>
#include <QDate>
#include <QDateTime>
#include <QDateTimeEdit>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QLocale>
#include <QProgressBar>
#include <QPushButton>
#include <QStandardPaths>
#include <algorithm>
#include <utility>

#include "analysis/sensor_setup.h"
#include "archive/archive_open.h"
#include "archive/throwaway_archive.h"
#include "jobs/audit_entries.h"
#include "jobs/download_record.h"
#include "jobs/settings_jobs.h"
#include "project_version.h"
#include "protocol/command_codes.h"
#include "session/device_identity.h"
#include "settings/settings_model.h"
#include "ui/desktop_open.h"
#include "ui/history_chart_window.h"
#include "ui/message_box.h"
#include "ui/settings_presenter.h"
#include "ui/status_panels.h"
#include "ui/status_texts.h"
#include "ui/umset.h"

namespace lgcset::ui {

namespace {

// The status text of a running transfer changes at most this often; a record takes a few
// milliseconds on the line, and a text per record would cost more than it tells.
constexpr qint64 kProgressEveryMs = 250;
constexpr int kProgressPanelWidth = 220;
// The export takes pending events this often (milliseconds).
constexpr qint64 kEventInterval = 10;

std::filesystem::path PathOf(const QString& folder) {
    return std::filesystem::path(folder.toStdU16String());
}

QString ShownFolder(const std::filesystem::path& folder) {
    return QDir::toNativeSeparators(QString::fromStdU16String(folder.u16string()));
}

std::vector<std::filesystem::path> DefaultFolders() {
    std::vector<std::filesystem::path> folders{PathOf(QCoreApplication::applicationDirPath())};
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (!documents.isEmpty() && QDir().mkpath(documents))
        folders.push_back(PathOf(documents));
    return folders;
}

std::string IsoDate(const QDate& date) {
    return date.toString(Qt::ISODate).toStdString();
}

bool SharedId(const std::string& id) {
    return id.find_first_not_of('0') == std::string::npos;
}

QString NotArchived(std::size_t transfers) {
    return transfers == 1
               ? QStringLiteral("The transfer was not archived")
               : QStringLiteral("The last %1 transfers were not archived").arg(transfers);
}

}  // namespace

// The window's side of the one transfer job: it passes on to the presenter, and remembers
// whether the records handed over are a transfer's (for the chart) or the store's own.
class HistoryPresenter::Transfer final : public jobs::TransferHost {
  public:
    Transfer(HistoryPresenter& presenter, Tfrm_mset& window)
        : presenter_(presenter),
          job(window.Device(), *this, {}, window.History, window.HistoryCount) {}

    bool ExportWhatArrived(const data::HistoryOutcome& question) override {
        return presenter_.AskExport(question);
    }
    std::string LineEndText(jobs::LineEnd) override { return presenter_.endReason_; }
    void ShowProgress(std::uint16_t answered, std::uint16_t total) override {
        presenter_.ShowProgress(answered, total);
    }
    void ClearProgress() override { presenter_.ClearProgress(); }
    void ClearStop() override { presenter_.window_.StopRequested = false; }
    void ShowProgressBar(bool visible) override { presenter_.ShowProgressBar(visible); }
    void ShowNextIndex(std::uint16_t index) override { presenter_.window_.lbl16->setNum(index); }
    void ShowReceived(std::uint16_t count) override { presenter_.ShowReceived(count); }
    void ShowSaving() override { presenter_.ShowSaving(); }
    void Reported(const data::HistoryOutcome& outcome) override {
        presenter_.window_.Boxes().Show(QString::fromStdString(data::OutcomeMessage(outcome)));
    }
    void HandedOver(const jobs::TransferResult& result) override {
        if (!held)
            presenter_.TakeForChart(result.records, job.Query().EndedEarly(),
                                    job.Query().Total());
        Tfrm_mset& window = presenter_.window_;
        window.SetStatusText(Tfrm_mset::StatusShows::Exporting, ExportingStatusText());
        window.stat1->Repaint();
    }
    void Exported(const jobs::TransferResult& exported, bool newest) override {
        presenter_.Exported(exported, newest);
    }

    // The folder chosen when the export was asked for.
    QString chosenFolder;
    bool held = false;

  private:
    HistoryPresenter& presenter_;

  public:
    jobs::TransferJob job;
};

HistoryPresenter::HistoryPresenter(Tfrm_mset& window)
    : window_(window), transfer_(std::make_shared<Transfer>(*this, window)) {
    window_.stat1->AddPanel(kProgressPanelWidth, Qt::AlignLeft | Qt::AlignVCenter);
    progressPanel_ = window_.stat1->PanelCount() - 1;
    refresh_.setInterval(static_cast<int>(kProgressEveryMs));
    QObject::connect(&refresh_, &QTimer::timeout, &window_, [this] {
        if (shownReceived_ >= 0)
            ShowReceivedNow();
    });
}

HistoryPresenter::~HistoryPresenter() = default;

template <typename Step>
void HistoryPresenter::OnRunning(Step step) {
    const std::shared_ptr<Transfer> running = transfer_;
    step(*running);
}

// ---- The query ---------------------------------------------------------------------------

void HistoryPresenter::Query() {
    const QDate from = window_.DateTimePicker1->date();
    const QDate to = window_.DateTimePicker2->date();
    const data::QueryRange range = data::MakeQueryRange(from.year(), from.month(), from.day(),
                                                        to.year(), to.month(), to.day());
    // The previous transfer's words ("... archived") are not this one's.
    window_.ClearStatusText();
    if (DeferQueryForDeviceId(range))
        return;
    Start(range);
}

void HistoryPresenter::Start(const data::QueryRange& range) {
    OnRunning([&](Transfer& transfer) {
        transfer.held = false;
        transfer.chosenFolder = window_.folders_.ExportFolder();
        transfer.job.Restart({range, ExportOptions()});
    });
}

void HistoryPresenter::EndTransfer(jobs::LineEnd line, const std::string& why) {
    queryAfterId_.reset();  // a query still waiting for the device ID never starts
    endReason_ = why;       // the export of what arrived, if any, runs inside it
    OnRunning([&](Transfer& transfer) {
        if (transfer.job.ReadingClock() ||
            transfer.job.Query().state() != data::HistoryQuery::State::Idle)
            transfer.job.OnLineEnded(line);
    });
}

void HistoryPresenter::OnHistoryFrame(const protocol::ReceivedFrame& frame) {
    OnRunning([&](Transfer& transfer) { transfer.job.OnData(frame); });
}

bool HistoryPresenter::ReadingClock() const {
    return transfer_->job.ReadingClock();
}

const data::HistoryQuery& HistoryPresenter::QueryState() const {
    return transfer_->job.Query();
}

bool HistoryPresenter::AskExport(const data::HistoryOutcome& question) {
    return window_.Boxes().Ask(QString::fromStdString(data::OutcomeMessage(question)),
                               QStringLiteral("Information"), DefaultButton::Yes);
}

// ---- Progress ----------------------------------------------------------------------------

void HistoryPresenter::ShowProgressBar(bool visible) {
    if (visible)
        window_.pb_write->setValue(0);
    window_.pb_write->setVisible(visible);
}

void HistoryPresenter::ShowReceived(std::uint16_t count) {
    // A new text per record would cost more than the record: the first count of a
    // transfer at once, then at most every kProgressEveryMs, the last when it ends.
    received_ = count;
    if (shownReceived_ < 0 || !transferClock_.isValid() ||
        transferClock_.elapsed() - lastReceivedMs_ >= kProgressEveryMs)
        ShowReceivedNow();
}

void HistoryPresenter::ShowReceivedNow() {
    if (shownReceived_ != received_) {
        window_.lbl4->setNum(received_);
        shownReceived_ = received_;
    }
    if (transferClock_.isValid())
        lastReceivedMs_ = transferClock_.elapsed();
}

void HistoryPresenter::ShowSaving() {
    // A record taken: a "resend:" text of its request is over. The progress panel tells
    // where the transfer stands; "Saved" beside it would be said before anything is.
    if (window_.StatusPanelShows() == Tfrm_mset::StatusShows::Nothing)
        return;
    window_.ClearStatusText();
    window_.RepaintStatus();
}

void HistoryPresenter::ShowProgress(std::uint16_t answered, std::uint16_t total) {
    if (answered == 0) {
        transferClock_.start();
        lastProgressMs_ = 0;
        shownReceived_ = -1;  // the first count of this transfer goes up at once
        refresh_.start();
    } else if (answered < total && transferClock_.elapsed() - lastProgressMs_ < kProgressEveryMs) {
        return;
    }
    const qint64 now = transferClock_.elapsed();
    lastProgressMs_ = now;
    const std::string text =
        data::TransferProgressText(answered, total, static_cast<double>(now) / 1000.0);
    window_.stat1->SetPanelText(progressPanel_, QString::fromStdString(text));
}

void HistoryPresenter::ClearProgress() {
    refresh_.stop();
    if (shownReceived_ >= 0)
        ShowReceivedNow();  // the transfer's last count
    window_.stat1->SetPanelText(progressPanel_, QString());
}

// ---- The export --------------------------------------------------------------------------

void HistoryPresenter::ShowExportFolder() {
    window_.btn_exportfolder->setToolTip(QDir::toNativeSeparators(window_.folders_.ExportFolder()));
}

void HistoryPresenter::ChooseExportFolder() {
    QFileDialog dialog(&window_, QStringLiteral("Export folder"));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly);
    const QString folder = window_.RunFileDialog(dialog);
    if (folder.isEmpty())
        return;
    window_.folders_.SetExportFolder(QDir(folder).absolutePath());
    ShowExportFolder();
}

exports::ExportManifest HistoryPresenter::ExportOrigin() {
    exports::ExportManifest origin;
    origin.program = "lgcset";
    origin.version = kVersion;
    const settings::SettingsView& view = window_.Settings();
    origin.model = view.Text(settings::Setting::Model);
    origin.firmware = view.Text(settings::Setting::Firmware);
    origin.rangeFrom = IsoDate(window_.DateTimePicker1->date());
    origin.rangeTo = IsoDate(window_.DateTimePicker2->date());
    // The ID and the limits as the logger holds them, not as the boxes may have been
    // edited since. The ID may come from its page alone, read before the transfer; the
    // limits only from its settings read since the login.
    if (deviceIdSinceLogin_)
        origin.deviceId = *deviceIdSinceLogin_;
    if (settingsReadSinceLogin_) {
        settings::SettingsModel read;
        settings::DecodeAlarmPage(read, window_.Image(), window_.Codes());
        const analysis::SensorSetups setups =
            analysis::SetupsFromSettings(read, settings::LayoutForModel(origin.model));
        origin.limits.emplace();
        for (std::size_t s = 0; s < setups.size(); ++s)
            (*origin.limits)[s] = setups[s].limits;
    }
    return origin;
}

exports::ExportOptions HistoryPresenter::ExportOptions() {
    exports::ExportOptions options;
    // The chosen folder first; when it cannot be written, where the files went without it.
    const QString chosen = window_.folders_.ExportFolder();
    if (!chosen.isEmpty())
        options.folders.push_back(PathOf(chosen));
    const std::vector<std::string>& set = window_.ExportFolders;
    if (set.empty())
        for (const std::filesystem::path& folder : DefaultFolders())
            options.folders.push_back(folder);
    else
        options.folders.insert(options.folders.end(), set.begin(), set.end());
    options.decimalSeparator = QLocale().decimalPoint().toStdString();  // the system's unless set
    if (window_.ExportClock)
        options.clock = window_.ExportClock;
    options.origin = ExportOrigin();
    // Pending events are taken before the first record and then every few milliseconds:
    // as alive as after every record, without a full sheet's export spending most of its
    // time looking for events that are not there.
    options.beforeRecord = [this](std::size_t record, std::optional<int> progress) {
        if (record == 0 || sinceEvents_.elapsed() >= kEventInterval) {
            QCoreApplication::processEvents();
            sinceEvents_.start();
        }
        if (window_.StopRequested)
            return false;
        if (progress)
            window_.pb_write->setValue(*progress);
        return true;
    };
    return options;
}

void HistoryPresenter::ExportHeld() {
    OnRunning([&](Transfer& transfer) {
        transfer.held = true;
        transfer.chosenFolder = window_.folders_.ExportFolder();
        transfer.job.HandOverHeld({{}, ExportOptions()});
    });
}

void HistoryPresenter::Exported(const jobs::TransferResult& exported, bool newest) {
    const exports::ExportResult& result = exported.files;
    using Outcome = exports::ExportResult::Outcome;
    if (result.outcome == Outcome::Stopped)
        return;
    window_.ClearStatusText();
    window_.stat1->Repaint();
    if (result.outcome == Outcome::Failed) {
        window_.Boxes().Error(QStringLiteral("no operate Excel file!"),
                              QString::fromStdString(result.error));
        return;
    }
    // Only while the store still holds the exported transfer: once a new query has started,
    // its records are its own.
    if (newest)
        chartCsv_ = QString::fromStdString(result.csv.string());
    ArchiveExport(exported.records, result);

    const QString chosen = transfer_->chosenFolder;
    const QString workbook = QString::fromStdString(result.workbook.string());
    const QString csv = QString::fromStdString(result.csv.string());
    QString detail = QStringLiteral("Excel file: %1\nCSV file: %2").arg(workbook, csv);
    if (!chosen.isEmpty() && result.workbook.parent_path() != PathOf(chosen))
        detail =
            QStringLiteral("The export folder %1 cannot be written; the files went to %2.\n")
                .arg(QDir::toNativeSeparators(chosen), ShownFolder(result.workbook.parent_path())) +
            detail;
    if (result.invalidTimes > 0)
        detail += QStringLiteral(
                      "\n%1 of %2 records had no valid date and time; their time "
                      "cells hold the logger's fields as text.")
                      .arg(result.invalidTimes)
                      .arg(exported.records.size());
    if (exported.repeats > 0)
        detail += QStringLiteral("\n%1.").arg(
            QString::fromStdString(data::RepeatedRecordsText(exported.repeats)));
    MessageBoxes& boxes = window_.Boxes();
    boxes.ShowDetailed(QStringLiteral("Historical Data Saved as Excel file and CSV file success."),
                       detail);

    const QString caption = QStringLiteral("Information");
    const std::pair<QString, QString> offers[] = {
        {QStringLiteral("Open to view the excel file?"), workbook},
        {QStringLiteral("Open to view the CSV file?"), csv}};
    for (const auto& [question, path] : offers) {
        if (!boxes.AskOkCancel(question, caption))
            continue;
        const int code = window_.OpenExportedFile
                             ? window_.OpenExportedFile(path)
                             : OpenWithDesktop(window_.DesktopOpener, path);
        if (code != 0)
            boxes.Show(QStringLiteral("Open file error code:") + QString::number(code));
    }
}

// ---- The chart ---------------------------------------------------------------------------

void HistoryPresenter::TakeHeldForChart() {
    const data::HistoryQuery& query = transfer_->job.Query();
    const std::uint16_t count = window_.HistoryCount;
    TakeForChart({window_.History.data(), window_.History.data() + count}, query.EndedEarly(),
                 query.Total());
}

void HistoryPresenter::TakeForChart(const std::vector<data::HistoryRecord>& records,
                                    bool endedEarly, std::uint32_t total) {
    transferEnd_ = {endedEarly, static_cast<std::uint32_t>(records.size()), total};
    if (records.empty())
        return;
    chartRecords_ = std::make_shared<const std::vector<data::HistoryRecord>>(records);
    chartSource_ =
        QStringLiteral("transfer of %1")
            .arg(QDateTime::currentDateTime().toString(QStringLiteral("yy-MM-dd hh:mm")));
    chartCsv_.clear();  // until its export writes one
    window_.btn_chart->setEnabled(true);
}

void HistoryPresenter::OpenChart() {
    // Without a transfer, the window opens for "Open from Archive..." (or a CSV file).
    if (!chartRecords_ && !window_.ArchiveFile)
        return;
    if (chartWindow_ == nullptr) {
        chartWindow_ = new HistoryChartWindow(
            [this]() -> MessageBoxes& { return window_.Boxes(); }, &window_);
        chartWindow_->SetArchive(window_.ArchiveFile, window_.ArchiveMakesFolder);
        chartWindow_->UseFolders(window_.folders_);
    }
    // The logger and its limits as the window holds them now: read from it or loaded from
    // a profile.
    if (chartRecords_) {
        const settings::SettingsView& view = window_.Settings();
        const std::string model = view.Text(settings::Setting::Model);
        chartWindow_->SetLogger(QString::fromStdString(model),
                                QString::fromStdString(view.Text(settings::Setting::Firmware)),
                                QString::fromStdString(view.Text(settings::Setting::DeviceId)));
        chartWindow_->ShowRecords(
            chartRecords_, chartSource_, chartCsv_,
            analysis::SetupsFromSettings(view, settings::LayoutForModel(model)),
            QStringLiteral("the alarm settings"));
    }
    chartWindow_->show();
    chartWindow_->raise();
    chartWindow_->activateWindow();
}

// ---- The archive -------------------------------------------------------------------------

void HistoryPresenter::ArchiveChanged() {
    if (window_.ArchiveFile)
        window_.btn_chart->setEnabled(true);
    if (chartWindow_ != nullptr)
        chartWindow_->SetArchive(window_.ArchiveFile, window_.ArchiveMakesFolder);
}

void HistoryPresenter::ForgetLogger() {
    deviceIdSinceLogin_.reset();
    settingsReadSinceLogin_ = false;
}

void HistoryPresenter::NoteSettingsRead() {
    session::DeviceSession& device = window_.Device();
    const auto& pages = device.ReadPages();
    const auto page = pages.find(protocol::kSystemPage);
    if (page == pages.end())
        return;
    settingsReadSinceLogin_ = true;
    deviceIdSinceLogin_ = session::DeviceIdOfSystemPage(device.LoginReply(), page->second);
    if (!pendingArchives_.empty())
        ArchivePending(*deviceIdSinceLogin_);
}

void HistoryPresenter::ArchiveExport(const std::vector<data::HistoryRecord>& records,
                                     const exports::ExportResult& exported) {
    if (!window_.ArchiveFile) {
        // Nothing keeps the transfer's record: the status says so.
        jobs::DownloadOrigin origin;
        origin.logger = window_.LoggerOnLine();
        window_.RecordChange(
            jobs::ExportWrittenEntry(jobs::DownloadRecord(origin, jobs::SavedFilesOf(exported))));
        return;
    }
    pendingArchives_.push_back(PendingArchive{records, exported,
                                              IsoDate(window_.DateTimePicker1->date()),
                                              IsoDate(window_.DateTimePicker2->date()),
                                              transferEnd_});
    if (deviceIdSinceLogin_) {
        ArchivePending(*deviceIdSinceLogin_);
        return;
    }
    if (!window_.LinkOpen()) {
        DropPendingArchive(QStringLiteral("the link is closed"));
        return;
    }
    AwaitDeviceId();
}

bool HistoryPresenter::DeferQueryForDeviceId(const data::QueryRange& range) {
    // A range the query refuses is refused at once, without asking the logger.
    if (!window_.ArchiveFile || deviceIdSinceLogin_ || !window_.LinkOpen() ||
        data::RangeMonths(range) >= data::kTooManyMonths)
        return false;
    queryAfterId_ = range;
    readSettingsAfterId_ = false;
    AwaitDeviceId();
    return true;
}

void HistoryPresenter::AwaitDeviceId() {
    // Only the last request is sent again: unless the ID's request is still that one, a
    // request sent since (another transfer) took its place and its reply may never come.
    const auto resent = window_.ResendCopy();
    if (awaitingDeviceId_ && window_.Session().Resending() &&
        std::equal(resent.begin(), resent.end(), idReadFrame_.begin(), idReadFrame_.end()))
        return;
    SendDeviceIdRead();
}

void HistoryPresenter::SendDeviceIdRead() {
    // The window's settings stay as they are: the page is decoded into a scratch model.
    awaitingDeviceId_ = true;
    window_.idJob_->Start();
    const auto sent = window_.ResendCopy();
    idReadFrame_.assign(sent.begin(), sent.end());
}

bool HistoryPresenter::DeferReadSettings() {
    if (!awaitingDeviceId_)
        return false;
    readSettingsAfterId_ = true;
    queryAfterId_.reset();
    AwaitDeviceId();
    return true;
}

void HistoryPresenter::OnPage(const protocol::ReceivedFrame& frame) {
    if (!awaitingDeviceId_)
        return;
    window_.idJob_->OnData(frame);
    if (window_.idJob_->Ended())
        DeviceIdRead();
}

void HistoryPresenter::DeviceIdRead() {
    awaitingDeviceId_ = false;
    // The same logger until the next login.
    deviceIdSinceLogin_ = window_.idJob_->Result().deviceId;
    if (!pendingArchives_.empty())
        ArchivePending(*deviceIdSinceLogin_);
    if (std::exchange(readSettingsAfterId_, false))
        window_.settings_->ReadSettings();
    else if (const auto range = std::exchange(queryAfterId_, std::nullopt))
        Start(*range);
}

void HistoryPresenter::DropPendingArchive(const QString& why) {
    awaitingDeviceId_ = false;
    readSettingsAfterId_ = false;
    queryAfterId_.reset();
    if (pendingArchives_.empty())
        return;
    const std::size_t dropped = pendingArchives_.size();
    pendingArchives_.clear();
    window_.Boxes().Show(
        QStringLiteral("%1: the device ID could not be read (%2). The export files are "
                       "written.")
            .arg(NotArchived(dropped), why));
}

void HistoryPresenter::RecordTransfer(std::optional<jobs::ChangeLog>& changes,
                                      const jobs::DownloadOrigin& origin,
                                      const archive::DownloadInfo& record,
                                      const PendingArchive& transfer,
                                      const archive::AddCounts& counts) {
    // The transfer as it ended, without its records: the row counts them.
    jobs::TransferResult ended;
    ended.end = transfer.end.early ? jobs::TransferResult::End::LineEnded
                                   : jobs::TransferResult::End::Done;
    ended.arrived = static_cast<std::uint16_t>(transfer.records.size());
    ended.total = static_cast<std::uint16_t>(transfer.end.total);
    ended.archived = jobs::TransferResult::Archive::Archived;
    ended.counts = counts;
    for (const auto& row : {jobs::HistoryDownloadedEntry(origin, ended, "the transfer ended early"),
                            jobs::ExportWrittenEntry(record)}) {
        if (!row)
            continue;
        if (const archive::ArchiveStatus kept = changes->Record(*row); !kept.ok()) {
            window_.SetStatusText(Tfrm_mset::StatusShows::Other,
                                  QString::fromStdString(jobs::NotRecordedLine(kept)));
            return;
        }
    }
}

void HistoryPresenter::ArchivePending(const std::string& deviceId) {
    std::vector<PendingArchive> pending = std::move(pendingArchives_);
    pendingArchives_.clear();
    archive::OpenResult opened =
        archive::OpenArchive(window_.ArchiveFile->string(), window_.ArchiveMakesFolder);
    SayMerged(window_.Boxes(), opened);
    archive::ArchiveStatus status = opened.status;
    archive::AddCounts total;
    std::optional<TransferEnd> early;  // the last transfer archived that had ended early
    std::size_t archived = 0;          // in order; the first failure ends the run
    // The transfers' rows go into the archive just opened.
    std::optional<jobs::ChangeLog> changes;
    if (opened.store)
        changes.emplace(*opened.store, jobs::CurrentOperator());
    const settings::SettingsView& view = window_.Settings();
    const session::Link* line = window_.Session().CurrentLink();
    while (status.ok() && archived < pending.size()) {
        const PendingArchive& transfer = pending[archived];
        const jobs::DownloadOrigin origin{{deviceId, view.Text(settings::Setting::Model)},
                                          view.Text(settings::Setting::Firmware),
                                          transfer.rangeFrom,
                                          transfer.rangeTo,
                                          line ? line->Name() : ""};
        const archive::DownloadInfo record =
            jobs::DownloadRecord(origin, jobs::SavedFilesOf(transfer.exported));
        const archive::AddResult added = opened.store->Add(record, transfer.records);
        status = added.status;
        if (status.ok()) {
            RecordTransfer(changes, origin, record, transfer, added.counts);
            total.added += added.counts.added;
            total.alreadyThere += added.counts.alreadyThere;
            if (transfer.end.early)
                early = transfer.end;
            ++archived;
        }
    }
    MessageBoxes& boxes = window_.Boxes();
    if (!status.ok()) {
        boxes.Show(QStringLiteral("%1: %2 The export files are written.")
                       .arg(NotArchived(pending.size() - archived),
                            QString::fromStdString(status.message)));
        return;
    }
    QString text = QStringLiteral("%1 new records archived (%2 already there)")
                       .arg(total.added)
                       .arg(total.alreadyThere);
    if (window_.ArchiveThrowaway)
        text += QStringLiteral(" ") + QString::fromUtf8(archive::kThrowawayNote);
    // Said as lgcset-cli collect says it of a port whose line was lost.
    if (early)
        text += QStringLiteral("; the transfer ended early: %1 of %2 records had arrived")
                    .arg(early->arrived)
                    .arg(early->total);
    window_.SetStatusText(Tfrm_mset::StatusShows::ArchiveCounts, text);
    window_.stat1->Repaint();
    if (SharedId(deviceId) && !sharedIdSaid_) {
        sharedIdSaid_ = true;
        boxes.Show(QStringLiteral("This logger has no device ID of its own (all '0'): "
                                  "loggers without their own device ID share one archive "
                                  "entry per model."));
    }
}

}  // namespace lgcset::ui
