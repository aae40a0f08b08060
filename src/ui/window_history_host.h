// The window's side of the history query: the requests, the boxes, the two counters, the
// progress bar and status texts, the chart and the export.
#pragma once

#include <QElapsedTimer>
#include <QTimer>

#include "data/history_query.h"

namespace lgcset::ui {

class Tfrm_mset;

class WindowHistoryHost final : public data::HistoryRequests, public data::HistoryObserver {
  public:
    // Adds the status bar panel that tells where a transfer stands.
    explicit WindowHistoryHost(Tfrm_mset& window);

    void Report(const data::HistoryOutcome& outcome) override;
    bool AskYesNo(const data::HistoryOutcome& question) override;
    void SendHistoryCount(const data::QueryRange& range) override;
    void SendHistoryRecord(std::uint16_t number) override;
    int ResendsOfLastRequest() const override;
    void ResumeResend() override;
    void ClearStopRequested() override;
    void SetProgressVisible(bool visible) override;
    void ShowNextIndex(std::uint16_t index) override;
    void ShowReceived(std::uint16_t count) override;
    void ShowSaving() override;
    void ShowTransferProgress(std::uint16_t answered, std::uint16_t total) override;
    void ClearTransferProgress() override;
    void TransferEnded() override;
    void ExportHistory() override;

    int ProgressPanel() const { return progressPanel_; }

  private:
    void ShowReceivedNow();

    Tfrm_mset& window_;
    int progressPanel_ = -1;
    QElapsedTimer transferClock_;  // since the count reply
    qint64 lastProgressMs_ = 0;
    // lbl4: the count received, the one it shows, and when it last changed. A count that
    // waits is shown by the refresh timer, which runs while a transfer does.
    std::uint16_t received_ = 0;
    int shownReceived_ = -1;
    qint64 lastReceivedMs_ = 0;
    QTimer refresh_;
};

}  // namespace lgcset::ui
