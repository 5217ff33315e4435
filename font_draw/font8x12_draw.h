/* Text in the font of a header that make_h made, drawn into a display's
 * framebuffer: each code an 8x12 cell, as font_sheet --text shows it.
 * C99 and C++, freestanding: no library call, no allocation, no state kept
 * between calls. See font8x12_draw(3). */
#ifndef FONT8X12_DRAW_H
#define FONT8X12_DRAW_H

#include <stddef.h>
#include <stdint.h>

enum {
    FONT8X12_CELL_WIDTH = 8,
    FONT8X12_CELL_HEIGHT = 12,
    FONT8X12_CODES = 256, /* font[line * FONT8X12_CODES + code] is one line of a glyph */
    FONT8X12_LINE_FEED = 0x0A
};

/* Where the drawing is in the text, and the next cell that shows on the
 * frame: what the three functions share. Not for callers. */
struct font8x12_walk {
    const unsigned char *text;
    int width, height;
    int line_left;       /* x of each line's first cell */
    int next_left, top;  /* the next cell's left edge, its line's top edge */
    /* The cell that shows: its code, its left edge, and its part on the
     * frame, columns [first_column, end_column) and lines [first_line,
     * end_line) of the cell. */
    unsigned code;
    int left;
    int first_column, end_column, first_line, end_line;
};

static inline void font8x12_walk_start(struct font8x12_walk *walk, int width, int height, int x, int y,
                                       const char *text)
{
    /* An empty frame, or one the first line is below, shows nothing. */
    walk->text = (const unsigned char *)(width <= 0 || height <= 0 || y >= height ? "" : text);
    walk->width = width;
    walk->height = height;
    walk->line_left = x;
    walk->next_left = x;
    walk->top = y;
}

/* Moves to the next cell that shows on the frame; 0 when none is left.
 * The clipping is done here once a cell, and no sum can overflow: a left
 * edge past the frame stays at its width, and a line below the frame ends
 * the text. */
static inline int font8x12_walk_next(struct font8x12_walk *walk)
{
    for (;;) {
        const unsigned code = *walk->text;
        int left;
        if (code == 0)
            return 0;
        ++walk->text;
        if (code == FONT8X12_LINE_FEED) {
            if (walk->top >= walk->height - FONT8X12_CELL_HEIGHT)
                return 0;
            walk->top += FONT8X12_CELL_HEIGHT;
            walk->next_left = walk->line_left;
            continue;
        }
        left = walk->next_left;
        if (left >= walk->width || walk->top <= -FONT8X12_CELL_HEIGHT)
            continue;
        walk->next_left = left < walk->width - FONT8X12_CELL_WIDTH ? left + FONT8X12_CELL_WIDTH : walk->width;
        if (left <= -FONT8X12_CELL_WIDTH)
            continue;
        walk->code = code;
        walk->left = left;
        walk->first_column = left < 0 ? -left : 0;
        walk->end_column = left > walk->width - FONT8X12_CELL_WIDTH ? walk->width - left : FONT8X12_CELL_WIDTH;
        walk->first_line = walk->top < 0 ? -walk->top : 0;
        walk->end_line =
            walk->top > walk->height - FONT8X12_CELL_HEIGHT ? walk->height - walk->top : FONT8X12_CELL_HEIGHT;
        return 1;
    }
}

/* Sets the bits of *byte that mask names to those of bits. */
static inline void font8x12_merge(uint8_t *byte, uint32_t bits, uint32_t mask)
{
    *byte = (uint8_t)((*byte & ~mask) | (bits & mask));
}

/* A 1-bit frame of height rows of (width + 7) / 8 bytes, bit 7 of a byte the
 * leftmost of its 8 pixels. The bits past width in a row's last byte are
 * left as they are. */
static inline void font8x12_draw_rows(uint8_t *frame, int width, int height, int x, int y, const char *text,
                                      const uint8_t font[3072])
{
    const size_t stride = ((size_t)(unsigned)width + 7u) / 8u;
    struct font8x12_walk walk;
    font8x12_walk_start(&walk, width, height, x, y, text);
    while (font8x12_walk_next(&walk)) {
        const unsigned shift = (unsigned)walk.left & 7u;
        /* The cell's line falls into two bytes, the first left of the frame
         * when the cell starts left of it: what shows of each. */
        const uint32_t shown = (0xFFu >> walk.first_column) & (0xFFu << (FONT8X12_CELL_WIDTH - walk.end_column));
        const uint32_t first_mask = shown >> shift, second_mask = (shown << (8u - shift)) & 0xFFu;
        const int first_byte = (walk.left - (int)shift) / 8;
        int line;
        for (line = walk.first_line; line < walk.end_line; ++line) {
            uint8_t *row = frame + (size_t)(walk.top + line) * stride;
            const uint32_t bits = font[line * FONT8X12_CODES + (int)walk.code];
            if (first_mask == 0xFFu) /* the cell's line is all of a byte */
                row[first_byte] = (uint8_t)bits;
            else {
                if (first_mask != 0)
                    font8x12_merge(&row[first_byte], bits >> shift, first_mask);
                if (second_mask != 0)
                    font8x12_merge(&row[first_byte + 1], bits << (8u - shift), second_mask);
            }
        }
    }
}

/* Lines first to first + 3 of the glyph of code, the last in the top byte. */
static inline uint32_t font8x12_four_lines(const uint8_t font[3072], unsigned code, int first)
{
    const uint8_t *line = font + first * FONT8X12_CODES + (int)code;
    return (uint32_t)line[3 * FONT8X12_CODES] << 24 | (uint32_t)line[2 * FONT8X12_CODES] << 16 |
           (uint32_t)line[FONT8X12_CODES] << 8 | line[0];
}

/* Turns 8 lines of 8 pixels, lines 7-4 in the bytes of *high from the top
 * one down and lines 3-0 in *low's, into their 8 columns: column 0 in the
 * top byte of *high, column 7 in the bottom byte of *low, line 0 in bit 0
 * (Hacker's Delight, 7-3, in three exchanges). */
static inline void font8x12_transpose(uint32_t *high, uint32_t *low)
{
    uint32_t x = *high, y = *low, t;
    t = (x ^ (x >> 7)) & 0x00AA00AAu;
    x = x ^ t ^ (t << 7);
    t = (y ^ (y >> 7)) & 0x00AA00AAu;
    y = y ^ t ^ (t << 7);
    t = (x ^ (x >> 14)) & 0x0000CCCCu;
    x = x ^ t ^ (t << 14);
    t = (y ^ (y >> 14)) & 0x0000CCCCu;
    y = y ^ t ^ (t << 14);
    *high = (x & 0xF0F0F0F0u) | ((y >> 4) & 0x0F0F0F0Fu);
    *low = ((x << 4) & 0xF0F0F0F0u) | (y & 0x0F0F0F0Fu);
}

/* The 8 columns of the glyph of code, line 0 in bit shift of each. */
static inline void font8x12_columns(const uint8_t font[3072], unsigned code, unsigned shift,
                                    uint32_t columns[FONT8X12_CELL_WIDTH])
{
    uint32_t high = font8x12_four_lines(font, code, 4), low = font8x12_four_lines(font, code, 0);
    uint32_t bottom_high = 0, bottom_low = font8x12_four_lines(font, code, 8);
    int column;
    font8x12_transpose(&high, &low);
    font8x12_transpose(&bottom_high, &bottom_low);
    for (column = 0; column < 4; ++column) {
        columns[column] = (high >> 24 | (bottom_high >> 24) << 8) << shift;
        columns[column + 4] = (low >> 24 | (bottom_low >> 24) << 8) << shift;
        high <<= 8;
        bottom_high <<= 8;
        low <<= 8;
        bottom_low <<= 8;
    }
}

/* A 1-bit frame of vertical pages, as SSD1306 and SH1106 controllers hold
 * it: (height + 7) / 8 pages of width bytes, byte (py / 8) * width + px
 * holding pixels (px, py) to (px, py | 7), bit 0 the top one. The bits past
 * height in the last page are left as they are. */
static inline void font8x12_draw_pages(uint8_t *frame, int width, int height, int x, int y, const char *text,
                                       const uint8_t font[3072])
{
    struct font8x12_walk walk;
    font8x12_walk_start(&walk, width, height, x, y, text);
    while (font8x12_walk_next(&walk)) {
        const unsigned shift = (unsigned)walk.top & 7u;
        /* A column of the cell falls into three pages, the first two above
         * the frame when the cell starts above it: what shows of each. */
        const uint32_t shown = (((uint32_t)1 << walk.end_line) - ((uint32_t)1 << walk.first_line)) << shift;
        const int first_page = (walk.top - (int)shift) / 8;
        uint32_t columns[FONT8X12_CELL_WIDTH];
        int page, column;
        font8x12_columns(font, walk.code, shift, columns);
        for (page = 0; page < 3; ++page) {
            const uint32_t mask = (shown >> (8 * page)) & 0xFFu;
            uint8_t *cell;
            if (mask == 0)
                continue;
            cell = frame + (size_t)(first_page + page) * (size_t)width + (size_t)(walk.left + walk.first_column);
            for (column = walk.first_column; column < walk.end_column; ++column, ++cell)
                if (mask == 0xFFu)
                    *cell = (uint8_t)(columns[column] >> (8 * page));
                else
                    font8x12_merge(cell, columns[column] >> (8 * page), mask);
        }
    }
}

/* Any other display: pixel is called for each pixel of each cell that falls
 * on the width x height screen, line by line, with on 1 where the glyph is
 * lit and 0 where it is not. */
static inline void font8x12_draw_cells(void (*pixel)(int x, int y, int on, void *context), void *context, int width,
                                       int height, int x, int y, const char *text, const uint8_t font[3072])
{
    struct font8x12_walk walk;
    int line, column;
    font8x12_walk_start(&walk, width, height, x, y, text);
    while (font8x12_walk_next(&walk))
        for (line = walk.first_line; line < walk.end_line; ++line) {
            const unsigned bits = font[line * FONT8X12_CODES + (int)walk.code];
            for (column = walk.first_column; column < walk.end_column; ++column)
                pixel(walk.left + column, walk.top + line, (int)(bits >> (7 - column) & 1u), context);
        }
}

#endif
