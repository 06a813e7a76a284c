// The OK buttons' tick comes as pixels drawn at build time: they must be
// the tick the drawing code makes, on the button the window shows.
#include "UiTestSupport.h"

#include "Artwork.h"

namespace sf::test {
namespace {

TEST_F(MainWindowTest, OkButtonShowsTheDrawnTick)
{
    const QImage drawnTick = drawOkGlyph().convertToFormat(QImage::Format_ARGB32_Premultiplied);
    EXPECT_EQ(okGlyph(), drawnTick);
    const auto *ok = form1->findChild<QPushButton *>(QStringLiteral("BitBtn1"));
    ASSERT_NE(ok, nullptr);
    EXPECT_EQ(ok->icon().pixmap(QSize(18, 18)).toImage().convertToFormat(drawnTick.format()), drawnTick);
    // A 3-pixel green stroke through (3, 9.5), (7, 13.5) and (15, 4); the
    // corners and the ground below its right arm stay clear.
    const struct { int x, y; QRgb pixel; } points[] = {
        {3, 9, 0xff008000}, {7, 13, 0xff008000}, {15, 4, 0xff008000}, {11, 9, 0xff008000},
        {0, 0, 0}, {17, 0, 0}, {0, 17, 0}, {17, 17, 0}, {14, 12, 0},
    };
    for (const auto &p : points)
        EXPECT_EQ(okGlyph().pixel(p.x, p.y), p.pixel) << p.x << "," << p.y;
}

// The picture's flow arrow: a 9-pixel shaft from (8, 138) to 18 pixels short
// of its tip at (190, 8), and a head 2 x 10.8 pixels wide at its base. Points
// worked out by hand: on the shaft, inside the head and on one wing; and
// clear of it just beyond that wing, beside the narrow tip and off the shaft.
TEST(Artwork, PictureArrowShaftAndHead)
{
    const QImage picture = drawPicture();
    const struct { int x, y; QRgb pixel; } points[] = {
        {26, 125, 0xffff8800}, {180, 15, 0xffff8800}, {172, 11, 0xffff8800},
        {168, 7, 0xffd6f0d0}, {186, 6, 0xffd6f0d0}, {30, 100, 0xffd6f0d0},
    };
    for (const auto &p : points)
        EXPECT_EQ(picture.pixel(p.x, p.y), p.pixel) << p.x << "," << p.y;
}

} // namespace
} // namespace sf::test
