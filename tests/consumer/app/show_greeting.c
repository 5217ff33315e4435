/* Writes the greeting of ui/greeting.h, in the font's codes when that header
   is listed under TEXT, else as it stands there. */
#include <stdio.h>

#include "ui/greeting.h"

int main(void)
{
    puts(GREETING);
    return 0;
}
