// How a byte is written inside quotes in a message; shared by the messages
// made with the C library alone and those built as strings.
#pragma once

#include <cstddef>

// Room for the longest escape, a backslash and three octal digits, and a NUL.
constexpr std::size_t ESCAPE_SIZE = 5;

bool has_control_byte(const char *text, std::size_t size);

// The byte as C writes it inside quotes: itself, a backslash and a letter, or
// a backslash and three octal digits. Returns buffer.
const char *escaped(char c, char (&buffer)[ESCAPE_SIZE]);
