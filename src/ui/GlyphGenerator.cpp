// Writes the OK button's tick, drawn by drawOkGlyph(), as a header of
// premultiplied ARGB pixels for okGlyph(); run by the build.
#include "Artwork.h"

#include <cstdio>
#include <string>

int main(int argc, char *argv[])
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s HEADER\n", argv[0]);
        return 2;
    }
    const QImage glyph = sf::drawOkGlyph().convertToFormat(QImage::Format_ARGB32_Premultiplied);
    // Written beside and renamed, so that a failed run leaves no header
    // that a later build would take as up to date.
    const std::string path = argv[1];
    const std::string partial = path + ".part";
    std::FILE *out = std::fopen(partial.c_str(), "w");
    if (!out) {
        std::perror(partial.c_str());
        return 1;
    }
    std::fprintf(out,
                 "// Written by screenfilter_glyphgen from sf::drawOkGlyph(); not to be edited.\n"
                 "#pragma once\n\n#include <cstdint>\n\nnamespace sf {\n\n"
                 "inline constexpr int OkGlyphWidth = %d;\ninline constexpr int OkGlyphHeight = %d;\n"
                 "// Row by row, top first; each pixel 0xAARRGGBB, premultiplied.\n"
                 "inline constexpr std::uint32_t OkGlyphPixels[] = {\n",
                 glyph.width(), glyph.height());
    for (int y = 0; y < glyph.height(); ++y) {
        const auto *row = reinterpret_cast<const QRgb *>(glyph.constScanLine(y));
        std::fputs("   ", out);
        for (int x = 0; x < glyph.width(); ++x)
            std::fprintf(out, " 0x%08x,", static_cast<unsigned>(row[x]));
        std::fputs("\n", out);
    }
    std::fputs("};\n\n} // namespace sf\n", out);
    const bool written = std::fflush(out) == 0 && !std::ferror(out);
    if (std::fclose(out) != 0 || !written || std::rename(partial.c_str(), path.c_str()) != 0) {
        std::perror(path.c_str());
        std::remove(partial.c_str());
        return 1;
    }
    return 0;
}
