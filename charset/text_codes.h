// Text in a font's 8-bit codes: the code each character has for a table
// set and, given the font, whether that code shows a glyph. Every tool that
// puts text into the font's codes asks here.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "charset/charset.h"
#include "font_data/font_data.h"

// A character that cannot be shown, or bytes that are no UTF-8, and where:
// line and column count from 1, a column in characters as editors count.
struct text_problem {
    std::size_t line, column;
    std::string what;  // "U+20AC €: no code in KOI8-R"
};

class text_codes {
public:
    // The codes of the table set named set_name, whose table is set.
    text_codes(const charset_table &set, const std::string &set_name);

    // From now on a code whose glyph has no lit pixel is a problem too,
    // except for the space characters (Unicode's Zs).
    void check_glyphs(const source_font &font, const recode_table &table);

    // The code of c: U+0020-U+007E keep their ASCII code; any other
    // character gets the byte 0x80-0xFF the set gives it. Nothing else has
    // a code: for such a character, or one whose glyph is blank, returns
    // nothing and says why in problem ("no code in KOI8-R").
    std::optional<std::uint8_t> code_of(char32_t c, std::string &problem) const;

private:
    std::vector<std::pair<char32_t, std::uint8_t>> upper_;  // sorted by character
    std::string no_code_;
    std::array<bool, BYTE_VALUES> blank_{};  // by code
};

// U+0020, U+00A0, U+1680, U+2000-U+200A, U+202F, U+205F and U+3000.
bool is_space_separator(char32_t c);
