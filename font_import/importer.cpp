#include "font_import/importer.h"

#include <algorithm>
#include <set>

#include "font_import/cell.h"
#include "font_import/charset.h"
#include "font_import/font_source.h"
#include "font_import/slots.h"

namespace {

std::string cell_size(int width, int height)
{
    return std::to_string(width) + "x" + std::to_string(height);
}

// The characters the slots show, each once.
std::vector<char32_t> placed_characters(const slot_plan &plan, const font_source &font)
{
    std::vector<char32_t> placed;
    for (const char32_t c : plan.shown)
        if (c != NO_CHARACTER && font.has(c) &&
            std::find(placed.begin(), placed.end(), c) == placed.end())
            placed.push_back(c);
    return placed;
}

std::string too_few_spares(const import_options &options, const slot_plan &plan)
{
    return "-t " + options.table_set + " needs " + std::to_string(plan.spares_needed) +
           " spare slots, -g " + options.glyph_order + " leaves " +
           std::to_string(plan.spares_free) + ": choose a glyph order closer to " +
           options.table_set + " (e.g. -g " + options.table_set + ")";
}

// The cell of the drawn font in its slot, or why it does not fit.
std::string lay_out(const drawn_font &drawn, const import_options &options, bool scalable,
                    cell_layout &cell)
{
    cell.width = drawn.width;
    cell.height = drawn.ascent + drawn.descent;
    cell.ascent = drawn.ascent;
    if (cell.width > SLOT_WIDTH || cell.height > SLOT_HEIGHT)
        return "glyphs are " + cell_size(cell.width, cell.height) + ", at most " +
               cell_size(SLOT_WIDTH, SLOT_HEIGHT) + " fit" +
               (scalable ? ": choose a smaller --size" : "");
    if (cell.height < 1)
        return "ascent " + std::to_string(drawn.ascent) + " and descent " +
               std::to_string(drawn.descent) + " leave the cell no rows";
    const int spare_rows = SLOT_HEIGHT - cell.height;
    cell.top = options.top.value_or(spare_rows / 2);
    if (cell.top > spare_rows)
        return "--top=" + std::to_string(cell.top) + " leaves no room for glyphs " +
               cell_size(cell.width, cell.height) + ": at most " + std::to_string(spare_rows);
    return "";
}

void fill_slots(const slot_plan &plan, const drawn_font &drawn, const cell_layout &cell,
                imported_font &result)
{
    std::set<char32_t> cut_warned;
    for (std::size_t slot = 0; slot < GLYPH_COUNT; ++slot) {
        const char32_t c = plan.shown[slot];
        const glyph_image *image = drawn.find(c);
        if (image == nullptr)
            continue;
        bool cut = false;
        const glyph_lines lines = place_glyph(c, *image, cell, cut);
        std::copy(lines.begin(), lines.end(), result.font.begin() + static_cast<std::ptrdiff_t>(slot * GLYPH_LINES));
        if (cut && cut_warned.insert(c).second)
            result.warnings.push_back(character_name(c) + ": pixels outside 8x12 cut");
    }
}

}  // namespace

std::optional<import_error> import_font(const import_options &options, imported_font &result)
{
    charset_table glyph_order, table_set, encoding;
    for (const auto &[name, table] : {std::pair{options.glyph_order, &glyph_order},
                                      std::pair{options.table_set, &table_set},
                                      std::pair{options.font_encoding, &encoding}})
        if (!name.empty())
            if (std::string reason = load_charset(name, *table); !reason.empty())
                return import_error{name, reason};

    const std::string &path = options.font_path;
    const size_limits limits{SLOT_WIDTH, SLOT_HEIGHT, options.pixel_size};
    font_source font;
    if (std::string reason =
            font.open(path, options.font_encoding.empty() ? nullptr : &encoding, limits);
        !reason.empty())
        return import_error{path, reason};

    const slot_plan plan =
        plan_slots(glyph_order, table_set, [&font](char32_t c) { return font.has(c); });
    if (plan.spares_needed > plan.spares_free)
        return import_error{path, too_few_spares(options, plan)};
    const std::vector<char32_t> placed = placed_characters(plan, font);
    if (placed.empty())
        return import_error{path, "has none of the characters of " + options.glyph_order +
                                      " or " + options.table_set};

    drawn_font drawn;
    if (std::string reason = font.draw(placed, limits, drawn); !reason.empty())
        return import_error{path, reason};
    cell_layout cell;
    if (std::string reason = lay_out(drawn, options, font.scalable(), cell); !reason.empty())
        return import_error{path, reason};

    result = imported_font{};
    for (const char32_t c : plan.missing)
        result.warnings.push_back("no glyph for " + character_name(c) + ": left blank");
    fill_slots(plan, drawn, cell, result);
    result.table = plan.table;
    return std::nullopt;
}
