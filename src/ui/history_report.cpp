#include "ui/history_report.h"

#include <qcustomplot.h>

#include <QBuffer>
#include <QDateTime>
#include <QFile>
#include <QPageSize>
#include <QPdfWriter>
#include <algorithm>
#include <vector>

#include "analysis/report_origin.h"
#include "analysis/statistics_table.h"
#include "data/history_chart_data.h"
#include "data/sha256.h"
#include "export/pending_file.h"
#include "profiles/ini_file_calls.h"
#include "project_version.h"
#include "ui/report_pages.h"

namespace lgcset::ui {
namespace {

// Points: the writer runs at 72 dots per inch.
constexpr int kResolution = 72;
constexpr double kChartHeight = 270;
// The least a chart keeps so that a short tail of the report need not start a page.
constexpr double kMinChartHeight = 180;

QString Text(const std::string& text) {
    return QString::fromStdString(text);
}

QString Text(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// Equal columns after a first one `first` wide.
std::vector<double> Columns(std::size_t count, double first, double width) {
    std::vector<double> lefts{0};
    const double each = count > 1 ? (width - first) / static_cast<double>(count - 1) : 0;
    for (std::size_t c = 1; c < count; ++c)
        lefts.push_back(first + each * static_cast<double>(c - 1));
    return lefts;
}

QString Known(const QString& text) {
    return text.isEmpty() ? QStringLiteral("unknown") : text;
}

void Facts(ReportPages& pages, const ReportFacts& facts, const analysis::HistoryAnalysis& a,
           const analysis::ReportOrigin& origin) {
    if (!facts.csvPath.isEmpty())
        for (const std::string& line : analysis::OriginLines(origin)) pages.Line(Text(line));
    pages.Line(QStringLiteral("Logger: model %1, firmware %2, device ID %3")
                   .arg(Known(facts.model), Known(facts.firmware), Known(facts.deviceId)));
    pages.Line(QStringLiteral("Records: %1 from %2").arg(a.records).arg(facts.source));
    if (a.from && a.to)
        pages.Line(
            QStringLiteral("Range: %1 to %2")
                .arg(Text(data::FormatChartTime(*a.from)), Text(data::FormatChartTime(*a.to))));
    if (a.untimed > 0)
        pages.Line(
            QStringLiteral("Left out: %1 records without a valid date and time").arg(a.untimed));
    pages.Line(QStringLiteral("Log interval: %1")
                   .arg(a.log.interval ? Text(analysis::DurationText(*a.log.interval))
                                       : QStringLiteral("-")));
    pages.Line(QStringLiteral("Limits: %1").arg(facts.limitsFrom));
    if (facts.csvPath.isEmpty()) {
        pages.Line(QStringLiteral("CSV file: none"));
        return;
    }
    pages.Line(QStringLiteral("CSV file: %1").arg(facts.csvPath));
    const auto digest = data::Sha256OfFile(QFile::encodeName(facts.csvPath).toStdString());
    pages.Line(QStringLiteral("SHA-256 of the CSV file: %1")
                   .arg(digest ? Text(*digest) : QStringLiteral("the file cannot be read")));
}

void Statistics(ReportPages& pages, const analysis::HistoryAnalysis& a) {
    pages.Heading(QStringLiteral("Statistics"));
    if (a.sensors.empty()) {
        pages.Line(QStringLiteral("No sensor values."));
        return;
    }
    const auto lefts = Columns(a.sensors.size() + 1, 130, pages.Width());
    QStringList header{QString()};
    for (const analysis::SensorStatistics& s : a.sensors)
        header << QStringLiteral("Sensor%1").arg(s.sensor);
    pages.Header(header, lefts);
    for (const analysis::StatisticRow& row : analysis::StatisticRows()) {
        QStringList cells{Text(row.caption)};
        for (const analysis::SensorStatistics& s : a.sensors) cells << Text(row.cell(s, "."));
        pages.Row(cells, lefts);
    }
}

void Excursions(ReportPages& pages, const analysis::HistoryAnalysis& a) {
    const std::vector<analysis::SensorExcursion> all = analysis::ExcursionsLongestFirst(a);
    pages.Heading(QStringLiteral("Excursions, longest first (%1)").arg(all.size()));
    if (all.empty()) {
        pages.Line(QStringLiteral("None."));
        return;
    }
    const std::vector<double> lefts{0, 40, 105, 210, 340, 430};
    QStringList header;
    for (const std::string_view column : analysis::kExcursionColumns) header << Text(column);
    pages.Header(header, lefts);
    const std::size_t shown = std::min(all.size(), kReportExcursionRows);
    for (std::size_t i = 0; i < shown; ++i) {
        QStringList cells;
        for (const std::string& cell : analysis::ExcursionCells(all[i], ".")) cells << Text(cell);
        pages.Row(cells, lefts);
    }
    if (all.size() > shown)
        pages.Line(QStringLiteral("... and %1 more excursions, shorter than these.")
                       .arg(all.size() - shown));
}

void Gaps(ReportPages& pages, const analysis::HistoryAnalysis& a) {
    pages.Heading(QStringLiteral("Gaps in the log (%1)").arg(a.log.gaps.size()));
    if (a.log.gaps.empty()) {
        pages.Line(QStringLiteral("None."));
        return;
    }
    const std::vector<double> lefts{0, 130, 260};
    pages.Header({QStringLiteral("From"), QStringLiteral("To"), QStringLiteral("Duration")}, lefts);
    for (const analysis::LogGap& g : a.log.gaps)
        pages.Row({Text(data::FormatChartTime(g.from)), Text(data::FormatChartTime(g.to)),
                   Text(analysis::DurationText(g.seconds))},
                  lefts);
}

struct RenderedPdf {
    QByteArray bytes;
    int pages = 0;
    double lastPage = 0;  // how far down the last page the report reaches
};

RenderedPdf RenderPdf(const ReportFacts& facts, const analysis::HistoryAnalysis& analysis,
                      const analysis::ReportOrigin& origin, QCustomPlot* plot,
                      double chartHeight) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter writer(&buffer);
    writer.setResolution(kResolution);
    writer.setPageSize(QPageSize(QPageSize::A4));
    writer.setPageMargins(QMarginsF(0, 0, 0, 0));
    writer.setTitle(QStringLiteral("History report"));
    writer.setCreator(QStringLiteral("lgcset %1").arg(QString::fromLatin1(kVersion)));

    QCPPainter painter(&writer);
    // Vectors throughout, and pens that scale with the plot instead of staying a device dot.
    painter.setMode(QCPPainter::pmVectorized);
    painter.setMode(QCPPainter::pmNoCaching);
    painter.setMode(QCPPainter::pmNonCosmetic);
    QFont font = painter.font();
    font.setPointSizeF(8.5);
    // No ligatures: "fi" of "file" stays two letters that a search of the PDF finds.
    font.setStyleStrategy(QFont::PreferNoShaping);
    painter.setFont(font);

    const QString made =
        QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"));
    ReportPages pages(
        writer, painter,
        QStringLiteral("Made by lgcset %1 on %2").arg(QString::fromLatin1(kVersion), made));
    pages.Heading(QStringLiteral("History report"));
    Facts(pages, facts, analysis, origin);
    pages.Line(QStringLiteral("Made: %1 by lgcset %2").arg(made, QString::fromLatin1(kVersion)));
    pages.Heading(QStringLiteral("Chart"));
    pages.Chart(plot, chartHeight);
    Statistics(pages, analysis);
    Excursions(pages, analysis);
    Gaps(pages, analysis);
    painter.end();
    return {bytes, pages.Pages(), pages.Used()};
}

// The logger as the manifest beside the CSV file names it, where the caller knows nothing
// of it (a file opened long after its transfer).
ReportFacts WithOrigin(ReportFacts facts, const analysis::ReportOrigin& origin) {
    if (!origin.Known())
        return facts;
    const auto fill = [](QString& fact, const std::string& known) {
        if (fact.isEmpty())
            fact = Text(known);
    };
    fill(facts.model, origin.manifest.model);
    fill(facts.firmware, origin.manifest.firmware);
    fill(facts.deviceId, origin.manifest.deviceId);
    return facts;
}

}  // namespace

bool WriteHistoryReport(const QString& path, const ReportFacts& facts,
                        const analysis::HistoryAnalysis& analysis, QCustomPlot* plot,
                        QString& error) {
    analysis::ReportOrigin origin;
    if (!facts.csvPath.isEmpty())
        origin = analysis::FindReportOrigin(QFile::encodeName(facts.csvPath).toStdString());
    analysis::HistoryAnalysis withGaps = analysis;
    analysis::AddMissingRange(origin, withGaps);
    const ReportFacts known = WithOrigin(facts, origin);
    RenderedPdf pdf = RenderPdf(known, withGaps, origin, plot, kChartHeight);
    // A last page that would hold only a short tail (a section with nothing to list): the
    // chart gives up that much height and the tail stays on the page before.
    if (pdf.pages > 1 && pdf.lastPage <= kChartHeight - kMinChartHeight) {
        RenderedPdf shorter =
            RenderPdf(known, withGaps, origin, plot, kChartHeight - pdf.lastPage);
        if (shorter.pages < pdf.pages)
            pdf = std::move(shorter);
    }
    const QByteArray& bytes = pdf.bytes;
    const std::filesystem::path target = QFile::encodeName(path).toStdString();
    exports::PendingFile file;
    if (!file.Open(target) ||
        !file.Write({bytes.constData(), static_cast<std::size_t>(bytes.size())}) || !file.Close()) {
        error = QString::fromStdString(file.Error());
        return false;
    }
    std::error_code ec;
    if (!profiles::MoveReplacing(file.Current(), target, ec)) {
        error = QStringLiteral("cannot rename %1: %2")
                    .arg(QString::fromStdString(file.Current().string()),
                         QString::fromStdString(ec.message()));
        return false;  // the pending file goes with `file`
    }
    file.Keep();
    return true;
}

}  // namespace lgcset::ui
