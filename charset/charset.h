// 8-bit character sets, as the C library's iconv knows them: which Unicode
// character each byte stands for.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

constexpr char32_t NO_CHARACTER = 0xFFFFFFFF;
constexpr std::size_t BYTE_VALUES = 256;

// The set that codes 128-255 show when no one says otherwise: the sample's.
constexpr char DEFAULT_TABLE_SET[] = "KOI8-R";

// Entry b is the character byte b stands for, or NO_CHARACTER.
using charset_table = std::array<char32_t, BYTE_VALUES>;

// Fills the table of a single-byte set named as `iconv -l` names it.
// Returns why it cannot, e.g. "unknown character set", or an empty text.
std::string load_charset(const std::string &name, charset_table &table);

// U+0000-U+001F and U+007F-U+009F.
bool is_control(char32_t c);

// A character that a font can show: neither NO_CHARACTER nor a control.
bool is_printable(char32_t c);

// Why no code may hold c, or an empty text when one may: "a control
// character" (U+0000-U+001F, U+007F-U+009F), "a surrogate", "a
// noncharacter" (U+FDD0-U+FDEF, U+FFFE and U+FFFF of every plane), or "no
// Unicode character".
std::string no_code_holds(char32_t c);

// The symbol PC fonts show for code 1-31 or 127 (☺ ... ▼, ⌂), or
// NO_CHARACTER for any other code.
char32_t pc_symbol(std::size_t code);

// The codes a table set leaves free for characters of one's own: those it
// gives no printable character (1-31, 0x7F, and those of 0x80-0xFF it
// leaves undefined or to controls), ascending, less 0x00, which ends a
// string, and 0x0A, which ends a line.
std::vector<std::uint8_t> free_codes(const charset_table &set);

// Codes as messages list them, in runs: "0x01-0x09, 0x0B-0x1F, 0x7F".
std::string code_ranges(const std::vector<std::uint8_t> &codes);

// A code as messages name it: "0x1F".
std::string code_name(unsigned code);

// The characters a pair shows at codes its table set gives none (1-31, 0x7F
// and the upper codes it leaves undefined or to controls), by code: the
// symbols PC fonts put at 1-31, a font's own characters there, characters
// of one's own.
using free_code_characters = std::map<std::uint8_t, char32_t>;

// What a pair of the table set shows at a code through ASCII (0x20-0x7E)
// or the set (0x80-0xFF), and the other way: the code of a character there.
// NO_CHARACTER, and nothing, for the rest.
char32_t set_character(std::uint8_t code, const charset_table &set);
std::optional<std::uint8_t> set_code(char32_t c, const charset_table &set);

// Why c cannot be shown at code in a pair of the table set named set_name,
// or an empty text: the code is 0x00, which ends a string, or ASCII's or the
// set's; or the character is, at another code.
std::string free_code_problem(std::uint8_t code, char32_t c, const charset_table &set, const std::string &set_name);

// The character in UTF-8, for messages.
std::string utf8(char32_t c);

// "U+0416 Ж", as messages name a character.
std::string character_name(char32_t c);
