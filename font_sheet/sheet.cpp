#include "font_sheet/sheet.h"

#include <algorithm>

namespace {

constexpr std::uint8_t LEFTMOST_PIXEL = 0x80;  // bit 7 is the leftmost pixel

// The labels' own digits, 0-F, 5x7 pixels as on character LCDs: the font
// being looked at may draw its digits badly, or not at all.
constexpr std::size_t LABEL_DIGIT_WIDTH = 5, LABEL_DIGIT_HEIGHT = 7;
constexpr std::uint8_t LABEL_DIGITS[16][LABEL_DIGIT_HEIGHT] = {
    {0b01110, 0b10001, 0b10011, 0b10101, 0b11001, 0b10001, 0b01110},  // 0
    {0b00100, 0b01100, 0b00100, 0b00100, 0b00100, 0b00100, 0b01110},  // 1
    {0b01110, 0b10001, 0b00001, 0b00010, 0b00100, 0b01000, 0b11111},  // 2
    {0b11111, 0b00010, 0b00100, 0b00010, 0b00001, 0b10001, 0b01110},  // 3
    {0b00010, 0b00110, 0b01010, 0b10010, 0b11111, 0b00010, 0b00010},  // 4
    {0b11111, 0b10000, 0b11110, 0b00001, 0b00001, 0b10001, 0b01110},  // 5
    {0b00110, 0b01000, 0b10000, 0b11110, 0b10001, 0b10001, 0b01110},  // 6
    {0b11111, 0b00001, 0b00010, 0b00100, 0b01000, 0b01000, 0b01000},  // 7
    {0b01110, 0b10001, 0b10001, 0b01110, 0b10001, 0b10001, 0b01110},  // 8
    {0b01110, 0b10001, 0b10001, 0b01111, 0b00001, 0b00010, 0b01100},  // 9
    {0b01110, 0b10001, 0b10001, 0b11111, 0b10001, 0b10001, 0b10001},  // A
    {0b11110, 0b10001, 0b10001, 0b11110, 0b10001, 0b10001, 0b11110},  // B
    {0b01110, 0b10001, 0b10000, 0b10000, 0b10000, 0b10001, 0b01110},  // C
    {0b11100, 0b10010, 0b10001, 0b10001, 0b10001, 0b10010, 0b11100},  // D
    {0b11111, 0b10000, 0b10000, 0b11110, 0b10000, 0b10000, 0b11111},  // E
    {0b11111, 0b10000, 0b10000, 0b11110, 0b10000, 0b10000, 0b10000},  // F
};

// A label digit in the middle of the cell-sized box at x, y.
void draw_hex_digit(picture &sheet, std::size_t digit, std::size_t x, std::size_t y)
{
    const std::size_t left = x + (CELL_WIDTH - LABEL_DIGIT_WIDTH * PIXEL_SCALE) / 2;
    const std::size_t top = y + (CELL_HEIGHT - LABEL_DIGIT_HEIGHT * PIXEL_SCALE) / 2;
    for (std::size_t row = 0; row < LABEL_DIGIT_HEIGHT; ++row)
        for (std::size_t column = 0; column < LABEL_DIGIT_WIDTH; ++column)
            if (LABEL_DIGITS[digit][row] >> (LABEL_DIGIT_WIDTH - 1 - column) & 1)
                fill(sheet, left + column * PIXEL_SCALE, top + row * PIXEL_SCALE, PIXEL_SCALE,
                     PIXEL_SCALE, grey(INK));
}

void draw_grid(picture &sheet)
{
    for (std::size_t i = 0; i <= GRID_SIDE; ++i) {
        fill(sheet, LEFT_MARGIN + i * (CELL_WIDTH + GRID_LINE), TOP_MARGIN, GRID_LINE,
             SHEET_HEIGHT - TOP_MARGIN, grey(GRID_GREY));
        fill(sheet, LEFT_MARGIN, TOP_MARGIN + i * (CELL_HEIGHT + GRID_LINE),
             SHEET_WIDTH - LEFT_MARGIN, GRID_LINE, grey(GRID_GREY));
    }
}

void draw_labels(picture &sheet)
{
    for (std::size_t i = 0; i < GRID_SIDE; ++i) {
        const auto first_code = static_cast<std::uint8_t>(i * GRID_SIDE);
        draw_hex_digit(sheet, i, cell_x(static_cast<std::uint8_t>(i)), 0);
        draw_hex_digit(sheet, i, 0, cell_y(first_code));
        draw_hex_digit(sheet, 0, CELL_WIDTH, cell_y(first_code));
    }
}

}  // namespace

std::size_t cell_x(std::uint8_t code)
{
    return LEFT_MARGIN + GRID_LINE + code % GRID_SIDE * (CELL_WIDTH + GRID_LINE);
}

std::size_t cell_y(std::uint8_t code)
{
    return TOP_MARGIN + GRID_LINE + code / GRID_SIDE * (CELL_HEIGHT + GRID_LINE);
}

void fill(picture &image, std::size_t x, std::size_t y, std::size_t width, std::size_t height,
          const colour &shade)
{
    for (std::size_t row = y; row < y + height; ++row)
        for (std::size_t column = x; column < x + width; ++column)
            std::copy_n(shade.begin(), image.channels,
                        image.samples.begin() +
                            static_cast<std::ptrdiff_t>((row * image.width + column) * image.channels));
}

void draw_glyph(picture &image, const source_font &font, std::uint8_t glyph, std::size_t x,
                std::size_t y, std::size_t scale, const colour &paper)
{
    for (std::size_t line = 0; line < GLYPH_LINES; ++line) {
        const std::uint8_t bits = font_byte(font, glyph, line);
        for (std::size_t column = 0; column < GLYPH_WIDTH; ++column) {
            const bool ink = bits & (LEFTMOST_PIXEL >> column);
            fill(image, x + column * scale, y + line * scale, scale, scale, ink ? grey(INK) : paper);
        }
    }
}

picture draw_sheet(const source_font &font, const recode_table &table)
{
    picture sheet{SHEET_WIDTH, SHEET_HEIGHT, GREY_CHANNELS,
                  std::vector<std::uint8_t>(SHEET_WIDTH * SHEET_HEIGHT, PAPER)};
    draw_grid(sheet);
    draw_labels(sheet);
    for (std::size_t code = 0; code < GLYPH_COUNT; ++code) {
        const auto c = static_cast<std::uint8_t>(code);
        draw_glyph(sheet, font, glyph_for_code(table, c), cell_x(c), cell_y(c), PIXEL_SCALE, grey(PAPER));
    }
    return sheet;
}
