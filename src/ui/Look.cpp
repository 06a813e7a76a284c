#include "Look.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <QWindow>

namespace sf::ui {

QFont uiFont(int pixelSize)
{
    QFont font;
    font.setFamilies({QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("MS PGothic"), QStringLiteral("IPAPGothic")});
    font.setPixelSize(pixelSize);
    return font;
}

void setTextColour(QWidget *w, const QColor &colour)
{
    QPalette palette = w->palette();
    palette.setColor(QPalette::WindowText, colour);
    w->setPalette(palette);
}

void centreOnScreen(QWidget *w)
{
    const QScreen *screen = w->screen() ? w->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    // A top-level widget is moved by its frame, so the frame is what gets
    // centred; before the window system has framed it the margins are zero.
    w->winId();
    const QMargins margins = w->windowHandle() ? w->windowHandle()->frameMargins() : QMargins();
    QRect frame(QPoint(), w->size().grownBy(margins));
    frame.moveCenter(screen->availableGeometry().center());
    w->move(frame.topLeft());
}

} // namespace sf::ui
