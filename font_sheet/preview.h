// A picture of text as the display shows it. Of plain text: each line a row
// of 8x12 cells on the screen, each character the glyph of its code through
// the recoding table. Of a C or C++ source: each of its UI strings on rows
// of its own, in a box as wide as its room; or each of its messages in
// every language of the program, side by side.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "charset/text_codes.h"
#include "font_data/font_data.h"
#include "font_sheet/png_file.h"
#include "font_sheet/text_box.h"
#include "ui_text/translations.h"

constexpr std::size_t DEFAULT_PREVIEW_SCALE = 3;
// The paper of a message's box where a catalog leaves it untranslated, and
// where its translation is fuzzy: the sources' text is shown there.
constexpr colour UNTRANSLATED_PAPER = {255, 230, 140}, FUZZY_PAPER = {190, 215, 255};

struct preview_options {
    std::optional<std::size_t> screen_width, screen_height;  // in font pixels
    std::size_t scale = DEFAULT_PREVIEW_SCALE;               // picture pixels a font pixel
    bool c_source = false;  // draw the text's strings, not its lines
    // The catalogs a source's messages are drawn translated by: with one,
    // as it translates them; with several, or every_language, each message
    // in the sources' language (its code source_code) and each catalog's,
    // side by side.
    std::vector<const text_translations *> catalogs{};
    bool every_language = false;
    std::string source_code = "en";
    std::vector<message_keyword> keywords{};  // which mark those messages
};

struct text_preview {
    picture image;        // red, green and blue
    std::string refused;  // why there is no picture, e.g. its size
    // Characters drawn in a marked cell, and what is cut or does not fit:
    // column 0 names a whole line, and one problem names all the lines
    // below the screen.
    text_problems problems;
};

// Lit pixels dark, unlit light; a character with no code, or whose code
// shows a blank glyph (when the codes check the glyphs), gets a marked
// cell. Plain text is drawn on the screen, or as large as the text when no
// screen is given. A source's strings are drawn one below the other, each in
// a box of its fit: note's room or the screen's (as wide as itself when it
// has neither), what falls outside marked; strings with "fit: none" are
// left out; messages are drawn as the translations give them, as font_text
// writes them.
text_preview draw_preview(std::string_view text, const text_codes &codes, const source_font &font,
                          const recode_table &table, const preview_options &options);

// Each message of a source once a row, in a column a language: the
// sources' first, then each catalog's, each language's code above its
// column. Each form of a message is a box of the message's room (of the
// tighter room where its singular and plural have two), what falls outside
// marked, with a count its language's plural rule chooses it for at its
// left; a message a catalog leaves untranslated shows the sources' text on
// UNTRANSLATED_PAPER, or on FUZZY_PAPER where its translation is fuzzy, and
// a legend below says which is which. Strings that are no message, the same
// in every language, and messages with "fit: none" are left out. What
// font_text would refuse is a warning, a translation's at its catalog line.
text_preview draw_languages(std::string_view text, const text_codes &codes, const source_font &font,
                            const recode_table &table, const preview_options &options);
