#include "font_import/cell.h"

namespace {

constexpr char32_t FIRST_BOX = 0x2500, LAST_BLOCK = 0x259F;
constexpr char32_t FIRST_SHADE = 0x2591, LAST_SHADE = 0x2593;  // ░▒▓
// Shades repeat their pattern, which is two pixels long.
constexpr int SHADE_PERIOD = 2;
constexpr std::uint8_t LEFTMOST_PIXEL = 0x80;

using pixel_grid = std::array<std::array<bool, SLOT_WIDTH>, GLYPH_LINES>;

void draw(const glyph_image &image, const cell_layout &cell, pixel_grid &grid, bool &cut)
{
    const int baseline = cell.top + cell.ascent;
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x) {
            if (!image.ink[static_cast<std::size_t>(y * image.width + x)])
                continue;
            const int row = baseline - image.top + y, column = image.left + x;
            if (row < 0 || row >= SLOT_HEIGHT || column < 0 || column >= SLOT_WIDTH)
                cut = true;
            else
                grid[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)] = true;
        }
}

void join(bool shade, const cell_layout &cell, pixel_grid &grid)
{
    for (auto &line : grid)
        for (int column = cell.width; column < SLOT_WIDTH; ++column) {
            const int from = shade ? column - SHADE_PERIOD : cell.width - 1;
            if (from >= 0)
                line[static_cast<std::size_t>(column)] = line[static_cast<std::size_t>(from)];
        }
    const auto copy_row = [&grid](int to, int from) {
        if (from >= 0 && from < SLOT_HEIGHT)  // a cell of one row has no pattern to go on
            grid[static_cast<std::size_t>(to)] = grid[static_cast<std::size_t>(from)];
    };
    const row_span box = cell.box_rows.value_or(row_span{0, cell.height - 1});
    const int first = cell.top + box.first, last = cell.top + box.last;
    for (int row = first - 1; row >= 0; --row)
        copy_row(row, shade ? row + SHADE_PERIOD : first);
    for (int row = last + 1; row < SLOT_HEIGHT; ++row)
        copy_row(row, shade ? row - SHADE_PERIOD : last);
}

}  // namespace

glyph_lines place_glyph(char32_t c, const glyph_image &image, const cell_layout &cell, bool &cut)
{
    pixel_grid grid{};
    cut = false;
    draw(image, cell, grid, cut);
    if (c >= FIRST_BOX && c <= LAST_BLOCK)
        join(c >= FIRST_SHADE && c <= LAST_SHADE, cell, grid);

    glyph_lines lines{};
    for (std::size_t row = 0; row < GLYPH_LINES; ++row)
        for (std::size_t column = 0; column < SLOT_WIDTH; ++column)
            if (grid[row][column])
                lines[row] = static_cast<std::uint8_t>(lines[row] | LEFTMOST_PIXEL >> column);
    return lines;
}
