#include "charset/text_cursor.h"

#include <algorithm>
#include <cstdio>

#include "charset/utf8.h"

namespace {

constexpr char NOT_UTF8[] = "not UTF-8";
constexpr std::string_view UTF8_BOM = "\xEF\xBB\xBF";

}  // namespace

std::string_view without_bom(std::string_view text)
{
    return text.substr(0, UTF8_BOM.size()) == UTF8_BOM ? text.substr(UTF8_BOM.size()) : text;
}

text_cursor::text_cursor(std::string_view text, const text_codes &codes, std::string &output,
                         std::vector<text_problem> &problems)
    : begin_(text.data()), at_(text.data()), end_(text.data() + text.size()), line_start_(at_),
      codes_(codes), output_(output), problems_(problems)
{
}

void text_cursor::copy(std::size_t count)
{
    output_.append(at_, count);
    skip(count);
}

void text_cursor::skip(std::size_t count)
{
    for (const char *to = at_ + count; at_ < to;)
        skip_one();
}

std::optional<std::uint8_t> text_cursor::take_character(char32_t &c, std::string_view &original)
{
    const char *from = at_;
    const std::size_t length =
        decode_utf8(reinterpret_cast<const std::uint8_t *>(at_), static_cast<std::size_t>(end_ - at_), c);
    if (length == 0) {
        original = std::string_view(from, 1);
        char byte[8];
        std::snprintf(byte, sizeof byte, "0x%02X", static_cast<unsigned char>(*from));
        note(from, std::string("byte ") + byte + " is " + NOT_UTF8);
        skip(1);
        return std::nullopt;
    }
    original = std::string_view(from, length);
    skip(length);
    return named_character(c, from);
}

std::optional<std::uint8_t> text_cursor::named_character(char32_t c, const char *from)
{
    const auto code = codes_.code_of(c, problem_);
    if (!code)
        note(from, character_name(c) + ": " + problem_);
    return code;
}

void text_cursor::note(const char *where, const std::string &what)
{
    // Usually on the line being read; an unterminated literal or comment is
    // noted where it began, which may be lines back.
    std::size_t line = line_;
    const char *start = line_start_;
    if (where < line_start_) {
        line -= static_cast<std::size_t>(std::count(where, line_start_, '\n'));
        start = where;
        while (start > begin_ && start[-1] != '\n')
            --start;
    }
    problems_.push_back({line, column_of(reinterpret_cast<const std::uint8_t *>(start),
                                             reinterpret_cast<const std::uint8_t *>(where)),
                             what});
}
