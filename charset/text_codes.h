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

// A place in a text: line and column count from 1, a column in characters
// as editors count; CR, LF and CR LF each end a line.
struct text_place {
    std::size_t line = 1, column = 1;
};

// A character that cannot be shown, or bytes that are no UTF-8, and where.
struct text_problem {
    std::size_t line, column;  // column 0: the whole line
    std::string what;          // "U+20AC €: no code in KOI8-R"
};

// The problems of one text: the first few in full, the rest counted, so
// that a text with a problem on every character still reads in a screen.
constexpr std::size_t MOST_PROBLEMS_SHOWN = 100;
struct text_problems {
    std::vector<text_problem> shown;
    std::size_t more = 0;

    bool empty() const { return shown.empty(); }
    // Whether the next problem is shown in full, or only counted.
    bool full() const { return shown.size() >= MOST_PROBLEMS_SHOWN; }
    void add(text_problem problem)
    {
        if (full())
            ++more;
        else
            shown.push_back(std::move(problem));
    }
};

// Writes each problem shown as "PROGRAM: FILE:LINE:COLUMN: what" (no
// column for a whole line), then "PROGRAM: FILE: N more problems".
void report_problems(const char *program, const std::string &file, const text_problems &problems);

class text_codes {
public:
    // The codes of the table set named set_name, whose table is set.
    text_codes(const charset_table &set, const std::string &set_name);

    // From now on a code whose glyph has no lit pixel is a problem too,
    // except for the space characters (Unicode's Zs), NUL and the line feed.
    void check_glyphs(const source_font &font, const recode_table &table);

    // The code of c: U+0000-U+007F keep their ASCII code; any other
    // character gets the byte 0x80-0xFF the set gives it. Nothing else has
    // a code: for such a character, or one whose glyph is blank (but for
    // spaces, NUL and the line feed), returns nothing and says why in
    // problem ("no code in KOI8-R").
    std::optional<std::uint8_t> code_of(char32_t c, std::string &problem) const;

private:
    std::vector<std::pair<char32_t, std::uint8_t>> upper_;  // sorted by character
    std::string no_code_;
    std::array<bool, BYTE_VALUES> blank_{};  // by code
};

// U+0020, U+00A0, U+1680, U+2000-U+200A, U+202F, U+205F and U+3000.
bool is_space_separator(char32_t c);
