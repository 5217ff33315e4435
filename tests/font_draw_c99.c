/* The drawing routine compiled as C99, as firmware compiles it, for the
   tests to draw with beside their C++ copy. */
#include "font8x12_draw.h"

void c99_draw_rows(uint8_t *frame, int width, int height, int x, int y, const char *text, const uint8_t font[3072])
{
    font8x12_draw_rows(frame, width, height, x, y, text, font);
}

void c99_draw_pages(uint8_t *frame, int width, int height, int x, int y, const char *text, const uint8_t font[3072])
{
    font8x12_draw_pages(frame, width, height, x, y, text, font);
}

void c99_draw_cells(void (*pixel)(int x, int y, int on, void *context), void *context, int width, int height, int x,
                    int y, const char *text, const uint8_t font[3072])
{
    font8x12_draw_cells(pixel, context, width, height, x, y, text, font);
}
