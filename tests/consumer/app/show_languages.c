/* Switches through every language of the program and writes each of its
   messages, as the firmware would hand them to the display: in the codes of
   the one font that every language shares. */
#include <stdio.h>

#include "ui_languages.h"
#include "ui/menu_items.h"

#define _(text) ui_text(text)

enum { LAST_COUNT = 25 };

int main(void)
{
    for (unsigned language = 0; language < ui_language_count(); ++language) {
        ui_set_language(language);
        puts(ui_language_code(ui_language()));
        for (unsigned i = 0; i < MENU_ITEM_COUNT; ++i)
            puts(_(menu_items[i]));
        puts(_("Battery 🔋"));
        for (unsigned long n = 0; n <= LAST_COUNT; ++n) {
            printf(ui_ntext("%lu file", "%lu files", n), n);
            putchar('\n');
        }
    }
    return 0;
}
