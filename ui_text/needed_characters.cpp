// What a text needs of a pair: the characters it uses that have no code.
#include <algorithm>

#include "ui_text/ui_text.h"

std::vector<needed_character> characters_without_code(std::string_view text, bool c_source, const text_codes &codes,
                                                      const text_translations *translations,
                                                      const std::vector<message_keyword> &keywords,
                                                      text_problems &errors)
{
    missing_characters missing;
    text_rules rules;
    rules.missing = &missing;
    rules.translations = translations;
    rules.keywords = keywords;
    const encoded_text read =
        c_source ? encode_c_source(text, "", codes, rules) : encode_plain_text(text, codes, rules);
    for (const text_problem &problem : read.problems.shown)
        if (!problem.warning)
            errors.add(problem);
    while (errors.errors < read.problems.errors)  // those past the first few, counted
        errors.count();
    // Where the text has a character, there first; else in the catalog.
    std::vector<needed_character> needed;
    for (const auto &[c, place] : missing.in_text)
        needed.push_back({c, place, ""});
    std::sort(needed.begin(), needed.end(), [](const needed_character &a, const needed_character &b) {
        return a.place.line != b.place.line ? a.place.line < b.place.line : a.place.column < b.place.column;
    });
    std::vector<needed_character> translated;
    for (const auto &[c, line] : missing.in_catalog)
        if (missing.in_text.count(c) == 0)
            translated.push_back({c, {line, 0}, translations->catalog});
    std::sort(translated.begin(), translated.end(),
              [](const needed_character &a, const needed_character &b) { return a.place.line < b.place.line; });
    needed.insert(needed.end(), translated.begin(), translated.end());
    return needed;
}
