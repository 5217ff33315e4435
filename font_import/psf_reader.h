// The Linux console's PSF fonts, as the importer reads them: glyphs known by
// the Unicode table, or by their numbers as bytes of the set given.
#pragma once

#include <string>

#include "font_import/font_reader.h"

bool is_psf_file(const font_file &file, const std::string &path);

opened_font open_psf_font(const font_file &file, const charset_table *encoding, const size_limits &limits);
