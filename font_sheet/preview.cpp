#include "font_sheet/preview.h"

#include <algorithm>
#include <string>

#include "font_sheet/sheet.h"
#include "messages/messages.h"
#include "ui_text/ui_text.h"

namespace {

// Whether a picture of width x height font pixels is refused, and why.
bool refused(std::size_t width, std::size_t height, std::size_t scale, text_preview &preview)
{
    preview.refused = too_large(width, height, scale);
    return !preview.refused.empty();
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
        draw_line(shown, 0, row * GLYPH_LINES, columns, grey(PAPER), font, table, options.scale, image);
    }
    if (lines.size() > rows) {
        const std::size_t below = lines.size() - rows;
        preview.problems.add({rows + 1, 0, std::to_string(below) + (below == 1 ? " line" : " lines") +
                                               " below the screen's " + std::to_string(rows) + " rows: cut"});
    }
}

void draw_strings(const std::vector<ui_string> &strings, const source_font &font, const recode_table &table,
                  const preview_options &options, text_preview &preview)
{
    std::vector<text_box> boxes;
    std::size_t width = GLYPH_WIDTH + 2 * FRAME, height = GAP;  // at least a box of one column
    for (const ui_string &string : strings)
        if (string.shown) {
            boxes.push_back({string.cells, string.room});
            width = std::max(width, boxes.back().width());
            height += boxes.back().height() + GAP;
        }
    width += 2 * GAP;
    if (refused(width, height, options.scale, preview))
        return;
    picture &image = preview.image;
    const std::size_t scale = options.scale;
    image = {width * scale, height * scale, RGB_CHANNELS, {}};
    image.samples.assign(image.width * image.height * image.channels, PAPER);
    std::size_t y = GAP;
    for (const text_box &box : boxes) {
        draw_box(box, GAP, y, font, table, scale, image);
        y += box.height() + GAP;
    }
}

}  // namespace

text_preview draw_preview(std::string_view text, const text_codes &codes, const source_font &font,
                          const recode_table &table, const preview_options &options)
{
    if (options.c_source && (options.catalogs.size() > 1 || (options.every_language && !options.catalogs.empty())))
        return draw_languages(text, codes, font, table, options);
    text_preview preview;
    text_rules rules;
    rules.keep_strings = true;
    rules.translations = options.catalogs.empty() ? nullptr : options.catalogs[0];
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
