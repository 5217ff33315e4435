#include "font_sheet/preview.h"

#include <algorithm>
#include <string>

#include "charset/text_cursor.h"
#include "font_sheet/sheet.h"
#include "messages/messages.h"

namespace {

// Each line of the text, as the codes of its characters; nothing for a
// character that cannot be shown.
using text_lines = std::vector<std::vector<std::optional<std::uint8_t>>>;

text_lines read_lines(std::string_view text, const text_codes &codes, text_problems &problems)
{
    std::string unused;  // the cursor copies nothing here
    text_cursor in(without_bom(text), codes, unused, problems);
    text_lines lines(1);
    while (!in.done()) {
        if (const std::size_t end = in.line_end(); end != 0) {
            in.skip(end);
            if (!in.done())  // a last line end opens no line
                lines.emplace_back();
            continue;
        }
        char32_t c = 0;
        std::string_view original;
        lines.back().push_back(in.take_character(c, original));
    }
    return lines;
}

}  // namespace

text_preview draw_preview(std::string_view text, const text_codes &codes, const source_font &font,
                          const recode_table &table, const preview_options &options)
{
    text_preview preview;
    const text_lines lines = read_lines(text, codes, preview.problems);
    std::size_t longest = 1;
    for (const auto &line : lines)
        longest = std::max(longest, line.size());
    const std::size_t width = options.screen_width.value_or(longest * GLYPH_WIDTH);
    const std::size_t height = options.screen_height.value_or(lines.size() * GLYPH_LINES);
    const std::size_t columns = width / GLYPH_WIDTH, rows = height / GLYPH_LINES;

    if (width * options.scale > MAX_PREVIEW_PIXELS / std::max<std::size_t>(height * options.scale, 1)) {
        preview.refused = "a picture of " + std::to_string(width * options.scale) + "x" +
                          std::to_string(height * options.scale) + " pixels is too large";
        return preview;
    }
    picture &image = preview.image;
    image = {width * options.scale, height * options.scale, RGB_CHANNELS, {}};
    image.samples.assign(image.width * image.height * image.channels, PAPER);
    for (std::size_t row = 0; row < std::min(rows, lines.size()); ++row) {
        const auto &line = lines[row];
        if (line.size() > columns)
            preview.problems.add({row + 1, 0, characters(line.size()) + ", " + std::to_string(columns) +
                                                  " fit the screen: cut"});
        for (std::size_t column = 0; column < std::min(columns, line.size()); ++column) {
            const std::size_t x = column * GLYPH_WIDTH * options.scale, y = row * GLYPH_LINES * options.scale;
            if (line[column])
                draw_glyph(image, font, glyph_for_code(table, *line[column]), x, y, options.scale, grey(PAPER));
            else
                fill(image, x, y, GLYPH_WIDTH * options.scale, GLYPH_LINES * options.scale, MARKED_PAPER);
        }
    }
    if (lines.size() > rows) {
        const std::size_t below = lines.size() - rows;
        preview.problems.add({rows + 1, 0, std::to_string(below) + (below == 1 ? " line" : " lines") +
                                               " below the screen's " + std::to_string(rows) + " rows: cut"});
    }
    std::vector<text_problem> &shown = preview.problems.shown;
    std::stable_sort(shown.begin(), shown.end(),
                     [](const text_problem &a, const text_problem &b) { return a.line < b.line; });
    return preview;
}
