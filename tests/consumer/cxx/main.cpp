// Writes each language's code and its text of a message, in the font's codes.
#include <cstdio>

#include "ui_languages.h"

#define _(text) ui_text(text)

int main()
{
    for (unsigned language = 0; language < UI_LANGUAGE_COUNT; ++language) {
        ui_set_language(language);
        std::printf("%s %s\n", ui_language_code(language), _("Settings"));
    }
    return ui_language() == UI_LANGUAGE_RU ? 0 : 1;
}
