// The two inputs of make_h: the source font and the recoding table, how they
// are loaded, and the two lookups every header value goes through.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

constexpr std::size_t GLYPH_COUNT = 256;
constexpr std::size_t GLYPH_LINES = 12;
constexpr std::size_t FONT_BYTES = GLYPH_COUNT * GLYPH_LINES;
constexpr std::size_t RECODE_ENTRIES = 128;

// Glyph g, line r at offset g * GLYPH_LINES + r.
using source_font = std::array<std::uint8_t, FONT_BYTES>;
// Entry k names the glyph shown for character code 128 + k.
using recode_table = std::array<std::uint8_t, RECODE_ENTRIES>;

constexpr char SOURCE_FONT_FILE[] = "8x12.fnt";
constexpr char RECODE_TABLE_FILE[] = "koi.bin";

// What a loader found. The loaders only report; the program decides what to
// print and how to exit.
struct load_status {
    const char *file;
    int error;  // errno of a failed open or read, 0 if none
    std::size_t bytes_read;
    std::size_t bytes_needed;
};

// Fill from the first FONT_BYTES / RECODE_ENTRIES bytes of the file, by
// default the one in the current directory; whatever follows is ignored.
// The status names the path, which must outlive it.
load_status load_source_font(source_font &font, const char *path = SOURCE_FONT_FILE);
load_status load_recode_table(recode_table &table, const char *path = RECODE_TABLE_FILE);

// Codes below 128 show their own glyph; the others go through the table.
std::uint8_t glyph_for_code(const recode_table &table, std::uint8_t code);

std::uint8_t font_byte(const source_font &font, std::uint8_t glyph, std::size_t line);
