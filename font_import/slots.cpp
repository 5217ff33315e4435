#include "font_import/slots.h"

#include <algorithm>
#include <map>
#include <set>

namespace {

constexpr std::size_t FIRST_PRINTABLE = 0x20, DELETE_CODE = 0x7F, FIRST_UPPER = 0x80;

// The slot whose glyph-order character is c, upper half first; 0 if none.
std::size_t slot_meant_for(const charset_table &glyph_order, char32_t c)
{
    for (std::size_t slot = FIRST_UPPER; slot < GLYPH_COUNT; ++slot)
        if (glyph_order[slot] == c)
            return slot;
    for (std::size_t slot = FIRST_PRINTABLE; slot < DELETE_CODE; ++slot)
        if (glyph_order[slot] == c)
            return slot;
    return 0;
}

// The spare slots, and the characters that want one.
struct spare_slots {
    std::vector<std::size_t> order;         // in the order they are taken
    std::map<char32_t, std::size_t> taken;  // the slot each character got
    std::set<char32_t> left_out;            // characters no slot was left for

    // The slot of c, taking the next free one for it; 0 when none is left.
    std::size_t slot_for(char32_t c)
    {
        if (const auto found = taken.find(c); found != taken.end())
            return found->second;
        if (taken.size() == order.size()) {
            left_out.insert(c);
            return 0;
        }
        const std::size_t slot = order[taken.size()];
        taken.emplace(c, slot);
        return slot;
    }
};

}  // namespace

slot_plan plan_slots(const charset_table &glyph_order, const charset_table &table_set,
                     const std::function<bool(char32_t)> &font_has)
{
    slot_plan plan;
    plan.shown.fill(NO_CHARACTER);
    spare_slots spares;
    for (std::size_t slot = 1; slot < FIRST_PRINTABLE; ++slot) {
        plan.shown[slot] = pc_symbol(slot);
        spares.order.push_back(slot);
    }
    plan.shown[DELETE_CODE] = pc_symbol(DELETE_CODE);
    spares.order.push_back(DELETE_CODE);
    for (std::size_t slot = FIRST_PRINTABLE; slot < GLYPH_COUNT; ++slot) {
        if (slot == DELETE_CODE)
            continue;
        if (is_printable(glyph_order[slot]))
            plan.shown[slot] = glyph_order[slot];
        else
            spares.order.push_back(slot);
    }
    plan.spares_free = spares.order.size();

    std::vector<char32_t> shown_by_header;
    for (std::size_t code = FIRST_PRINTABLE; code < DELETE_CODE; ++code)
        shown_by_header.push_back(plan.shown[code]);

    for (std::size_t k = 0; k < RECODE_ENTRIES; ++k) {
        const char32_t c = table_set[FIRST_UPPER + k];
        if (!is_printable(c)) {
            plan.table[k] = 0;
            continue;
        }
        shown_by_header.push_back(c);
        std::size_t slot = slot_meant_for(glyph_order, c);
        if (slot == 0 && font_has(c)) {
            slot = spares.slot_for(c);
            if (slot != 0)
                plan.shown[slot] = c;
        }
        plan.table[k] = static_cast<std::uint8_t>(slot);
    }
    plan.spares_needed = spares.taken.size() + spares.left_out.size();

    for (const char32_t c : shown_by_header)
        if (is_printable(c) && !font_has(c) &&
            std::find(plan.missing.begin(), plan.missing.end(), c) == plan.missing.end())
            plan.missing.push_back(c);
    return plan;
}

namespace {

glyph_lines slot_lines(const source_font &font, std::size_t slot)
{
    glyph_lines lines;
    std::copy_n(font.begin() + static_cast<std::ptrdiff_t>(slot * GLYPH_LINES), GLYPH_LINES, lines.begin());
    return lines;
}

void fill_slot(source_font &font, std::size_t slot, const glyph_lines &lines)
{
    std::copy(lines.begin(), lines.end(), font.begin() + static_cast<std::ptrdiff_t>(slot * GLYPH_LINES));
}

}  // namespace

void show_pictures(const wanted_pictures &wanted, source_font &font, recode_table &table)
{
    wanted_pictures shown = wanted;
    for (std::size_t k = 0; k < RECODE_ENTRIES; ++k)
        if (!shown[FIRST_UPPER + k])
            shown[FIRST_UPPER + k] = slot_lines(font, table[k]);
    for (std::size_t code = 0; code < FIRST_UPPER; ++code)
        if (wanted[code])
            fill_slot(font, code, *wanted[code]);

    // Each code below 128 shows its own slot; slots above that a code shows
    // as it should are kept.
    std::array<bool, GLYPH_COUNT> kept{};
    std::fill_n(kept.begin(), FIRST_UPPER, true);
    std::vector<std::size_t> wrong;
    for (std::size_t k = 0; k < RECODE_ENTRIES; ++k)
        if (slot_lines(font, table[k]) == *shown[FIRST_UPPER + k])
            kept[table[k]] = true;
        else
            wrong.push_back(k);
    // A picture is looked for only where a code shows it: what the other
    // slots hold depends on what the font has beyond what the header shows,
    // and the table must not (a yaff of the pair has only what codes show).
    for (const std::size_t k : wrong) {
        const glyph_lines &picture = *shown[FIRST_UPPER + k];
        std::size_t slot = 0;
        while (slot < GLYPH_COUNT && !(kept[slot] && slot_lines(font, slot) == picture))
            ++slot;
        if (slot == GLYPH_COUNT) {
            slot = FIRST_UPPER;
            while (kept[slot])
                ++slot;
            fill_slot(font, slot, picture);
        }
        kept[slot] = true;
        table[k] = static_cast<std::uint8_t>(slot);
    }
}
