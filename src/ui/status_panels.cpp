#include "ui/status_panels.h"

#include <QPainter>
#include <QStyle>
#include <QStyleOption>

namespace lgcset::ui {

namespace {
constexpr int kBarHeight = 26;  // room for a 17-pixel lamp 5 pixels below a panel's top
constexpr int kPanelGap = 2;    // between two panels and at the bar's edges
}  // namespace

StatusPanels::StatusPanels(QWidget* parent) : QWidget(parent) {
    setFixedHeight(kBarHeight);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void StatusPanels::AddPanel(int width, Qt::Alignment alignment, const QString& text) {
    panels_.push_back({width, alignment, text});
    update();
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
            painter.setPen(palette().color(QPalette::WindowText));
            painter.drawText(r.adjusted(3, 0, -3, 0), int(panel.alignment | Qt::AlignVCenter),
                             panel.text);
        }
    }
}

}  // namespace lgcset::ui
