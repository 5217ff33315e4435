#include "set_record/set_record.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "command_line/command_line.h"
#include "messages/messages.h"

namespace {

constexpr char TABLE_SET_KEY[] = "table-set";
constexpr char GLYPH_ORDER_KEY[] = "glyph-order";
constexpr char TABLE_SUM_KEY[] = "table-sum";
// A record is a few short lines; anything much longer is some other file.
constexpr std::size_t LARGEST_RECORD = 4096;
constexpr std::uint64_t FNV_OFFSET = 0xcbf29ce484222325, FNV_PRIME = 0x100000001b3;
constexpr int SUM_DIGITS = 16;

// FNV-1a of the table, in hex: it ties the record to the koi.bin it was
// written with, so a table copied over the pair later is not taken for it.
std::string table_sum(const recode_table &table)
{
    std::uint64_t sum = FNV_OFFSET;
    for (const std::uint8_t byte : table)
        sum = (sum ^ byte) * FNV_PRIME;
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

// Takes one "key: value" line; returns what is wrong with it.
std::string take_line(std::string_view text, set_record &record, std::string &sum)
{
    const std::size_t colon = text.find(':');
    if (colon == std::string_view::npos)
        return "not a \"key: value\" line";
    const std::string_view key = trimmed(text.substr(0, colon));
    const std::string_view value = trimmed(text.substr(colon + 1));
    std::string *field = key == TABLE_SET_KEY     ? &record.table_set
                         : key == GLYPH_ORDER_KEY ? &record.glyph_order
                         : key == TABLE_SUM_KEY   ? &sum
                                                  : nullptr;
    if (field == nullptr)
        return "unknown key " + quote(std::string(key));
    if (!field->empty())
        return std::string(key) + " given twice";
    if (value.empty())
        return std::string(key) + " has no value";
    *field = value;
    return "";
}

// Reads at most LARGEST_RECORD bytes and one more, to tell a longer file.
// Returns errno, or 0.
int read_record(const std::string &path, std::string &text)
{
    std::FILE *file = std::fopen(path.c_str(), "rb");
    if (file == nullptr)
        return errno;
    text.resize(LARGEST_RECORD + 1);
    text.resize(std::fread(text.data(), 1, text.size(), file));
    const int error = std::ferror(file) ? (errno != 0 ? errno : EIO) : 0;
    std::fclose(file);
    return error;
}

}  // namespace

std::string record_text(const set_record &record, const recode_table &table)
{
    return std::string("# The sets font_import made 8x12.fnt and koi.bin for. font_text, font_sheet\n"
                       "# and font_export take the table set from here; table-sum ties it to koi.bin.\n") +
           TABLE_SET_KEY + ": " + record.table_set + "\n" + GLYPH_ORDER_KEY + ": " + record.glyph_order + "\n" +
           TABLE_SUM_KEY + ": " + table_sum(table) + "\n";
}

std::string parse_record(std::string_view text, const recode_table &table, set_record &record,
                         std::size_t &line)
{
    record = set_record{};
    std::string sum;
    line = 0;
    for (std::size_t start = 0; start < text.size();) {
        const std::size_t end = std::min(text.find('\n', start), text.size());
        std::string_view content = text.substr(start, end - start);
        start = end + 1;
        ++line;
        if (!content.empty() && content.back() == '\r')
            content.remove_suffix(1);
        if (trimmed(content).empty() || content.front() == '#')
            continue;
        if (std::string reason = take_line(content, record, sum); !reason.empty())
            return reason;
    }
    line = 0;
    if (record.table_set.empty())
        return std::string("no ") + TABLE_SET_KEY;
    if (!sum.empty() && sum != table_sum(table))
        return std::string("written for another koi.bin (its ") + TABLE_SUM_KEY +
               " differs): import the pair again, or remove this file";
    return "";
}

std::optional<table_set> table_set_reported(const char *program, const std::string &name)
{
    table_set set{name, {}};
    if (const std::string reason = load_charset(name, set.characters); !reason.empty()) {
        report_failure(program, name.c_str(), reason.c_str());
        return std::nullopt;
    }
    return set;
}

std::optional<table_set> pair_table_set_reported(const char *program, const std::string &dir,
                                                 const recode_table &table,
                                                 const std::optional<std::string> &given)
{
    const std::string path = path_in(dir, SET_RECORD_FILE);
    std::string text;
    if (const int error = read_record(path, text); error == ENOENT)
        return table_set_reported(program, given.value_or(DEFAULT_TABLE_SET));
    else if (error != 0) {
        report_failure(program, path.c_str(), error_text(error).c_str());
        return std::nullopt;
    }
    set_record record;
    std::size_t line = 0;
    std::string reason = text.size() > LARGEST_RECORD
                             ? "larger than " + std::to_string(LARGEST_RECORD) + " bytes: no record of sets"
                             : parse_record(text, table, record, line);
    if (!reason.empty()) {
        const std::string place = line != 0 ? path + ":" + std::to_string(line) : path;
        report_failure(program, place.c_str(), reason.c_str());
        return std::nullopt;
    }
    auto recorded = table_set_reported(program, record.table_set);
    if (!recorded || !given)
        return recorded;
    auto named = table_set_reported(program, *given);
    if (named && named->characters != recorded->characters) {
        reason = "koi.bin is made for " + record.table_set + ", not for -t " + *given;
        report_failure(program, path.c_str(), reason.c_str());
        return std::nullopt;
    }
    return named;
}
