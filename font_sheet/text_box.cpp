#include "font_sheet/text_box.h"

#include <algorithm>

namespace {

std::size_t box_columns(const text_box &box)
{
    const std::size_t own = std::max<std::size_t>(widest(box.lines), 1);
    return box.room && box.room->columns != 0 ? box.room->columns : own;
}

std::size_t box_rows(const text_box &box)
{
    return std::max<std::size_t>(box.lines.size(), 1);
}

// Whether the picture at this scale is one the tool draws.
bool fits(std::size_t width, std::size_t height, std::size_t scale)
{
    return width * scale <= MAX_PREVIEW_PIXELS / std::max<std::size_t>(height * scale, 1);
}

}  // namespace

std::size_t text_box::width() const
{
    return std::max(box_columns(*this), widest(lines)) * GLYPH_WIDTH + 2 * FRAME;
}

std::size_t text_box::height() const
{
    return box_rows(*this) * GLYPH_LINES + 2 * FRAME;
}

std::size_t widest(const std::vector<text_line> &lines)
{
    std::size_t width = 0;
    for (const text_line &line : lines)
        width = std::max(width, line.size());
    return width;
}

text_line ascii_line(const std::string &text)
{
    text_line line;
    for (const char c : text)
        line.emplace_back(static_cast<std::uint8_t>(c));
    return line;
}

std::string too_large(std::size_t width, std::size_t height, std::size_t scale)
{
    if (fits(width, height, scale))
        return "";
    std::string reason = "a picture of " + std::to_string(width * scale) + "x" + std::to_string(height * scale) +
                         " pixels is too large";
    // A smaller scale that fits is what the user wants to hear.
    std::size_t smaller = scale;
    while (smaller > 1 && !fits(width, height, smaller))
        --smaller;
    if (smaller < scale && fits(width, height, smaller))
        reason += ": --scale=" + std::to_string(smaller) + " draws it";
    return reason;
}

void draw_line(const text_line &line, std::size_t x, std::size_t y, std::size_t fitting, const colour &paper,
               const source_font &font, const recode_table &table, std::size_t scale, picture &image)
{
    for (std::size_t column = 0; column < line.size(); ++column) {
        const std::size_t left = (x + column * GLYPH_WIDTH) * scale, top = y * scale;
        const colour &shown = column < fitting ? paper : MARKED_PAPER;
        if (line[column])
            draw_glyph(image, font, glyph_for_code(table, *line[column]), left, top, scale, shown);
        else
            fill(image, left, top, GLYPH_WIDTH * scale, GLYPH_LINES * scale, MARKED_PAPER);
    }
}

void draw_box(const text_box &box, std::size_t x, std::size_t y, const source_font &font, const recode_table &table,
              std::size_t scale, picture &image)
{
    const std::size_t columns = box_columns(box), rows = box_rows(box);
    fill(image, x * scale, y * scale, (columns * GLYPH_WIDTH + 2 * FRAME) * scale,
         (rows * GLYPH_LINES + 2 * FRAME) * scale, grey(GRID_GREY));
    fill(image, (x + FRAME) * scale, (y + FRAME) * scale, columns * GLYPH_WIDTH * scale, rows * GLYPH_LINES * scale,
         box.paper);
    const std::size_t fitting_lines = box.room && box.room->lines != 0 ? box.room->lines : rows;
    for (std::size_t row = 0; row < box.lines.size(); ++row)
        draw_line(box.lines[row], x + FRAME, y + FRAME + row * GLYPH_LINES, row < fitting_lines ? columns : 0,
                  box.paper, font, table, scale, image);
}
