#include "StartupBenchProbe.h"

#include <QApplication>
#include <QEvent>
#include <QTimer>
#include <QWidget>

#include <cstdio>
#include <ctime>
#include <unistd.h>

namespace sf::bench {

namespace {

// Watches the whole application: a window covered by opaque children gets
// no paint event of its own, only its children do.
class FirstPaint : public QObject {
public:
    explicit FirstPaint(QWidget &window) : QObject(&window), m_window(window) {}

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        auto *widget = qobject_cast<QWidget *>(watched);
        if (event->type() == QEvent::Paint && !m_seen && widget && widget->window() == &m_window) {
            m_seen = true;
            // Queued, so the whole frame has been painted and flushed first.
            QTimer::singleShot(0, this, [] {
                timespec now{};
                clock_gettime(CLOCK_MONOTONIC, &now);
                std::printf("shown %lld\n", static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec);
                std::fflush(stdout);
                _exit(0);
            });
        }
        return QObject::eventFilter(watched, event);
    }

private:
    QWidget &m_window;
    bool m_seen = false;
};

} // namespace

void exitWhenShown(QWidget &window)
{
    qApp->installEventFilter(new FirstPaint(window));
}

} // namespace sf::bench
