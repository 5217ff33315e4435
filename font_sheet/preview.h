// A picture of text as the display shows it. Of plain text: each line a row
// of 8x12 cells on the screen, each character the glyph of its code through
// the recoding table. Of a C or C++ source: each of its UI strings on rows
// of its own, in a box as wide as its room.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "charset/text_codes.h"
#include "font_data/font_data.h"
#include "font_sheet/png_file.h"
#include "ui_text/translations.h"

constexpr std::size_t DEFAULT_PREVIEW_SCALE = 3;
// The paper of a cell that does not show what the text has there, or what
// does not fit.
constexpr colour MARKED_PAPER = {255, 160, 160};

struct preview_options {
    std::optional<std::size_t> screen_width, screen_height;  // in font pixels
    std::size_t scale = DEFAULT_PREVIEW_SCALE;               // picture pixels a font pixel
    bool c_source = false;  // draw the text's strings, not its lines
    const text_translations *translations = nullptr;  // a source's messages are drawn translated
    std::vector<message_keyword> keywords{};          // which mark those messages
};

// The most pixels a preview may have; a larger one is refused before it is
// drawn.
constexpr std::size_t MAX_PREVIEW_PIXELS = std::size_t{1} << 24;

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
