#include "ui/history_chart_window.h"

#include <qcustomplot.h>

#include <QApplication>
#include <QDir>
#include <QEvent>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QSplitter>
#include <QTabWidget>
#include <QTimeZone>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <numbers>

#include "analysis/sensor_setup.h"
#include "data/history_csv_reader.h"
#include "data/number_format.h"
#include "jobs/audit_entries.h"
#include "jobs/change_log.h"
#include "ui/file_dialog_folder.h"
#include "ui/message_box.h"
#include "ui/profile_limits.h"
#include "ui/statistics_panel.h"

namespace lgcset::ui {
namespace {

constexpr int kSensorView = 0;
constexpr int kTrackView = 1;
const QColor kTrackColour(0x1f, 0x77, 0xb4);
constexpr double kTrackDotSize = 5;
// Pixels a time label of "yy-mm-dd hh:mm" needs with room on either side.
constexpr int kPixelsPerTimeTick = 170;

const std::array<QColor, data::kSensorCount> kSensorColours = {
    QColor(0x1f, 0x77, 0xb4), QColor(0xd6, 0x27, 0x28), QColor(0x2c, 0xa0, 0x2c),
    QColor(0xff, 0x7f, 0x0e)};

// A range with room around the data; a single value gets `minHalf` on either side.
QCPRange Padded(const data::ChartRange& range, double minHalf, double fraction) {
    if (range.empty)
        return QCPRange(0, 2 * minHalf);
    const double size = range.upper - range.lower;
    if (size < 2 * minHalf) {
        const double centre = (range.lower + range.upper) / 2;
        return QCPRange(centre - minHalf, centre + minHalf);
    }
    return QCPRange(range.lower - size * fraction, range.upper + size * fraction);
}

std::string DecimalSeparator() {
    return QLocale().decimalPoint().toStdString();
}

QString Summary(const data::HistoryChartData& chart) {
    QString text = QStringLiteral("%1 records").arg(chart.recordCount);
    if (!chart.time.empty) {
        text += QStringLiteral(" from %1 to %2")
                    .arg(QString::fromStdString(data::FormatChartTime(chart.time.lower)),
                         QString::fromStdString(data::FormatChartTime(chart.time.upper)));
    }
    if (chart.untimedCount > 0) {
        text += QStringLiteral("; %1 without a valid time not shown").arg(chart.untimedCount);
    }
    if (!chart.HasValues())
        text += QStringLiteral("; no sensor values");
    return text;
}

QPushButton* MakeButton(const char* name, const QString& caption, QWidget* parent) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QString::fromLatin1(name));
    return button;
}

}  // namespace

HistoryChartWindow::HistoryChartWindow(std::function<MessageBoxes&()> boxes, QWidget* parent)
    : QWidget(parent, Qt::Window), boxes_(std::move(boxes)) {
    setObjectName(QStringLiteral("frm_chart"));
    setWindowTitle(QStringLiteral("History Chart"));
    resize(1280, 680);

    btn_open_ = MakeButton("btn_open", QStringLiteral("Open CSV..."), this);
    btn_save_ = MakeButton("btn_save", QStringLiteral("Save Image..."), this);
    btn_whole_ = MakeButton("btn_whole", QStringLiteral("Whole Range"), this);
    btn_limits_ = MakeButton("btn_limits", QStringLiteral("Limits from profile..."), this);
    btn_report_ = MakeButton("btn_report", QStringLiteral("Save Report..."), this);
    btn_report_->setEnabled(false);
    summary_ = new QLabel(this);
    summary_->setObjectName(QStringLiteral("lbl_summary"));
    pointer_ = new QLabel(this);
    pointer_->setObjectName(QStringLiteral("lbl_pointer"));
    pointer_->setMinimumWidth(260);
    pointer_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    views_ = new QTabWidget(this);
    views_->setObjectName(QStringLiteral("tab_views"));
    BuildSensorPlot();
    BuildTrackPlot();
    views_->addTab(sensorPlot_, QStringLiteral("Sensors"));
    views_->addTab(trackPlot_, QStringLiteral("Track"));
    views_->setTabEnabled(kTrackView, false);
    panel_ = new StatisticsPanel(this);
    panel_->excursionPicked = [this](const analysis::SensorExcursion& e) {
        views_->setCurrentIndex(kSensorView);
        ZoomTo(e);
    };
    auto* split = new QSplitter(this);
    split->setObjectName(QStringLiteral("spl_chart"));
    split->addWidget(views_);
    split->addWidget(panel_);
    split->setStretchFactor(0, 1);
    split->setStretchFactor(1, 0);
    split->setSizes({800, 480});

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(btn_open_);
    buttons->addWidget(btn_save_);
    buttons->addWidget(btn_whole_);
    buttons->addWidget(btn_limits_);
    buttons->addWidget(btn_report_);
    btn_archive_ = MakeButton("btn_archive", QStringLiteral("Open from Archive..."), this);
    btn_archive_->setEnabled(false);
    buttons->addWidget(btn_archive_);
    buttons->addSpacing(12);
    buttons->addWidget(summary_, 1);
    buttons->addWidget(pointer_);
    auto* rows = new QVBoxLayout(this);
    rows->addLayout(buttons);
    rows->addWidget(split, 1);

    connect(btn_open_, &QPushButton::clicked, this, [this] { btn_openClick(); });
    connect(btn_save_, &QPushButton::clicked, this, [this] { btn_saveClick(); });
    connect(btn_whole_, &QPushButton::clicked, this, [this] { ShowWholeRange(); });
    connect(btn_limits_, &QPushButton::clicked, this, [this] { btn_limitsClick(); });
    connect(btn_report_, &QPushButton::clicked, this, [this] { btn_reportClick(); });
    connect(btn_archive_, &QPushButton::clicked, this, [this] { btn_archiveClick(); });
    connect(views_, &QTabWidget::currentChanged, this, [this] { pointer_->clear(); });
}

HistoryChartWindow::~HistoryChartWindow() = default;

void HistoryChartWindow::BuildSensorPlot() {
    sensorPlot_ = new QCustomPlot(this);
    sensorPlot_->setObjectName(QStringLiteral("plot_sensors"));
    auto ticker = QSharedPointer<QCPAxisTickerDateTime>::create();
    ticker->setDateTimeFormat(QStringLiteral("yy-MM-dd hh:mm"));
    // Chart seconds are the logger's clock read as UTC: shown as they were logged.
    ticker->setTimeZone(QTimeZone::utc());
    sensorPlot_->xAxis->setTicker(ticker);
    sensorPlot_->xAxis->setLabel(QStringLiteral("Time"));
    sensorPlot_->yAxis->setLabel(QStringLiteral("Value"));
    for (int s = 0; s < data::kSensorCount; ++s) {
        QCPGraph* graph = sensorPlot_->addGraph();
        graph->setName(QStringLiteral("Sensor%1").arg(s + 1));
        // One-pixel lines: a wider pen makes a full transfer repaint some fifty times slower.
        graph->setPen(QPen(kSensorColours[static_cast<std::size_t>(s)], 1));
        graphs_[static_cast<std::size_t>(s)] = graph;
    }
    sensorPlot_->legend->setVisible(true);
    sensorPlot_->legend->setBrush(QColor(255, 255, 255, 220));
    // Drag a rectangle to zoom into it; the wheel zooms time only.
    sensorPlot_->setInteraction(QCP::iRangeZoom, true);
    sensorPlot_->setSelectionRectMode(QCP::srmZoom);
    sensorPlot_->axisRect()->setRangeZoom(Qt::Horizontal);
    sensorPlot_->setNoAntialiasingOnDrag(true);
    noReadings_ = new QCPItemText(sensorPlot_);
    noReadings_->setText(QStringLiteral("No readings"));
    noReadings_->position->setType(QCPItemPosition::ptAxisRectRatio);
    noReadings_->position->setCoords(0.5, 0.5);
    noReadings_->setSelectable(false);
    MarkEmptyChart();

    // A click on a legend entry switches its curve on or off. The plot reports no legend
    // clicks while dragging zooms, so the click is told from a drag here.
    connect(sensorPlot_, &QCustomPlot::mousePress, this,
            [this](QMouseEvent* event) { pressedAt_ = event->pos(); });
    connect(sensorPlot_, &QCustomPlot::mouseRelease, this, [this](QMouseEvent* event) {
        if (event->button() == Qt::LeftButton &&
            (event->pos() - pressedAt_).manhattanLength() <= QApplication::startDragDistance())
            ToggleCurveAt(event->pos());
    });
    connect(sensorPlot_, &QCustomPlot::mouseMove, this,
            [this](QMouseEvent* event) { ShowPointer(sensorPlot_, event->pos()); });
    sensorPlot_->installEventFilter(this);
}

void HistoryChartWindow::ToggleCurveAt(const QPoint& position) {
    QCPLegend* legend = sensorPlot_->legend;
    for (int i = 0; i < legend->itemCount(); ++i) {
        auto* entry = qobject_cast<QCPPlottableLegendItem*>(legend->item(i));
        if (entry == nullptr || !entry->rect().contains(position))
            continue;
        QCPAbstractPlottable* graph = entry->plottable();
        graph->setVisible(!graph->visible());
        for (std::size_t s = 0; s < graphs_.size(); ++s)
            if (graphs_[s] == graph)
                limits_.SetSensorVisible(static_cast<int>(s) + 1, graph->visible());
        entry->setTextColor(graph->visible() ? Qt::black : Qt::gray);
        sensorPlot_->replot();
        return;
    }
}

void HistoryChartWindow::BuildTrackPlot() {
    trackPlot_ = new QCustomPlot(this);
    trackPlot_->setObjectName(QStringLiteral("plot_track"));
    trackPlot_->xAxis->setLabel(QStringLiteral("Longitude"));
    trackPlot_->yAxis->setLabel(QStringLiteral("Latitude"));
    trackCurve_ = new QCPCurve(trackPlot_->xAxis, trackPlot_->yAxis);
    trackCurve_->setName(QStringLiteral("Track"));
    trackCurve_->setPen(QPen(kTrackColour, 1));
    // Every fix a dot, so that a lone one shows as well as a run of them.
    trackCurve_->setScatterStyle(
        QCPScatterStyle(QCPScatterStyle::ssDisc, kTrackColour, kTrackColour, kTrackDotSize));
    trackPlot_->setInteraction(QCP::iRangeZoom, true);
    trackPlot_->setSelectionRectMode(QCP::srmZoom);
    trackPlot_->setNoAntialiasingOnDrag(true);

    const auto zoomed = [this] { trackAtWholeRange_ = false; };
    connect(trackPlot_, &QCustomPlot::mouseWheel, this, zoomed);
    connect(trackPlot_->selectionRect(), &QCPSelectionRect::accepted, this, zoomed);
    connect(trackPlot_, &QCustomPlot::mouseMove, this,
            [this](QMouseEvent* event) { ShowPointer(trackPlot_, event->pos()); });
    trackPlot_->installEventFilter(this);
}

void HistoryChartWindow::ShowChart(std::shared_ptr<const data::HistoryChartData> chart,
                                   const QString& source) {
    Show(std::move(chart), source, nullptr, QString());
}

void HistoryChartWindow::ShowRecords(
    std::shared_ptr<const std::vector<data::HistoryRecord>> records, const QString& source,
    const QString& csvPath) {
    if (!records)
        return;
    auto chart = std::make_shared<const data::HistoryChartData>(data::BuildHistoryChart(*records));
    Show(std::move(chart), source, std::move(records), csvPath);
}

void HistoryChartWindow::ShowRecords(
    std::shared_ptr<const std::vector<data::HistoryRecord>> records, const QString& source,
    const QString& csvPath, const analysis::SensorSetups& setups, const QString& limitsFrom) {
    setups_ = setups;
    limitsFrom_ = limitsFrom;
    ShowRecords(std::move(records), source, csvPath);
}

void HistoryChartWindow::Show(std::shared_ptr<const data::HistoryChartData> chart,
                              const QString& source,
                              std::shared_ptr<const std::vector<data::HistoryRecord>> records,
                              const QString& csvPath) {
    if (!chart)
        return;
    chart_ = std::move(chart);
    records_ = std::move(records);
    source_ = source;
    csvPath_ = csvPath;
    setWindowTitle(QStringLiteral("History Chart - %1").arg(source));
    summary_->setText(Summary(*chart_));
    FillPlots();
    MarkEmptyChart();
    Analyze();
}

bool HistoryChartWindow::SaysNoReadings() const {
    return noReadings_->visible() && !sensorPlot_->xAxis->tickLabels();
}

void HistoryChartWindow::MarkEmptyChart() {
    // Without a reading in time the axis has no dates to show: its labels would read from
    // 70-01-01.
    const bool empty = !chart_ || chart_->time.empty;
    sensorPlot_->xAxis->setTickLabels(!empty);
    noReadings_->setVisible(empty);
}

void HistoryChartWindow::SetLogger(const QString& model, const QString& firmware,
                                   const QString& deviceId) {
    model_ = model;
    firmware_ = firmware;
    deviceId_ = deviceId;
    layout_ = settings::LayoutForModel(model.toStdString());
}

void HistoryChartWindow::SetLimits(const analysis::SensorSetups& setups, const QString& from) {
    setups_ = setups;
    limitsFrom_ = from;
    Analyze();
}

bool HistoryChartWindow::LoadLimitsFromProfile(const QString& path) {
    const ProfileLimits read = ReadProfileLimits(QFile::encodeName(path).toStdString(), layout_);
    const QString name = QFileInfo(path).fileName();
    switch (read.outcome) {
        case profiles::ProfileLoad::Loaded:
            SetLimits(read.setups, QStringLiteral("profile %1").arg(name));
            return true;
        case profiles::ProfileLoad::NoSettings:
            boxes_().Show(QString::fromStdString(profiles::NoSettingsMessage(name.toStdString())));
            return false;
        case profiles::ProfileLoad::Unfit:
        case profiles::ProfileLoad::Unreadable:
        case profiles::ProfileLoad::Declined:  // no logger is asked about here
            break;
    }
    boxes_().Error(QStringLiteral("The profile \"%1\" cannot be read.").arg(name),
                   QString::fromStdString(read.error));
    return false;
}

// Figures, lines and shading for the records on view; a chart without its records (a
// picture's) has none.
void HistoryChartWindow::Analyze() {
    // The logger on view decides which channels are analog, whatever logger the limits on
    // hand were read for (an archived R483 under the settings of an R481).
    analysis_ = records_ ? analysis::AnalyzeHistory(*records_,
                                                    analysis::SetupsOnLayout(setups_, layout_))
                         : analysis::HistoryAnalysis{};
    limits_.Draw(sensorPlot_, analysis_, kSensorColours);
    for (std::size_t s = 0; s < graphs_.size(); ++s)
        limits_.SetSensorVisible(static_cast<int>(s) + 1, graphs_[s]->visible());
    panel_->Show(analysis_, limitsFrom_);
    btn_report_->setEnabled(records_ != nullptr);
    ShowWholeRange();
}

void HistoryChartWindow::ZoomTo(const analysis::SensorExcursion& picked) {
    const analysis::Excursion& excursion = picked.excursion;
    // A few log intervals on either side show how it began and ended.
    const double interval = analysis_.log.interval.value_or(60);
    const double margin = std::max(3 * interval, (excursion.to - excursion.from) * 0.25);
    const double from = excursion.from - margin, to = excursion.to + margin;
    sensorPlot_->xAxis->setRange(from, to);
    data::ChartRange values;
    values.Include(excursion.peak);
    if (chart_ && picked.sensor >= 1 && picked.sensor <= static_cast<int>(data::kSensorCount)) {
        const auto& series = chart_->sensors[static_cast<std::size_t>(picked.sensor - 1)];
        auto it = std::lower_bound(series.begin(), series.end(), from,
                                   [](const data::ChartPoint& p, double t) { return p.time < t; });
        for (; it != series.end() && it->time <= to; ++it)
            if (!std::isnan(it->value))
                values.Include(it->value);
    }
    for (const analysis::SensorStatistics& s : analysis_.sensors)
        if (s.sensor == picked.sensor)
            if (const auto limit = s.limits[analysis::LimitIndex(excursion.kind)])
                values.Include(*limit);
    sensorPlot_->yAxis->setRange(Padded(values, 0.5, 0.1));
    AdaptTimeTicks();
    sensorPlot_->replot();
}

ReportFacts HistoryChartWindow::Facts() const {
    return {model_, firmware_, deviceId_, source_, csvPath_, limitsFrom_};
}

bool HistoryChartWindow::SaveReport(const QString& path) {
    QString error;
    if (!WriteHistoryReport(path, Facts(), analysis_, sensorPlot_, error)) {
        boxes_().Error(QStringLiteral("The report cannot be saved."), error);
        return false;
    }
    // The report is recorded in the archive the window keeps; one it cannot record in is
    // said, the report being saved all the same.
    if (archiveFile_) {
        jobs::ChangeLog changes(archiveFile_->string(), archiveMakesFolder_,
                                jobs::CurrentOperator());
        const archive::ArchiveStatus kept = changes.Record(jobs::ReportMadeEntry(
            {deviceId_.toStdString(), model_.toStdString()}, std::filesystem::path(path.toStdU16String()),
            (csvPath_.isEmpty() ? source_ : csvPath_).toStdString()));
        if (!kept.ok())
            boxes_().Show(QString::fromStdString(jobs::NotRecordedLine(kept)));
    }
    return true;
}

void HistoryChartWindow::FillPlots() {
    const data::HistoryChartData& chart = *chart_;
    sensorPlot_->legend->clearItems();
    for (std::size_t s = 0; s < data::kSensorCount; ++s) {
        QVector<QCPGraphData> points;
        points.reserve(static_cast<qsizetype>(chart.sensors[s].size()));
        for (const data::ChartPoint& p : chart.sensors[s])
            points.append(QCPGraphData(p.time, p.value));
        QCPGraph* graph = graphs_[s];
        graph->data()->set(points, true);
        const bool shown = chart.HasSensor(static_cast<int>(s));
        graph->setVisible(shown);
        if (shown)
            graph->addToLegend();
    }

    // The curve's parameter is the point's place in time order, which keeps that order
    // where several records share a time.
    QVector<QCPCurveData> track;
    track.reserve(static_cast<qsizetype>(chart.track.size()));
    for (std::size_t i = 0; i < chart.track.size(); ++i) {
        const data::TrackPoint& p = chart.track[i];
        track.append(QCPCurveData(static_cast<double>(i), p.longitude, p.latitude));
    }
    trackCurve_->data()->set(track, true);
    views_->setTabEnabled(kTrackView, chart.HasTrack());
    if (!chart.HasTrack())
        views_->setCurrentIndex(kSensorView);
    pointer_->clear();
}

void HistoryChartWindow::ShowWholeRange() {
    if (!chart_)
        return;
    constexpr double kHalfHour = 1800;
    sensorPlot_->xAxis->setRange(Padded(chart_->time, kHalfHour, 0.01));
    // The limits near the readings in view as well, so that the whole range shows how close
    // the readings came; those far off are arrows at the edge (ChartLimits).
    constexpr double kMinHalfValue = 1.0;
    const data::ChartRange values =
        data::WholeValueRange(chart_->value, limits_.Values(), 2 * kMinHalfValue);
    sensorPlot_->yAxis->setRange(Padded(values, kMinHalfValue, 0.05));
    AdaptTimeTicks();
    sensorPlot_->replot();
    trackAtWholeRange_ = true;
    FitTrack();
}

// The whole track with one pixel standing for the same distance across and up, so the
// route keeps its shape: a degree of longitude is cos(latitude) of a degree of latitude.
void HistoryChartWindow::FitTrack() {
    if (!chart_ || !chart_->HasTrack())
        return;
    constexpr double kMinHalfDegrees = 0.005;
    const QCPRange lon = Padded(chart_->longitude, kMinHalfDegrees, 0.05);
    const QCPRange lat = Padded(chart_->latitude, kMinHalfDegrees, 0.05);
    const QRect area = trackPlot_->axisRect()->rect();
    double lonPerPixel = lon.size() / std::max(1, area.width());
    double latPerPixel = lat.size() / std::max(1, area.height());
    const double shrink =
        std::max(0.01, std::abs(std::cos(lat.center() * std::numbers::pi / 180.0)));
    if (latPerPixel > lonPerPixel * shrink)
        lonPerPixel = latPerPixel / shrink;
    else
        latPerPixel = lonPerPixel * shrink;
    trackPlot_->xAxis->setRange(lon.center(), lonPerPixel * std::max(1, area.width()),
                                Qt::AlignCenter);
    trackPlot_->yAxis->setRange(lat.center(), latPerPixel * std::max(1, area.height()),
                                Qt::AlignCenter);
    trackPlot_->replot();
}

void HistoryChartWindow::AdaptTimeTicks() {
    auto ticker = sensorPlot_->xAxis->ticker();
    ticker->setTickCount(std::max(2, sensorPlot_->axisRect()->width() / kPixelsPerTimeTick));
}

bool HistoryChartWindow::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Leave) {
        pointer_->clear();
    } else if (event->type() == QEvent::Resize) {
        // The plot lays out its axis rect as it handles the resize; act after it.
        QMetaObject::invokeMethod(
            this,
            [this, watched] {
                if (watched == sensorPlot_) {
                    AdaptTimeTicks();
                    sensorPlot_->replot(QCustomPlot::rpQueuedReplot);
                } else if (watched == trackPlot_ && trackAtWholeRange_) {
                    FitTrack();
                }
            },
            Qt::QueuedConnection);
    }
    return QWidget::eventFilter(watched, event);
}

void HistoryChartWindow::ShowPointer(QCustomPlot* plot, const QPoint& position) {
    if (!chart_ || !plot->axisRect()->rect().contains(position)) {
        pointer_->clear();
        return;
    }
    const double x = plot->xAxis->pixelToCoord(position.x());
    const double y = plot->yAxis->pixelToCoord(position.y());
    const std::string separator = DecimalSeparator();
    if (plot == sensorPlot_) {
        pointer_->setText(QStringLiteral("%1   %2").arg(
            QString::fromStdString(data::FormatChartTime(x)),
            QString::fromStdString(data::FormatUpToTwoDecimals(y, separator))));
    } else {
        pointer_->setText(
            QStringLiteral("Longitude %1   Latitude %2")
                .arg(QString::fromStdString(data::FormatOneToSixDecimals(x, separator)),
                     QString::fromStdString(data::FormatOneToSixDecimals(y, separator))));
    }
}

bool HistoryChartWindow::OpenCsv(const QString& path) {
    const data::HistoryCsvRead read =
        data::ReadHistoryCsvFile(QFile::encodeName(path).toStdString());
    const QString name = QFileInfo(path).fileName();
    if (!read.ok) {
        boxes_().Error(QStringLiteral("\"%1\" is not a CSV file exported by this program and "
                                      "cannot be charted.")
                           .arg(name),
                       QString::fromStdString(read.error));
        return false;
    }
    const data::HistoryChartData chart = data::BuildHistoryChart(read.records);
    if (!chart.HasValues() && !chart.HasTrack()) {
        boxes_().Show(QStringLiteral("\"%1\" holds no readings to chart.").arg(name));
        return false;
    }
    ShowRecords(std::make_shared<const std::vector<data::HistoryRecord>>(read.records), name,
                QFileInfo(path).absoluteFilePath());
    pointer_->setText(QString::fromStdString(read.form));  // how a spreadsheet's file was read
    return true;
}

bool HistoryChartWindow::SaveImage(const QString& path) {
    QCustomPlot* plot = views_->currentIndex() == kTrackView ? trackPlot_ : sensorPlot_;
    if (!plot->savePng(path)) {
        boxes_().Error(QStringLiteral("The image cannot be saved."),
                       QDir::toNativeSeparators(path));
        return false;
    }
    return true;
}

void HistoryChartWindow::btn_openClick() {
    const QString path =
        QFileDialog::getOpenFileName(this, QStringLiteral("Open CSV"), DialogStartFolder(*folders_),
                                     QStringLiteral("CSV files (*.csv);;All files (*)"));
    NoteDialogFile(*folders_, path);
    if (!path.isEmpty())
        OpenCsv(path);
}

void HistoryChartWindow::btn_saveClick() {
    QString path = QFileDialog::getSaveFileName(
        this, QStringLiteral("Save Image"),
        QDir(DialogStartFolder(*folders_)).filePath(QStringLiteral("chart.png")),
        QStringLiteral("PNG images (*.png)"));
    NoteDialogFile(*folders_, path);
    if (path.isEmpty())
        return;
    if (QFileInfo(path).suffix().isEmpty())
        path += QStringLiteral(".png");
    SaveImage(path);
}

void HistoryChartWindow::btn_limitsClick() {
    const QString path = QFileDialog::getOpenFileName(
        this, QStringLiteral("Limits from profile"), DialogStartFolder(*folders_),
        QStringLiteral("Profiles (*.ini);;All files (*)"));
    NoteDialogFile(*folders_, path);
    if (!path.isEmpty())
        LoadLimitsFromProfile(path);
}

void HistoryChartWindow::btn_reportClick() {
    QString path = QFileDialog::getSaveFileName(
        this, QStringLiteral("Save Report"),
        QDir(DialogStartFolder(*folders_)).filePath(QStringLiteral("report.pdf")),
        QStringLiteral("PDF files (*.pdf)"));
    NoteDialogFile(*folders_, path);
    if (path.isEmpty())
        return;
    if (QFileInfo(path).suffix().isEmpty())
        path += QStringLiteral(".pdf");
    SaveReport(path);
}

}  // namespace lgcset::ui
