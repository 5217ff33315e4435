#include "charset/charset.h"

#include <iconv.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <iterator>

namespace {

constexpr char UNICODE_CODES[] = "UTF-32LE";
constexpr char32_t LAST_C0 = 0x1F, FIRST_C1 = 0x7F, LAST_C1 = 0x9F;
constexpr char32_t FIRST_SURROGATE = 0xD800, LAST_SURROGATE = 0xDFFF, LAST_CHARACTER = 0x10FFFF;
constexpr char32_t FIRST_NONCHARACTER = 0xFDD0, LAST_NONCHARACTER = 0xFDEF, PLANE_END = 0xFFFF;  // and PLANE_END - 1
constexpr char32_t PC_SYMBOLS[] = U"☺☻♥♦♣♠•◘○◙♂♀♪♫☼►◄↕‼¶§▬↨↑↓→←∟↔▲▼";  // codes 1-31
constexpr std::size_t FIRST_SYMBOL_CODE = 1, DELETE_CODE = 0x7F;
constexpr std::size_t STRING_END = 0x00, LINE_END = 0x0A, FIRST_PRINTABLE = 0x20, FIRST_UPPER = 0x80;
constexpr char32_t HOUSE = U'⌂';  // code 127

char32_t little_endian(const unsigned char *bytes)
{
    char32_t c = 0;
    for (int i = 3; i >= 0; --i)
        c = c << 8 | bytes[i];
    return c;
}

// Decodes one byte on its own. A set that wants more bytes to finish a
// character (EINVAL) is a multi-byte one.
bool decode_byte(iconv_t converter, unsigned char byte, char32_t &c)
{
    iconv(converter, nullptr, nullptr, nullptr, nullptr);  // back to the initial state
    char in[1] = {static_cast<char>(byte)};
    unsigned char out[2 * sizeof(char32_t)];
    char *in_at = in, *out_at = reinterpret_cast<char *>(out);
    std::size_t in_left = sizeof in, out_left = sizeof out;
    c = NO_CHARACTER;
    if (iconv(converter, &in_at, &in_left, &out_at, &out_left) == static_cast<std::size_t>(-1))
        return errno != EINVAL;
    if (sizeof out - out_left == sizeof(char32_t))  // exactly one character
        c = little_endian(out);
    return true;
}

}  // namespace

std::string load_charset(const std::string &name, charset_table &table)
{
    const iconv_t converter = iconv_open(UNICODE_CODES, name.c_str());
    if (converter == reinterpret_cast<iconv_t>(-1))
        return "unknown character set";
    bool single_byte = true;
    for (std::size_t byte = 0; byte < BYTE_VALUES && single_byte; ++byte)
        single_byte = decode_byte(converter, static_cast<unsigned char>(byte), table[byte]);
    iconv_close(converter);
    return single_byte ? "" : "not a single-byte character set";
}

bool is_control(char32_t c)
{
    return c <= LAST_C0 || (c >= FIRST_C1 && c <= LAST_C1);
}

bool is_printable(char32_t c)
{
    return c != NO_CHARACTER && !is_control(c);
}

std::string no_code_holds(char32_t c)
{
    if (is_control(c))
        return "a control character";
    if (c >= FIRST_SURROGATE && c <= LAST_SURROGATE)
        return "a surrogate";
    if (c > LAST_CHARACTER)
        return "no Unicode character";
    if ((c >= FIRST_NONCHARACTER && c <= LAST_NONCHARACTER) || (c & PLANE_END) == PLANE_END ||
        (c & PLANE_END) == PLANE_END - 1)
        return "a noncharacter";
    return "";
}

char32_t pc_symbol(std::size_t code)
{
    if (code == DELETE_CODE)
        return HOUSE;
    const std::size_t index = code - FIRST_SYMBOL_CODE;  // wraps for 0: then too large
    return index < std::size(PC_SYMBOLS) - 1 ? PC_SYMBOLS[index] : NO_CHARACTER;
}

std::vector<std::uint8_t> free_codes(const charset_table &set)
{
    std::vector<std::uint8_t> codes;
    for (std::size_t code = 0; code < BYTE_VALUES; ++code)
        if (code != STRING_END && code != LINE_END && (code < FIRST_PRINTABLE || code == DELETE_CODE ||
                                                       (code >= FIRST_UPPER && !is_printable(set[code]))))
            codes.push_back(static_cast<std::uint8_t>(code));
    return codes;
}

std::string code_name(unsigned code)
{
    char text[16];
    std::snprintf(text, sizeof text, "0x%02X", code);
    return text;
}

char32_t set_character(std::uint8_t code, const charset_table &set)
{
    if (code >= FIRST_PRINTABLE && code < DELETE_CODE)
        return code;
    return code >= FIRST_UPPER && is_printable(set[code]) ? set[code] : NO_CHARACTER;
}

std::optional<std::uint8_t> set_code(char32_t c, const charset_table &set)
{
    if (c >= FIRST_PRINTABLE && c < DELETE_CODE)
        return static_cast<std::uint8_t>(c);
    for (std::size_t code = FIRST_UPPER; code < BYTE_VALUES; ++code)
        if (set[code] == c && is_printable(c))
            return static_cast<std::uint8_t>(code);
    return std::nullopt;
}

std::string free_code_problem(std::uint8_t code, char32_t c, const charset_table &set, const std::string &set_name)
{
    if (code == STRING_END)
        return code_name(code) + " ends a string: no character goes there";
    const auto in = [&set_name](unsigned at) { return at < FIRST_UPPER ? std::string("ASCII") : set_name; };
    if (const char32_t shown = set_character(code, set); shown != NO_CHARACTER)
        return code_name(code) + " is " + character_name(shown) + " in " + in(code);
    if (const auto own = set_code(c, set))
        return character_name(c) + " is " + code_name(*own) + " in " + in(*own) + ": it keeps its code";
    return "";
}

std::string code_ranges(const std::vector<std::uint8_t> &codes)
{
    const auto name = [](unsigned code) { return code_name(code); };
    std::string text;
    for (std::size_t i = 0; i < codes.size();) {
        std::size_t last = i;
        while (last + 1 < codes.size() && codes[last + 1] == codes[last] + 1)
            ++last;
        text += (text.empty() ? "" : ", ") + name(codes[i]) + (last > i ? "-" + name(codes[last]) : "");
        i = last + 1;
    }
    return text;
}

std::string utf8(char32_t c)
{
    static const iconv_t converter = iconv_open("UTF-8", UNICODE_CODES);
    const unsigned char in[sizeof(char32_t)] = {
        static_cast<unsigned char>(c), static_cast<unsigned char>(c >> 8),
        static_cast<unsigned char>(c >> 16), static_cast<unsigned char>(c >> 24)};
    char out[8];
    char *in_at = const_cast<char *>(reinterpret_cast<const char *>(in)), *out_at = out;
    std::size_t in_left = sizeof in, out_left = sizeof out;
    if (converter == reinterpret_cast<iconv_t>(-1) ||
        iconv(converter, &in_at, &in_left, &out_at, &out_left) == static_cast<std::size_t>(-1))
        return "";
    return std::string(out, sizeof out - out_left);
}

std::string character_name(char32_t c)
{
    char code[16];
    std::snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(c));
    return is_control(c) ? code : code + (" " + utf8(c));
}
