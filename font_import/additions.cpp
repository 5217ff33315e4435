#include "font_import/additions.h"

#include <algorithm>
#include <map>

namespace {

constexpr std::uint8_t LINE_FEED = 0x0A;

// A code labelled with a character puts the character there, unless they
// are the code's own already.
void add_labelled(const addition_sources &sources, free_code_characters &added, std::vector<import_error> &errors)
{
    for (const labelled_glyph &glyph : sources.labelled) {
        if (glyph.codes.empty() || glyph.characters.empty() || glyph.codes.front() >= BYTE_VALUES)
            continue;
        const auto code = static_cast<std::uint8_t>(glyph.codes.front());
        const char32_t c = glyph.characters.front();
        if (set_character(code, sources.table_set) == c || (code == LINE_FEED && !glyph.picture))
            continue;
        std::string reason = code == LINE_FEED ? code_name(code) + " ends a line: no character goes there"
                                               : free_code_problem(code, c, sources.table_set, sources.set_name);
        if (reason.empty()) {
            added.emplace(code, c);
            continue;
        }
        // A code that is not free: say which are.
        if (code == LINE_FEED || code == 0 || set_character(code, sources.table_set) != NO_CHARACTER)
            reason += ": label " + character_name(c) + " with a free code (" +
                      code_ranges(free_codes(sources.table_set)) + ")";
        errors.push_back({glyph.place, reason});
    }
}

// A yaff font's characters at its free codes keep them where the table set
// leaves those codes free too.
void add_font_labels(const addition_sources &sources, free_code_characters &added)
{
    std::set<char32_t> placed;
    for (const auto &[code, c] : added)
        placed.insert(c);
    for (const auto &[code, c] : sources.font_labels)
        if (code != LINE_FEED && added.count(code) == 0 && placed.count(c) == 0 &&
            free_code_problem(code, c, sources.table_set, sources.set_name).empty() && is_printable(c)) {
            added.emplace(code, c);
            placed.insert(c);
        }
}

// What characters labelled alone and the text need that ASCII, the table
// set and the labels give no code, each once, at its first place, in the
// order of those.
std::vector<needed_at> needs(const addition_sources &sources, const free_code_characters &added)
{
    std::vector<needed_at> all;
    for (const labelled_glyph &glyph : sources.labelled)
        if (glyph.codes.empty())
            for (const char32_t c : glyph.characters)
                all.push_back({c, glyph.place});
    all.insert(all.end(), sources.text_needs.begin(), sources.text_needs.end());
    std::set<char32_t> seen;
    for (const auto &[code, c] : added)
        seen.insert(c);
    std::vector<needed_at> needed;
    for (const needed_at &each : all)
        if (is_printable(each.c) && !set_code(each.c, sources.table_set) && seen.insert(each.c).second)
            needed.push_back(each);
    return needed;
}

}  // namespace

std::vector<import_error> add_characters(const addition_sources &sources, free_code_characters &added)
{
    added.clear();
    std::vector<import_error> errors;
    add_labelled(sources, added, errors);
    if (!errors.empty())
        return errors;
    add_font_labels(sources, added);

    const std::vector<needed_at> needed = needs(sources, added);
    for (const needed_at &each : needed)
        if (!sources.drawable(each.c))
            errors.push_back({each.place, character_name(each.c) + ": no glyph in " + sources.font_name});
    // A character with no glyph is refused above: it wants no code. One
    // that a free code shows already keeps it, so that a text changes no
    // code the pair had without it.
    std::map<char32_t, std::uint8_t> laid_out_at;
    for (const auto &[code, c] : sources.laid_out)
        if (added.count(code) == 0 && sources.taken.count(code) == 0)
            laid_out_at.emplace(c, code);
    std::vector<char32_t> in_order;
    std::size_t kept = 0;
    for (const needed_at &each : needed)
        if (const auto at = laid_out_at.find(each.c); at != laid_out_at.end()) {
            added.emplace(at->second, each.c);
            ++kept;
        } else if (sources.drawable(each.c)) {
            in_order.push_back(each.c);
        }
    std::sort(in_order.begin(), in_order.end());
    // The free codes left (not a code a picture is for, either) go to the
    // others in the order of their numbers.
    std::vector<std::uint8_t> free;
    for (const std::uint8_t code : free_codes(sources.table_set))
        if (added.count(code) == 0 && sources.taken.count(code) == 0)
            free.push_back(code);
    for (std::size_t i = 0; i < std::min(in_order.size(), free.size()); ++i)
        added.emplace(free[i], in_order[i]);
    for (const needed_at &each : needed) {
        const auto rank = std::lower_bound(in_order.begin(), in_order.end(), each.c);
        if (rank != in_order.end() && *rank == each.c && rank - in_order.begin() >= static_cast<std::ptrdiff_t>(free.size()))
            errors.push_back({each.place, character_name(each.c) + ": no free code left in " + sources.set_name +
                                              " (" + std::to_string(kept + in_order.size()) +
                                              " characters need one of " + std::to_string(kept + free.size()) + ")"});
    }
    return errors;
}
