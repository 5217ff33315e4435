// The record that font_import leaves beside "8x12.fnt" and "koi.bin": the
// sets it made them for, and the characters it put at the codes the table
// set leaves free, so that the tools reading the pair show every code as
// the pair means it without being told, and refuse a -t that says otherwise.
// Its sum covers the font, the table and all it says, so a record edited by
// mistake, or left beside another font or table, is refused. make_h never
// reads it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "charset/charset.h"
#include "font_data/font_data.h"

constexpr char SET_RECORD_FILE[] = "koi.sets";

struct set_record {
    std::string table_set;    // what codes 128-255 show through koi.bin
    std::string glyph_order;  // whose order the slots of 8x12.fnt follow; empty if not said
    free_code_characters characters{};  // what the codes the table set leaves free show
    std::size_t table_set_line = 0;     // where a record read names its table set
    std::map<std::uint8_t, std::size_t> character_lines{};  // and where each code's character
};

// What is wrong with a record, and the line it is about (0 for the whole).
struct record_problem {
    std::size_t line = 0;
    std::string reason;
};

// The record's text for a pair of this font and table.
std::string record_text(const set_record &record, const source_font &font, const recode_table &table);

// Reads a record's text into record; returns why it is no record, or the
// record of another font or table or an edited one, or nothing when it is
// fine. A record written by hand, without a sum, needs only its table set.
std::optional<record_problem> parse_record(std::string_view text, const source_font &font, const recode_table &table,
                                           set_record &record);

// Reads a record's text as the tools that follow it do: parse_record, then
// the table set it names into set, each of its characters at a code that
// set leaves free. Returns what is wrong, and its line.
std::optional<record_problem> read_record_text(std::string_view text, const source_font &font,
                                               const recode_table &table, set_record &record, charset_table &set);

// The pair's two files in dir and the record beside them: what a tool
// reading the pair reads, and so must never write.
std::vector<std::string> pair_files(const std::string &dir);

// A table set by name, with the character of each byte, and the characters
// a pair shows at the codes it leaves free.
struct table_set {
    std::string name;
    charset_table characters;
    free_code_characters at_free_codes{};
};

// The set named, reporting "PROGRAM: PLACE: SET: unknown character set" when
// iconv does not know it; PLACE is where it was named, if anywhere.
std::optional<table_set> table_set_reported(const char *program, const std::string &name,
                                            const std::string &place = "");

// The table set of the pair in dir whose font and table are given: the
// record's, or the one -t names (given), or DEFAULT_TABLE_SET when neither
// says. A given set must be the record's, by its characters (CP1251 is
// WINDOWS-1251).
// Only a regular file is a record: a missing one is none, anything else
// (a directory, a pipe, a link to nothing) is refused. Reports what is wrong,
// at its line of the record, and then returns nothing.
std::optional<table_set> pair_table_set_reported(const char *program, const std::string &dir,
                                                 const source_font &font, const recode_table &table,
                                                 const std::optional<std::string> &given);
