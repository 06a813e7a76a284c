// The main window as drawn, judged on the pixels its widgets render.
#include "UiTestSupport.h"

#include <QGroupBox>
#include <QPainter>

#include <cmath>

namespace sf::test {
namespace {

using LookTest = MainWindowTest;

QImage grabbed(QWidget *w)
{
    return w->grab().toImage();
}

// The box round the pixels of `area` that stand out from `ground`.
QRect inkBox(const QImage &image, QRect area, QRgb ground)
{
    QRect box;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (std::abs(qGray(image.pixel(x, y)) - qGray(ground)) > 32)
                box |= QRect(x, y, 1, 1);
    return box;
}

// Where a field's text lies, whole, standing 2 pixels in from the field's
// left and top edges: drawn freely in the field's font and colours.
QRect classicInk(const QLineEdit *field, QRgb ground)
{
    QImage image(field->width() + 40, field->height(), QImage::Format_RGB32);
    image.fill(ground);
    QPainter p(&image);
    p.setFont(field->font());
    p.setPen(field->palette().color(field->isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::Text));
    p.drawText(2, 2 + field->fontMetrics().ascent(), field->text());
    p.end();
    return inkBox(image, image.rect(), ground);
}

double luminance(QRgb c)
{
    auto linear = [](int v) { return v <= 10 ? v / 3294.6 : std::pow((v / 255.0 + 0.055) / 1.055, 2.4); };
    return 0.2126 * linear(qRed(c)) + 0.7152 * linear(qGreen(c)) + 0.0722 * linear(qBlue(c));
}

TEST_F(LookTest, GroupsDrawNothingInsideTheirLabelsAndFields)
{
    for (QGroupBox *group : form1->findChildren<QGroupBox *>()) {
        QImage own(group->size(), QImage::Format_ARGB32); // its frame and caption alone
        own.fill(Qt::transparent);
        group->render(&own, QPoint(), QRegion(), QWidget::RenderFlags());
        EXPECT_NE(qAlpha(own.pixel(0, group->height() / 2)), 0) << "no frame";
        for (QWidget *child : group->findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
            for (int y = child->y(); y <= child->geometry().bottom(); ++y)
                for (int x = child->x(); x <= child->geometry().right(); ++x)
                    ASSERT_EQ(qAlpha(own.pixel(x, y)), 0) << group->objectName().toStdString() << " draws at " << x
                                                          << "," << y << " in " << child->objectName().toStdString();
    }
}

TEST_F(LookTest, FieldTextsStandWholeAtTheTopLeftAndLegible)
{
    for (int n : {1, 5, 6, 26}) { // a comma, where the next row's field overlaps from 16 pixels down
        focus(n);
        QTest::keyClicks(edit(n), QStringLiteral("0,25"));
    }
    button("BitBtn1")->setFocus(Qt::MouseFocusReason); // no caret, no selection
    const QRgb editableGround = grabbed(edit(1)).pixel(20, 18);
    for (int n = 1; n <= 35; ++n) {
        SCOPED_TRACE("Edit" + std::to_string(n));
        const QImage image = grabbed(edit(n));
        const QRgb ground = image.pixel(image.width() / 2, image.height() - 3);
        // Frame and the pixel inside it left out: a glyph reaching them shows cut short.
        const QRect ink = inkBox(image, image.rect().adjusted(2, 2, -2, -2), ground);
        EXPECT_EQ(ink, classicInk(edit(n), ground)) << "scrolled, cut off, or not 2 pixels in";
        EXPECT_LT(ink.bottom(), 16) << "under the next row's field";
        if (edit(n)->isEnabled())
            continue;
        EXPECT_NE(ground, editableGround) << "read-only, yet looks editable";
        double darkest = 1;
        for (int y = ink.top(); y <= ink.bottom(); ++y)
            for (int x = ink.left(); x <= ink.right(); ++x)
                darkest = std::min(darkest, luminance(image.pixel(x, y)));
        EXPECT_GE((luminance(ground) + 0.05) / (darkest + 0.05), 4.5) << "contrast";
    }
}

TEST_F(LookTest, AButtonFocusedByAClickLooksFocused)
{
    for (const char *name : {"BitBtn1", "BitBtn2"}) {
        focus(1);
        const QImage unfocused = grabbed(button(name));
        button(name)->setFocus(Qt::MouseFocusReason);
        EXPECT_NE(grabbed(button(name)), unfocused) << name;
    }
}

TEST_F(LookTest, FormulaLabelsKeepABlankBeforeWhatFollows)
{
    const QImage window = grabbed(form1);
    const QRgb ground = window.pixel(edit(30)->mapTo(form1, QPoint(-6, 30)));
    auto inkLeftOf = [&](const char *name, int right) {
        auto *w = form1->findChild<QWidget *>(QLatin1String(name));
        return inkBox(window, QRect(w->mapTo(form1, QPoint()), w->size()) & QRect(0, 0, right, window.height()), ground);
    };
    // Their captions end in a blank, but for Shift Factor, which a_T follows as a word of its own.
    for (const auto &[label, next] : {std::pair{"Label20", "Edit30"}, {"Label21", "Edit31"}, {"Label27", "Label28"},
                                      {"Label30", "Edit33"}, {"Label31", "Edit34"}}) {
        const int nextLeft = inkLeftOf(next, window.width()).left();
        EXPECT_GE(nextLeft - inkLeftOf(label, nextLeft).right() - 1,
                  form1->findChild<QLabel *>(QLatin1String(label))->fontMetrics().horizontalAdvance(u' '))
            << label;
    }
}

} // namespace
} // namespace sf::test
