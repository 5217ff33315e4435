// A table set that would give every character a pair needs a code, for a
// message when the one asked for leaves too few codes free: ASCII, which
// leaves all 128 upper codes free, or the one among iconv's single-byte
// sets that holds the most of the characters itself.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "charset/charset.h"

struct set_suggestion {
    std::string table_set;
    bool glyph_order_too = false;  // the glyph order has too few spare slots for it: -g the same set
};

// The set that holds the characters (each beyond ASCII that the pair
// needs), each at a code of its own or at one it leaves free but those
// unavailable (codes a picture is for, codes kept free), with the glyph
// order given or else with itself as the glyph order; nothing when none
// does. font_has says what the font or a picture draws.
std::optional<set_suggestion> suggest_table_set(const std::vector<char32_t> &characters,
                                                const std::set<std::uint8_t> &unavailable,
                                                const charset_table &glyph_order,
                                                const std::function<bool(char32_t)> &font_has);
