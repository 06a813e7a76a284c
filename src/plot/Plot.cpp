#include "Plot.h"

#include <QApplication>
#include <QBuffer>
#include <QChart>
#include <QChartView>
#include <QFileInfo>
#include <QImage>
#include <QLegend>
#include <QLineSeries>
#include <QLogValueAxis>
#include <QPainter>
#include <QSaveFile>
#include <QSvgGenerator>
#include <QValueAxis>

#include <cmath>
#include <cstdio>
#include <memory>

namespace sf {

namespace {

constexpr int Width = 960;
constexpr int Height = 600;

QString qs(const std::string &text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// Qt's notes about the platform (no runtime directory, and so on) are not
// the user's business here; real failures show in the result.
void quiet(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (type == QtCriticalMsg || type == QtFatalMsg)
        std::fprintf(stderr, "screenfilter-cli: %s\n", qPrintable(message));
}

// Charts live in a graphics scene, which needs an application object. The
// offscreen platform draws without a display.
std::unique_ptr<QApplication> application()
{
    if (QApplication::instance())
        return nullptr;
    qInstallMessageHandler(quiet);
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "screenfilter-cli";
    static char *argv[] = {name, nullptr};
    return std::make_unique<QApplication>(argc, argv);
}

} // namespace

std::string drawPlot(const PlotSpec &spec, const std::string &path)
{
    const QString file = qs(path);
    const QString suffix = QFileInfo(file).suffix().toLower();
    if (suffix != QLatin1String("svg") && suffix != QLatin1String("png"))
        return path + ": a plot is an .svg or a .png file";

    const auto app = application();
    auto *chart = new QChart;
    chart->setTitle(qs(spec.title));
    QFont titleFont = chart->titleFont();
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.4);
    chart->setTitleFont(titleFont);
    chart->legend()->setAlignment(Qt::AlignBottom);
    chart->setAnimationOptions(QChart::NoAnimation);

    auto *x = new QValueAxis;
    x->setTitleText(qs(spec.xTitle));
    x->setLabelFormat(QStringLiteral("%g"));
    chart->addAxis(x, Qt::AlignBottom);
    QAbstractAxis *y = nullptr;
    if (spec.logY) {
        auto *axis = new QLogValueAxis;
        axis->setLabelFormat(QStringLiteral("%g"));
        axis->setMinorTickCount(8);
        y = axis;
    } else {
        auto *axis = new QValueAxis;
        axis->setLabelFormat(QStringLiteral("%g"));
        y = axis;
    }
    y->setTitleText(qs(spec.yTitle));
    chart->addAxis(y, Qt::AlignLeft);

    double xMin = INFINITY, xMax = -INFINITY, yMin = INFINITY, yMax = -INFINITY;
    for (const PlotLine &line : spec.lines) {
        auto *series = new QLineSeries;
        series->setName(qs(line.label));
        series->setPointsVisible(line.points.size() <= 40);
        for (const auto &[px, py] : line.points) {
            // A logarithmic axis has no place for zero or less.
            if (spec.logY && !(py > 0))
                continue;
            series->append(px, py);
            xMin = std::min(xMin, px);
            xMax = std::max(xMax, px);
            yMin = std::min(yMin, py);
            yMax = std::max(yMax, py);
        }
        chart->addSeries(series);
        // The theme gives each line its colour when it is added.
        QPen pen = series->pen();
        pen.setWidthF(2.5);
        series->setPen(pen);
        series->attachAxis(x);
        series->attachAxis(y);
    }
    if (xMin <= xMax) {
        if (xMin == xMax) {
            xMin -= 0.5;
            xMax += 0.5;
        }
        x->setRange(xMin, xMax);
        if (!spec.logY) {
            auto *axis = static_cast<QValueAxis *>(y);
            axis->setRange(std::min(0.0, yMin), yMax > 0 ? yMax : 1.0);
            axis->applyNiceNumbers();
        } else {
            // Whole decades, so that the axis has labels at both ends.
            y->setRange(std::pow(10.0, std::floor(std::log10(yMin))), std::pow(10.0, std::ceil(std::log10(yMax))));
        }
        x->applyNiceNumbers();
    }

    QChartView view(chart);
    view.setRenderHint(QPainter::Antialiasing);
    view.resize(Width, Height);
    // Lay the chart out at its size before it is drawn.
    view.show();
    QApplication::processEvents();

    QByteArray bytes;
    if (suffix == QLatin1String("png")) {
        QImage image(Width, Height, QImage::Format_ARGB32);
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
        svg.setSize(QSize(Width, Height));
        svg.setViewBox(QRect(0, 0, Width, Height));
        svg.setTitle(qs(spec.title));
        QPainter painter(&svg);
        view.render(&painter);
    }

    // Whole or not at all: an earlier picture of that name stays until the
    // new one is completely written.
    QSaveFile out(file);
    out.setDirectWriteFallback(true);
    if (bytes.isEmpty() || !out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size() || !out.commit())
        return path + ": " + (out.errorString().isEmpty() ? std::string("the picture could not be made")
                                                           : out.errorString().toStdString());
    return {};
}

} // namespace sf
