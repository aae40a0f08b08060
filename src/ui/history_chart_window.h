// The chart of history records: the four sensors against time on one view, the track of
// the positions on a second, each with zoom (drag a rectangle, or the wheel for time), a
// way back to the whole range and the coordinates under the mouse. It shows the records of
// the last transfer or of a CSV file that the export wrote earlier, and saves a view as PNG.
// Beside the plot its statistics: the sensors' alarm limits drawn on it, their excursions
// shaded and listed, and a PDF report of it all.
#pragma once

#include <QPoint>
#include <QString>
#include <QWidget>
#include <array>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "analysis/history_analysis.h"
#include "analysis/statistics_table.h"
#include "archive/archive_store.h"
#include "data/history_chart_data.h"
#include "settings/channel_layout.h"
#include "ui/chart_limits.h"
#include "ui/history_report.h"
#include "ui/remembered_folders.h"

class QCPCurve;
class QCPItemText;
class QCPGraph;
class QCustomPlot;
class QLabel;
class QPushButton;
class QTabWidget;
class QDate;

namespace lgcset::ui {

class ArchivePickDialog;
class MessageBoxes;
class StatisticsPanel;

class HistoryChartWindow : public QWidget {
    Q_OBJECT
  public:
    // The boxes are looked up at each use, so the owner may swap its seam.
    explicit HistoryChartWindow(std::function<MessageBoxes&()> boxes, QWidget* parent = nullptr);
    ~HistoryChartWindow() override;

    // Shows a chart in place of the one on view, at its whole range; `source` says where
    // its records come from (window title and summary line).
    void ShowChart(std::shared_ptr<const data::HistoryChartData> chart, const QString& source);
    const data::HistoryChartData* Chart() const { return chart_.get(); }
    // Shows the records themselves, with their statistics against the limits on hand;
    // `csvPath`: the CSV file that holds them, if any (the report names it and its digest).
    void ShowRecords(std::shared_ptr<const std::vector<data::HistoryRecord>> records,
                     const QString& source, const QString& csvPath);
    // The same against new limits (`limitsFrom` says where they were taken from), analysed
    // and drawn once.
    void ShowRecords(std::shared_ptr<const std::vector<data::HistoryRecord>> records,
                     const QString& source, const QString& csvPath,
                     const analysis::SensorSetups& setups, const QString& limitsFrom);

    // The logger the records come from, when known; its model says which channels are
    // analog.
    void SetLogger(const QString& model, const QString& firmware, const QString& deviceId);
    // The sensors' kinds and alarm limits; `from` says where they were taken from.
    void SetLimits(const analysis::SensorSetups& setups, const QString& from);
    // Takes the limits from a profile file; a file that cannot be read or holds no settings
    // refuses with a box and changes nothing.
    bool LoadLimitsFromProfile(const QString& path);
    // Fits both axes to an excursion: its time with some of the readings around it, and
    // the sensor's readings then with the limit it crossed.
    void ZoomTo(const analysis::SensorExcursion& picked);
    // The PDF report of the records on view; false (with a box) when it cannot be written.
    bool SaveReport(const QString& path);
    const analysis::HistoryAnalysis& Analysis() const { return analysis_; }
    ReportFacts Facts() const;
    const ChartLimits& Limits() const { return limits_; }
    std::optional<settings::ChannelLayout> Layout() const { return layout_; }

    // Charts a CSV file written by the export; a file that is not one refuses with a box
    // and leaves the chart on view as it was. True when the file is on view.
    bool OpenCsv(const QString& path);
    // Writes the view on show as PNG; false (with a box) when it cannot be written.
    bool SaveImage(const QString& path);
    void ShowWholeRange();

    // The archive that "Open from Archive..." reads (history_chart_archive.cpp); none:
    // the button is off. `makeFolder`: the default place, whose folder is made when missing.
    void SetArchive(std::optional<std::filesystem::path> file, bool makeFolder);
    // Charts a logger's archived readings of the days from .. to, with their statistics
    // against the limits on hand; none there refuses with a box. True when they are on view.
    bool OpenFromArchive(const archive::LoggerSummary& logger, const QDate& from, const QDate& to);
    // Runs the picking dialog and gives whether it was accepted. Modal unless set (tests
    // pick themselves).
    std::function<bool(ArchivePickDialog& dialog)> pickRunner;

    // The folders its file dialogs start in and leave (the main window's); its own
    // otherwise, for as long as it lives.
    void UseFolders(RememberedFolders& folders) { folders_ = &folders; }

    // Button handlers: they ask for the file, then do the above.
    void btn_openClick();
    void btn_saveClick();
    void btn_limitsClick();
    void btn_reportClick();
    void btn_archiveClick();

    QCustomPlot* SensorPlot() const { return sensorPlot_; }
    QCustomPlot* TrackPlot() const { return trackPlot_; }
    QCPGraph* SensorGraph(int sensor) const { return graphs_[static_cast<std::size_t>(sensor)]; }
    QCPCurve* TrackCurve() const { return trackCurve_; }
    bool SaysNoReadings() const;
    QTabWidget* Views() const { return views_; }
    QLabel* PointerLabel() const { return pointer_; }
    QLabel* SummaryLabel() const { return summary_; }
    QPushButton* OpenButton() const { return btn_open_; }
    QPushButton* SaveButton() const { return btn_save_; }
    QPushButton* WholeRangeButton() const { return btn_whole_; }
    QPushButton* LimitsButton() const { return btn_limits_; }
    QPushButton* ReportButton() const { return btn_report_; }
    QPushButton* ArchiveButton() const { return btn_archive_; }
    StatisticsPanel* Statistics() const { return panel_; }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void BuildSensorPlot();
    void BuildTrackPlot();
    void FillPlots();
    void FitTrack();
    void ShowPointer(QCustomPlot* plot, const QPoint& position);
    void ToggleCurveAt(const QPoint& position);
    void AdaptTimeTicks();
    // An empty chart says "No readings" in place of dates.
    void MarkEmptyChart();
    void Analyze();
    void Show(std::shared_ptr<const data::HistoryChartData> chart, const QString& source,
              std::shared_ptr<const std::vector<data::HistoryRecord>> records,
              const QString& csvPath);

    std::function<MessageBoxes&()> boxes_;
    RememberedFolders ownFolders_;
    RememberedFolders* folders_ = &ownFolders_;
    std::shared_ptr<const data::HistoryChartData> chart_;
    QTabWidget* views_ = nullptr;
    QCustomPlot* sensorPlot_ = nullptr;
    QCustomPlot* trackPlot_ = nullptr;
    std::array<QCPGraph*, data::kSensorCount> graphs_{};
    QCPCurve* trackCurve_ = nullptr;
    QCPItemText* noReadings_ = nullptr;
    QLabel* summary_ = nullptr;
    QLabel* pointer_ = nullptr;
    QPushButton* btn_open_ = nullptr;
    QPushButton* btn_save_ = nullptr;
    QPushButton* btn_whole_ = nullptr;
    QPushButton* btn_limits_ = nullptr;
    QPushButton* btn_report_ = nullptr;
    QPushButton* btn_archive_ = nullptr;
    std::optional<std::filesystem::path> archiveFile_;
    bool archiveMakesFolder_ = false;
    StatisticsPanel* panel_ = nullptr;
    std::shared_ptr<const std::vector<data::HistoryRecord>> records_;
    QString source_, csvPath_;
    QString model_, firmware_, deviceId_;
    std::optional<settings::ChannelLayout> layout_;
    analysis::SensorSetups setups_{};
    QString limitsFrom_ = QStringLiteral("none set");
    analysis::HistoryAnalysis analysis_;
    ChartLimits limits_;
    // The track keeps its whole range fitted to the plot's shape until the user zooms.
    bool trackAtWholeRange_ = true;
    QPoint pressedAt_;
};

// What the opening of an archive merged, in one box, when it merged anything.
void SayMerged(MessageBoxes& boxes, const archive::OpenResult& opened);

}  // namespace lgcset::ui
