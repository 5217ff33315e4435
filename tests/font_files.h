// Small fonts for the importer's tests, written as BDF and yaff text and PSF
// bytes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

using bytes = std::vector<std::uint8_t>;

// Rows of '#' (ink) and '.', top row first; for a grey BDF font, of hex
// digits.
using glyph_rows = std::vector<std::string>;

struct bdf_glyph {
    char32_t code;
    glyph_rows rows;
    int left = 0;     // columns from the origin to the first column
    int bottom = 0;   // rows from the baseline up to the last row (BDF's y offset)
    int advance = 0;  // 0: the width of the rows
};

struct bdf_font {
    int ascent = 0, descent = 0;
    std::string registry = "ISO10646", encoding = "1";
    std::vector<bdf_glyph> glyphs;
    bool grey = false;  // 4 bits a pixel: each character of a row is its level in hex
};

std::string bdf_text(const bdf_font &font);

// A 5x8 font of a space, A, g, Å (which reaches above the cell) and │: ascent
// 6, descent 2, so its cell stands 2 rows down in the slot.
bdf_font sample_bdf_font();

struct psf_glyph {
    glyph_rows rows;
    std::u32string characters;  // what the Unicode table gives this glyph
};

struct psf_spec {
    int version = 2;
    std::uint32_t width = 8, height = 8;
    bool unicode_table = true;
    std::vector<psf_glyph> glyphs;  // PSF1 is padded to 256 glyphs, or 512 if more
};

bytes psf_bytes(const psf_spec &font);

// An A (also U+0410) on 5 rows and a Ж on 3, 6 columns wide.
psf_glyph sample_glyph_a();
psf_glyph sample_glyph_zhe();

// PSF fonts of both versions, with and without tables, as the tests use them.
std::vector<bytes> sample_psf_fonts();

// The font as a yaff: the same glyphs at the same bearings, labelled with
// their characters (u+0041:) when the registry is ISO10646, else with their
// codes (0x41:) and an encoding.
std::string yaff_text(const bdf_font &font);

// A yaff in the form font_export writes: glyph c is what code c of the
// pair's header shows, all 12 rows of 8, labelled with its code and with
// characters[c] unless that is 0.
std::string pair_yaff_text(const bytes &font, const bytes &table, const std::string &encoding,
                           const std::u32string &characters);

// A yaff with most of what the format allows: comments, a property over
// several lines, code, character and tag labels, old-style labels, the
// empty glyph, and metrics of the font and of glyphs, one over several
// lines. LF line ends.
std::string sample_yaff_text();
