#include "font_import/additions.h"

#include <algorithm>

namespace {

constexpr std::uint8_t LINE_FEED = 0x0A;

// The free codes a label may name: the table set's, but those kept free.
std::vector<std::uint8_t> offered_codes(const addition_sources &sources)
{
    std::vector<std::uint8_t> codes;
    for (const std::uint8_t code : free_codes(sources.table_set))
        if (sources.kept.count(code) == 0)
            codes.push_back(code);
    return codes;
}

// A code labelled with a character puts the character there, unless they
// are the code's own already. A font's glyph only says what its code shows:
// a character no code may hold, or one at a code kept free, is none of one's
// own.
void add_labelled(const addition_sources &sources, free_code_characters &added, std::vector<import_error> &errors)
{
    for (const labelled_glyph &glyph : sources.labelled) {
        if (glyph.codes.empty() || glyph.characters.empty() || glyph.codes.front() >= BYTE_VALUES)
            continue;
        const auto code = static_cast<std::uint8_t>(glyph.codes.front());
        const char32_t c = glyph.characters.front();
        const auto kept = sources.kept.find(code);
        if (!glyph.picture && (!no_code_holds(c).empty() || kept != sources.kept.end() || code == LINE_FEED))
            continue;
        if (set_character(code, sources.table_set) == c)
            continue;
        std::string reason = code == LINE_FEED ? code_name(code) + " ends a line: no character goes there"
                                               : free_code_problem(code, c, sources.table_set, sources.set_name);
        if (reason.empty() && kept != sources.kept.end())
            reason = code_name(code) + " is kept free (" + kept->second + ")";
        if (reason.empty()) {
            added.emplace(code, c);
            continue;
        }
        // A code that is not free: say which are.
        if (code == LINE_FEED || code == 0 || set_character(code, sources.table_set) != NO_CHARACTER ||
            kept != sources.kept.end())
            reason += ": label " + character_name(c) + " with a free code (" + code_ranges(offered_codes(sources)) + ")";
        errors.push_back({glyph.place, reason});
    }
}

// A yaff font's characters at its free codes keep them where the table set
// leaves those codes free too, and nothing keeps them free.
void add_font_labels(const addition_sources &sources, free_code_characters &added)
{
    std::set<char32_t> placed;
    for (const auto &[code, c] : added)
        placed.insert(c);
    for (const auto &[code, c] : sources.font_labels)
        if (code != LINE_FEED && added.count(code) == 0 && sources.kept.count(code) == 0 && placed.count(c) == 0 &&
            free_code_problem(code, c, sources.table_set, sources.set_name).empty() && no_code_holds(c).empty()) {
            added.emplace(code, c);
            placed.insert(c);
        }
}

// What characters labelled alone need, and what the text alone needs, that
// ASCII, the table set and the labels give no code: each once, at its first
// place, in the order of those.
struct needs {
    std::vector<needed_at> by_labels, by_text;
};

needs needed(const addition_sources &sources, const free_code_characters &added)
{
    std::set<char32_t> seen;
    for (const auto &[code, c] : added)
        seen.insert(c);
    const auto wants_code = [&sources, &seen](char32_t c) {
        return no_code_holds(c).empty() && !set_code(c, sources.table_set) && seen.insert(c).second;
    };
    needs found;
    for (const labelled_glyph &glyph : sources.labelled)
        if (glyph.codes.empty())
            for (const char32_t c : glyph.characters)
                if (wants_code(c))
                    found.by_labels.push_back({c, glyph.place});
    for (const needed_at &each : sources.text_needs)
        if (wants_code(each.c))
            found.by_text.push_back(each);
    return found;
}

bool by_number(const needed_at &a, const needed_at &b)
{
    return a.c < b.c;
}

}  // namespace

std::vector<import_error> add_characters(const addition_sources &sources, free_code_characters &added,
                                         left_out_characters &left_out)
{
    added.clear();
    left_out = {};
    std::vector<import_error> errors;
    add_labelled(sources, added, errors);
    if (!errors.empty())
        return errors;
    add_font_labels(sources, added);

    const needs wanted = needed(sources, added);
    for (const auto *list : {&wanted.by_labels, &wanted.by_text})
        for (const needed_at &each : *list)
            if (!sources.drawable(each.c))
                errors.push_back({each.place, character_name(each.c) + ": no glyph in " + sources.font_name});
    // A character with no glyph is refused above: it wants no code. One
    // that a free code shows already keeps it, so that a text changes no
    // code the pair had without it.
    std::map<char32_t, std::uint8_t> laid_out_at;
    for (const auto &[code, c] : sources.laid_out)
        if (code != LINE_FEED && added.count(code) == 0 && sources.taken.count(code) == 0 &&
            sources.kept.count(code) == 0)
            laid_out_at.emplace(c, code);
    std::vector<needed_at> by_labels, by_text;
    std::size_t kept = 0;
    for (const auto &[list, order] : {std::pair{&wanted.by_labels, &by_labels}, std::pair{&wanted.by_text, &by_text}})
        for (const needed_at &each : *list)
            if (const auto at = laid_out_at.find(each.c); at != laid_out_at.end()) {
                added.emplace(at->second, each.c);
                ++kept;
            } else if (sources.drawable(each.c)) {
                order->push_back(each);
            }
    // The free codes left (not a code a picture is for, nor one kept free)
    // go to the others, lowest first: those the labels give, then those the
    // text alone needs, each in the order of their numbers.
    std::sort(by_labels.begin(), by_labels.end(), by_number);
    std::sort(by_text.begin(), by_text.end(), by_number);
    std::vector<needed_at> in_order = by_labels;
    in_order.insert(in_order.end(), by_text.begin(), by_text.end());
    std::vector<std::uint8_t> free;
    for (const std::uint8_t code : free_codes(sources.table_set))
        if (added.count(code) == 0 && sources.taken.count(code) == 0 && sources.kept.count(code) == 0)
            free.push_back(code);
    for (std::size_t i = 0; i < std::min(in_order.size(), free.size()); ++i)
        added.emplace(free[i], in_order[i].c);
    if (in_order.size() > free.size()) {
        left_out.needed = kept + in_order.size();
        left_out.free = kept + free.size();
        left_out.characters.assign(in_order.begin() + static_cast<std::ptrdiff_t>(free.size()), in_order.end());
        std::sort(left_out.characters.begin(), left_out.characters.end(), by_number);
    }
    return errors;
}
