#include "GlyphButton.h"

#include <QIcon>
#include <QPainter>
#include <QPixmap>

namespace sf {

namespace {

// Inside the bevel and the default button's outline.
constexpr int FocusInset = 4;

} // namespace

GlyphButton::GlyphButton(const QImage &glyph, const QString &text, QWidget *parent)
    : QPushButton(QIcon(QPixmap::fromImage(glyph)), text, parent)
{
    setIconSize(glyph.size());
}

void GlyphButton::paintEvent(QPaintEvent *event)
{
    QPushButton::paintEvent(event);
    if (!hasFocus())
        return;
    // Every other pixel, in the button text's colour.
    const QRect r = rect().adjusted(FocusInset, FocusInset, -FocusInset, -FocusInset);
    QPainter p(this);
    p.setPen(Qt::NoPen);
    p.setBrush(QBrush(palette().color(QPalette::ButtonText), Qt::Dense4Pattern));
    p.setBrushOrigin(r.topLeft());
    p.drawRect(r.left(), r.top(), r.width(), 1);
    p.drawRect(r.left(), r.bottom(), r.width(), 1);
    p.drawRect(r.left(), r.top(), 1, r.height());
    p.drawRect(r.right(), r.top(), 1, r.height());
}

} // namespace sf
