// The alarm limits and excursions of an analysis drawn on the sensor plot: each sensor's
// Low and High limits as dashed lines and its Ultra limits as dotted ones, in its colour,
// and the times it spent beyond any of them shaded, beyond its Ultra limits darker. A limit
// beyond the values on view is an arrow with its value at that edge of the plot.
#pragma once

#include <QColor>
#include <array>
#include <vector>

#include "analysis/history_analysis.h"
#include "data/history_record.h"

class QCustomPlot;
class QCPAbstractItem;

namespace lgcset::ui {

class ChartLimits {
  public:
    // Replaces what was drawn before with the limits and excursions of `analysis`.
    void Draw(QCustomPlot* plot, const analysis::HistoryAnalysis& analysis,
              const std::array<QColor, data::kSensorCount>& colours);
    void Clear(QCustomPlot* plot);
    // Shows or hides what belongs to a sensor (1 to 4) with its curve.
    void SetSensorVisible(int sensor, bool visible);

    std::size_t LineCount() const;
    // The shaded time spans.
    std::size_t ShadeCount() const;

    // Every limit drawn, for the whole-range view.
    std::vector<double> Values() const;
    // The limits of the sensors shown that lie beyond the values on view, as the arrows at
    // the plot's edges show them: "▲ 123456" above, "▼ -40" below.
    std::vector<QString> BeyondView(double lower, double upper) const;

    struct Limit {
        int sensor;
        double value;
        QColor colour;
        bool shown = true;
    };

  private:
    struct Drawn {
        int sensor;
        QCPAbstractItem* item;
        bool line;
    };
    std::vector<Drawn> items_;
    std::vector<Limit> limits_;
    std::size_t shades_ = 0;
};

// A sensor's excursions as merged time spans (the ultra ones lie within the others); with
// `ultraOnly` those beyond its Ultra limits alone, shaded once more so that they stand out.
std::vector<std::pair<double, double>> ExcursionSpans(const analysis::SensorStatistics& sensor,
                                                      bool ultraOnly = false);

}  // namespace lgcset::ui
