#include "plot/Plot.h"

#include "plot/PlotChart.h"

#include <QApplication>
#include <QBuffer>
#include <QChartView>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QSvgGenerator>


namespace sf {

namespace {

QString qs(const std::string &text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace

std::string drawPlot(const PlotSpec &spec, const std::string &path, std::string &picture)
{
    const QString file = qs(path);
    const QString suffix = QFileInfo(file).suffix().toLower();
    if (suffix != QLatin1String("svg") && suffix != QLatin1String("png"))
        return path + ": a plot is an .svg or a .png file";

    // Charts live in a graphics scene, which needs an application object.
    if (!qobject_cast<QApplication *>(QCoreApplication::instance()))
        return path + ": a plot is drawn only within a Qt application";
    QChart *chart = makePlotChart(spec);

    QChartView view(chart);
    view.setRenderHint(QPainter::Antialiasing);
    view.resize(PlotWidth, PlotHeight);
    // Lay the chart out at its size before it is drawn, without a window
    // appearing on a display the program shows other windows on.
    view.setAttribute(Qt::WA_DontShowOnScreen);
    view.show();
    QApplication::processEvents();

    QByteArray bytes;
    if (suffix == QLatin1String("png")) {
        QImage image(PlotWidth, PlotHeight, QImage::Format_ARGB32);
        image.fill(Qt::white);
        {
            QPainter painter(&image);
            painter.setRenderHint(QPainter::Antialiasing);
            view.render(&painter);
        }
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        image.save(&buffer, "PNG");
    } else {
        QBuffer buffer(&bytes);
        QSvgGenerator svg;
        svg.setOutputDevice(&buffer);
        svg.setSize(QSize(PlotWidth, PlotHeight));
        svg.setViewBox(QRect(0, 0, PlotWidth, PlotHeight));
        svg.setTitle(qs(spec.title));
        QPainter painter(&svg);
        view.render(&painter);
    }

    if (bytes.isEmpty())
        return path + ": the picture could not be made";
    picture.assign(bytes.constData(), static_cast<std::size_t>(bytes.size()));
    return {};
}

} // namespace sf
