// Pictures of one's own, from a yaff: each is the 8x12 slot itself, from its
// top-left corner, for a character or for a code of the header.
#pragma once

#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "font_import/cell.h"
#include "font_import/yaff.h"

struct own_picture {
    glyph_lines lines{};
    std::vector<char32_t> characters;
    std::vector<unsigned> codes;
    std::size_t line = 0;  // of its first label
};

struct own_pictures {
    std::vector<own_picture> pictures;
    std::map<char32_t, std::size_t> of_character;
    std::map<unsigned, std::size_t> of_code;

    // c's picture, or nullptr.
    const glyph_lines *find(char32_t c) const;
};

// Takes the pictures of a yaff. A picture larger than the slot, one with
// metrics or without a character or code, a code past 255 and a second
// picture for the same label are refused: returns where and why.
std::optional<yaff_error> read_pictures(const std::uint8_t *data, std::size_t size, own_pictures &pictures);
