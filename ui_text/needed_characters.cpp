// What a text needs of a pair: the characters it uses that have no code,
// and the codes it writes itself.
#include <algorithm>

#include "ui_text/ui_text.h"

namespace {

// In the order of their places: the text's own first, then the catalog's.
template <typename need> void sort_by_place(std::vector<need> &needs)
{
    std::sort(needs.begin(), needs.end(), [](const need &a, const need &b) {
        if (a.file != b.file)
            return a.file.empty();
        return a.place.line != b.place.line ? a.place.line < b.place.line : a.place.column < b.place.column;
    });
}

// Each of what the text and the catalog hold, at its first place: in the
// text where it is there.
template <typename need, typename key>
std::vector<need> first_places(const std::map<key, text_place> &in_text, const std::map<key, std::size_t> &in_catalog,
                               const text_translations *translations)
{
    std::vector<need> needs;
    for (const auto &[each, place] : in_text)
        needs.push_back({each, place, ""});
    for (const auto &[each, line] : in_catalog)
        if (in_text.count(each) == 0)
            needs.push_back({each, {line, 0}, translations->catalog});
    sort_by_place(needs);
    return needs;
}

}  // namespace

text_needs needs_of_text(std::string_view text, bool c_source, const text_codes &codes,
                         const text_translations *translations, const std::vector<message_keyword> &keywords,
                         text_problems &errors)
{
    missing_characters missing;
    source_messages plural;  // the messages with plural forms, whose forms the catalog gives
    text_rules rules;
    rules.missing = &missing;
    rules.translations = translations;
    rules.keywords = keywords;
    if (translations != nullptr)
        rules.messages = &plural;
    encoded_text read = c_source ? encode_c_source(text, "", codes, rules) : encode_plain_text(text, codes, rules);
    if (translations != nullptr)
        translate_plural_forms(plural.found, codes, *translations, read.problems, &missing);
    for (const text_problem &problem : read.problems.shown)
        if (!problem.warning)
            errors.add(problem);
    while (errors.errors < read.problems.errors)  // those past the first few, counted
        errors.count();
    return {first_places<needed_character>(missing.in_text, missing.in_catalog, translations),
            first_places<written_code>(missing.codes_in_text, missing.codes_in_catalog, translations)};
}
