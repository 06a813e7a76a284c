#pragma once

// Where a side window (the study window, the melt dialog) opens: beside the
// main window so that it hides none of its fields.

#include <QRect>
#include <QSize>

class QWidget;

namespace sf {

// The frame of a side window that wants `wanted` (at least `least`) next
// to `mainFrame` on a screen whose free area is `available`: right of the
// main window when there is room, else left of it, else on the side with
// more room, narrowed to it down to `least`; top aligned with the main
// window, and kept within `available` when it fits there at all.
QRect sideWindowFrame(const QRect &mainFrame, QSize wanted, QSize least, const QRect &available);

// Moves and sizes `side` so, beside `main` on the main window's screen.
void placeBeside(QWidget *side, const QWidget *main);

} // namespace sf
