#include "Artwork.h"

#include "OkGlyphPixels.h" // written by the build from drawOkGlyph()

#include <iterator>

namespace sf {

QImage okGlyph()
{
    static_assert(std::size(OkGlyphPixels) == std::size_t{OkGlyphWidth} * OkGlyphHeight);
    // Read-only over the table: nothing is copied until a pixmap is made.
    return QImage(reinterpret_cast<const uchar *>(OkGlyphPixels), OkGlyphWidth, OkGlyphHeight,
                  QImage::Format_ARGB32_Premultiplied);
}

} // namespace sf
