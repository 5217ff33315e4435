#include "charset/text_cursor.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "charset/utf8.h"
#include "messages/messages.h"

namespace {

constexpr char NOT_UTF8[] = "not UTF-8";

constexpr std::string_view UTF8_BOM = "\xEF\xBB\xBF";

// Blanks that may stand between a backslash and the line end of a splice,
// as GCC and Clang take them (with a warning).
bool splice_blank(char c)
{
    return c == ' ' || c == '\t' || c == '\f' || c == '\v';
}

// The length of the splice at text[i], a backslash, or 0 if it is none.
std::size_t splice_length(std::string_view text, std::size_t i)
{
    std::size_t j = i + 1;
    while (j < text.size() && splice_blank(text[j]))
        ++j;
    if (j == text.size() || (text[j] != '\n' && text[j] != '\r'))
        return 0;
    const bool crlf = text[j] == '\r' && j + 1 < text.size() && text[j + 1] == '\n';
    return j + (crlf ? 2 : 1) - i;
}

std::size_t characters_between(const char *from, const char *to)
{
    return column_of(reinterpret_cast<const std::uint8_t *>(from), reinterpret_cast<const std::uint8_t *>(to)) - 1;
}

}  // namespace

std::string_view without_bom(std::string_view text)
{
    return text.substr(0, UTF8_BOM.size()) == UTF8_BOM ? text.substr(UTF8_BOM.size()) : text;
}

text_cursor::text_cursor(std::string_view text, const text_codes &codes, std::string &output,
                         text_problems &problems, line_splices splices)
    : codes_(codes), output_(output), problems_(problems)
{
    if (splices == line_splices::joined) {
        std::size_t from = 0;
        for (const char *slash; (slash = static_cast<const char *>(std::memchr(
                                     text.data() + from, '\\', text.size() - from))) != nullptr;) {
            const auto i = static_cast<std::size_t>(slash - text.data());
            const std::size_t length = splice_length(text, i);
            joined_.append(text, from, i - from + (length == 0 ? 1 : 0));
            if (length != 0)
                splices_.push_back({joined_.size(), text.substr(i, length)});
            from = i + (length == 0 ? 1 : length);
        }
        if (!splices_.empty()) {
            joined_.append(text, from);
            text = joined_;
        }
    }
    at_ = text.data();
    end_ = at_ + text.size();
    line_start_ = counted_ = at_;
    next_splice_ = splices_.empty() ? nullptr : at_ + splices_[0].at;
}

bool text_cursor::splice_at(const char *p) const
{
    if (splices_.empty())
        return false;
    const auto offset = static_cast<std::size_t>(p - joined_.data());
    return std::binary_search(splices_.begin(), splices_.end(), splice{offset, {}},
                              [](const splice &a, const splice &b) { return a.at < b.at; });
}

bool text_cursor::splice_between(const char *from, const char *to) const
{
    if (splices_.empty())
        return false;
    const auto after = static_cast<std::size_t>(from - joined_.data()) + 1;
    const auto found = std::lower_bound(splices_.begin(), splices_.end(), after,
                                        [](const splice &s, std::size_t at) { return s.at < at; });
    return found != splices_.end() && joined_.data() + found->at <= to;
}

void text_cursor::put_back_splices()
{
    while (at_ == next_splice_)
        output_ += take_splice();
}

std::string_view text_cursor::take_splice()
{
    if (at_ != next_splice_)
        return {};
    const std::string_view text = splices_[next_].text;
    ++next_;
    next_splice_ = next_ < splices_.size() ? joined_.data() + splices_[next_].at : nullptr;
    new_line();
    return text;
}

void text_cursor::finish()
{
    put_back_splices();
}

void text_cursor::copy(std::size_t count)
{
    for (const char *to = at_ + count; at_ < to;) {
        const char *stop = next_splice_ != nullptr && next_splice_ < to ? next_splice_ : to;
        if (at_ == stop) {
            copy();  // the splice first
            continue;
        }
        output_.append(at_, static_cast<std::size_t>(stop - at_));
        pass_to(stop);
    }
}

void text_cursor::pass_to(const char *stop)
{
    for (const char *at = at_; at < stop; ++at) {
        if (*at != '\n' && *at != '\r')
            continue;
        at_ = at + 1;
        if (*at == '\n' || !continues_crlf())
            new_line();
    }
    at_ = stop;
}

void text_cursor::skip(std::size_t count)
{
    for (const char *to = at_ + count; at_ < to;)
        skip_one();
}

text_place text_cursor::place_after_splices() const
{
    std::size_t splices = 0;
    while (next_ + splices < splices_.size() && splices_[next_ + splices].at == splices_[next_].at)
        ++splices;
    return {line_ + splices, 1};
}

text_place text_cursor::place()
{
    if (at_ == next_splice_)  // the character ahead starts a later line
        return place_after_splices();
    if (counted_line_ != line_) {
        counted_line_ = line_;
        counted_ = line_start_;
        counted_column_ = 1;
    }
    counted_column_ += characters_between(counted_, at_);
    counted_ = at_;
    return {line_, counted_column_};
}

std::string_view text_cursor::take_any_character(char32_t &c, std::string_view &original)
{
    const char *from = at_;
    const auto lead = static_cast<unsigned char>(*at_);
    std::size_t length = 1;
    if (lead < NON_ASCII)
        c = lead;
    else
        length = decode_utf8(reinterpret_cast<const std::uint8_t *>(at_), static_cast<std::size_t>(end_ - at_), c);
    if (length == 0) {
        original = std::string_view(from, 1);
        if (noting()) {
            char byte[8];
            std::snprintf(byte, sizeof byte, "0x%02X", lead);
            note(place(), std::string("byte ") + byte + " is " + NOT_UTF8);
        } else {
            count_problem();
        }
        skip(1);
        return {};
    }
    original = std::string_view(from, length);
    // The common case costs one lookup: the place is counted only for a problem.
    std::string_view codes;
    if (const auto code = codes_.code_of(c, problem_)) {
        code_ = static_cast<char>(*code);
        if (!is_control(c) || own_code(*code, nullptr, character_name(c)))
            codes = std::string_view(&code_, 1);
    } else {
        codes = codes_of(c, nullptr);
    }
    skip(length);
    return codes;
}

std::string_view text_cursor::take_plain_characters(const char *to)
{
    const char *stop = next_splice_ != nullptr && next_splice_ < to ? next_splice_ : to;
    if (static_cast<std::size_t>(stop - at_) > MOST_PLAIN_CHARACTERS)
        stop = at_ + MOST_PLAIN_CHARACTERS;
    // Locals, which the codes written cannot alias.
    const text_codes &codes = codes_;
    char *const taken = plain_codes_.data();
    std::size_t count = 0;
    const char *at = at_;
    while (at < stop) {
        char32_t c = 0;
        const std::size_t length = short_form(at, stop, c);
        const std::uint8_t code = length != 0 ? codes.plain_code(c) : 0;
        if (code == 0)
            break;
        taken[count++] = static_cast<char>(code);
        at += length;
    }
    at_ = at;
    return std::string_view(taken, count);
}

std::string_view text_cursor::named_character(char32_t c, const text_place &where)
{
    if (const auto code = codes_.code_of(c, problem_)) {
        code_ = static_cast<char>(*code);
        if (is_control(c) && !own_code(*code, &where, character_name(c)))
            return {};
        return std::string_view(&code_, 1);
    }
    return codes_of(c, &where);
}

// Whether a code that an escape or a control character (writer) writes, at
// `where` or where the cursor is, is the text's own; notes it if not. While
// codes are collected, puts it there instead.
bool text_cursor::own_code(std::uint8_t code, const text_place *where, std::string_view writer)
{
    if (codes_written_ != nullptr) {
        if (codes_written_->count(code) == 0)
            codes_written_->emplace(code, where != nullptr ? *where : place());
        return true;
    }
    if (codes_.writes_own_code(code, problem_))
        return true;
    if (noting())
        note(where != nullptr ? *where : place(), shortened(writer) + ": " + problem_);
    else
        count_problem();
    return false;
}

// For a character code_of found no code for: its spelling, with a warning,
// or none, with the problem; at `where`, or where the cursor is.
std::string_view text_cursor::codes_of(char32_t c, const text_place *where)
{
    if (missing_ != nullptr) {
        if (missing_->count(c) == 0)
            missing_->emplace(c, where != nullptr ? *where : place());
        return {};
    }
    const std::string problem = problem_;
    std::optional<text_codes::spelling> spelling;
    if (problem != text_codes::BLANK_GLYPH)
        spelling = codes_.spelling_of(c);
    if (!noting()) {
        problems_.count(spelling.has_value());
    } else {
        const text_place place_here = where != nullptr ? *where : place();
        std::string what = character_name(c) + ": " + problem;
        if (spelling)
            what += ", written as \"" + spelling->text + "\"";
        note(place_here, what, spelling.has_value());
    }
    if (!spelling)
        return {};
    spelling_ = std::move(spelling->codes);
    return spelling_;
}

bool text_cursor::check_code(std::uint8_t code, const text_place &where, std::string_view escape)
{
    if (!own_code(code, &where, escape))
        return false;
    if (codes_.shows(code, problem_))
        return true;
    if (noting())
        note(where, shortened(escape) + ": " + problem_);
    else
        count_problem();
    return false;
}
