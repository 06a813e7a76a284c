#pragma once

#include "DirectoryEntries.h"
#include "VolumeList.h"

#include <QPoint>
#include <QSize>

class QPainter;

namespace sf {

enum class GlyphKind {
    ClosedFolder,
    OpenFolder,
    CurrentFolder,
    Removable,
    HardDisk,
    Network,
    CdRom,
    Ram,
};

GlyphKind glyphFor(FolderKind kind);
GlyphKind glyphFor(VolumeKind kind);

// Folders are 16 x 15 pixels, volumes 16 x 11; both 16 wide so that text
// after them lines up.
QSize glyphSize(GlyphKind kind);

// Draws the glyph pixel-exact with its top-left corner at topLeft; what
// the glyph does not cover is left as it was (transparent).
void drawGlyph(QPainter &painter, GlyphKind kind, QPoint topLeft);

} // namespace sf
