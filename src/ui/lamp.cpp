#include "ui/lamp.h"

#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QRadialGradient>

namespace lgcset::ui {

QLabel* MakeLamp(const char* name, QColor colour, QWidget* parent) {
    QPixmap pixmap(kLampSize, kLampSize);
    pixmap.fill(Qt::transparent);
    {
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        // A lit glass bulb: bright towards the upper left, the full colour at the rim.
        QRadialGradient glow(QPointF(6.0, 6.0), 10.0);
        glow.setColorAt(0.0, colour.lighter(190));
        glow.setColorAt(0.6, colour);
        glow.setColorAt(1.0, colour.darker(160));
        painter.setBrush(glow);
        painter.setPen(QPen(colour.darker(220), 1.0));
        painter.drawEllipse(QRectF(1.0, 1.0, kLampSize - 2.0, kLampSize - 2.0));
    }
    auto* lamp = new QLabel(parent);
    lamp->setObjectName(QString::fromLatin1(name));
    lamp->setPixmap(pixmap);
    lamp->setFixedSize(kLampSize, kLampSize);
    return lamp;
}

}  // namespace lgcset::ui
