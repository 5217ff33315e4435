#include "font_sheet/preview.h"

#include <algorithm>
#include <string>

#include "font_sheet/sheet.h"
#include "messages/messages.h"
#include "ui_text/ui_text.h"

namespace {

// Around each string's box, in font pixels: its frame, and the room
// between boxes and around them all.
constexpr std::size_t FRAME = 1, GAP = 4;

using text_line = std::vector<text_cell>;

std::size_t widest(const std::vector<text_line> &lines)
{
    std::size_t width = 0;
    for (const text_line &line : lines)
        width = std::max(width, line.size());
    return width;
}

// Whether a picture of width x height font pixels is refused, and why.
bool refused(std::size_t width, std::size_t height, std::size_t scale, text_preview &preview)
{
    if (width * scale <= MAX_PREVIEW_PIXELS / std::max<std::size_t>(height * scale, 1))
        return false;
    preview.refused = "a picture of " + std::to_string(width * scale) + "x" + std::to_string(height * scale) +
                      " pixels is too large";
    return true;
}

// Draws one line of cells from x, y (in font pixels): a cell with no code
// marked, and from the first cell outside the room on, the cells marked.
void draw_line(const text_line &line, std::size_t x, std::size_t y, std::size_t fitting, const source_font &font,
               const recode_table &table, std::size_t scale, picture &image)
{
    for (std::size_t column = 0; column < line.size(); ++column) {
        const std::size_t left = (x + column * GLYPH_WIDTH) * scale, top = y * scale;
        const colour &paper = column < fitting ? grey(PAPER) : MARKED_PAPER;
        if (line[column])
            draw_glyph(image, font, glyph_for_code(table, *line[column]), left, top, scale, paper);
        else
            fill(image, left, top, GLYPH_WIDTH * scale, GLYPH_LINES * scale, MARKED_PAPER);
    }
}

void draw_text_lines(const std::vector<text_line> &lines, const source_font &font, const recode_table &table,
                     const preview_options &options, text_preview &preview)
{
    const std::size_t width = options.screen_width.value_or(std::max<std::size_t>(widest(lines), 1) * GLYPH_WIDTH);
    const std::size_t height = options.screen_height.value_or(lines.size() * GLYPH_LINES);
    const std::size_t columns = width / GLYPH_WIDTH, rows = height / GLYPH_LINES;
    if (refused(width, height, options.scale, preview))
        return;
    picture &image = preview.image;
    image = {width * options.scale, height * options.scale, RGB_CHANNELS, {}};
    image.samples.assign(image.width * image.height * image.channels, PAPER);
    for (std::size_t row = 0; row < std::min(rows, lines.size()); ++row) {
        const text_line &line = lines[row];
        if (line.size() > columns)
            preview.problems.add({row + 1, 0, characters(line.size()) + ", " + std::to_string(columns) +
                                                  " fit the screen: cut"});
        const text_line shown(line.begin(), line.begin() + static_cast<std::ptrdiff_t>(std::min(columns, line.size())));
        draw_line(shown, 0, row * GLYPH_LINES, columns, font, table, options.scale, image);
    }
    if (lines.size() > rows) {
        const std::size_t below = lines.size() - rows;
        preview.problems.add({rows + 1, 0, std::to_string(below) + (below == 1 ? " line" : " lines") +
                                               " below the screen's " + std::to_string(rows) + " rows: cut"});
    }
}

// The columns of a string's box: its room's, or its own width.
std::size_t box_columns(const ui_string &string)
{
    const std::size_t own = std::max<std::size_t>(widest(string.cells), 1);
    return string.room && string.room->columns != 0 ? string.room->columns : own;
}

void draw_strings(const std::vector<ui_string> &strings, const source_font &font, const recode_table &table,
                  const preview_options &options, text_preview &preview)
{
    std::size_t columns = 1, height = GAP;
    for (const ui_string &string : strings)
        if (string.shown) {
            columns = std::max({columns, box_columns(string), widest(string.cells)});
            height += std::max<std::size_t>(string.cells.size(), 1) * GLYPH_LINES + 2 * FRAME + GAP;
        }
    const std::size_t width = 2 * (GAP + FRAME) + columns * GLYPH_WIDTH;
    if (refused(width, height, options.scale, preview))
        return;
    picture &image = preview.image;
    const std::size_t scale = options.scale;
    image = {width * scale, height * scale, RGB_CHANNELS, {}};
    image.samples.assign(image.width * image.height * image.channels, PAPER);
    std::size_t y = GAP;
    for (const ui_string &string : strings) {
        if (!string.shown)
            continue;
        const std::size_t rows = std::max<std::size_t>(string.cells.size(), 1);
        const std::size_t box = box_columns(string);
        fill(image, GAP * scale, y * scale, (box * GLYPH_WIDTH + 2 * FRAME) * scale,
             (rows * GLYPH_LINES + 2 * FRAME) * scale, grey(GRID_GREY));
        fill(image, (GAP + FRAME) * scale, (y + FRAME) * scale, box * GLYPH_WIDTH * scale,
             rows * GLYPH_LINES * scale, grey(PAPER));
        const std::size_t fitting_lines = string.room && string.room->lines != 0 ? string.room->lines : rows;
        for (std::size_t row = 0; row < string.cells.size(); ++row)
            draw_line(string.cells[row], GAP + FRAME, y + FRAME + row * GLYPH_LINES, row < fitting_lines ? box : 0,
                      font, table, scale, image);
        y += rows * GLYPH_LINES + 2 * FRAME + GAP;
    }
}

}  // namespace

text_preview draw_preview(std::string_view text, const text_codes &codes, const source_font &font,
                          const recode_table &table, const preview_options &options)
{
    text_preview preview;
    text_rules rules;
    rules.keep_strings = true;
    rules.translations = options.translations;
    rules.keywords = options.keywords;
    if (options.c_source) {
        if (options.screen_width && options.screen_height)
            rules.screen = screen_room(*options.screen_width, *options.screen_height);
        encoded_text read = encode_c_source(text, "", codes, rules);
        preview.problems = std::move(read.problems);
        draw_strings(read.strings, font, table, options, preview);
    } else {
        encoded_text read = encode_plain_text(text, codes, rules);
        preview.problems = std::move(read.problems);
        std::vector<text_line> lines;
        for (ui_string &string : read.strings)
            lines.push_back(string.cells.empty() ? text_line() : std::move(string.cells[0]));
        if (lines.empty())
            lines.emplace_back();
        draw_text_lines(lines, font, table, options, preview);
    }
    preview.problems.sort();
    return preview;
}
