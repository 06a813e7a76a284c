#include "Look.h"

#include <QFontDatabase>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QWidget>
#include <QWindow>

namespace sf {

namespace {

// The faces of the list that are installed, in the list's order. Asking for
// missing faces first costs a font lookup for every control, measurably
// slowing down start-up.
const QStringList &installedFamilies()
{
    static const QStringList families = [] {
        const QStringList wanted{QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("MS PGothic"), QStringLiteral("IPAPGothic")};
        const QStringList installed = QFontDatabase::families();
        QStringList found;
        for (const QString &family : wanted)
            if (installed.contains(family, Qt::CaseInsensitive))
                found << family;
        return found.isEmpty() ? wanted : found;
    }();
    return families;
}

} // namespace

QFont uiFont(int pixelSize)
{
    QFont font;
    font.setFamilies(installedFamilies());
    font.setPixelSize(pixelSize);
    // Hinting runs the font's own instructions for every glyph; unhinted
    // outlines draw the same small sizes legibly and open the window sooner.
    font.setHintingPreference(QFont::PreferNoHinting);
    return font;
}

void fitTextWidth(QLabel *label, int width)
{
    const int natural = label->fontMetrics().horizontalAdvance(label->text());
    if (natural <= width)
        return;
    QFont font = label->font();
    font.setStretch(width * 100 / natural);
    label->setFont(font);
    label->adjustSize();
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

} // namespace sf
