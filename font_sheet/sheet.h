// A picture of the 256 character codes as the header lays them out: a 16x16
// grid of cells, codes 128-255 shown through the recoding table, with hex
// labels in digits of its own.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "font_data/font_data.h"
#include "font_sheet/png_file.h"

constexpr std::size_t PIXEL_SCALE = 3;  // each font pixel is a 3x3 square
constexpr std::size_t GLYPH_WIDTH = 8;
constexpr std::size_t GRID_SIDE = 16;   // 16 x 16 cells hold the 256 codes
constexpr std::size_t CELL_WIDTH = GLYPH_WIDTH * PIXEL_SCALE;
constexpr std::size_t CELL_HEIGHT = GLYPH_LINES * PIXEL_SCALE;
constexpr std::size_t GRID_LINE = 1;
constexpr std::size_t ROW_LABEL_DIGITS = 2;
constexpr std::size_t LEFT_MARGIN = ROW_LABEL_DIGITS * CELL_WIDTH;
constexpr std::size_t TOP_MARGIN = CELL_HEIGHT;
constexpr std::size_t SHEET_WIDTH = LEFT_MARGIN + GRID_LINE + GRID_SIDE * (CELL_WIDTH + GRID_LINE);
constexpr std::size_t SHEET_HEIGHT = TOP_MARGIN + GRID_LINE + GRID_SIDE * (CELL_HEIGHT + GRID_LINE);

// Grey levels of the 8-bit greyscale picture.
constexpr std::uint8_t INK = 0;
constexpr std::uint8_t PAPER = 255;
constexpr std::uint8_t GRID_GREY = 160;


// Top-left pixel of the cell that shows a character code.
std::size_t cell_x(std::uint8_t code);
std::size_t cell_y(std::uint8_t code);

// SHEET_WIDTH x SHEET_HEIGHT grey levels.
picture draw_sheet(const source_font &font, const recode_table &table);

// Fills a rectangle of the picture.
void fill(picture &image, std::size_t x, std::size_t y, std::size_t width, std::size_t height,
          const colour &shade);

// Draws a glyph with its top left corner at x, y, each pixel a square of
// scale x scale; lit pixels in INK, the others in paper.
void draw_glyph(picture &image, const source_font &font, std::uint8_t glyph, std::size_t x,
                std::size_t y, std::size_t scale, const colour &paper);
