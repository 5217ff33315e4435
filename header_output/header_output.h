// The text of the generated header, written to standard output one piece at a
// time in array order. The writer keeps no state: each piece depends only on
// its arguments.
#pragma once

#include <cstddef>
#include <cstdint>

#include "font_data/font_data.h"

constexpr unsigned VALUES_PER_ROW = 16;
// The first code that goes through the recoding table; its glyph is traced.
constexpr std::size_t TRACED_CODE = 128;

void write_header_prologue();
void write_line_heading(std::size_t line);
// Opens a new value row before every code that is a multiple of VALUES_PER_ROW.
void write_value(std::uint8_t code, std::uint8_t byte);
void end_line_plane();
void write_header_epilogue();

// One line on standard error: the glyph chosen for TRACED_CODE, its offset in
// the font for this line, and the byte found there.
void write_code_trace(std::uint8_t glyph, std::size_t line, const source_font &font);

// Flushes and closes standard output. Returns 0 when the whole header got
// out, else the errno of the failure.
int close_header_output();
