// Text in a font's 8-bit codes: the code each character has for a table
// set and, given the font, whether that code shows a glyph. Every tool that
// puts text into the font's codes asks here.
#pragma once

#include <array>
#include <cstdint>
#include <map>
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

// A character that cannot be shown, bytes that are no UTF-8, a string that
// does not fit, and where; or a warning of what was done about one.
struct text_problem {
    std::size_t line, column;  // column 0: the whole line; line 0: the whole file
    std::string what;          // "U+20AC €: no code in KOI8-R"
    bool warning = false;
    std::string file{};  // where it is when not in the text itself: a catalog the text is translated with
};

// The problems of one text: the first few in full, the rest counted, so
// that a text with a problem on every character still reads in a screen.
constexpr std::size_t MOST_PROBLEMS_SHOWN = 100;
struct text_problems {
    std::vector<text_problem> shown;
    std::size_t more = 0;    // past the first MOST_PROBLEMS_SHOWN
    std::size_t errors = 0;  // of all, shown or not

    bool empty() const { return shown.empty(); }
    // Whether the next problem is shown in full, or only counted.
    bool full() const { return shown.size() >= MOST_PROBLEMS_SHOWN; }
    void add(text_problem problem)
    {
        errors += problem.warning ? 0 : 1;
        if (full())
            ++more;
        else
            shown.push_back(std::move(problem));
    }
    // Counts a problem that is not shown.
    void count(bool warning = false)
    {
        errors += warning ? 0 : 1;
        ++more;
    }
    // In the order of their places, the text's own first; a problem named
    // twice at one place (a translation used twice) is shown once.
    void sort();
};

// Where a problem of the text file is: "FILE:LINE:COLUMN", "FILE:LINE" for
// a whole line, "FILE" for the whole file; the problem's own file, if it
// names one, for FILE.
std::string problem_place(const std::string &file, const text_problem &problem);

// "N more problems", of those not shown.
std::string more_problems(std::size_t count);

// Writes each problem shown as "PROGRAM: FILE:LINE:COLUMN: what" (no
// column for a whole line, no line for a whole file; the problem's own
// file, if it names one, for FILE), then "PROGRAM: FILE: N more problems".
void report_problems(const char *program, const std::string &file, const text_problems &problems);

class text_codes {
public:
    // The codes of the table set named set_name, whose table is set, and of
    // the characters a pair shows at the codes it leaves free (but 0x00 and
    // 0x0A, which end a string and a line).
    text_codes(const charset_table &set, const std::string &set_name, const free_code_characters &at_free_codes = {});
    ~text_codes();
    text_codes(const text_codes &) = delete;
    text_codes &operator=(const text_codes &) = delete;

    // From now on a code whose glyph has no lit pixel is a problem too,
    // except for the space characters (Unicode's Zs), NUL and the line feed.
    void check_glyphs(const source_font &font, const recode_table &table);
    // From now on a character without a code may be spelled in other
    // characters, as iconv spells it in the set ("<<" for «).
    void fall_back();

    // The code of c: U+0000-U+007F keep their ASCII code; any other
    // character gets the byte 0x80-0xFF the set gives it, or the free code
    // the pair gives it. Nothing else has a code: for such a character, or
    // one whose glyph is blank, returns nothing and says why in problem
    // ("no code in KOI8-R").
    std::optional<std::uint8_t> code_of(char32_t c, std::string &problem) const
    {
        const std::uint8_t code = c < upper_code_.size() ? upper_code_[c] : beyond_plane_code(c);
        if (code == NO_CODE && !own_byte(c)) {
            problem = no_code_;
            return std::nullopt;
        }
        const std::uint8_t own = code == NO_CODE ? static_cast<std::uint8_t>(c) : code;
        if (blank_[own] && !may_be_blank(c)) {
            problem = BLANK_GLYPH;
            return std::nullopt;
        }
        return own;
    }
    // The code of a printable character below U+0800 (ASCII and two-byte
    // UTF-8, where most UI text is) when it has one and nothing more is to
    // be said of it; else 0. A character beyond ASCII gets none at a
    // printable ASCII code, which no pair gives but a literal would escape.
    static constexpr char32_t PLAIN_CHARACTERS = 0x800;
    std::uint8_t plain_code(char32_t c) const { return plain_code_[c]; }
    // With fall_back(), iconv's spelling of a character that has no code,
    // when every character of it shows a glyph; else nothing.
    struct spelling {
        std::string codes;
        std::string text;  // in UTF-8, for messages
    };
    std::optional<spelling> spelling_of(char32_t c) const;
    // Whether a code written as it is, by an escape, shows a glyph (NUL and
    // the line feed need none). Says why not in problem.
    bool shows(std::uint8_t code, std::string &problem) const;
    // Whether a code that an escape or a control character writes is the
    // text's own: not one the pair gives a character of one's own (one that
    // is not the PC symbol the code shows in every pair). Says why not in
    // problem, naming the character the device draws there.
    bool writes_own_code(std::uint8_t code, std::string &problem) const;

    static constexpr char BLANK_GLYPH[] = "shows a blank glyph";

private:
    static constexpr std::uint8_t NO_CODE = 0;  // no character has it in upper_code_
    static constexpr char32_t LAST_OWN_BYTE = 0x7F;
    static bool own_byte(char32_t c) { return c <= LAST_OWN_BYTE; }
    static bool may_be_blank(char32_t c);

    std::uint8_t beyond_plane_code(char32_t c) const;
    void find_plain_codes();

    // The code of each character of the Basic Multilingual Plane that
    // takes one from the upper half of the set or from the free codes,
    // NO_CODE for the others; and the few beyond it, from the free codes.
    std::vector<std::uint8_t> upper_code_;
    std::map<char32_t, std::uint8_t> beyond_plane_;
    charset_table set_;
    std::string set_name_, no_code_;
    std::array<bool, BYTE_VALUES> blank_{};  // by code
    std::array<std::uint8_t, PLAIN_CHARACTERS> plain_code_{};
    std::array<char32_t, BYTE_VALUES> own_character_{};  // by code: a character of one's own, or NO_CHARACTER
    void *spelling_converter_ = nullptr;     // iconv's, once fall_back() is called
    void *spelling_locale_ = nullptr;        // whose tables it spells by
    mutable std::map<char32_t, std::optional<spelling>> spellings_;
};

// U+0020, U+00A0, U+1680, U+2000-U+200A, U+202F, U+205F and U+3000.
bool is_space_separator(char32_t c);
