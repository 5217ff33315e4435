// Translations taken on their own, out of any source: put into the font's
// codes, checked against a string's room, or noted missing; and the forms
// of the messages with plural forms.
#include <set>

#include "charset/text_cursor.h"
#include "messages/messages.h"
#include "ui_text/ui_text.h"

std::string catalog_language(const text_translations &translations)
{
    if (!translations.language.empty())
        return translations.language;
    const std::string &path = translations.catalog;
    const std::size_t slash = path.rfind('/');
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    const std::size_t dot = name.rfind('.');
    return dot == std::string::npos || dot == 0 ? name : name.substr(0, dot);
}

std::string untranslated_why(const text_translations &translations, const std::string &id, bool plural)
{
    const std::string name = quoted_name(translations.catalog);
    const auto found = translations.messages.find(id);
    if (found == translations.messages.end())
        return "not in " + name;
    const translation &entry = found->second;
    const std::string at = name + (entry.line != 0 ? ":" + std::to_string(entry.line) : "");
    const bool unreadable = entry.text.empty() && !entry.faults.empty();  // not text of the catalog's charset
    if (entry.fuzzy)
        return "fuzzy in " + at;
    if (entry.text.empty() && !unreadable)
        return "empty in " + at;
    if (plural && !entry.plural)
        return "no plural forms in " + at;
    return "";
}

std::string untranslated_note(const std::string &why, bool error)
{
    return "untranslated: " + why + (error ? "" : "; kept as it is");
}

std::string encode_translation(const std::string &text, const text_codes &codes, const std::string &catalog,
                               std::size_t line, text_problems &problems, missing_characters *missing)
{
    const std::size_t first_problem = problems.shown.size();
    std::string encoded, unread;  // the cursor copies nothing: each code is taken below
    text_cursor cursor(text, codes, unread, problems);
    std::map<char32_t, text_place> characters;
    std::map<std::uint8_t, text_place> written;
    if (missing != nullptr) {
        cursor.collect_missing(&characters);
        cursor.collect_codes(&written);
    }
    while (!cursor.done()) {
        char32_t c = 0;
        std::string_view original;
        encoded += cursor.take_character(c, original);
    }
    for (auto problem = problems.shown.begin() + static_cast<std::ptrdiff_t>(first_problem);
         problem != problems.shown.end(); ++problem) {
        problem->file = catalog;
        problem->line = line;
        problem->column = 0;
    }
    for (const auto &[c, place] : characters)
        missing->in_catalog.emplace(c, line);
    for (const auto &[code, place] : written)
        missing->codes_in_catalog.emplace(code, line);
    return encoded;
}

void translate_plural_forms(const std::vector<message_use> &uses, const text_codes &codes,
                            const text_translations &translations, text_problems &problems,
                            missing_characters *missing)
{
    std::set<std::string> done;
    for (const message_use &use : uses) {
        const auto found = translations.messages.find(use.id);
        if (!use.plural_id || found == translations.messages.end() || !done.insert(use.id).second)
            continue;
        const translation &entry = found->second;
        if (entry.fuzzy || !entry.plural)
            continue;
        for (const text_problem &fault : entry.faults)
            problems.add(fault);
        for (const std::string &form : entry.forms) {
            const std::string encoded = encode_translation(form, codes, translations.catalog, entry.line, problems,
                                                           missing);
            for (const std::optional<text_room> &room : {use.room, use.plural_room})
                for (std::string &what : fit_faults(encoded, room))
                    problems.add({entry.line, 0, std::move(what), false, translations.catalog});
        }
    }
}
