// Characters of one's own at the codes the table set leaves free. Those that
// pictures (--glyphs) and a yaff font label with a free code keep that code;
// those that pictures alone and the UI text need take the free codes left,
// lowest first, in the order of their Unicode numbers, so that the same
// inputs always give the same codes.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "charset/charset.h"
#include "font_import/importer.h"
#include "font_import/pictures.h"

// A character that something needs a code for, and the first place that
// needs it ("ui.c:12:9", "own.yaff:3").
struct needed_at {
    char32_t c;
    std::string place;
};

struct addition_sources {
    const charset_table &table_set;
    const std::string &set_name;
    const own_pictures &pictures;
    const std::string &pictures_name;
    const free_code_characters &font_labels;  // what a yaff font labels its free codes with
    const std::vector<needed_at> &text_needs;  // in the order of their places
    // Whether the font or a picture shows c, and the font's name for messages.
    const std::function<bool(char32_t)> &drawable;
    const std::string &font_name;
};

// The characters added at free codes, into added; returns the errors, each
// at its place: a picture's code and character that cannot go together, a
// character needed that the font has no glyph for, each character that no
// free code is left for.
std::vector<import_error> add_characters(const addition_sources &sources, free_code_characters &added);
