/* Writes the UI texts as the firmware would hand them to the display: the
   bytes of the literals, which font_text put into the font's codes. */
#include <stdio.h>

#include "ui/strings.h"

int main(void)
{
    fputs("Привет, ", stdout);
    fputs(menu_title, stdout);
    putchar('\n');
    return 0;
}
