// UI text put into a font's 8-bit codes and checked against it: a C or C++
// source, whose ordinary narrow string and character literals are encoded,
// or any other text, which is encoded whole.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "charset/text_codes.h"

struct encoded_text {
    std::string bytes;  // meant to be written only when there is no problem
    std::vector<text_problem> problems;
};

// Whether a file is a C or C++ source by its extension: .c .h .cc .cpp .cxx
// .hh .hpp .hxx .ino.
bool is_c_source(const std::string &path);

// Encodes the contents of the ordinary narrow literals ("..." and '...',
// raw strings R"d(...)d" too) and copies everything else byte for byte:
// comments, header names, identifiers, and literals with a u8, u, U or L
// prefix. Each encoded byte is written as a three-digit octal escape, so
// that no escape before it grows. The output starts with #line 1 "name"
// and keeps every line where it was.
encoded_text encode_c_source(std::string_view source, const std::string &name,
                             const text_codes &codes);

// Encodes every character but the line ends, which are kept.
encoded_text encode_plain_text(std::string_view text, const text_codes &codes);
