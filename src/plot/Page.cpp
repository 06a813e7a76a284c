#include "plot/Page.h"

#include "plot/PagePainter.h"
#include "plot/PlotChart.h"

#include <QApplication>
#include <QBuffer>
#include <QChartView>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QPicture>

#include <algorithm>

namespace sf {

namespace {

// The page is laid out in points: one device unit each.
constexpr int PointsPerInch = 72;
constexpr qreal Margin = 40; // about 14 mm, inside every printer's unprintable edge
constexpr qreal Gap = 14;    // between blocks
// The chart is laid out this wide and scaled to the page, so that its
// labels come out at about 8 pt.
constexpr qreal ChartLayoutWidth = 800;
constexpr qreal MinChartHeight = 140;
constexpr qreal MinChartLayoutHeight = 440;

QString qs(const std::string &text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// `scale`: device units per point, by which the painter is scaled already.
QFont pageFont(qreal points, qreal scale, bool bold = false)
{
    QFont font = QApplication::font();
    font.setPointSizeF(points / scale);
    font.setBold(bold);
    // No ligatures: "fi" stays two letters for whoever copies the text or
    // searches the page.
    font.setStyleStrategy(QFont::PreferNoShaping);
    return font;
}

class PageWriter {
public:
    // `area` in points, on a painter scaled by `scale` from its device.
    PageWriter(QPainter &painter, const QRectF &area, qreal scale)
        : m_painter(painter), m_area(area), m_y(area.top()), m_scale(scale)
    {
    }

    void title(const PageSpec &spec)
    {
        line(qs(spec.title), font(15, true), Qt::black);
        for (const std::string &s : spec.subtitle)
            line(qs(s), font(8.5), QColor(0x40, 0x40, 0x40));
        m_y += Gap;
    }

    // In two columns, each list under the shorter one.
    void lists(const std::vector<PageList> &lists)
    {
        if (lists.empty())
            return;
        constexpr int Columns = 2;
        const qreal width = (m_area.width() - Gap * (Columns - 1)) / Columns;
        const QFont heading = font(9.5, true), body = font(8.5);
        const QFontMetricsF hm(heading, m_painter.device()), bm(body, m_painter.device());
        qreal bottoms[Columns] = {m_y, m_y};
        for (const PageList &list : lists) {
            const int column = bottoms[1] < bottoms[0] ? 1 : 0;
            const qreal left = m_area.left() + column * (width + Gap);
            qreal y = bottoms[column];
            m_painter.setFont(heading);
            m_painter.drawText(QPointF(left, y + hm.ascent()), qs(list.title));
            y += hm.height() + 3;
            qreal labels = 0;
            for (const auto &[label, value] : list.lines)
                labels = std::max(labels, bm.horizontalAdvance(qs(label)));
            labels = std::min(labels, width * 0.6);
            m_painter.setFont(body);
            for (const auto &[label, value] : list.lines) {
                m_painter.setPen(QColor(0x40, 0x40, 0x40));
                m_painter.drawText(QRectF(left, y, labels, 1000), Qt::TextWordWrap, qs(label));
                m_painter.setPen(Qt::black);
                const QRectF room(left + labels + 8, y, width - labels - 8, 1000);
                const qreal used = std::max(m_painter.boundingRect(room, Qt::TextWordWrap, qs(value)).height(),
                                            m_painter.boundingRect(QRectF(left, y, labels, 1000), Qt::TextWordWrap,
                                                                   qs(label)).height());
                m_painter.drawText(room, Qt::TextWordWrap, qs(value));
                y += std::max(bm.height(), used) + 1;
            }
            bottoms[column] = y + Gap / 2;
        }
        m_y = std::max(bottoms[0], bottoms[1]) + Gap / 2;
    }

    void table(const PageSpec &spec)
    {
        if (spec.headings.empty())
            return;
        heading(spec.tableTitle);
        const std::size_t columns = spec.headings.size();
        // The natural widths at 8 pt, smaller type where they do not fit.
        qreal size = 8;
        std::vector<qreal> widths;
        for (; size >= 5; size -= 0.5) {
            widths = columnWidths(spec, size);
            qreal total = 0;
            for (qreal w : widths)
                total += w;
            if (total <= m_area.width())
                break;
        }
        qreal total = 0;
        for (qreal w : widths)
            total += w;
        const qreal extra = std::max<qreal>(0, m_area.width() - total) / static_cast<qreal>(columns);
        for (qreal &w : widths)
            w += extra;

        const QFont head = font(size, true), body = font(size), bold = font(size, true);
        const QFontMetricsF hm(head, m_painter.device()), bm(body, m_painter.device());
        qreal headLines = 1;
        for (const std::string &h : spec.headings)
            headLines = std::max<qreal>(headLines, static_cast<qreal>(qs(h).count(u'\n') + 1));
        const qreal headHeight = hm.lineSpacing() * headLines + 4;
        const qreal rowHeight = bm.height() + 3;

        m_painter.setFont(head);
        m_painter.fillRect(QRectF(m_area.left(), m_y, m_area.width(), headHeight), QColor(0xEE, 0xEE, 0xEE));
        qreal x = m_area.left();
        for (std::size_t c = 0; c < columns; ++c) {
            m_painter.drawText(QRectF(x, m_y + 2, widths[c] - 4, headHeight - 4), Qt::AlignRight | Qt::AlignBottom,
                               qs(spec.headings[c]));
            x += widths[c];
        }
        m_y += headHeight;
        for (std::size_t r = 0; r < spec.rows.size(); ++r) {
            const bool last = r + 1 == spec.rows.size();
            if (last) {
                m_painter.setPen(QPen(Qt::black, 0.6));
                m_painter.drawLine(QPointF(m_area.left(), m_y), QPointF(m_area.right(), m_y));
            }
            m_painter.setFont(last ? bold : body);
            x = m_area.left();
            for (std::size_t c = 0; c < columns && c < spec.rows[r].size(); ++c) {
                m_painter.drawText(QRectF(x, m_y, widths[c] - 4, rowHeight), Qt::AlignRight | Qt::AlignVCenter,
                                   qs(spec.rows[r][c]));
                x += widths[c];
            }
            m_y += rowHeight;
        }
        m_y += Gap;
    }

    void notes(const PageSpec &spec)
    {
        if (spec.notesTitle.empty())
            return;
        heading(spec.notesTitle);
        const QFont body = font(8.5);
        m_painter.setFont(body);
        m_painter.setPen(Qt::black);
        for (const std::string &note : spec.notes) {
            const QRectF room(m_area.left(), m_y, m_area.width(), m_area.bottom() - m_y);
            const QRectF used = m_painter.boundingRect(room, Qt::TextWordWrap, qs(note));
            m_painter.drawText(room, Qt::TextWordWrap, qs(note));
            m_y += used.height() + 2;
        }
        m_y += Gap;
    }

    // The chart in the space left, no taller than wide.
    void chart(const PlotSpec &plot)
    {
        const qreal height = std::min(m_area.bottom() - m_y, m_area.width() * 0.62);
        if (height < MinChartHeight)
            return;
        QChartView view(makePlotChart(plot));
        view.setRenderHint(QPainter::Antialiasing);
        view.setFrameShape(QFrame::NoFrame);
        // A low chart is laid out wider, and drawn smaller, so that its
        // axis titles keep room.
        const qreal layoutWidth = std::max(ChartLayoutWidth, MinChartLayoutHeight * m_area.width() / height);
        const QSize layout(static_cast<int>(layoutWidth), static_cast<int>(layoutWidth * height / m_area.width()));
        view.resize(layout);
        // Laid out at its size without a window appearing on a display.
        view.setAttribute(Qt::WA_DontShowOnScreen);
        view.setUpdatesEnabled(false);
        view.show();
        QApplication::processEvents();
        view.setUpdatesEnabled(true);
        // Recorded first at the resolution it was laid out at, then played
        // back scaled: its text keeps the size it was laid out with on a
        // device of any resolution, and every stroke stays a vector.
        QPicture picture;
        {
            QPainter recorder(&picture);
            recorder.setRenderHint(QPainter::Antialiasing);
            view.render(&recorder, QRectF(QPointF(0, 0), layout), QRect(QPoint(0, 0), layout));
        }
        m_painter.save();
        m_painter.translate(m_area.left(), m_y);
        m_painter.scale(m_area.width() / layout.width(), height / layout.height());
        // Playing back scales by the device's resolution over the
        // picture's, which the page's own scale has seen to already.
        const QPaintDevice &device = *m_painter.device();
        m_painter.scale(qreal(picture.logicalDpiX()) / device.logicalDpiX(),
                        qreal(picture.logicalDpiY()) / device.logicalDpiY());
        m_painter.drawPicture(0, 0, picture);
        m_painter.restore();
        m_y += height;
    }

private:
    QFont font(qreal points, bool bold = false) const { return pageFont(points, m_scale, bold); }

    void line(const QString &text, const QFont &lineFont, const QColor &colour)
    {
        const QFontMetricsF metrics(lineFont, m_painter.device());
        m_painter.setFont(lineFont);
        m_painter.setPen(colour);
        m_painter.drawText(QPointF(m_area.left(), m_y + metrics.ascent()), text);
        m_y += metrics.height() + 1;
        m_painter.setPen(Qt::black);
    }

    void heading(const std::string &text)
    {
        line(qs(text), font(9.5, true), Qt::black);
        m_y += 2;
    }

    std::vector<qreal> columnWidths(const PageSpec &spec, qreal size) const
    {
        const QFontMetricsF hm(font(size, true), m_painter.device()), bm(font(size), m_painter.device()),
            bold(font(size, true), m_painter.device());
        std::vector<qreal> widths(spec.headings.size(), 0);
        for (std::size_t c = 0; c < widths.size(); ++c) {
            for (const QString &part : qs(spec.headings[c]).split(u'\n'))
                widths[c] = std::max(widths[c], hm.horizontalAdvance(part));
            for (std::size_t r = 0; r < spec.rows.size(); ++r)
                if (c < spec.rows[r].size())
                    widths[c] = std::max(widths[c], (r + 1 == spec.rows.size() ? bold : bm)
                                                        .horizontalAdvance(qs(spec.rows[r][c])));
            widths[c] += 8;
        }
        return widths;
    }

    QPainter &m_painter;
    QRectF m_area;
    qreal m_y;
    qreal m_scale;
};

} // namespace

void paintPage(const PageSpec &spec, QPainter &painter, const QRectF &paper)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    // Laid out in points.
    const qreal scale = painter.device()->logicalDpiY() / qreal(PointsPerInch);
    painter.translate(paper.topLeft());
    painter.scale(scale, scale);
    const QRectF page(QPointF(0, 0), paper.size() / scale);
    PageWriter out(painter, page.adjusted(Margin, Margin, -Margin, -Margin), scale);
    out.title(spec);
    out.lists(spec.lists);
    out.table(spec);
    out.notes(spec);
    if (spec.chart)
        out.chart(*spec.chart);
    painter.restore();
}

std::string drawPage(const PageSpec &spec, Paper paper, std::string &pdf)
{
    // The chart lives in a graphics scene, which needs an application object.
    if (!qobject_cast<QApplication *>(QCoreApplication::instance()))
        return "a page is drawn only within a Qt application";

    QByteArray bytes;
    {
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        QPdfWriter writer(&buffer);
        writer.setResolution(PointsPerInch);
        writer.setPageLayout(QPageLayout(QPageSize(paper == Paper::Letter ? QPageSize::Letter : QPageSize::A4),
                                         QPageLayout::Portrait, QMarginsF(0, 0, 0, 0), QPageLayout::Point));
        writer.setTitle(qs(spec.title));
        writer.setCreator(QStringLiteral("screenfilter"));
        QPainter painter(&writer);
        if (!painter.isActive())
            return "the page could not be drawn";
        paintPage(spec, painter, QRectF(writer.pageLayout().fullRectPixels(writer.resolution())));
        painter.end();
    }
    if (bytes.isEmpty())
        return "the page could not be made";
    pdf.assign(bytes.constData(), static_cast<std::size_t>(bytes.size()));
    return {};
}

} // namespace sf
