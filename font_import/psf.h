// The Linux console's PSF1 and PSF2 fonts, read from untrusted bytes: every
// count, size and offset is checked against what is left before it is used.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

struct psf_font {
    int version = 0;  // 1 or 2
    std::uint32_t width = 0, height = 0;
    std::size_t glyph_count = 0;
    std::size_t bytes_per_row = 0;  // rows are padded to whole bytes
    std::vector<std::uint8_t> bitmaps;  // glyph after glyph, row after row
    bool has_unicode_table = false;
    // Each single character the table gives a glyph, with that glyph's number.
    std::vector<std::pair<char32_t, std::size_t>> unicode;

    bool ink(std::size_t glyph, std::uint32_t row, std::uint32_t column) const;
};

// Whether the bytes start like a PSF font.
bool is_psf(const std::uint8_t *data, std::size_t size);

// The largest glyphs a caller can use; larger ones are refused as soon as the
// header is read, before any glyph is looked at.
struct psf_limits {
    std::uint32_t width, height;
};

// Returns why the bytes are no valid PSF font, or a font of glyphs too
// large, or an empty text.
std::string parse_psf(const std::uint8_t *data, std::size_t size, const psf_limits &limits,
                      psf_font &font);
