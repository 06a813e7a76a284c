// Writes the application icon, drawn by the program's own code, as
// <dir>/<size>/screenfilter.png for each size given; run by the build.
#include "Artwork.h"

#include <QDir>
#include <QGuiApplication>

#include <cstdio>

int main(int argc, char *argv[])
{
    QGuiApplication app(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s DIR SIZE...\n", argv[0]);
        return 2;
    }
    for (int i = 2; i < argc; ++i) {
        const int size = QString::fromLocal8Bit(argv[i]).toInt();
        const QString dir = QStringLiteral("%1/%2").arg(QString::fromLocal8Bit(argv[1])).arg(size);
        if (size <= 0 || !QDir().mkpath(dir) || !sf::drawAppIcon(size).save(dir + QStringLiteral("/screenfilter.png"))) {
            std::fprintf(stderr, "%s: cannot write the %s-pixel icon into %s\n", argv[0], argv[i], argv[1]);
            return 1;
        }
    }
    return 0;
}
