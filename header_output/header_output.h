// The text of the generated header, written to standard output one piece at a
// time in array order. The writer keeps no state: each piece depends only on
// its arguments.
#pragma once

#include <cstddef>
#include <cstdint>

constexpr unsigned VALUES_PER_ROW = 16;

void write_header_prologue();
void write_line_heading(std::size_t line);
// Opens a new value row before every code that is a multiple of VALUES_PER_ROW.
void write_value(std::uint8_t code, std::uint8_t byte);
void end_line_plane();
void write_header_epilogue();

// Flushes and closes standard output. Returns 0 when the whole header got
// out, else the errno of the failure.
int close_header_output();
