// The exported font in each format, as its own documentation defines it and
// other programs read it: yaff (monobit's text format), BDF 2.1 and PSF2.
#pragma once

#include <string>

#include "font_export/exported_font.h"

// Every glyph whole, 12 rows of 8 of '.' and '@', labelled with its code
// (0x41:) and, when it has one, its character (u+0041:); the set named in
// the encoding property.
std::string yaff_file(const exported_font &font);

// ISO 10646 coded: a glyph's ENCODING is its character; a code with none
// is kept as an unencoded glyph (ENCODING -1, its code in its name only);
// the space is the default character.
std::string bdf_file(const exported_font &font);

// 256 glyphs of 8x12 with a Unicode table, as setfont loads them.
std::string psf2_file(const exported_font &font);
