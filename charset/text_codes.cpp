#include "charset/text_codes.h"

#include <iconv.h>
#include <locale.h>

#include <algorithm>
#include <cstdio>

#include "messages/messages.h"

namespace {

constexpr std::size_t FIRST_UPPER = 0x80;
constexpr std::size_t PLANE_CHARACTERS = 0x10000;
// Codes that end text rather than show a glyph.
constexpr char32_t NUL = 0x00, LINE_FEED = 0x0A;
constexpr char32_t SPACE_SEPARATORS[] = {0x0020, 0x00A0, 0x1680, 0x202F, 0x205F, 0x3000};
constexpr char32_t FIRST_EN_QUAD = 0x2000, HAIR_SPACE = 0x200A;
constexpr char TRANSLITERATED[] = "//TRANSLIT";
// iconv spells by the tables of the locale it runs in: C.UTF-8 has them (é
// as e, which "C" cannot spell), and is the same on every machine, so a
// build does not depend on the locale of whoever runs it.
constexpr char SPELLING_LOCALE[] = "C.UTF-8";
constexpr char UNSPELLED = '?';  // what iconv writes where it knows no spelling
constexpr std::size_t LONGEST_SPELLING = 16;
constexpr std::uint8_t FIRST_PRINTABLE = 0x20, LAST_PRINTABLE = 0x7E;

iconv_t converter_of(void *converter)
{
    return static_cast<iconv_t>(converter);
}

}  // namespace

text_codes::text_codes(const charset_table &set, const std::string &set_name, const free_code_characters &at_free_codes)
    : upper_code_(PLANE_CHARACTERS, NO_CODE), set_(set), set_name_(set_name), no_code_("no code in " + set_name)
{
    // Of a character the set has twice, the lower byte is taken.
    for (std::size_t byte = BYTE_VALUES; byte-- > FIRST_UPPER;) {
        const char32_t c = set[byte];
        if (c != NO_CHARACTER && c < PLANE_CHARACTERS && !own_byte(c))
            upper_code_[c] = static_cast<std::uint8_t>(byte);
    }
    own_character_.fill(NO_CHARACTER);
    for (const auto &[code, c] : at_free_codes) {
        if (code == NUL || code == LINE_FEED || own_byte(c))
            continue;
        if (c != pc_symbol(code))
            own_character_[code] = c;
        if (c >= PLANE_CHARACTERS)
            beyond_plane_.emplace(c, code);
        else if (upper_code_[c] == NO_CODE)
            upper_code_[c] = code;
    }
    find_plain_codes();
}

void text_codes::find_plain_codes()
{
    std::string problem;
    for (char32_t c = 0; c < PLAIN_CHARACTERS; ++c) {
        const auto code = is_control(c) ? std::nullopt : code_of(c, problem);
        const bool escaped = !own_byte(c) && code && *code >= FIRST_PRINTABLE && *code <= LAST_PRINTABLE;
        plain_code_[c] = code && !escaped ? *code : NO_CODE;
    }
}

std::uint8_t text_codes::beyond_plane_code(char32_t c) const
{
    if (beyond_plane_.empty())
        return NO_CODE;
    const auto found = beyond_plane_.find(c);
    return found == beyond_plane_.end() ? NO_CODE : found->second;
}

text_codes::~text_codes()
{
    if (spelling_converter_ != nullptr)
        iconv_close(converter_of(spelling_converter_));
    if (spelling_locale_ != nullptr)
        freelocale(static_cast<locale_t>(spelling_locale_));
}

void text_codes::check_glyphs(const source_font &font, const recode_table &table)
{
    spellings_.clear();  // a spelling may now show a blank glyph
    for (std::size_t code = 0; code < BYTE_VALUES; ++code) {
        const std::uint8_t glyph = glyph_for_code(table, static_cast<std::uint8_t>(code));
        blank_[code] = true;
        for (std::size_t line = 0; line < GLYPH_LINES; ++line)
            blank_[code] = blank_[code] && font_byte(font, glyph, line) == 0;
    }
    find_plain_codes();
}

void text_codes::fall_back()
{
    const iconv_t converter = iconv_open((set_name_ + TRANSLITERATED).c_str(), "UTF-32LE");
    if (converter != reinterpret_cast<iconv_t>(-1))  // the set itself opened, so this will
        spelling_converter_ = converter;
    spelling_locale_ = newlocale(LC_CTYPE_MASK, SPELLING_LOCALE, locale_t{});  // else the process's
}

std::optional<text_codes::spelling> text_codes::spelling_of(char32_t c) const
{
    if (spelling_converter_ == nullptr)
        return std::nullopt;
    const auto known = spellings_.find(c);
    if (known != spellings_.end())
        return known->second;

    const iconv_t converter = converter_of(spelling_converter_);
    iconv(converter, nullptr, nullptr, nullptr, nullptr);
    unsigned char in[sizeof(char32_t)];
    for (std::size_t i = 0; i < sizeof in; ++i)
        in[i] = static_cast<unsigned char>(c >> (8 * i));
    char out[LONGEST_SPELLING];
    char *in_at = reinterpret_cast<char *>(in), *out_at = out;
    std::size_t in_left = sizeof in, out_left = sizeof out;
    const locale_t outside = spelling_locale_ != nullptr ? uselocale(static_cast<locale_t>(spelling_locale_)) : nullptr;
    const bool converted = iconv(converter, &in_at, &in_left, &out_at, &out_left) != static_cast<std::size_t>(-1);
    if (outside != nullptr)
        uselocale(outside);
    std::optional<spelling> spelled;
    if (converted && out_at != out && !(out_at - out == 1 && out[0] == UNSPELLED)) {
        // The bytes are in the set: each is a character of it, with a code.
        spelled.emplace();
        std::string problem;
        for (const char *byte = out; byte < out_at && spelled; ++byte) {
            const char32_t character = set_[static_cast<unsigned char>(*byte)];
            const auto code = character == NO_CHARACTER ? std::nullopt : code_of(character, problem);
            if (code) {
                spelled->codes.push_back(static_cast<char>(*code));
                spelled->text += utf8(character);
            } else {
                spelled.reset();
            }
        }
    }
    spellings_.emplace(c, spelled);
    return spelled;
}

bool text_codes::shows(std::uint8_t code, std::string &problem) const
{
    if (!blank_[code] || code == NUL || code == LINE_FEED)
        return true;
    problem = BLANK_GLYPH;
    return false;
}

bool text_codes::writes_own_code(std::uint8_t code, std::string &problem) const
{
    const char32_t own = own_character_[code];
    if (own == NO_CHARACTER)
        return true;
    problem = "code " + code_name(code) + " shows " + character_name(own) +
              ", a character of one's own: font_import --text keeps the codes a text writes free";
    return false;
}

bool text_codes::may_be_blank(char32_t c)
{
    return c == NUL || c == LINE_FEED || is_space_separator(c);
}

void text_problems::sort()
{
    std::stable_sort(shown.begin(), shown.end(), [](const text_problem &a, const text_problem &b) {
        if (a.file != b.file)
            return a.file < b.file;
        return a.line != b.line ? a.line < b.line : a.column < b.column;
    });
    shown.erase(std::unique(shown.begin(), shown.end(),
                            [](const text_problem &a, const text_problem &b) {
                                return a.file == b.file && a.line == b.line && a.column == b.column &&
                                       a.what == b.what && a.warning == b.warning;
                            }),
                shown.end());
}

std::string problem_place(const std::string &file, const text_problem &problem)
{
    std::string place = quoted_name(problem.file.empty() ? file : problem.file);
    if (problem.line != 0)
        place += ":" + std::to_string(problem.line);
    if (problem.line != 0 && problem.column != 0)
        place += ":" + std::to_string(problem.column);
    return place;
}

std::string more_problems(std::size_t count)
{
    return std::to_string(count) + " more problem" + (count == 1 ? "" : "s");
}

void report_problems(const char *program, const std::string &file, const text_problems &problems)
{
    const std::string name = quoted_name(file);
    for (const text_problem &problem : problems.shown)
        std::fprintf(stderr, "%s: %s: %s\n", program, problem_place(file, problem).c_str(), problem.what.c_str());
    if (problems.more != 0)
        std::fprintf(stderr, "%s: %s: %s\n", program, name.c_str(), more_problems(problems.more).c_str());
}

bool is_space_separator(char32_t c)
{
    return std::find(std::begin(SPACE_SEPARATORS), std::end(SPACE_SEPARATORS), c) !=
               std::end(SPACE_SEPARATORS) ||
           (c >= FIRST_EN_QUAD && c <= HAIR_SPACE);
}
