#include "charset/text_codes.h"

#include <algorithm>
#include <cstdio>

#include "messages/messages.h"

namespace {

constexpr char32_t FIRST_ASCII = 0x20, LAST_ASCII = 0x7E;
constexpr char32_t LAST_CONTROL = 0x1F, DELETE = 0x7F;
// Codes that end or terminate text rather than show a glyph.
constexpr char32_t NUL = 0x00, LINE_FEED = 0x0A;
constexpr std::size_t FIRST_UPPER = 0x80;
constexpr char32_t SPACE_SEPARATORS[] = {0x0020, 0x00A0, 0x1680, 0x202F, 0x205F, 0x3000};
constexpr char32_t FIRST_EN_QUAD = 0x2000, HAIR_SPACE = 0x200A;
constexpr char BLANK_GLYPH[] = "shows a blank glyph";

bool ascii(char32_t c)
{
    return c >= FIRST_ASCII && c <= LAST_ASCII;
}

// A control character is its own byte, as a compiler writes it.
bool own_byte(char32_t c)
{
    return c <= LAST_CONTROL || c == DELETE || ascii(c);
}

}  // namespace

text_codes::text_codes(const charset_table &set, const std::string &set_name)
    : no_code_("no code in " + set_name)
{
    for (std::size_t byte = FIRST_UPPER; byte < BYTE_VALUES; ++byte)
        if (set[byte] != NO_CHARACTER && !ascii(set[byte]))
            upper_.emplace_back(set[byte], static_cast<std::uint8_t>(byte));
    // Of a character the set has twice, the lower byte is taken.
    std::stable_sort(upper_.begin(), upper_.end(),
                     [](const auto &a, const auto &b) { return a.first < b.first; });
    upper_.erase(std::unique(upper_.begin(), upper_.end(),
                             [](const auto &a, const auto &b) { return a.first == b.first; }),
                 upper_.end());
}

void text_codes::check_glyphs(const source_font &font, const recode_table &table)
{
    for (std::size_t code = 0; code < BYTE_VALUES; ++code) {
        const std::uint8_t glyph = glyph_for_code(table, static_cast<std::uint8_t>(code));
        blank_[code] = true;
        for (std::size_t line = 0; line < GLYPH_LINES; ++line)
            blank_[code] = blank_[code] && font_byte(font, glyph, line) == 0;
    }
}

std::optional<std::uint8_t> text_codes::code_of(char32_t c, std::string &problem) const
{
    std::optional<std::uint8_t> code;
    if (own_byte(c)) {
        code = static_cast<std::uint8_t>(c);
    } else {
        const auto found = std::lower_bound(upper_.begin(), upper_.end(), c,
                                            [](const auto &entry, char32_t key) { return entry.first < key; });
        if (found != upper_.end() && found->first == c)
            code = found->second;
    }
    if (!code)
        problem = no_code_;
    else if (blank_[*code] && !is_space_separator(c) && c != NUL && c != LINE_FEED)
        problem = BLANK_GLYPH;
    else
        return code;
    return std::nullopt;
}

void report_problems(const char *program, const std::string &file, const text_problems &problems)
{
    const std::string name = quoted_name(file);
    for (const text_problem &problem : problems.shown) {
        const std::string column = problem.column != 0 ? ":" + std::to_string(problem.column) : "";
        std::fprintf(stderr, "%s: %s:%zu%s: %s\n", program, name.c_str(), problem.line, column.c_str(),
                     problem.what.c_str());
    }
    if (problems.more != 0)
        std::fprintf(stderr, "%s: %s: %zu more problem%s\n", program, name.c_str(), problems.more,
                     problems.more == 1 ? "" : "s");
}

bool is_space_separator(char32_t c)
{
    return std::find(std::begin(SPACE_SEPARATORS), std::end(SPACE_SEPARATORS), c) !=
               std::end(SPACE_SEPARATORS) ||
           (c >= FIRST_EN_QUAD && c <= HAIR_SPACE);
}
