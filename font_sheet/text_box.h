// A string of UI text drawn as the display shows it, in a box as wide and
// as high as its room, what falls outside marked: what both pictures of
// text, of a source's strings and of every language side by side, are made
// of.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "font_data/font_data.h"
#include "font_sheet/png_file.h"
#include "font_sheet/sheet.h"
#include "ui_text/ui_text.h"

// Around each box, in font pixels: its frame, and the room between boxes
// and around them all.
constexpr std::size_t FRAME = 1, GAP = 4;
// The paper of a cell that does not show what the text has there, or what
// does not fit.
constexpr colour MARKED_PAPER = {255, 160, 160};
// The most pixels a picture of text may have; a larger one is refused
// before it is drawn.
constexpr std::size_t MAX_PREVIEW_PIXELS = std::size_t{1} << 24;

using text_line = std::vector<text_cell>;

struct text_box {
    std::vector<text_line> lines;
    std::optional<text_room> room;  // nothing, or 0 columns or lines: as large as the text
    colour paper = grey(PAPER);

    // In font pixels, with the frame.
    std::size_t width() const;
    std::size_t height() const;
};

std::size_t widest(const std::vector<text_line> &lines);

// The cells of ASCII text, each character its code.
text_line ascii_line(const std::string &text);

// Why a picture of width x height font pixels, each scale x scale, is
// refused, or an empty text.
std::string too_large(std::size_t width, std::size_t height, std::size_t scale);

// Draws one line of cells from x, y (in font pixels) on paper: a cell with
// no code marked, and from column `fitting` on, the cells marked.
void draw_line(const text_line &line, std::size_t x, std::size_t y, std::size_t fitting, const colour &paper,
               const source_font &font, const recode_table &table, std::size_t scale, picture &image);

// Draws the box with its frame's top left corner at x, y (in font pixels).
void draw_box(const text_box &box, std::size_t x, std::size_t y, const source_font &font, const recode_table &table,
              std::size_t scale, picture &image);
