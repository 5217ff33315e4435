// Puts a character's picture into its 8x12 slot: the font's cell at column
// 0 and row `top`, each picture at its bearings from the baseline.
#pragma once

#include <array>
#include <cstdint>
#include <optional>

#include "font_data/font_data.h"
#include "font_import/font_reader.h"

constexpr int SLOT_WIDTH = 8;
constexpr int SLOT_HEIGHT = static_cast<int>(GLYPH_LINES);

using glyph_lines = std::array<std::uint8_t, GLYPH_LINES>;  // bit 7 is the leftmost pixel

// Rows of the font's cell, from its top.
struct row_span {
    int first, last;
};

struct cell_layout {
    int width = 0, height = 0;  // the font's cell
    int ascent = 0;             // rows from the cell's top to the baseline
    int top = 0;                // blank rows above the cell
    // Where box drawing ends, when not at the cell's edges: a scalable
    // font's box lines may be shorter than the cell its accents make.
    std::optional<row_span> box_rows;
};

// The lines of c's slot. Pixels outside the slot are cut, and cut says so.
// Box drawing and blocks are carried on into the spare columns and rows so
// that they join the next cell.
glyph_lines place_glyph(char32_t c, const glyph_image &image, const cell_layout &cell, bool &cut);
