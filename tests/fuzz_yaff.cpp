// libFuzzer target: whatever the bytes, the yaff reader gives a line and a
// reason, or glyphs whose pixels lie within what it read; it never crashes.
#include <cstdlib>

#include "font_import/yaff.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    yaff_font font;
    if (const auto error = parse_yaff(data, size, font)) {
        if (error->reason.empty())
            std::abort();
        return 0;
    }
    std::size_t pixels = 0;
    for (const yaff_glyph &glyph : font.glyphs) {
        if (glyph.width < 0 || glyph.height < 0 || glyph.first_pixel != pixels || glyph.line == 0)
            std::abort();
        pixels += static_cast<std::size_t>(glyph.width) * static_cast<std::size_t>(glyph.height);
        if (glyph.width > 0 && glyph.height > 0)
            font.ink(glyph, glyph.height - 1, glyph.width - 1);  // the last pixel is there
    }
    if (pixels != font.pixels.size() || pixels > size)
        std::abort();
    return 0;
}
