// What a text needs of a pair: the characters it uses that have no code.
#include <algorithm>

#include "ui_text/ui_text.h"

std::vector<needed_character> characters_without_code(std::string_view text, bool c_source, const text_codes &codes)
{
    std::map<char32_t, text_place> missing;
    text_rules rules;
    rules.missing = &missing;
    if (c_source)
        encode_c_source(text, "", codes, rules);
    else
        encode_plain_text(text, codes, rules);
    std::vector<needed_character> needed;
    for (const auto &[c, place] : missing)
        needed.push_back({c, place});
    std::sort(needed.begin(), needed.end(), [](const needed_character &a, const needed_character &b) {
        return a.place.line != b.place.line ? a.place.line < b.place.line : a.place.column < b.place.column;
    });
    return needed;
}
