// Which character each of the 256 glyph slots shows, and which slot each
// code 128-255 of the header names.
#pragma once

#include <array>
#include <functional>
#include <vector>

#include "font_data/font_data.h"
#include "charset/charset.h"
#include "font_import/cell.h"

struct slot_plan {
    // The character each slot shows; NO_CHARACTER leaves it blank.
    std::array<char32_t, GLYPH_COUNT> shown;
    recode_table table;
    // Characters the header can show that the font has no glyph for, in
    // code order, each once.
    std::vector<char32_t> missing;
    // Characters that need a spare slot, and how many spare slots there are.
    std::size_t spares_needed = 0, spares_free = 0;
};

// Glyph slots follow glyph_order; entry k of the table is for the character
// byte 128 + k has in table_set. Only what font_has says the font has takes
// a spare slot.
slot_plan plan_slots(const charset_table &glyph_order, const charset_table &table_set,
                     const std::function<bool(char32_t)> &font_has);

// The pictures some header codes must show, the others left as they are.
using wanted_pictures = std::array<std::optional<glyph_lines>, GLYPH_COUNT>;

// Makes each code that wants a picture show it: a code below 128 in its own
// slot, a code above through the table, pointed at a slot that a code shows
// the picture at already or else at one that no code shows, which it then
// fills. What every other code shows stays the same. There is always room:
// the 128 codes above 128 need at most the 128 slots above 128.
void show_pictures(const wanted_pictures &wanted, source_font &font, recode_table &table);
