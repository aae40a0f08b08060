// The pages of a PDF report, filled from the top down: headings, lines of text, rows of
// cells and a plot, each going on to a new page when the one in hand is full, every page
// with a footer of its own.
#pragma once

#include <QString>
#include <QStringList>
#include <vector>

class QCPPainter;
class QCustomPlot;
class QPdfWriter;

namespace lgcset::ui {

class ReportPages {
  public:
    // The painter draws on the writer, in points.
    ReportPages(QPdfWriter& writer, QCPPainter& painter, QString footer);

    // The width between the margins.
    double Width() const { return width_; }
    void Heading(const QString& text);
    void Line(const QString& text);
    // A row of cells in columns starting at `lefts` (offsets from the margin).
    void Row(const QStringList& cells, const std::vector<double>& lefts, bool bold = false);
    // A table's header row: drawn in bold now and again at the top of each page the table
    // goes on to, until the next heading or header.
    void Header(const QStringList& cells, const std::vector<double>& lefts);
    // The plot as vectors, the width of the page and `height` high.
    void Chart(QCustomPlot* plot, double height);

    int Pages() const { return page_; }
    // How far down the current page the content reaches, from its top margin.
    double Used() const;

  private:
    // Room for `height` more on this page, else a new one.
    void Need(double height);
    void Footer();

    QPdfWriter& writer_;
    QCPPainter& painter_;
    QString footer_;
    double width_ = 0, bottom_ = 0, y_ = 0;
    int page_ = 1;
    QStringList header_;
    std::vector<double> headerLefts_;
};

}  // namespace lgcset::ui
