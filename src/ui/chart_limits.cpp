#include "ui/chart_limits.h"

#include <qcustomplot.h>

#include <algorithm>

namespace lgcset::ui {
namespace {

// Shading is a light tint of the sensor's colour, darker beyond an Ultra limit. It is
// opaque and under the grid, so the grid and every curve show over it: a translucent fill
// costs a full transfer's zoom several times the repaint of its curves.
constexpr double kShadeTint = 0.16;
constexpr double kUltraTint = 0.32;
const QString kShadeLayer = QStringLiteral("background");

QColor Tint(const QColor& colour, double weight) {
    const auto mix = [weight](int c) { return static_cast<int>(255 - (255 - c) * weight); };
    return QColor(mix(colour.red()), mix(colour.green()), mix(colour.blue()));
}

// One sensor's excursion spans as one item: it draws only those in view, and spans closer
// than a pixel as one, so that thousands of them repaint as fast as a few. (An item per
// span makes a full transfer's zoom some ten times slower.)
class ExcursionShading : public QCPAbstractItem {
  public:
    ExcursionShading(QCustomPlot* plot, QColor colour, std::vector<std::pair<double, double>> spans)
        : QCPAbstractItem(plot), colour_(colour), spans_(std::move(spans)) {}

    double selectTest(const QPointF&, bool, QVariant*) const override { return -1; }
    std::size_t Spans() const { return spans_.size(); }

  protected:
    void draw(QCPPainter* painter) override {
        const QCPAxis* time = mParentPlot->xAxis;
        const QCPRange range = time->range();
        const QRect area = clipRect();
        // Spans are disjoint and in order: their ends ascend too.
        auto it = std::lower_bound(spans_.begin(), spans_.end(), range.lower,
                                   [](const auto& span, double t) { return span.second < t; });
        bool open = false;
        double left = 0, right = 0;
        const auto flush = [&] {
            if (open)
                painter->fillRect(QRect(static_cast<int>(left), area.top(),
                                        std::max(1, static_cast<int>(right - left)), area.height()),
                                  colour_);
        };
        for (; it != spans_.end() && it->first <= range.upper; ++it) {
            const double l = time->coordToPixel(it->first);
            const double r = std::max(time->coordToPixel(it->second), l + 1);  // never invisible
            if (open && l <= right + 1) {
                right = std::max(right, r);
                continue;
            }
            flush();
            open = true;
            left = l;
            right = r;
        }
        flush();
    }

  private:
    QColor colour_;
    std::vector<std::pair<double, double>> spans_;
};

QString Arrow(double value, bool above) {
    return (above ? QStringLiteral("\u25B2 ") : QStringLiteral("\u25BC ")) +
           QString::number(value, 'g', 7);
}

// The limits beyond the values on view, as arrows with their values along the top and
// bottom edges, from the left (the legend takes the top right corner).
class OffViewLimits : public QCPAbstractItem {
  public:
    OffViewLimits(QCustomPlot* plot, const std::vector<ChartLimits::Limit>& limits)
        : QCPAbstractItem(plot), limits_(limits) {}

    double selectTest(const QPointF&, bool, QVariant*) const override { return -1; }

  protected:
    void draw(QCPPainter* painter) override {
        const QCPRange range = mParentPlot->yAxis->range();
        const QRect area = clipRect();
        const QFontMetrics metrics(mParentPlot->font());
        painter->setFont(mParentPlot->font());
        constexpr int kGap = 6;
        int left[2] = {area.left() + kGap, area.left() + kGap};  // below, above
        for (const ChartLimits::Limit& limit : limits_) {
            const bool above = limit.value > range.upper;
            if (!limit.shown || (!above && limit.value >= range.lower))
                continue;
            const QString text = Arrow(limit.value, above);
            const int width = metrics.horizontalAdvance(text);
            const int top = above ? area.top() + 2 : area.bottom() - 2 - metrics.height();
            int& x = left[above ? 1 : 0];
            painter->setPen(limit.colour);
            painter->drawText(QRect(x, top, width, metrics.height()),
                              Qt::AlignLeft | Qt::AlignVCenter, text);
            x += width + kGap;
        }
    }

  private:
    const std::vector<ChartLimits::Limit>& limits_;
};

}  // namespace

namespace {

bool Ultra(analysis::LimitKind kind) {
    return kind == analysis::LimitKind::UltraLow || kind == analysis::LimitKind::UltraHigh;
}

}  // namespace

std::vector<std::pair<double, double>> ExcursionSpans(const analysis::SensorStatistics& sensor,
                                                      bool ultraOnly) {
    std::vector<std::pair<double, double>> spans;
    for (const analysis::Excursion& e : sensor.excursions)
        if (!ultraOnly || Ultra(e.kind))
            spans.emplace_back(e.from, e.to);
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
    limits_.clear();
    shades_ = 0;
}

void ChartLimits::Draw(QCustomPlot* plot, const analysis::HistoryAnalysis& analysis,
                       const std::array<QColor, data::kSensorCount>& colours) {
    Clear(plot);
    for (const analysis::SensorStatistics& s : analysis.sensors) {
        const QColor colour = colours[static_cast<std::size_t>(s.sensor - 1)];
        for (const analysis::LimitDefinition& definition : analysis::kLimits) {
            const auto limit = s.limits[analysis::LimitIndex(definition.kind)];
            if (!limit)
                continue;
            auto* line = new QCPItemStraightLine(plot);
            line->setPen(QPen(colour, 1, Ultra(definition.kind) ? Qt::DotLine : Qt::DashLine));
            line->point1->setCoords(0, *limit);
            line->point2->setCoords(1, *limit);
            line->setSelectable(false);
            line->setAntialiased(false);  // level lines need none, and dashes cost with it
            items_.push_back({s.sensor, line, true});
            limits_.push_back({s.sensor, static_cast<double>(*limit), colour});
        }
        for (const bool ultraOnly : {false, true}) {
            std::vector<std::pair<double, double>> spans = ExcursionSpans(s, ultraOnly);
            if (spans.empty())
                continue;
            if (!ultraOnly)
                shades_ += spans.size();
            auto* shading = new ExcursionShading(
                plot, Tint(colour, ultraOnly ? kUltraTint : kShadeTint), std::move(spans));
            shading->setLayer(kShadeLayer);
            shading->setClipToAxisRect(true);
            shading->setSelectable(false);
            shading->setAntialiased(false);
            items_.push_back({s.sensor, shading, false});
        }
    }
    if (!limits_.empty()) {
        auto* arrows = new OffViewLimits(plot, limits_);
        arrows->setClipToAxisRect(true);
        arrows->setSelectable(false);
        items_.push_back({0, arrows, false});
    }
}

void ChartLimits::SetSensorVisible(int sensor, bool visible) {
    for (const Drawn& drawn : items_)
        if (drawn.sensor == sensor)
            drawn.item->setVisible(visible);
    for (Limit& limit : limits_)
        if (limit.sensor == sensor)
            limit.shown = visible;
}

std::vector<double> ChartLimits::Values() const {
    std::vector<double> values;
    for (const Limit& limit : limits_) values.push_back(limit.value);
    return values;
}

std::vector<QString> ChartLimits::BeyondView(double lower, double upper) const {
    std::vector<QString> arrows;
    for (const Limit& limit : limits_)
        if (limit.shown && (limit.value > upper || limit.value < lower))
            arrows.push_back(Arrow(limit.value, limit.value > upper));
    return arrows;
}

std::size_t ChartLimits::LineCount() const {
    return static_cast<std::size_t>(
        std::count_if(items_.begin(), items_.end(), [](const Drawn& d) { return d.line; }));
}

std::size_t ChartLimits::ShadeCount() const {
    return shades_;
}

}  // namespace lgcset::ui
