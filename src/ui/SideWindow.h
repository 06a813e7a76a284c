#pragma once

// Where a side window (the study window, the melt dialog) opens: beside the
// main window so that it hides none of its fields.

#include <QPoint>
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

// Where the main window's frame goes first so that a side window of at
// least `least` fits beside it: where it is when one side has the room,
// else against the left edge when the screen is wide enough for both.
QPoint mainWindowMadeRoom(const QRect &mainFrame, QSize least, const QRect &available);

// Moves and sizes `side` so, beside `main` on the main window's screen.
// The main window moves first when mainWindowMadeRoom says so.
void placeBeside(QWidget *side, QWidget *main);

} // namespace sf
