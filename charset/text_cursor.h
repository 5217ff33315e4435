// A cursor over UTF-8 text: it takes characters with their codes, copies
// or writes bytes into an output, knows the line and column it is at, and
// notes each problem with its place.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "charset/text_codes.h"

// The text without the byte order mark it may start with, which marks the
// encoding and is no character of it.
std::string_view without_bom(std::string_view text);

class text_cursor {
public:
    text_cursor(std::string_view text, const text_codes &codes, std::string &output,
                std::vector<text_problem> &problems);

    bool done() const { return at_ == end_; }
    const char *at() const { return at_; }
    const char *end() const { return end_; }
    // The byte `ahead` bytes on, or '\0' past the end.
    char peek(std::size_t ahead = 0) const
    {
        return ahead < static_cast<std::size_t>(end_ - at_) ? at_[ahead] : '\0';
    }
    // The length of the line end ahead ("\n" or "\r\n"), or 0.
    std::size_t line_end(std::size_t ahead = 0) const
    {
        const char c = peek(ahead);
        if (c == '\n')
            return 1;
        return c == '\r' && peek(ahead + 1) == '\n' ? 2 : 0;
    }

    // Copies bytes as they are, following the lines they end.
    void copy(std::size_t count);
    void copy()
    {
        output_.push_back(*at_);
        skip_one();
    }
    void copy_to(const char *to) { copy(static_cast<std::size_t>(to - at_)); }
    // Passes bytes by without copying them.
    void skip(std::size_t count);
    void skip_one()
    {
        if (*at_++ == '\n') {
            ++line_;
            line_start_ = at_;
        }
    }
    void write(std::string_view text) { output_ += text; }
    void write(char c) { output_.push_back(c); }

    // Takes the character ahead: returns its code, or nothing after noting
    // why it has none (bytes that are no UTF-8 go one at a time). c is the
    // character, and original its bytes.
    std::optional<std::uint8_t> take_character(char32_t &c, std::string_view &original);
    // The same for a character given by the bytes from `from` to the
    // cursor, such as an escape that names it.
    std::optional<std::uint8_t> named_character(char32_t c, const char *from);

    // Notes a problem at a place already passed, or ahead.
    void note(const char *where, const std::string &what);

private:
    const char *begin_, *at_, *end_;
    const char *line_start_;
    std::size_t line_ = 1;
    const text_codes &codes_;
    std::string &output_;
    std::vector<text_problem> &problems_;
    std::string problem_;
};
