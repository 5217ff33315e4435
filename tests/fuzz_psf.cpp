// libFuzzer target: whatever the bytes, the PSF reader gives a reason or a
// font whose glyphs and table lie within them; it never crashes.
#include <cstdlib>

#include "font_import/psf.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    psf_font font;
    // Limits far above any console font, so that most fonts get through.
    if (!parse_psf(data, size, {64, 64}, font).empty())
        return 0;
    const std::size_t glyph_bytes = font.bytes_per_row * font.height;
    if (font.glyph_count == 0 || font.bitmaps.size() != font.glyph_count * glyph_bytes ||
        font.bitmaps.size() > size)
        std::abort();
    for (const auto &entry : font.unicode)
        if (entry.second >= font.glyph_count)
            std::abort();
    font.ink(font.glyph_count - 1, font.height - 1, font.width - 1);  // the last pixel is there
    return 0;
}
