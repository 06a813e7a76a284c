#include "Artwork.h"

#include "Look.h"

#include <QPainter>
#include <QPainterPath>

#include <cmath>

namespace sf {

namespace {

const QColor PaleGreen{214, 240, 208};
const QColor RingGrey{150, 150, 150};
const QColor RingShadow{96, 96, 96};
const QColor WireGrey{70, 70, 78};
const QColor MeshGround{236, 236, 228};
const QColor FlowOrange{255, 136, 0};

// A thick arrow along the line from -> to, head at `to`. The head is laid
// out with the shaft's unit vector, not its angle: atan2 and sincos would
// bring their code and tables, some 270 KiB of the maths library, into
// memory at start (as for okGlyph()).
void drawFlowArrow(QPainter &p, QPointF from, QPointF to, qreal width, qreal head)
{
    const QPointF along = to - from;
    const QPointF unit = along / std::sqrt(QPointF::dotProduct(along, along));
    const QPointF back = to - unit * head;
    p.setPen(QPen(FlowOrange, width, Qt::SolidLine, Qt::FlatCap));
    p.drawLine(QLineF(from, back));
    // Square to the shaft, on its left as drawn (y grows downwards).
    const QPointF side = QPointF(unit.y(), -unit.x()) * (head * 0.6);
    QPolygonF tip;
    tip << to << back + side << back - side;
    p.setPen(Qt::NoPen);
    p.setBrush(FlowOrange);
    p.drawPolygon(tip);
}

// One cell of the woven mesh: a wire along its right and bottom edges over a
// ground that lets the flow show faintly through.
QImage meshCell(int pitch)
{
    QImage cell(pitch, pitch, QImage::Format_ARGB32_Premultiplied);
    QColor ground = MeshGround;
    ground.setAlpha(200);
    cell.fill(ground);
    for (int i = 0; i < pitch; ++i) {
        cell.setPixelColor(pitch - 1, i, WireGrey);
        cell.setPixelColor(i, pitch - 1, WireGrey);
    }
    return cell;
}

// The woven disc: a square mesh of `pitch` pixels inside a ring of
// `ringWidth`. The mesh is one cell repeated, which draws in a fraction of the
// time of some sixty separate wires.
void drawScreen(QPainter &p, QPointF centre, qreal radius, qreal ringWidth, int pitch)
{
    const qreal inner = radius - ringWidth;
    QPainterPath disc;
    disc.addEllipse(centre, inner, inner);
    p.fillPath(disc, QBrush(meshCell(pitch)));

    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(RingGrey, ringWidth));
    p.drawEllipse(centre, radius - ringWidth / 2, radius - ringWidth / 2);
    p.setPen(QPen(RingShadow, 1));
    p.drawEllipse(centre, radius, radius);
    p.drawEllipse(centre, inner, inner);
}

} // namespace

QImage drawPicture()
{
    QImage image(PictureWidth, PictureHeight, QImage::Format_RGB888);
    image.fill(PaleGreen);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);

    const QPointF centre(99, 70);
    // The flow runs behind the screen: in at the lower left, out at the upper right.
    drawFlowArrow(p, QPointF(8, 138), QPointF(190, 8), 9, 18);
    drawScreen(p, centre, 50, 7, 3);

    p.setPen(Black);
    p.setFont(uiFont(13));
    p.drawText(QRectF(40, 126, 120, 16), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("PolymerFlow"));
    return image;
}

QImage drawAppIcon(int size)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 32.0, size / 32.0);
    p.setPen(Qt::NoPen);
    p.setBrush(PaleGreen);
    p.drawRoundedRect(QRectF(0.5, 0.5, 31, 31), 4, 4);
    drawFlowArrow(p, QPointF(2, 30), QPointF(30, 2), 3, 7);
    drawScreen(p, QPointF(16, 16), 11, 3, 2);
    return image;
}

QImage drawOkGlyph()
{
    QImage image(18, 18, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(0, 128, 0), 3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPolyline(QPolygonF({QPointF(3, 9.5), QPointF(7, 13.5), QPointF(15, 4)}));
    return image;
}

QImage drawCloseGlyph()
{
    QImage image(18, 18, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    // The door frame, dark inside where the door has swung open.
    p.setPen(QColor(64, 64, 64));
    p.setBrush(QColor(40, 40, 40));
    p.drawRect(4, 1, 10, 15);
    // The door leaf, opened towards the viewer.
    p.setRenderHint(QPainter::Antialiasing);
    p.setBrush(QColor(200, 160, 40));
    p.setPen(QColor(120, 80, 0));
    p.drawPolygon(QPolygonF({QPointF(4.5, 1.5), QPointF(10.5, 3.5), QPointF(10.5, 17.5), QPointF(4.5, 16.5)}));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(60, 40, 0));
    p.drawEllipse(QPointF(9, 10), 1, 1);
    return image;
}

} // namespace sf
