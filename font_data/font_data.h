// The two inputs of make_h: the source font and the recoding table, how they
// are loaded, and the two lookups every header value goes through.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

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

// The tools' one form of message on standard error: "PROGRAM: FILE: reason",
// with FILE as quoted_name() shows it.
void report_failure(const char *program, const char *file, const char *reason);

// strerror's text for error, or for EIO when no errno says what went wrong.
std::string error_text(int error);

// A count of characters in words: "1 character", "5 characters".
std::string characters(std::size_t count);

// Text in single quotes, with control characters, quotes and backslashes
// escaped as in C: 'no\nsuch.pcf'.
std::string quote(const std::string &text);

// A name as a message shows it: as it is, or quoted when it holds a control
// character, so that a message is always one line.
std::string quoted_name(const std::string &name);

// Reports a failed load in that form, e.g. "make_h: koi.bin: 100 bytes, 128
// needed"; returns whether the load succeeded.
bool load_reported(const char *program, const load_status &status);

// Fill from the first FONT_BYTES / RECODE_ENTRIES bytes of the file, by
// default the one in the current directory; whatever follows is ignored.
// The status names the path, which must outlive it.
load_status load_source_font(source_font &font, const char *path = SOURCE_FONT_FILE);
load_status load_recode_table(recode_table &table, const char *path = RECODE_TABLE_FILE);

// Where one of the two files is in a directory, as the tools around make_h
// name it: the name alone for ".".
std::string path_in(const std::string &dir, const char *name);

// Loads both inputs from dir, reporting a failure as load_reported does;
// returns whether both are loaded.
bool load_inputs_reported(const char *program, const std::string &dir, source_font &font,
                          recode_table &table);

// Codes below 128 show their own glyph; the others go through the table.
std::uint8_t glyph_for_code(const recode_table &table, std::uint8_t code);

std::uint8_t font_byte(const source_font &font, std::uint8_t glyph, std::size_t line);
