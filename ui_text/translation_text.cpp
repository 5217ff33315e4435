// Translations taken on their own, out of any source: put into the font's
// codes, checked against a string's room, or noted missing.
#include "charset/text_cursor.h"
#include "ui_text/ui_text.h"

std::string untranslated_note(const std::string &why, bool error)
{
    return "untranslated: " + why + (error ? "" : "; kept as it is");
}

std::string encode_translation(const std::string &text, const text_codes &codes, const std::string &catalog,
                               std::size_t line, text_problems &problems)
{
    const std::size_t first_problem = problems.shown.size();
    std::string encoded, unread;  // the cursor copies nothing: each code is taken below
    text_cursor cursor(text, codes, unread, problems);
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
    return encoded;
}
