// The window's history: "Query" running a jobs::TransferJob, what the window shows of it
// (the boxes, the progress panel, the progress bar, the counters lbl4/lbl5, Stop, the
// chart), the export folder, and the transfers kept in the archive under the device ID
// read before the transfer starts.
#pragma once

#include <QElapsedTimer>
#include <QString>
#include <QTimer>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "data/history_query.h"
#include "export/history_export.h"
#include "jobs/change_log.h"
#include "jobs/transfer_job.h"

namespace lgcset::ui {

class HistoryChartWindow;
class Tfrm_mset;

class HistoryPresenter {
  public:
    // Adds the status bar panel that tells where a transfer stands.
    explicit HistoryPresenter(Tfrm_mset& window);
    ~HistoryPresenter();

    // "Query".
    void Query();
    // A transfer cannot go on (timeout, Stop, link closed): nothing more is sent, and the
    // records received so far are offered for export, their manifest saying `why`.
    void EndTransfer(jobs::LineEnd line, const std::string& why);
    void OnHistoryFrame(const protocol::ReceivedFrame& frame);
    const data::HistoryQuery& QueryState() const;
    // The transfer waits for the logger's clock before its query.
    bool ReadingClock() const;

    // The records the window's store holds, exported as a transfer's are.
    void ExportHeld();
    // The records the window's store holds, taken for the chart.
    void TakeHeldForChart();
    void ChooseExportFolder();
    void ShowExportFolder();
    void OpenChart();
    HistoryChartWindow* ChartWindow() const { return chartWindow_; }

    // The archive: its file changed; the settings read (the device ID and limits known
    // until the next login); a login (another logger, maybe); the link closed.
    void ArchiveChanged();
    void NoteSettingsRead();
    void ForgetLogger();
    // The logger's device ID as read since the login; empty when not read.
    std::string DeviceIdSinceLogin() const { return deviceIdSinceLogin_.value_or(""); }
    void DropPendingArchive(const QString& why);
    // A page reply: the device ID's, while it is awaited.
    void OnPage(const protocol::ReceivedFrame& frame);
    // true when Read Settings is to wait for the device ID's page.
    bool DeferReadSettings();

  private:
    class Transfer;

    void Start(const data::QueryRange& range);
    // Runs `step` on the running transfer, kept alive while it runs: a box of its own may
    // start the next one.
    template <typename Step>
    void OnRunning(Step step);
    exports::ExportOptions ExportOptions();
    exports::ExportManifest ExportOrigin();

    // jobs::TransferHost's calls, of the transfer running now.
    bool AskExport(const data::HistoryOutcome& question);
    void ShowProgressBar(bool visible);
    void ShowReceived(std::uint16_t count);
    void ShowReceivedNow();
    void ShowSaving();
    void ShowProgress(std::uint16_t answered, std::uint16_t total);
    void ClearProgress();
    void TakeForChart(const std::vector<data::HistoryRecord>& records, bool endedEarly,
                      std::uint32_t total);
    // `newest`: no query has started since the export was asked for.
    void Exported(const jobs::TransferResult& exported, bool newest);

    void ArchiveExport(const std::vector<data::HistoryRecord>& records,
                       const exports::ExportResult& exported);
    bool DeferQueryForDeviceId(const data::QueryRange& range);
    void AwaitDeviceId();
    void SendDeviceIdRead();
    void DeviceIdRead();
    void ArchivePending(const std::string& deviceId);

    Tfrm_mset& window_;
    std::shared_ptr<Transfer> transfer_;
    std::string endReason_;  // why the line ended the transfer, while EndTransfer runs
    QElapsedTimer sinceEvents_;  // of the export

    int progressPanel_ = -1;
    QElapsedTimer transferClock_;  // since the count reply
    qint64 lastProgressMs_ = 0;
    // lbl4: the count received, the one it shows, and when it last changed. A count that
    // waits is shown by the refresh timer, which runs while a transfer does.
    std::uint16_t received_ = 0;
    int shownReceived_ = -1;
    qint64 lastReceivedMs_ = 0;
    QTimer refresh_;

    // The records of the last transfer, taken when it ended (the export then clears the
    // present flags), the CSV file its export wrote, and the window that shows them, made at
    // the first "Chart".
    std::shared_ptr<const std::vector<data::HistoryRecord>> chartRecords_;
    QString chartSource_;
    QString chartCsv_;
    HistoryChartWindow* chartWindow_ = nullptr;

    // The archive's side of a transfer. With an archive, the device ID is known before a
    // transfer starts: from the settings read since the login, or else from its page, read
    // first while the query waits (a line lost during the transfer leaves no chance to read
    // it afterwards). The records and files of exports whose ID is not known (a login during
    // the transfer) wait here, in order, while it is read; a Read Settings asked for
    // meanwhile waits for that page (a page reply does not say which page it is), and takes
    // the place of a waiting query as a later request takes the place of an earlier one.
    // How the last transfer ended, for the archive's message; the note on shared IDs, said
    // once.
    struct TransferEnd {
        bool early = false;
        std::uint32_t arrived = 0, total = 0;
    };
    struct PendingArchive {
        std::vector<data::HistoryRecord> records;
        exports::ExportResult exported;
        std::string rangeFrom, rangeTo;
        TransferEnd end;
    };
    std::vector<PendingArchive> pendingArchives_;
    // A transfer's download and export rows, into the archive it was just stored in.
    void RecordTransfer(std::optional<jobs::ChangeLog>& changes, const jobs::DownloadOrigin& origin,
                        const archive::DownloadInfo& record, const PendingArchive& transfer,
                        const archive::AddCounts& counts);
    bool awaitingDeviceId_ = false;
    bool readSettingsAfterId_ = false;
    std::optional<data::QueryRange> queryAfterId_;
    std::vector<std::uint8_t> idReadFrame_;  // the request, as the session sends it again
    std::optional<std::string> deviceIdSinceLogin_;
    // The alarm limits of the image are the logger's only after a reading of its settings.
    bool settingsReadSinceLogin_ = false;
    TransferEnd transferEnd_;
    bool sharedIdSaid_ = false;
};

}  // namespace lgcset::ui
