// The chart of a history transfer's records, against the alarm limits on the window.
#include <QDateTime>
#include <QPushButton>

#include "analysis/sensor_setup.h"
#include "ui/history_chart_window.h"
#include "ui/umset.h"

namespace lgcset::ui {

void Tfrm_mset::HistoryTransferEnded() {
    transferEnd_ = {historyQuery_->EndedEarly(), HistoryCount, historyQuery_->Total()};
    if (HistoryCount == 0)
        return;
    transferRecords_ = std::make_shared<const std::vector<data::HistoryRecord>>(
        History.data(), History.data() + HistoryCount);
    transferChartSource_ =
        QStringLiteral("transfer of %1")
            .arg(QDateTime::currentDateTime().toString(QStringLiteral("yy-MM-dd hh:mm")));
    transferCsv_.clear();  // until its export writes one
    btn_chart->setEnabled(true);
}

void Tfrm_mset::btn_chartClick() {
    // Without a transfer, the window opens for "Open from Archive..." (or a CSV file).
    if (!transferRecords_ && !ArchiveFile)
        return;
    if (chartWindow_ == nullptr) {
        chartWindow_ = new HistoryChartWindow([this]() -> MessageBoxes& { return Boxes(); }, this);
        chartWindow_->SetArchive(ArchiveFile, ArchiveMakesFolder);
        chartWindow_->UseFolders(folders_);
    }
    // The logger and its limits as the window holds them now: read from it or loaded from
    // a profile.
    if (transferRecords_) {
        const settings::SettingsView& view = Settings();
        const std::string model = view.Text(settings::Setting::Model);
        chartWindow_->SetLogger(QString::fromStdString(model),
                                QString::fromStdString(view.Text(settings::Setting::Firmware)),
                                QString::fromStdString(view.Text(settings::Setting::DeviceId)));
        chartWindow_->ShowRecords(
            transferRecords_, transferChartSource_, transferCsv_,
            analysis::SetupsFromSettings(view, settings::LayoutForModel(model)),
            QStringLiteral("the alarm settings"));
    }
    chartWindow_->show();
    chartWindow_->raise();
    chartWindow_->activateWindow();
}

}  // namespace lgcset::ui
