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
    text_problems problems;
};

// Whether a file is a C or C++ source by its extension: any that CMake
// compiles as C or C++ (.c .C .cc .cpp .cxx .c++ .CPP .cppm .ixx ...), their
// headers (.h .H .hh .hpp .hxx .h++ .inl .txx ...) and Arduino's .ino.
bool is_c_source(const std::string &path);

// Encodes the contents of the ordinary narrow literals ("..." and '...',
// raw strings R"d(...)d" too) and copies everything else byte for byte:
// comments, header names, identifiers, literals with a u8, u, U or L prefix
// and those they join, and the strings of static_assert, _Pragma, asm and
// attributes. The source is read as the compiler reads it: line splices are
// gone first, and CR, LF and CR LF end lines. Each encoded byte that is not
// printable ASCII is written as a three-digit octal escape, so that no
// escape before it grows. The output starts with #line 1 "name" and keeps
// every line where it was.
encoded_text encode_c_source(std::string_view source, const std::string &name,
                             const text_codes &codes);

// Encodes every character but the line ends (CR, LF, CR LF), which are kept.
encoded_text encode_plain_text(std::string_view text, const text_codes &codes);
