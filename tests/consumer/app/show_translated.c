/* Writes a message marked for translation as the firmware would hand it to
   the display: in the language of the catalog it was built with; and the
   forms of a message with plural forms, which the tables choose. */
#include <stdio.h>

#include "ui_languages.h"

#define _(text) text

int main(void)
{
    puts(_("Settings"));
    for (unsigned long n = 1; n <= 5; n += 4) {
        printf(ui_ntext("%lu file", "%lu files", n), n);
        putchar('\n');
    }
    return 0;
}
