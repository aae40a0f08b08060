#include "ui/report_pages.h"

#include <qcustomplot.h>

#include <QFontMetricsF>
#include <QPdfWriter>

namespace lgcset::ui {
namespace {

constexpr double kMargin = 40;
constexpr double kRow = 13;
// The plot is laid out at a screen's size and scaled onto the page, so its fonts and
// ticks keep their proportions.
constexpr int kPlotWidth = 760;

}  // namespace

ReportPages::ReportPages(QPdfWriter& writer, QCPPainter& painter, QString footer)
    : writer_(writer), painter_(painter), footer_(std::move(footer)) {
    const QRectF page = writer.pageLayout().paintRect(QPageLayout::Point);
    width_ = page.width() - 2 * kMargin;
    bottom_ = page.height() - kMargin - kRow;
    y_ = kMargin;
    Footer();
}

void ReportPages::Need(double height) {
    if (y_ + height <= bottom_)
        return;
    writer_.newPage();
    ++page_;
    y_ = kMargin;
    Footer();
    if (!header_.isEmpty())
        Row(header_, headerLefts_, true);
}

void ReportPages::Header(const QStringList& cells, const std::vector<double>& lefts) {
    header_.clear();  // not twice at a page break right here
    Row(cells, lefts, true);
    header_ = cells;
    headerLefts_ = lefts;
}

void ReportPages::Heading(const QString& text) {
    header_.clear();  // a new section ends the table before it
    Need(3 * kRow);   // never alone at the foot of a page
    y_ += kRow / 2;
    QFont font = painter_.font();
    font.setBold(true);
    font.setPointSizeF(11);
    painter_.save();
    painter_.setFont(font);
    painter_.drawText(QPointF(kMargin, y_ + kRow), text);
    painter_.restore();
    y_ += 1.5 * kRow;
}

// A line too long for the page (a deep folder's path) goes on over the next ones, whole:
// a path or digest cut short would name no file.
void ReportPages::Line(const QString& text) {
    const QFontMetricsF metrics = painter_.fontMetrics();
    QString rest = text;
    do {
        qsizetype fits = rest.size();
        while (fits > 1 && metrics.horizontalAdvance(rest.left(fits)) > width_) --fits;
        Need(kRow);
        painter_.drawText(QPointF(kMargin, y_ + kRow - 3), rest.left(fits));
        y_ += kRow;
        rest = rest.mid(fits);
    } while (!rest.isEmpty());
}

void ReportPages::Row(const QStringList& cells, const std::vector<double>& lefts, bool bold) {
    Need(kRow);
    painter_.save();
    if (bold) {
        QFont font = painter_.font();
        font.setBold(true);
        painter_.setFont(font);
    }
    for (qsizetype c = 0; c < cells.size(); ++c)
        painter_.drawText(QPointF(kMargin + lefts[static_cast<std::size_t>(c)], y_ + kRow - 3),
                          cells[c]);
    painter_.restore();
    y_ += kRow;
}

void ReportPages::Chart(QCustomPlot* plot, double height) {
    Need(height);
    painter_.save();
    painter_.translate(kMargin, y_);
    const double scale = width_ / kPlotWidth;
    painter_.scale(scale, scale);
    plot->toPainter(&painter_, kPlotWidth, static_cast<int>(height / scale));
    painter_.restore();
    y_ += height;
}

double ReportPages::Used() const {
    return y_ - kMargin;
}

void ReportPages::Footer() {
    painter_.save();
    QFont font = painter_.font();
    font.setPointSizeF(7);
    painter_.setFont(font);
    painter_.drawText(QPointF(kMargin, bottom_ + kRow + 4),
                      QStringLiteral("%1 - page %2").arg(footer_).arg(page_));
    painter_.restore();
}

}  // namespace lgcset::ui
