#include "ui/status_panels.h"

#include <algorithm>
#include <cmath>

#include <QEvent>
#include <QFontMetricsF>
#include <QHelpEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOption>
#include <QToolTip>

namespace lgcset::ui {

namespace {
constexpr int kBarHeight = 26;  // room for a 17-pixel lamp 5 pixels below a panel's top
constexpr int kPanelGap = 2;    // between two panels and at the bar's edges
constexpr int kTextMargin = 3;  // between a panel's frame and its text
}  // namespace

StatusPanels::StatusPanels(QWidget* parent) : QWidget(parent) {
    setFixedHeight(kBarHeight);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void StatusPanels::AddPanel(int width, Qt::Alignment alignment, const QString& text) {
    panels_.push_back({width, alignment, text, width, {}});
    update();
}

void StatusPanels::FitPanelTo(int index, const QStringList& texts) {
    if (index < 0 || index >= PanelCount())
        return;
    panels_[static_cast<std::size_t>(index)].fits = texts;
    Refit();
}

void StatusPanels::Refit() {
    // Fractional advances, rounded up: a whole-pixel width rounded down cuts the last letter.
    const QFontMetricsF metrics(font());
    for (Panel& panel : panels_) {
        int width = panel.givenWidth;
        for (const QString& text : panel.fits) {
            const int advance = static_cast<int>(std::ceil(metrics.horizontalAdvance(text)));
            width = std::max(width, advance + 2 * kTextMargin);
        }
        panel.width = width;
    }
    updateGeometry();
    update();
    emit PanelsMoved();
}

void StatusPanels::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        Refit();
}

QString StatusPanels::PanelText(int index) const {
    if (index < 0 || index >= PanelCount())
        return {};
    return panels_[static_cast<std::size_t>(index)].text;
}

void StatusPanels::SetPanelText(int index, const QString& text) {
    if (index < 0 || index >= PanelCount())
        return;
    panels_[static_cast<std::size_t>(index)].text = text;
    update();
}

void StatusPanels::Repaint() {
    repaint();
}

QRect StatusPanels::PanelRect(int index) const {
    if (index < 0 || index >= PanelCount())
        return {};
    int left = kPanelGap;
    for (int i = 0; i < index; ++i) left += panels_[static_cast<std::size_t>(i)].width + kPanelGap;
    return QRect(left, kPanelGap, panels_[static_cast<std::size_t>(index)].width,
                 height() - 2 * kPanelGap);
}

QRect StatusPanels::TextRect(int index) const {
    return PanelRect(index).adjusted(kTextMargin, 0, -kTextMargin, 0);
}

QString StatusPanels::ToolTipAt(const QPoint& position) const {
    for (int i = 0; i < PanelCount(); ++i) {
        if (!PanelRect(i).contains(position))
            continue;
        const QString& text = panels_[static_cast<std::size_t>(i)].text;
        const QFontMetrics metrics(font());
        return metrics.elidedText(text, Qt::ElideRight, TextRect(i).width()) == text ? QString()
                                                                                     : text;
    }
    return {};
}

bool StatusPanels::event(QEvent* event) {
    if (event->type() != QEvent::ToolTip)
        return QWidget::event(event);
    const auto* help = static_cast<QHelpEvent*>(event);
    const QString text = ToolTipAt(help->pos());
    if (text.isEmpty())
        QToolTip::hideText();
    else
        QToolTip::showText(help->globalPos(), text, this);
    return true;
}

QSize StatusPanels::sizeHint() const {
    int width = kPanelGap;
    for (const Panel& panel : panels_) width += panel.width + kPanelGap;
    return {width, kBarHeight};
}

void StatusPanels::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().window());
    painter.setPen(palette().color(QPalette::Mid));
    painter.drawLine(0, 0, width(), 0);
    for (int i = 0; i < PanelCount(); ++i) {
        const QRect r = PanelRect(i);
        // A sunken frame, as status panels are drawn.
        painter.setPen(palette().color(QPalette::Mid));
        painter.drawLine(r.topLeft(), r.topRight());
        painter.drawLine(r.topLeft(), r.bottomLeft());
        painter.setPen(palette().color(QPalette::Light));
        painter.drawLine(r.bottomLeft(), r.bottomRight());
        painter.drawLine(r.topRight(), r.bottomRight());
        const Panel& panel = panels_[static_cast<std::size_t>(i)];
        if (!panel.text.isEmpty()) {
            const QRect text = TextRect(i);
            painter.setPen(palette().color(QPalette::WindowText));
            painter.drawText(
                text, int(panel.alignment | Qt::AlignVCenter),
                painter.fontMetrics().elidedText(panel.text, Qt::ElideRight, text.width()));
        }
    }
}

}  // namespace lgcset::ui
