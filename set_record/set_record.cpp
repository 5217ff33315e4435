#include "set_record/set_record.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

#include "charset/utf8.h"
#include "command_line/command_line.h"
#include "messages/messages.h"
#include "messages/quoting.h"

namespace {

constexpr char TABLE_SET_KEY[] = "table-set";
constexpr char GLYPH_ORDER_KEY[] = "glyph-order";
constexpr char TABLE_SUM_KEY[] = "table-sum";
// A record is a few short lines; anything much longer is some other file.
constexpr std::size_t LARGEST_RECORD = 4096;
constexpr std::uint64_t FNV_OFFSET = 0xcbf29ce484222325, FNV_PRIME = 0x100000001b3;
constexpr int SUM_DIGITS = 16;
// "0x01: U+263A ☺"
constexpr std::string_view CODE_PREFIX = "0x", CHARACTER_PREFIX = "U+";
constexpr std::size_t CODE_DIGITS = 2, LONGEST_CHARACTER_DIGITS = 6;

// One "key: value" line, trimmed.
struct statement {
    std::string_view key, value;
    std::size_t line;
};

void add_to_sum(std::uint64_t &sum, std::string_view bytes)
{
    for (const char byte : bytes)
        sum = (sum ^ static_cast<unsigned char>(byte)) * FNV_PRIME;
}

// FNV-1a of the glyph each code shows, the table and every statement but
// the sum, in hex: it ties the record to the 8x12.fnt and koi.bin it was
// written with, and to what it says, so that neither a font or table copied
// over the pair later nor an edit is taken for it. Slots no code shows are
// no part of what the pair shows.
std::string record_sum(const source_font &font, const recode_table &table, const std::vector<statement> &statements)
{
    std::uint64_t sum = FNV_OFFSET;
    for (std::size_t code = 0; code < GLYPH_COUNT; ++code)
        for (std::size_t line = 0; line < GLYPH_LINES; ++line) {
            const auto byte = static_cast<char>(font_byte(font, glyph_for_code(table, static_cast<std::uint8_t>(code)), line));
            add_to_sum(sum, std::string_view(&byte, 1));
        }
    add_to_sum(sum, std::string_view(reinterpret_cast<const char *>(table.data()), table.size()));
    for (const statement &each : statements)
        if (each.key != TABLE_SUM_KEY) {
            add_to_sum(sum, each.key);
            add_to_sum(sum, ": ");
            add_to_sum(sum, each.value);
            add_to_sum(sum, "\n");
        }
    char digits[SUM_DIGITS + 1];
    std::snprintf(digits, sizeof digits, "%016llx", static_cast<unsigned long long>(sum));
    return digits;
}

std::string_view trimmed(std::string_view text)
{
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// The statements of a record's text, in order; returns what is wrong with
// the first line that is none.
std::optional<record_problem> statements_of(std::string_view text, std::vector<statement> &statements)
{
    std::size_t line = 0;
    for (std::size_t start = 0; start < text.size();) {
        const std::size_t end = std::min(text.find('\n', start), text.size());
        std::string_view content = text.substr(start, end - start);
        start = end + 1;
        ++line;
        if (!content.empty() && content.back() == '\r')
            content.remove_suffix(1);
        if (trimmed(content).empty() || content.front() == '#')
            continue;
        // A NUL would end the line early wherever it is shown or compared;
        // only a tab is a blank here.
        if (std::any_of(content.begin(), content.end(), [](char c) { return c != '\t' && has_control_byte(&c, 1); }))
            return record_problem{line, "a control character in the line"};
        const std::size_t colon = content.find(':');
        if (colon == std::string_view::npos)
            return record_problem{line, "not a \"key: value\" line"};
        statements.push_back({trimmed(content.substr(0, colon)), trimmed(content.substr(colon + 1)), line});
    }
    return std::nullopt;
}

// The number that hex digits write, when they are at most `most` of them.
std::optional<unsigned long> hex_number(std::string_view digits, std::size_t most)
{
    if (digits.empty() || digits.size() > most)
        return std::nullopt;
    unsigned long number = 0;
    for (const char c : digits) {
        const int lower = c | 0x20;
        const int value = c >= '0' && c <= '9' ? c - '0' : lower >= 'a' && lower <= 'f' ? lower - 'a' + 10 : -1;
        if (value < 0)
            return std::nullopt;
        number = number * 16 + static_cast<unsigned long>(value);
    }
    return number;
}

// A code's character, "0x01: U+263A ☺": the character by its number, and
// as itself for the reader, if at all. Returns what is wrong with it.
std::string take_character(const statement &each, set_record &record)
{
    const auto code = hex_number(each.key.substr(CODE_PREFIX.size()), CODE_DIGITS);
    if (!code || each.key.size() != CODE_PREFIX.size() + CODE_DIGITS)
        return "unknown key " + excerpt(std::string(each.key));
    const std::string_view value = each.value;
    const std::size_t digits_end = std::min(value.find(' '), value.size());
    const bool prefixed = value.substr(0, CHARACTER_PREFIX.size()) == CHARACTER_PREFIX;
    const auto number =
        prefixed ? hex_number(value.substr(CHARACTER_PREFIX.size(), digits_end - CHARACTER_PREFIX.size()),
                              LONGEST_CHARACTER_DIGITS)
                 : std::nullopt;
    const auto c = static_cast<char32_t>(number.value_or(0));
    const std::string_view shown = trimmed(value.substr(digits_end));
    if (!number || !no_code_holds(c).empty() || (!shown.empty() && shown != utf8(c)))
        return std::string(each.key) + ": " + excerpt(std::string(value)) + " is no character (U+263A, or U+263A \u263a)";
    const auto byte = static_cast<std::uint8_t>(*code);
    if (!record.characters.emplace(byte, c).second)
        return std::string(each.key) + " given twice";
    record.character_lines[byte] = each.line;
    return "";
}

// Takes one statement; returns what is wrong with it.
std::string take(const statement &each, set_record &record, std::string &sum)
{
    if (each.key.substr(0, CODE_PREFIX.size()) == CODE_PREFIX)
        return take_character(each, record);
    std::string *field = each.key == TABLE_SET_KEY     ? &record.table_set
                         : each.key == GLYPH_ORDER_KEY ? &record.glyph_order
                         : each.key == TABLE_SUM_KEY   ? &sum
                                                       : nullptr;
    if (field == nullptr)
        return "unknown key " + excerpt(std::string(each.key));
    if (!field->empty())
        return std::string(each.key) + " given twice";
    if (each.value.empty())
        return std::string(each.key) + " has no value";
    *field = each.value;
    if (field == &record.table_set)
        record.table_set_line = each.line;
    return "";
}

// Reads the record at path whole: at most LARGEST_RECORD bytes and one more,
// to tell a longer file. Only a regular file is read, and a pipe is not
// waited on. Returns why it cannot, and in missing whether nothing is there.
std::string read_record(const std::string &path, std::string &text, bool &missing)
{
    missing = false;
    const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        const int error = errno;
        struct stat link {};
        missing = error == ENOENT && lstat(path.c_str(), &link) != 0;
        return error == ENOENT && !missing ? "a symbolic link to nothing" : error_text(error);
    }
    struct stat status {};
    std::string reason;
    if (fstat(fd, &status) != 0)
        reason = error_text(errno);
    else if (S_ISDIR(status.st_mode))
        reason = error_text(EISDIR);
    else if (!S_ISREG(status.st_mode))
        reason = "not a regular file";
    text.resize(reason.empty() ? LARGEST_RECORD + 1 : 0);
    for (std::size_t got = 0; reason.empty() && got < text.size();) {
        const ssize_t read_now = read(fd, text.data() + got, text.size() - got);
        if (read_now < 0 && errno != EINTR)
            reason = error_text(errno);
        else if (read_now == 0)
            text.resize(got);
        else if (read_now > 0)
            got += static_cast<std::size_t>(read_now);
    }
    close(fd);
    return reason;
}

// Whether the record's characters may stand at their codes in the table
// set, each at one code.
std::optional<record_problem> free_codes_problem(const set_record &record, const charset_table &set)
{
    std::map<char32_t, std::uint8_t> code_of;
    for (const auto &[code, c] : record.characters) {
        const std::size_t line = record.character_lines.at(code);
        if (std::string reason = free_code_problem(code, c, set, record.table_set); !reason.empty())
            return record_problem{line, reason};
        if (const auto [at, added] = code_of.emplace(c, code); !added)
            return record_problem{line, character_name(c) + " is " + code_name(at->second) + " already"};
    }
    return std::nullopt;
}

std::string place_in(const std::string &path, std::size_t line)
{
    return line != 0 ? path + ":" + std::to_string(line) : path;
}

}  // namespace

std::string record_text(const set_record &record, const source_font &font, const recode_table &table)
{
    std::string statements = std::string(TABLE_SET_KEY) + ": " + record.table_set + "\n";
    if (!record.glyph_order.empty())  // a key without a value is refused
        statements += std::string(GLYPH_ORDER_KEY) + ": " + record.glyph_order + "\n";
    for (const auto &[code, c] : record.characters) {
        char key[8], number[16];
        std::snprintf(key, sizeof key, "%s%02X", CODE_PREFIX.data(), static_cast<unsigned>(code));
        std::snprintf(number, sizeof number, "%s%04X", CHARACTER_PREFIX.data(), static_cast<unsigned>(c));
        statements += std::string(key) + ": " + number + " " + utf8(c) + "\n";
    }
    std::vector<statement> parsed;
    statements_of(statements, parsed);
    return "# The sets font_import made 8x12.fnt and koi.bin for, and the characters\n"
           "# it put at the codes the table set leaves free. font_text, font_sheet and\n"
           "# font_export follow it. table-sum covers 8x12.fnt, koi.bin and these\n"
           "# lines: if any changes, the record is refused.\n" +
           statements + TABLE_SUM_KEY + ": " + record_sum(font, table, parsed) + "\n";
}

std::optional<record_problem> parse_record(std::string_view text, const source_font &font, const recode_table &table,
                                           set_record &record)
{
    record = set_record{};
    std::vector<statement> statements;
    if (auto problem = statements_of(text, statements))
        return problem;
    std::string sum;
    std::size_t sum_line = 0;
    for (const statement &each : statements) {
        if (std::string reason = take(each, record, sum); !reason.empty())
            return record_problem{each.line, reason};
        if (each.key == TABLE_SUM_KEY)
            sum_line = each.line;
    }
    if (record.table_set.empty())
        return record_problem{0, std::string("no ") + TABLE_SET_KEY};
    if (!sum.empty() && sum != record_sum(font, table, statements))
        return record_problem{sum_line, std::string("does not match 8x12.fnt and koi.bin, or was edited (its ") +
                                            TABLE_SUM_KEY + " differs): import the pair again, or remove this file"};
    return std::nullopt;
}

std::optional<record_problem> read_record_text(std::string_view text, const source_font &font,
                                               const recode_table &table, set_record &record, charset_table &set)
{
    if (auto problem = parse_record(text, font, table, record))
        return problem;
    if (std::string reason = load_charset(record.table_set, set); !reason.empty())
        return record_problem{record.table_set_line, excerpt(record.table_set) + ": " + reason};
    return free_codes_problem(record, set);
}

std::vector<std::string> pair_files(const std::string &dir)
{
    return {path_in(dir, SOURCE_FONT_FILE), path_in(dir, RECODE_TABLE_FILE), path_in(dir, SET_RECORD_FILE)};
}

std::optional<table_set> table_set_reported(const char *program, const std::string &name, const std::string &place)
{
    table_set set{name, {}};
    if (std::string reason = load_charset(name, set.characters); !reason.empty()) {
        const std::string subject = place.empty() ? name : place;
        if (!place.empty())
            reason = excerpt(name) + ": " + reason;
        report_failure(program, subject.c_str(), reason.c_str());
        return std::nullopt;
    }
    return set;
}

std::optional<table_set> pair_table_set_reported(const char *program, const std::string &dir,
                                                 const source_font &font, const recode_table &table,
                                                 const std::optional<std::string> &given)
{
    const std::string path = path_in(dir, SET_RECORD_FILE);
    std::string text;
    bool missing = false;
    if (const std::string reason = read_record(path, text, missing); missing) {
        return table_set_reported(program, given.value_or(DEFAULT_TABLE_SET));
    } else if (!reason.empty()) {
        report_failure(program, path.c_str(), reason.c_str());
        return std::nullopt;
    }
    set_record record;
    table_set recorded;
    std::optional<record_problem> problem;
    if (text.size() > LARGEST_RECORD)
        problem = record_problem{0, "larger than " + std::to_string(LARGEST_RECORD) + " bytes: no record of sets"};
    else
        problem = read_record_text(text, font, table, record, recorded.characters);
    if (problem) {
        report_failure(program, place_in(path, problem->line).c_str(), problem->reason.c_str());
        return std::nullopt;
    }
    recorded.name = record.table_set;
    recorded.at_free_codes = record.characters;
    if (!given)
        return recorded;
    auto named = table_set_reported(program, *given);
    if (named && named->characters != recorded.characters) {
        const std::string reason = "koi.bin is made for " + record.table_set + ", not for -t " + *given;
        report_failure(program, path.c_str(), reason.c_str());
        return std::nullopt;
    }
    if (named)
        named->at_free_codes = record.characters;
    return named;
}
