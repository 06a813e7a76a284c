#pragma once

#include <QImage>

// Every image of the program is drawn here rather than loaded from files:
// the picture of the main window, the button glyphs and the icon.
namespace sf {

constexpr int PictureWidth = 198;
constexpr int PictureHeight = 148;

// A circular woven screen in a grey ring on a pale green ground, with the
// melt's flow as an orange arrow from the lower left to the upper right.
QImage drawPicture();

// The application icon at size × size pixels (designed at 32 × 32).
QImage drawAppIcon(int size);

// Button glyphs, 18 × 18 on a transparent ground.
QImage drawOkGlyph();    // green tick
QImage drawCloseGlyph(); // open door

// The tick as the OK buttons show it: drawOkGlyph()'s pixels, drawn by the
// build. Its round caps and joins need atan2 and sincos, whose code and
// tables would bring some 270 KiB of the maths library into memory before
// the main window's first frame.
QImage okGlyph();

} // namespace sf
