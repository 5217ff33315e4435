#include "font_sheet/sheet.h"

#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <new>

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

void fill(sheet_pixels &pixels, std::size_t x, std::size_t y, std::size_t width,
          std::size_t height, std::uint8_t grey)
{
    for (std::size_t row = y; row < y + height; ++row)
        for (std::size_t column = x; column < x + width; ++column)
            pixels[row * SHEET_WIDTH + column] = grey;
}

void draw_glyph(sheet_pixels &pixels, const source_font &font, std::uint8_t glyph,
                std::size_t x, std::size_t y)
{
    for (std::size_t line = 0; line < GLYPH_LINES; ++line) {
        const std::uint8_t bits = font_byte(font, glyph, line);
        for (std::size_t column = 0; column < GLYPH_WIDTH; ++column) {
            const bool ink = bits & (LEFTMOST_PIXEL >> column);
            fill(pixels, x + column * PIXEL_SCALE, y + line * PIXEL_SCALE, PIXEL_SCALE,
                 PIXEL_SCALE, ink ? INK : PAPER);
        }
    }
}

// A label digit in the middle of the cell-sized box at x, y.
void draw_hex_digit(sheet_pixels &pixels, std::size_t digit, std::size_t x, std::size_t y)
{
    const std::size_t left = x + (CELL_WIDTH - LABEL_DIGIT_WIDTH * PIXEL_SCALE) / 2;
    const std::size_t top = y + (CELL_HEIGHT - LABEL_DIGIT_HEIGHT * PIXEL_SCALE) / 2;
    for (std::size_t row = 0; row < LABEL_DIGIT_HEIGHT; ++row)
        for (std::size_t column = 0; column < LABEL_DIGIT_WIDTH; ++column)
            if (LABEL_DIGITS[digit][row] >> (LABEL_DIGIT_WIDTH - 1 - column) & 1)
                fill(pixels, left + column * PIXEL_SCALE, top + row * PIXEL_SCALE, PIXEL_SCALE,
                     PIXEL_SCALE, INK);
}

void draw_grid(sheet_pixels &pixels)
{
    for (std::size_t i = 0; i <= GRID_SIDE; ++i) {
        fill(pixels, LEFT_MARGIN + i * (CELL_WIDTH + GRID_LINE), TOP_MARGIN, GRID_LINE,
             SHEET_HEIGHT - TOP_MARGIN, GRID_GREY);
        fill(pixels, LEFT_MARGIN, TOP_MARGIN + i * (CELL_HEIGHT + GRID_LINE),
             SHEET_WIDTH - LEFT_MARGIN, GRID_LINE, GRID_GREY);
    }
}

void draw_labels(sheet_pixels &pixels)
{
    for (std::size_t i = 0; i < GRID_SIDE; ++i) {
        const auto first_code = static_cast<std::uint8_t>(i * GRID_SIDE);
        draw_hex_digit(pixels, i, cell_x(static_cast<std::uint8_t>(i)), 0);
        draw_hex_digit(pixels, i, 0, cell_y(first_code));
        draw_hex_digit(pixels, 0, CELL_WIDTH, cell_y(first_code));
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

sheet_pixels draw_sheet(const source_font &font, const recode_table &table)
{
    sheet_pixels pixels(SHEET_WIDTH * SHEET_HEIGHT, PAPER);
    draw_grid(pixels);
    draw_labels(pixels);
    for (std::size_t code = 0; code < GLYPH_COUNT; ++code) {
        const auto c = static_cast<std::uint8_t>(code);
        draw_glyph(pixels, font, glyph_for_code(table, c), cell_x(c), cell_y(c));
    }
    return pixels;
}

namespace {

constexpr std::size_t PNG_REASON_SIZE = 128;

// What libpng said when it gave up; it reports by longjmp, never by return.
struct png_failure {
    char reason[PNG_REASON_SIZE];
};

[[noreturn]] void on_png_error(png_structp png, png_const_charp message)
{
    auto *failure = static_cast<png_failure *>(png_get_error_ptr(png));
    std::snprintf(failure->reason, sizeof failure->reason, "%s", message);
    png_longjmp(png, 1);
}

// Warnings cannot arise for a plain greyscale picture; none may reach stderr.
void on_png_warning(png_structp, png_const_charp) {}

void append_to_buffer(png_structp png, png_bytep data, png_size_t size)
{
    auto *buffer = static_cast<file_bytes *>(png_get_io_ptr(png));
    bool appended = true;
    try {
        buffer->insert(buffer->end(), data, data + size);
    } catch (const std::bad_alloc &) {
        appended = false;
    }
    if (!appended)  // never longjmp out of a handler
        png_error(png, "out of memory");
}

void flush_nothing(png_structp) {}

// The failure lives in the caller's frame: after the longjmp, what this frame
// changed since setjmp would be indeterminate.
bool encode(const sheet_pixels &pixels, file_bytes &png_file, png_failure &failure)
{
    png_structp png =
        png_create_write_struct(PNG_LIBPNG_VER_STRING, &failure, on_png_error, on_png_warning);
    png_infop info = png != nullptr ? png_create_info_struct(png) : nullptr;
    if (info == nullptr) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_set_write_fn(png, &png_file, append_to_buffer, flush_nothing);
    png_set_IHDR(png, info, SHEET_WIDTH, SHEET_HEIGHT, 8, PNG_COLOR_TYPE_GRAY, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (std::size_t row = 0; row < SHEET_HEIGHT; ++row)
        png_write_row(png, &pixels[row * SHEET_WIDTH]);
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}

}  // namespace

std::string encode_sheet_png(const sheet_pixels &pixels, file_bytes &png_file)
{
    png_failure failure{"out of memory"};
    return encode(pixels, png_file, failure) ? "" : failure.reason;
}
