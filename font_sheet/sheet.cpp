#include "font_sheet/sheet.h"

#include <png.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstring>

namespace {

constexpr std::uint8_t LEFTMOST_PIXEL = 0x80;  // bit 7 is the leftmost pixel
constexpr char HEX_DIGITS[] = "0123456789ABCDEF";

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

// Labels use the font's own digits: the glyphs of the ASCII codes.
void draw_hex_digit(sheet_pixels &pixels, const source_font &font, std::size_t digit,
                    std::size_t x, std::size_t y)
{
    draw_glyph(pixels, font, static_cast<std::uint8_t>(HEX_DIGITS[digit]), x, y);
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

void draw_labels(sheet_pixels &pixels, const source_font &font)
{
    for (std::size_t i = 0; i < GRID_SIDE; ++i) {
        const auto first_code = static_cast<std::uint8_t>(i * GRID_SIDE);
        draw_hex_digit(pixels, font, i, cell_x(static_cast<std::uint8_t>(i)), 0);
        draw_hex_digit(pixels, font, i, 0, cell_y(first_code));
        draw_hex_digit(pixels, font, 0, CELL_WIDTH, cell_y(first_code));
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
    draw_labels(pixels, font);
    for (std::size_t code = 0; code < GLYPH_COUNT; ++code) {
        const auto c = static_cast<std::uint8_t>(code);
        draw_glyph(pixels, font, glyph_for_code(table, c), cell_x(c), cell_y(c));
    }
    return pixels;
}

namespace {

// libpng reports its own failures by longjmp; this turns them into a result.
bool encode_png(std::FILE *file, const sheet_pixels &pixels)
{
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png != nullptr ? png_create_info_struct(png) : nullptr;
    if (info == nullptr) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_init_io(png, file);
    png_set_IHDR(png, info, SHEET_WIDTH, SHEET_HEIGHT, 8, PNG_COLOR_TYPE_GRAY, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (std::size_t row = 0; row < SHEET_HEIGHT; ++row)
        png_write_row(png, &pixels[row * SHEET_WIDTH]);
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}

std::string failure(const char *fallback)
{
    return errno != 0 ? std::strerror(errno) : fallback;
}

// Returns why the picture did not get into the file, or an empty text.
std::string write_and_close(std::FILE *file, const sheet_pixels &pixels)
{
    errno = 0;
    bool written = encode_png(file, pixels);
    written = std::fflush(file) == 0 && !std::ferror(file) && written;
    std::string reason = written ? "" : failure("write error");
    if (std::fclose(file) != 0 && reason.empty())
        reason = failure("write error");
    return reason;
}

}  // namespace

std::string write_sheet_png(const std::string &path, const sheet_pixels &pixels)
{
    std::string temporary = path + ".XXXXXX";
    errno = 0;
    const int fd = mkstemp(temporary.data());
    if (fd < 0)
        return failure("cannot create a file");
    // mkstemp makes the file private; give it the mode a plain create would.
    const mode_t mask = umask(0);
    umask(mask);
    fchmod(fd, 0666 & ~mask);

    std::FILE *file = fdopen(fd, "wb");
    std::string reason;
    if (file == nullptr) {
        reason = failure("cannot open the file");
        close(fd);
    } else {
        reason = write_and_close(file, pixels);
    }
    if (reason.empty() && std::rename(temporary.c_str(), path.c_str()) != 0)
        reason = failure("cannot rename");
    if (!reason.empty())
        unlink(temporary.c_str());
    return reason;
}
