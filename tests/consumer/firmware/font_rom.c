/* What a display driver asks of the font: one line of the glyph of a code. */
#include <stdint.h>

#include "font8x12.h"

enum { CODES = 256 };

uint8_t font_line(uint8_t code, uint8_t line)
{
    return font_8x12[line * CODES + code];
}
