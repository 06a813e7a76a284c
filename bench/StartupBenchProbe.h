#pragma once

class QWidget;

namespace sf::bench {

// Once `window` has painted its first frame after being shown, writes
// "shown <CLOCK_MONOTONIC nanoseconds>" on standard output and ends the
// process at once, so the driver sees the moment and the peak memory up to it.
void exitWhenShown(QWidget &window);

} // namespace sf::bench
