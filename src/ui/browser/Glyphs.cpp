#include "Glyphs.h"

#include <QPainter>
#include <QPolygon>

namespace sf {

namespace {

const QColor Outline(0x40, 0x40, 0x40);
const QColor FolderBack(0xd8, 0xa8, 0x30);
const QColor FolderFront(0xf8, 0xd8, 0x68);
const QColor DriveBody(0xc0, 0xc0, 0xc0);
const QColor DriveShade(0x80, 0x80, 0x80);

// Rectangles here are given by their filled pixels: x, y, width, height.
void box(QPainter &p, int x, int y, int w, int h, const QColor &fill)
{
    p.fillRect(x, y, w, h, Outline);
    p.fillRect(x + 1, y + 1, w - 2, h - 2, fill);
}

void closedFolder(QPainter &p)
{
    box(p, 1, 1, 6, 3, FolderBack); // tab
    box(p, 0, 3, 15, 11, FolderFront);
    p.fillRect(1, 4, 13, 1, Qt::white); // the lit upper edge
}

void openFolder(QPainter &p, bool current)
{
    box(p, 1, 1, 6, 3, FolderBack);
    box(p, 0, 3, 13, 11, FolderBack);
    if (current) {
        // A sheet of paper shows in the folder the report goes into.
        box(p, 3, 0, 9, 9, Qt::white);
        p.fillRect(5, 3, 5, 1, DriveShade);
        p.fillRect(5, 5, 5, 1, DriveShade);
    }
    // The front flap, opened towards the viewer.
    const QPolygon flap({QPoint(3, 7), QPoint(15, 7), QPoint(12, 13), QPoint(0, 13)});
    p.setPen(Outline);
    p.setBrush(FolderFront);
    p.drawPolygon(flap);
}

// The front of a drive: a grey box with a shaded bottom edge.
void driveFront(QPainter &p)
{
    box(p, 0, 2, 16, 8, DriveBody);
    p.fillRect(1, 8, 14, 1, DriveShade);
}

void removable(QPainter &p)
{
    // A memory stick: body and connector.
    box(p, 0, 2, 11, 7, QColor(0x30, 0x60, 0xb0));
    box(p, 10, 3, 6, 5, DriveBody);
    p.fillRect(12, 4, 2, 1, Outline);
    p.fillRect(12, 6, 2, 1, Outline);
}

void hardDisk(QPainter &p)
{
    driveFront(p);
    p.fillRect(11, 5, 3, 2, QColor(0x00, 0xc0, 0x00)); // the access lamp
}

void network(QPainter &p)
{
    box(p, 0, 0, 16, 7, DriveBody);
    p.fillRect(11, 3, 3, 2, QColor(0x00, 0xc0, 0x00));
    // The cable to the server.
    p.fillRect(7, 7, 2, 3, Outline);
    p.fillRect(1, 9, 14, 2, QColor(0x20, 0x40, 0xc0));
}

void cdRom(QPainter &p)
{
    driveFront(p);
    p.fillRect(2, 4, 8, 1, Outline); // the tray
    p.setPen(Outline);
    p.setBrush(QColor(0xe8, 0xe8, 0xf8));
    p.drawEllipse(8, 0, 7, 7);
    p.fillRect(11, 3, 2, 2, Outline);
}

void ram(QPainter &p)
{
    // A memory module: the board with its chips and contacts.
    box(p, 0, 1, 16, 8, QColor(0x20, 0x90, 0x40));
    for (int x = 2; x < 14; x += 4)
        p.fillRect(x, 3, 3, 3, Outline);
    for (int x = 1; x < 15; x += 2)
        p.fillRect(x, 9, 1, 2, QColor(0xd0, 0xa0, 0x20));
}

} // namespace

GlyphKind glyphFor(FolderKind kind)
{
    switch (kind) {
    case FolderKind::Open:
        return GlyphKind::OpenFolder;
    case FolderKind::Current:
        return GlyphKind::CurrentFolder;
    case FolderKind::Closed:
        break;
    }
    return GlyphKind::ClosedFolder;
}

GlyphKind glyphFor(VolumeKind kind)
{
    switch (kind) {
    case VolumeKind::Removable:
        return GlyphKind::Removable;
    case VolumeKind::Network:
        return GlyphKind::Network;
    case VolumeKind::CdRom:
        return GlyphKind::CdRom;
    case VolumeKind::Ram:
        return GlyphKind::Ram;
    case VolumeKind::Fixed:
        break;
    }
    return GlyphKind::HardDisk;
}

QSize glyphSize(GlyphKind kind)
{
    switch (kind) {
    case GlyphKind::ClosedFolder:
    case GlyphKind::OpenFolder:
    case GlyphKind::CurrentFolder:
        return {16, 15};
    default:
        return {16, 11};
    }
}

void drawGlyph(QPainter &painter, GlyphKind kind, QPoint topLeft)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.translate(topLeft);
    painter.setClipRect(QRect(QPoint(0, 0), glyphSize(kind)), Qt::IntersectClip);
    switch (kind) {
    case GlyphKind::ClosedFolder:
        closedFolder(painter);
        break;
    case GlyphKind::OpenFolder:
        openFolder(painter, false);
        break;
    case GlyphKind::CurrentFolder:
        openFolder(painter, true);
        break;
    case GlyphKind::Removable:
        removable(painter);
        break;
    case GlyphKind::HardDisk:
        hardDisk(painter);
        break;
    case GlyphKind::Network:
        network(painter);
        break;
    case GlyphKind::CdRom:
        cdRom(painter);
        break;
    case GlyphKind::Ram:
        ram(painter);
        break;
    }
    painter.restore();
}

} // namespace sf
