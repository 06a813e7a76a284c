// The yardstick: a bare Qt Widgets program showing one window of the main
// window's size with 35 line edits, ending once it has been painted.
#include "StartupBenchProbe.h"

#include <QApplication>
#include <QLineEdit>
#include <QWidget>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QWidget window;
    window.resize(685, 491);
    for (int i = 0; i < 35; ++i) {
        auto *edit = new QLineEdit(QString::number(i + 1), &window);
        edit->setGeometry(16 + (i / 12) * 160, 16 + (i % 12) * 26, 120, 21);
    }
    sf::bench::exitWhenShown(window);
    window.show();
    return app.exec();
}
