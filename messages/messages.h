// The one form of the tools' messages on standard error, "PROGRAM: FILE:
// reason", and the pieces of text they are made of. make_h uses only the
// first part, which needs nothing beyond the C library.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "font_data/font_data.h"

// The name of standard input and output on the tools' command lines, and
// how messages name them.
constexpr char STANDARD_STREAM[] = "-";
constexpr char STANDARD_INPUT_NAME[] = "standard input";
constexpr char STANDARD_OUTPUT_NAME[] = "standard output";

// An input file as messages name it.
inline std::string input_name(const std::string &path)
{
    return path == STANDARD_STREAM ? STANDARD_INPUT_NAME : path;
}

// Writes "PROGRAM: FILE: reason" on standard error, with FILE quoted when it
// holds a control character, so that a message is always one line.
void report_failure(const char *program, const char *file, const char *reason);

// Reports a failed load in that form, e.g. "make_h: koi.bin: 100 bytes, 128
// needed"; returns whether the load succeeded.
bool load_reported(const char *program, const load_status &status);

// strerror's text for error, or for EIO when no errno says what went wrong.
std::string error_text(int error);

// A count of characters in words: "1 character", "5 characters".
std::string characters(std::size_t count);

// Text in single quotes, with control characters, quotes and backslashes
// escaped as in C: 'no\nsuch.pcf'.
std::string quote(const std::string &text);

// Text taken from an input, quoted as quote() does and cut after
// EXCERPT_CHARACTERS characters with "...", so that a message about a
// line of megabytes is still one line of a screen.
constexpr std::size_t EXCERPT_CHARACTERS = 60;
std::string excerpt(const std::string &text);
// The same cut, without quotes, for text shown as it is.
std::string shortened(std::string_view text);

// A name as a message shows it: as it is, or quoted as quote() does when it
// holds a control character.
std::string quoted_name(const std::string &name);
