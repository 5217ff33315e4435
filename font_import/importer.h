// font_import's work: from a font file to the two inputs of make_h.
#pragma once

#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "charset/charset.h"
#include "font_data/font_data.h"
#include "font_import/font_reader.h"
#include "ui_text/translations.h"

constexpr char DEFAULT_GLYPH_ORDER[] = "CP866";

// A UI text whose characters the pair must show: its name in messages, what
// it holds, and whether it is read as a C or C++ source.
struct text_source {
    std::string name;
    std::string content;
    bool c_source = false;
};

struct import_options {
    std::string font_path;
    std::vector<text_source> texts;  // each character they use gets a code, each code they write is kept
    std::set<std::uint8_t> keep_codes;  // codes no character is given: a display driver's own
    // The catalogs their messages are shown translated by, and whether the
    // sources' own language is shown beside one (every language in one
    // program, as it is beside several): each language's text needs its
    // characters.
    std::vector<const text_translations *> catalogs{};
    bool every_language = false;
    std::vector<message_keyword> keywords{};  // which mark those messages
    std::string glyph_order = DEFAULT_GLYPH_ORDER;
    std::string table_set = DEFAULT_TABLE_SET;
    std::string font_encoding;  // empty: what the font says
    std::string glyphs_path;    // a yaff of pictures to use; empty: none
    std::optional<int> pixel_size;
    std::optional<int> top;  // blank rows above the font's cell; below 0 cuts
    bool crop = false;       // take a cell larger than 8x12, cutting what falls outside
};

// The largest cell --crop takes: more than twice the slot is no font it can save.
constexpr int CROP_LIMIT_FACTOR = 2;

// What went wrong, and what it concerns: a file (with the line, for a text
// font at fault: "glyphs.yaff:12") or a set's name.
struct import_error {
    std::string subject;
    std::string reason;
};

struct imported_font {
    source_font font{};
    recode_table table{};
    // What the codes the table set leaves free show, where it is known: the
    // characters added there and the symbols and characters placed there.
    free_code_characters at_free_codes;
    std::vector<font_warning> warnings;  // about the font file, in the order found
    // What was drawn: the format, the size and why, the cell, the top row,
    // how many characters were placed, missing and cut, and how many
    // pictures of one's own were used.
    std::string report;
};

// Returns the errors, none when the font and its table are made.
std::vector<import_error> import_font(const import_options &options, imported_font &result);
