// Writes the OK button's tick, drawn by drawOkGlyph(), as a header of
// premultiplied ARGB pixels for okGlyph(); run by the build.
#include "Artwork.h"

#include "io/WholeFile.h"

#include <cstdio>
#include <cstring>
#include <string>

int main(int argc, char *argv[])
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s HEADER\n", argv[0]);
        return 2;
    }
    const QImage glyph = sf::drawOkGlyph().convertToFormat(QImage::Format_ARGB32_Premultiplied);
    std::string text = "// Written by screenfilter_glyphgen from sf::drawOkGlyph(); not to be edited.\n"
                       "#pragma once\n\n#include <cstdint>\n\nnamespace sf {\n\n"
                       "inline constexpr int OkGlyphWidth = " + std::to_string(glyph.width()) + ";\n"
                       "inline constexpr int OkGlyphHeight = " + std::to_string(glyph.height()) + ";\n"
                       "// Row by row, top first; each pixel 0xAARRGGBB, premultiplied.\n"
                       "inline constexpr std::uint32_t OkGlyphPixels[] = {\n";
    for (int y = 0; y < glyph.height(); ++y) {
        const auto *row = reinterpret_cast<const QRgb *>(glyph.constScanLine(y));
        text += "   ";
        for (int x = 0; x < glyph.width(); ++x) {
            char pixel[16];
            std::snprintf(pixel, sizeof pixel, " 0x%08x,", static_cast<unsigned>(row[x]));
            text += pixel;
        }
        text += '\n';
    }
    text += "};\n\n} // namespace sf\n";
    // Whole or not at all: a failed run leaves no header that a later build
    // would take as up to date.
    if (const int err = sf::replaceWholeFile(argv[1], text)) {
        std::fprintf(stderr, "%s: %s\n", argv[1], std::strerror(err));
        return 1;
    }
    return 0;
}
