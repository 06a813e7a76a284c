#include "EtchedGroupBox.h"

#include <QPainter>
#include <qdrawutil.h>

namespace sf {

namespace {

constexpr int CaptionLeft = 8;
constexpr int CaptionGap = 2; // frame line left clear either side of the caption

} // namespace

EtchedGroupBox::EtchedGroupBox(const QString &title, QWidget *parent) : QGroupBox(title, parent) {}

void EtchedGroupBox::paintEvent(QPaintEvent *)
{
    // The caption keeps to a cell as high as the font's pixel size, as in the
    // face the windows were laid out with, whose descent is a pixel shorter
    // than P Gothic's: the group's first row starts right below that cell.
    const QFontMetrics metrics = fontMetrics();
    const int cell = font().pixelSize() > 0 ? font().pixelSize() : metrics.height();
    const int width = metrics.horizontalAdvance(title());
    const QRect caption(CaptionLeft, cell - metrics.height(), width, metrics.height());
    const QRect gap = title().isEmpty() ? QRect() : QRect(CaptionLeft - CaptionGap, 0, width + 2 * CaptionGap, cell);

    // Shadow and light lines, the light one a pixel right of and below the
    // shadow; the top pair lies half a cell down.
    QPainter p(this);
    p.setClipRegion(QRegion(rect()) - gap);
    qDrawShadeRect(&p, rect().adjusted(0, cell / 2 - 1, 0, 0), palette(), true, 1, 0);
    p.setClipping(false);

    p.setPen(palette().color(QPalette::WindowText));
    p.drawText(caption, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, title());
}

} // namespace sf
