// Characters of one's own at the codes the table set leaves free. Those that
// pictures (--glyphs) and a yaff font label with a free code keep that code;
// of those that labels alone and the UI text need, one that a free code
// shows already (a PC symbol, where drawn) keeps that code, so that a text
// changes no code the pair had without it; the others take the free codes
// left, lowest first: those labels give first, then those the text alone
// needs, each in the order of their Unicode numbers, so that the same
// inputs always give the same codes. A code the text writes itself (an
// escape, a control character) or --keep-codes names is given to none.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "charset/charset.h"
#include "font_import/importer.h"

// A character that something needs a code for, and the first place that
// needs it ("ui.c:12:9", "own.yaff:3").
struct needed_at {
    char32_t c;
    std::string place;
};

// A picture's or a glyph's labels in the header's own codes, and where. A
// font's glyph at 0x0A says what that code shows; a picture there would
// give a character a code that ends a line.
struct labelled_glyph {
    std::vector<std::uint32_t> codes;  // the first counts
    std::vector<char32_t> characters;
    std::string place;
    bool picture;
};

struct addition_sources {
    const charset_table &table_set;
    const std::string &set_name;
    // Labels in the header's codes: the pictures of --glyphs, and the glyphs
    // of a yaff font whose codes are the table set's own. A code and a
    // character there must go together; a character alone needs a code.
    const std::vector<labelled_glyph> &labelled;
    // What a yaff font in other codes labels the codes free in both with.
    const free_code_characters &font_labels;
    // What the free codes show without characters added: the PC symbols,
    // where drawn. A character needed there keeps its code.
    const free_code_characters &laid_out;
    const std::vector<needed_at> &text_needs;  // in the order of their places
    const std::set<std::uint8_t> &taken;       // codes a picture of one's own is for
    // Codes kept free, and who keeps each ("ui.c:3:9", "--keep-codes").
    const std::map<std::uint8_t, std::string> &kept;
    // Whether the font or a picture shows c, and the font's name for messages.
    const std::function<bool(char32_t)> &drawable;
    const std::string &font_name;
};

// Characters that no free code is left for: how many needed one, how many
// codes were free, and those left out, in the order of their Unicode numbers.
struct left_out_characters {
    std::size_t needed = 0, free = 0;
    std::vector<needed_at> characters;
};

// The characters added at free codes, into added, and those no free code is
// left for, into left_out; returns the errors, each at its place: a code and
// character labelled together that cannot go together, a character needed
// that the font has no glyph for.
std::vector<import_error> add_characters(const addition_sources &sources, free_code_characters &added,
                                         left_out_characters &left_out);
