#include "ui/programicon.h"

#include <QFont>
#include <QPainter>
#include <QPixmap>

namespace tarvel {

namespace {

QPixmap tile(int side) {
    QPixmap pixmap(side, side);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x2f, 0x5d, 0x8a));
    const qreal radius = side / 5.0;
    p.drawRoundedRect(QRectF(0, 0, side, side), radius, radius);
    QFont font("DejaVu Sans");
    font.setBold(true);
    font.setPixelSize(side * 3 / 4);
    p.setFont(font);
    p.setPen(Qt::white);
    p.drawText(QRect(0, 0, side, side), Qt::AlignCenter, "T");
    return pixmap;
}

}  // namespace

QIcon programIcon() {
    QIcon icon;
    for (int side : {16, 24, 32, 48, 64}) icon.addPixmap(tile(side));
    return icon;
}

}  // namespace tarvel
