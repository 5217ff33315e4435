/* Writes the words of one's own set as the display gets them, one a line,
   and checks the font's header is there to show them. */
#include <stdint.h>
#include <stdio.h>

#include "font8x12.h"

extern const char *const own_words[];

int main(void)
{
    for (const char *const *word = own_words; *word != NULL; ++word)
        puts(*word);
    return sizeof font_8x12 == 3072 ? 0 : 1;
}
