// The fonts FreeType reads, as the importer reads them: BDF, PCF, Windows
// FON and FNT, TrueType and OpenType, bitmap or drawn at a size that fits.
#pragma once

#include "font_import/font_reader.h"

// Any file: FreeType says whether it is a font it knows.
opened_font open_freetype_font(const font_file &file, const charset_table *encoding, const size_limits &limits);
