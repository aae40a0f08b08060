#include "ui/chart_limits.h"

#include <qcustomplot.h>

#include <algorithm>

namespace lgcset::ui {
namespace {

// Shading light enough that the curves of other sensors show through it.
constexpr int kShadeAlpha = 40;
const QString kShadeLayer = QStringLiteral("grid");

}  // namespace

std::vector<std::pair<double, double>> ExcursionSpans(const analysis::SensorStatistics& sensor) {
    std::vector<std::pair<double, double>> spans;
    for (const analysis::Excursion& e : sensor.excursions) spans.emplace_back(e.from, e.to);
    std::sort(spans.begin(), spans.end());
    std::vector<std::pair<double, double>> merged;
    for (const auto& span : spans) {
        if (!merged.empty() && span.first <= merged.back().second)
            merged.back().second = std::max(merged.back().second, span.second);
        else
            merged.push_back(span);
    }
    return merged;
}

void ChartLimits::Clear(QCustomPlot* plot) {
    for (const Drawn& drawn : items_) plot->removeItem(drawn.item);
    items_.clear();
}

void ChartLimits::Draw(QCustomPlot* plot, const analysis::HistoryAnalysis& analysis,
                       const std::array<QColor, data::kSensorCount>& colours) {
    Clear(plot);
    for (const analysis::SensorStatistics& s : analysis.sensors) {
        const QColor colour = colours[static_cast<std::size_t>(s.sensor - 1)];
        for (const analysis::LimitSpec& spec : analysis::kLimits) {
            const auto limit = s.limits[analysis::LimitIndex(spec.kind)];
            if (!limit)
                continue;
            const bool ultra = spec.kind == analysis::LimitKind::UltraLow ||
                               spec.kind == analysis::LimitKind::UltraHigh;
            auto* line = new QCPItemStraightLine(plot);
            line->setPen(QPen(colour, 1, ultra ? Qt::DotLine : Qt::DashLine));
            line->point1->setCoords(0, *limit);
            line->point2->setCoords(1, *limit);
            line->setSelectable(false);
            items_.push_back({s.sensor, line, true});
        }
        QColor shade = colour;
        shade.setAlpha(kShadeAlpha);
        for (const auto& [from, to] : ExcursionSpans(s)) {
            auto* rect = new QCPItemRect(plot);
            rect->setLayer(kShadeLayer);
            rect->setPen(Qt::NoPen);
            rect->setBrush(shade);
            rect->setClipToAxisRect(true);
            rect->topLeft->setTypeX(QCPItemPosition::ptPlotCoords);
            rect->topLeft->setTypeY(QCPItemPosition::ptAxisRectRatio);
            rect->bottomRight->setTypeX(QCPItemPosition::ptPlotCoords);
            rect->bottomRight->setTypeY(QCPItemPosition::ptAxisRectRatio);
            rect->topLeft->setCoords(from, 0);
            rect->bottomRight->setCoords(to, 1);
            rect->setSelectable(false);
            items_.push_back({s.sensor, rect, false});
        }
    }
}

void ChartLimits::SetSensorVisible(int sensor, bool visible) {
    for (const Drawn& drawn : items_)
        if (drawn.sensor == sensor)
            drawn.item->setVisible(visible);
}

std::size_t ChartLimits::LineCount() const {
    return static_cast<std::size_t>(
        std::count_if(items_.begin(), items_.end(), [](const Drawn& d) { return d.line; }));
}

std::size_t ChartLimits::ShadeCount() const {
    return items_.size() - LineCount();
}

}  // namespace lgcset::ui
