/* What a display driver does with the font: the greeting drawn into the
   frame of an SSD1306 (vertical pages) and of a memory LCD (rows), and
   handed to any other display pixel by pixel. */
#include <stdint.h>

#include "font8x12_draw.h"

enum { WIDTH = 128, HEIGHT = 64 };

extern const uint8_t font_8x12[3072];
extern const char greeting[];

uint8_t pages_frame[(HEIGHT + 7) / 8 * WIDTH];
uint8_t rows_frame[HEIGHT * ((WIDTH + 7) / 8)];

void show_greeting(int x, int y, void (*pixel)(int x, int y, int on, void *context), void *context)
{
    font8x12_draw_pages(pages_frame, WIDTH, HEIGHT, x, y, greeting, font_8x12);
    font8x12_draw_rows(rows_frame, WIDTH, HEIGHT, x, y, greeting, font_8x12);
    font8x12_draw_cells(pixel, context, WIDTH, HEIGHT, x, y, greeting, font_8x12);
}
