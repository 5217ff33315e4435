// The font as the header made by make_h shows it, for other programs: the
// picture each code shows and the character it stands for, and the formats
// it can be written in.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "charset/charset.h"
#include "set_record/set_record.h"
#include "font_data/font_data.h"

using glyph_picture = std::array<std::uint8_t, GLYPH_LINES>;  // bit 7 the leftmost pixel

struct exported_font {
    std::array<glyph_picture, GLYPH_COUNT> pictures;  // by code
    std::array<char32_t, GLYPH_COUNT> characters;     // by code; NO_CHARACTER for none
    std::string set_name;                             // the table set, as named
};

// Code c shows glyph_for_code(c). Its character: ASCII for 0x20-0x7E; for
// 0x80-0xFF, the one the table set gives the byte; for the codes the set
// leaves free, the one the pair's record gives it, if any. Each character
// belongs to one code at most.
exported_font export_font(const source_font &font, const recode_table &table, const table_set &set);

enum class export_format { yaff, bdf, psf };

// "yaff", "bdf" or "psf"; nothing for another name.
std::optional<export_format> format_named(std::string_view name);

// By the file name's extension: .yaff, .bdf, .psf or .psfu; nothing for
// another.
std::optional<export_format> format_of_file(std::string_view path);

// The file's bytes in that format.
std::string exported_file(const exported_font &font, export_format format);
