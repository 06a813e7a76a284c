// The main window as drawn: group frames, field texts, the read-only values,
// the focused button and the spacing of the formulas, judged on the pixels
// the widgets render.
#include "UiTestSupport.h"

#include <QGroupBox>
#include <QImage>
#include <QPainter>

#include <cmath>

namespace sf::ui::test {
namespace {

using LookTest = MainWindowTest;

QImage grabbed(QWidget *w)
{
    return w->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

bool isInk(QRgb pixel, QRgb ground)
{
    return std::abs(qRed(pixel) - qRed(ground)) + std::abs(qGreen(pixel) - qGreen(ground))
               + std::abs(qBlue(pixel) - qBlue(ground)) > 96;
}

// The smallest rectangle holding every ink pixel of `area`.
QRect inkBox(const QImage &image, QRect area, QRgb ground)
{
    QRect box;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (isInk(image.pixel(x, y), ground))
                box |= QRect(x, y, 1, 1);
    return box;
}

// Where the ink of `text` lies, whole, when its line starts 2 pixels in from
// a field's left and top edges: drawn freely in the field's font and colours.
QRect classicInk(const QLineEdit *field, const QString &text, QRgb ground)
{
    const QFontMetrics metrics(field->font());
    QImage image(metrics.horizontalAdvance(text) + 20, metrics.height() + 20, QImage::Format_RGB32);
    image.fill(ground);
    QPainter p(&image);
    p.setFont(field->font());
    p.setPen(field->palette().color(field->isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::Text));
    p.drawText(10, 10 + metrics.ascent(), text);
    p.end();
    return inkBox(image, image.rect(), ground).translated(2 - 10, 2 - 10);
}

// The field's ground: a pixel inside its frame, below its line of text.
QRgb groundOf(const QImage &field)
{
    return field.pixel(field.width() / 2, field.height() - 3);
}

// The ink of a field's text. The frame and the pixel inside it are left
// out: a glyph that reaches them shows here cut short.
QRect textInk(const QImage &field)
{
    return inkBox(field, field.rect().adjusted(2, 2, -2, -2), groundOf(field));
}

double luminance(QRgb pixel)
{
    auto channel = [](int value) {
        const double c = value / 255.0;
        return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(qRed(pixel)) + 0.7152 * channel(qGreen(pixel)) + 0.0722 * channel(qBlue(pixel));
}

// Neither a selection nor a caret in any field.
void focusAButton(QPushButton *b)
{
    b->setFocus(Qt::MouseFocusReason);
    QApplication::processEvents();
}

TEST_F(LookTest, GroupsDrawNothingInsideTheirLabelsAndFields)
{
    for (const char *name : {"GroupBox1", "GroupBox2", "GroupBox3", "GroupBox4"}) {
        SCOPED_TRACE(name);
        auto *group = form1->findChild<QGroupBox *>(QLatin1String(name));
        ASSERT_NE(group, nullptr);
        // The group's own frame and caption, without its background and its
        // children.
        QImage own(group->size(), QImage::Format_ARGB32);
        own.fill(Qt::transparent);
        group->render(&own, QPoint(), QRegion(), QWidget::RenderFlags());
        int drawn = 0;
        for (QWidget *child : group->findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
            const QRect r = child->geometry() & own.rect();
            for (int y = r.top(); y <= r.bottom(); ++y)
                for (int x = r.left(); x <= r.right(); ++x)
                    if (qAlpha(own.pixel(x, y)) != 0) {
                        ADD_FAILURE() << "pixel " << x << "," << y << " inside " << child->objectName().toStdString();
                        y = r.bottom();
                        break;
                    }
        }
        for (int y = 0; y < own.height(); ++y)
            for (int x = 0; x < own.width(); ++x)
                drawn += qAlpha(own.pixel(x, y)) != 0;
        EXPECT_GT(drawn, group->width()) << "the frame is drawn";
    }
}

TEST_F(LookTest, EveryFieldShowsItsDefaultWholeTwoPixelsIn)
{
    focusAButton(button("BitBtn1"));
    for (int n = 1; n <= 35; ++n) {
        SCOPED_TRACE("Edit" + std::to_string(n));
        const QImage image = grabbed(edit(n));
        EXPECT_EQ(textInk(image), classicInk(edit(n), edit(n)->text(), groundOf(image)))
            << "scrolled, cut off, or not 2 pixels in from the left and top";
    }
}

TEST_F(LookTest, ACommaTypedIntoAFieldShowsAboveTheNextField)
{
    // Each field's next row is 16 pixels down and overlaps it.
    for (int n : {1, 3, 5, 6, 21, 26}) {
        SCOPED_TRACE("Edit" + std::to_string(n));
        focus(n);
        QTest::keyClicks(edit(n), QStringLiteral("0,25"));
        focusAButton(button("BitBtn1"));
        const QImage image = grabbed(edit(n));
        const QRect ink = textInk(image);
        EXPECT_EQ(ink, classicInk(edit(n), QStringLiteral("0,25"), groundOf(image)));
        QLineEdit *next = edit(n < 5 ? n + 1 : n + 2);
        EXPECT_LT(edit(n)->y() + ink.bottom(), next->y()) << "under " << next->objectName().toStdString();
    }
}

TEST_F(LookTest, ViscosityValuesAreGreyedButLegible)
{
    const QRgb editableGround = groundOf(grabbed(edit(1)));
    for (int n = 30; n <= 34; ++n) {
        SCOPED_TRACE("Edit" + std::to_string(n));
        const QImage image = grabbed(edit(n));
        const QRgb ground = groundOf(image);
        EXPECT_NE(ground, editableGround) << "looks editable";
        double darkest = 1.0;
        for (int y = 2; y < image.height() - 2; ++y)
            for (int x = 2; x < image.width() - 2; ++x)
                darkest = std::min(darkest, luminance(image.pixel(x, y)));
        EXPECT_GE((luminance(ground) + 0.05) / (darkest + 0.05), 4.5);
    }
}

TEST_F(LookTest, AButtonFocusedByAClickLooksFocused)
{
    for (const char *name : {"BitBtn1", "BitBtn2"}) {
        SCOPED_TRACE(name);
        focus(1);
        const QImage unfocused = grabbed(button(name));
        button(name)->setFocus(Qt::MouseFocusReason);
        ASSERT_TRUE(button(name)->hasFocus());
        EXPECT_NE(grabbed(button(name)), unfocused);
    }
}

// The last ink column of `label` left of `before`, and its first one.
std::pair<int, int> inkColumns(const QImage &window, const QLabel *label, int before, QRgb ground)
{
    const QRect area = QRect(label->mapTo(label->window(), QPoint()), label->size());
    const QRect ink = inkBox(window, area.intersected(QRect(0, 0, before, window.height())), ground);
    return {ink.left(), ink.right()};
}

TEST_F(LookTest, FormulaLabelsStandApartFromWhatFollows)
{
    const QImage window = grabbed(form1);
    auto *group = form1->findChild<QGroupBox *>(QStringLiteral("GroupBox3"));
    const QRgb ground = window.pixel(group->mapTo(form1, QPoint(4, 40)));
    auto label = [&](const char *name) { return form1->findChild<QLabel *>(QLatin1String(name)); };

    // A caption that ends in a blank keeps that blank before its field.
    const std::pair<const char *, int> beforeFields[] = {{"Label20", 30}, {"Label21", 31}, {"Label30", 33}, {"Label31", 34}};
    for (const auto &[name, field] : beforeFields) {
        SCOPED_TRACE(name);
        const int fieldLeft = edit(field)->mapTo(form1, QPoint()).x();
        const int lastInk = inkColumns(window, label(name), fieldLeft, ground).second;
        EXPECT_GE(fieldLeft - lastInk - 1, label(name)->fontMetrics().horizontalAdvance(u' '));
    }

    // a_T is a word of its own: at least as far from "Factor" as "Factor"
    // is from "Shift".
    const auto [shiftLeft, factorRight] = inkColumns(window, label("Label27"), window.width(), ground);
    int wordGap = 0;
    int run = 0;
    const QRect shiftFactor(label("Label27")->mapTo(form1, QPoint()), label("Label27")->size());
    for (int x = shiftLeft; x <= factorRight; ++x) {
        const bool clear = inkBox(window, QRect(x, shiftFactor.top(), 1, shiftFactor.height()), ground).isNull();
        run = clear ? run + 1 : 0;
        wordGap = std::max(wordGap, run);
    }
    const int aLeft = inkColumns(window, label("Label28"), window.width(), ground).first;
    EXPECT_GE(aLeft - factorRight - 1, wordGap);
}

} // namespace
} // namespace sf::ui::test
