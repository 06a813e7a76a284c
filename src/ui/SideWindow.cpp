#include "SideWindow.h"

#include <QScreen>
#include <QWidget>

#include <algorithm>

namespace sf {

QRect sideWindowFrame(const QRect &mainFrame, QSize wanted, QSize least, const QRect &available)
{
    const int roomRight = available.x() + available.width() - (mainFrame.x() + mainFrame.width());
    const int roomLeft = mainFrame.x() - available.x();
    const bool right = roomRight >= wanted.width() || (roomLeft < wanted.width() && roomRight >= roomLeft);
    const int room = std::max(right ? roomRight : roomLeft, 0);
    const int width = std::min(std::max(std::min(wanted.width(), room), least.width()), available.width());
    const int height = std::min(std::max(wanted.height(), least.height()), available.height());
    int x = right ? mainFrame.x() + mainFrame.width() : mainFrame.x() - width;
    x = std::clamp(x, available.x(), available.x() + available.width() - width);
    const int y = std::clamp(mainFrame.y(), available.y(), available.y() + available.height() - height);
    return QRect(x, y, width, height);
}

QPoint mainWindowMadeRoom(const QRect &mainFrame, QSize least, const QRect &available)
{
    const int roomRight = available.x() + available.width() - (mainFrame.x() + mainFrame.width());
    const int roomLeft = mainFrame.x() - available.x();
    if (roomRight >= least.width() || roomLeft >= least.width() ||
        mainFrame.width() + least.width() > available.width())
        return mainFrame.topLeft();
    return QPoint(available.x(), mainFrame.y());
}

void placeBeside(QWidget *side, QWidget *main)
{
    QRect mainFrame = main->frameGeometry();
    // The window manager's frame, as it has drawn the main window's.
    const QMargins frame(main->geometry().left() - mainFrame.left(), main->geometry().top() - mainFrame.top(),
                         mainFrame.right() - main->geometry().right(),
                         mainFrame.bottom() - main->geometry().bottom());
    const QSize decoration(frame.left() + frame.right(), frame.top() + frame.bottom());
    const QRect available = main->screen()->availableGeometry();
    const QSize least = side->minimumSizeHint().expandedTo(side->minimumSize()) + decoration;
    // A main window in the middle of a small screen moves to its edge
    // rather than have its fields covered.
    if (const QPoint room = mainWindowMadeRoom(mainFrame, least, available); room != mainFrame.topLeft()) {
        main->move(room);
        mainFrame.moveTopLeft(room);
    }
    const QRect placed = sideWindowFrame(mainFrame, side->size() + decoration, least, available);
    side->resize(placed.size() - decoration);
    side->move(placed.topLeft()); // a window's position is its frame's
}

} // namespace sf
