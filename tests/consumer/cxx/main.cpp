// Writes each language's code and its text of a message from a constant
// table, in the font's codes.
#include <cstdio>

#include "ui_languages.h"

#define _(text) ui_text(text)
#define N_(text) text

static const char *const items[] = {N_("Settings")};

int main()
{
    for (unsigned language = 0; language < UI_LANGUAGE_COUNT; ++language) {
        ui_set_language(language);
        std::printf("%s %s\n", ui_language_code(language), _(items[0]));
    }
    return ui_language() == UI_LANGUAGE_RU ? 0 : 1;
}
