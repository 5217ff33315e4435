// UTF-8, read strictly: no overlong forms, no surrogates, nothing past
// U+10FFFF. The one decoder of the project; it needs nothing but the bytes,
// so that the PSF reader's fuzzer can build it in.
#pragma once

#include <cstddef>
#include <cstdint>

// Whether a number is a Unicode scalar value, a character that UTF-8 and
// UTF-32 can hold: at most U+10FFFF, and no surrogate.
bool is_unicode_scalar(std::uint64_t value);

// Decodes the character the bytes start with. Returns how many bytes it
// takes, or 0 when they are no UTF-8 or end inside the character.
std::size_t decode_utf8(const std::uint8_t *bytes, std::size_t size, char32_t &c);

// The column of the byte at `at` in a line starting at `line`: the
// characters before it, plus one, as editors count columns.
std::size_t column_of(const std::uint8_t *line, const std::uint8_t *at);
