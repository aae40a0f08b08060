// The chart of a history transfer's records.
#include <QDateTime>
#include <QPushButton>

#include "data/history_chart_data.h"
#include "ui/history_chart_window.h"
#include "ui/umset.h"

namespace lgcset::ui {

void Tfrm_mset::HistoryTransferEnded() {
    if (HistoryCount == 0)
        return;
    transferChart_ = std::make_shared<const data::HistoryChartData>(
        data::BuildHistoryChart({History.data(), HistoryCount}));
    transferChartSource_ =
        QStringLiteral("transfer of %1")
            .arg(QDateTime::currentDateTime().toString(QStringLiteral("yy-MM-dd hh:mm")));
    btn_chart->setEnabled(true);
}

void Tfrm_mset::btn_chartClick() {
    if (!transferChart_)
        return;
    if (chartWindow_ == nullptr) {
        chartWindow_ = new HistoryChartWindow([this]() -> MessageBoxes& { return Boxes(); }, this);
    }
    chartWindow_->ShowChart(transferChart_, transferChartSource_);
    chartWindow_->show();
    chartWindow_->raise();
    chartWindow_->activateWindow();
}

}  // namespace lgcset::ui
