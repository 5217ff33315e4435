/* Writes a message marked for translation as the firmware would hand it to
   the display: in the language of the catalog it was built with. */
#include <stdio.h>

#define _(text) text

int main(void)
{
    puts(_("Settings"));
    return 0;
}
