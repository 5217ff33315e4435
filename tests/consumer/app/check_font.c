/* check_font 8x12.fnt koi.bin: exits 0 if the array of the header made for
   this program is the recoded transpose of these inputs (element r * 256 + c
   is line r of the glyph that code c shows, codes 128 to 255 through the
   table), and font8x12_draw.h, found beside the header, draws each code as
   the array holds it; else 1 with the first wrong element or code named. */
#include <stdint.h>
#include <stdio.h>

#include "font8x12.h"
#include "font8x12_draw.h"

enum { GLYPH_LINES = 12, CODES = 256, FONT_BYTES = 3072, TABLE_BYTES = 128, FIRST_RECODED = 128 };

_Static_assert(sizeof font_8x12 == FONT_BYTES, "font_8x12 holds 256 glyphs of 12 lines");

/* Returns 0 when size bytes of path are in buffer. */
static int read_input(const char *path, uint8_t *buffer, size_t size)
{
    FILE *file = fopen(path, "rb");
    const size_t got = file ? fread(buffer, 1, size, file) : 0;
    if (file)
        fclose(file);
    if (got == size)
        return 0;
    fprintf(stderr, "check_font: %s: cannot read %zu bytes\n", path, size);
    return 1;
}

int main(int argc, char **argv)
{
    static uint8_t font[FONT_BYTES], table[TABLE_BYTES];
    if (argc != 3 || read_input(argv[1], font, sizeof font) || read_input(argv[2], table, sizeof table))
        return 2;
    for (int line = 0; line < GLYPH_LINES; ++line)
        for (int code = 0; code < CODES; ++code) {
            const int glyph = code < FIRST_RECODED ? code : table[code - FIRST_RECODED];
            const uint8_t expected = font[glyph * GLYPH_LINES + line];
            const uint8_t found = font_8x12[line * CODES + code];
            if (found != expected) {
                fprintf(stderr, "check_font: element %d is 0x%02x, not 0x%02x\n",
                        line * CODES + code, found, expected);
                return 1;
            }
        }
    /* Each code but NUL and the line feed, drawn alone, is its glyph. */
    for (int code = 1; code < CODES; ++code) {
        const char text[] = {(char)code, '\0'};
        uint8_t cell[GLYPH_LINES];
        if (code == '\n')
            continue;
        font8x12_draw_rows(cell, 8, GLYPH_LINES, 0, 0, text, font_8x12);
        for (int line = 0; line < GLYPH_LINES; ++line)
            if (cell[line] != font_8x12[line * CODES + code]) {
                fprintf(stderr, "check_font: code %d is drawn wrong at line %d\n", code, line);
                return 1;
            }
    }
    return 0;
}
