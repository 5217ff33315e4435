// yaff fonts, as the importer reads them: glyphs known by their character
// labels, or by their code labels in the file's encoding (or the one given).
#pragma once

#include <string>

#include "font_import/font_reader.h"

// By its name (.yaff, .yaff.gz, in any case), or by how it starts.
bool is_yaff_file(const font_file &file, const std::string &path);

opened_font open_yaff_font(const font_file &file, const charset_table *encoding, const size_limits &limits);
