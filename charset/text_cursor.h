// A cursor over UTF-8 text: it takes characters with their codes, copies
// or writes bytes into an output, knows the place it is at, and notes each
// problem with its place.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "charset/text_codes.h"

// The text without the byte order mark it may start with, which marks the
// encoding and is no character of it.
std::string_view without_bom(std::string_view text);

// What a backslash at the end of a line is: text, or a splice that joins
// the line to the next before anything else reads them, as in C.
enum class line_splices { kept, joined };

class text_cursor {
public:
    // The text must outlive the cursor. With joined splices the cursor reads
    // the text without them, and puts each back into the output as the
    // character after it is copied or skipped, so that lines stay.
    text_cursor(std::string_view text, const text_codes &codes, std::string &output,
                text_problems &problems, line_splices splices = line_splices::kept);

    bool done() const { return at_ == end_; }
    const char *at() const { return at_; }
    const char *end() const { return end_; }
    // The byte `ahead` bytes on, or '\0' past the end.
    char peek(std::size_t ahead = 0) const
    {
        return ahead < static_cast<std::size_t>(end_ - at_) ? at_[ahead] : '\0';
    }
    // The length of the line end ahead ("\n", "\r\n" or "\r"), or 0.
    std::size_t line_end(std::size_t ahead = 0) const
    {
        const char c = peek(ahead);
        if (c == '\n')
            return 1;
        if (c != '\r')
            return 0;
        return peek(ahead + 1) == '\n' && !splice_at(at_ + ahead + 1) ? 2 : 1;
    }

    // Copies bytes as they are, following the lines they end.
    void copy(std::size_t count);
    void copy()
    {
        if (at_ == next_splice_)
            put_back_splices();
        output_.push_back(*at_);
        skip_one();
    }
    void copy_to(const char *to) { copy(static_cast<std::size_t>(to - at_)); }
    // Passes bytes by without copying them.
    void skip(std::size_t count);
    void write(std::string_view text) { output_ += text; }
    void write(char c) { output_.push_back(c); }
    // The splice just ahead, taken as text rather than put back (inside a
    // raw string, where the compiler undoes splicing), or an empty view.
    std::string_view take_splice();
    // Puts back splices that stand after the last character.
    void finish();
    // Whether a splice stands anywhere after `from` up to before `to`.
    bool splice_between(const char *from, const char *to) const;

    // Takes the character ahead: returns its codes (one, or a spelling of
    // several), or none after noting why it has none (bytes that are no
    // UTF-8 go one at a time). c is the character, and original its bytes.
    // The codes last until the next character is taken.
    std::string_view take_character(char32_t &c, std::string_view &original)
    {
        // Inline, the common cases: printable ASCII and two-byte UTF-8 with a
        // code, no splice among their bytes. DEL is a control: its code is
        // the text's own, as a C0 control's is.
        std::size_t length = short_form(at_, end_, c);
        if (c < PRINTABLE || c == DELETE || (c >= NON_ASCII && c <= LAST_CONTROL))
            length = 0;  // a control writes a code of the text's own
        if (length != 0 && (next_splice_ == nullptr || next_splice_ >= at_ + length))
            if (const auto code = codes_.code_of(c, problem_)) {
                original = std::string_view(at_, length);
                at_ += length;
                code_ = static_cast<char>(*code);
                return std::string_view(&code_, 1);
            }
        return take_any_character(c, original);
    }
    // Takes the plain characters ahead (text_codes::plain_code), up to `to`
    // and the next splice, MOST_PLAIN_CHARACTERS at most, and returns their
    // codes, one each, which last until they are taken again; none when the
    // character ahead is not plain.
    static constexpr std::size_t MOST_PLAIN_CHARACTERS = 4096;
    std::string_view take_plain_characters(const char *to);
    // The same for a character named at a place, by an escape.
    std::string_view named_character(char32_t c, const text_place &where);
    // Whether a code an escape at a place writes shows a glyph; if not, notes it.
    bool check_code(std::uint8_t code, const text_place &where, std::string_view escape);

    // Where the cursor is, counted on from the last place asked for.
    text_place place();
    // Its line alone, which costs nothing to count.
    std::size_t line() const { return at_ == next_splice_ ? place_after_splices().line : line_; }
    void note(const text_place &where, const std::string &what, bool warning = false)
    {
        problems_.add({where.line, where.column, what, warning});
    }
    bool noting() const { return !problems_.full(); }
    void count_problem() { problems_.count(); }
    // From now on a character without a code is put here at its first place,
    // not noted as a problem: what a text needs that the codes do not have.
    void collect_missing(std::map<char32_t, text_place> *missing) { missing_ = missing; }
    // From now on each code an escape or a control character writes is put
    // here at its first place, not checked against the characters of one's
    // own: the codes a pair made for the text must keep free.
    void collect_codes(std::map<std::uint8_t, text_place> *codes) { codes_written_ = codes; }

private:
    void skip_one()
    {
        if (at_ == next_splice_)
            put_back_splices();
        const char c = *at_++;
        if (c == '\n' || (c == '\r' && !continues_crlf()))
            new_line();
    }
    // Passes the bytes up to stop, where no splice stands, following the lines they end.
    void pass_to(const char *stop);
    bool continues_crlf() const { return at_ < end_ && *at_ == '\n' && !splice_at(at_); }
    // The place of the character after the splices the cursor is at.
    text_place place_after_splices() const;

    bool splice_at(const char *p) const;
    void put_back_splices();
    std::string_view take_any_character(char32_t &c, std::string_view &original);
    std::string_view codes_of(char32_t c, const text_place *where);
    bool own_code(std::uint8_t code, const text_place *where, std::string_view writer);

    // The forms of UTF-8 the inline paths read: ASCII, and C2-DF (C0 and C1
    // would be overlong) then one continuation byte.
    static constexpr unsigned char PRINTABLE = 0x20, DELETE = 0x7F, NON_ASCII = 0x80;
    static constexpr unsigned char TWO_BYTE_LEAD = 0xC2, THREE_BYTE_LEAD = 0xE0, TWO_BYTE_BITS = 0x1F;
    static constexpr char32_t LAST_CONTROL = 0x9F;
    static constexpr unsigned char CONTINUATION_MASK = 0xC0, CONTINUATION = 0x80, CONTINUATION_VALUE = 0x3F;
    static constexpr unsigned CONTINUATION_BITS = 6;
    // The character at `at`, before end, in one of those forms, and its
    // length; 0 for any other form.
    static std::size_t short_form(const char *at, const char *end, char32_t &c)
    {
        const auto lead = static_cast<unsigned char>(*at);
        if (lead < NON_ASCII) {
            c = lead;
            return 1;
        }
        if (lead < TWO_BYTE_LEAD || lead >= THREE_BYTE_LEAD || at + 1 >= end ||
            (static_cast<unsigned char>(at[1]) & CONTINUATION_MASK) != CONTINUATION)
            return 0;
        c = static_cast<char32_t>((lead & TWO_BYTE_BITS) << CONTINUATION_BITS |
                                  (static_cast<unsigned char>(at[1]) & CONTINUATION_VALUE));
        return 2;
    }
    void new_line()
    {
        ++line_;
        line_start_ = at_;
    }

    struct splice {
        std::size_t at;         // the character it stands before, in the text without splices
        std::string_view text;  // as it stands in the original
    };
    std::string joined_;  // the text without its splices, when it has any
    std::vector<splice> splices_;
    std::size_t next_ = 0;                 // the next splice to put back
    const char *next_splice_ = nullptr;    // where it stands, or nothing
    const char *at_, *end_;
    const char *line_start_;
    std::size_t line_ = 1;
    // The last place asked for: counting goes on from there on its line.
    const char *counted_;
    std::size_t counted_line_ = 1, counted_column_ = 1;
    const text_codes &codes_;
    std::string &output_;
    text_problems &problems_;
    std::map<char32_t, text_place> *missing_ = nullptr;
    std::map<std::uint8_t, text_place> *codes_written_ = nullptr;
    std::string problem_;
    char code_ = 0;          // the one code of the character last taken
    std::string spelling_;   // or the codes of its spelling
    std::array<char, MOST_PLAIN_CHARACTERS> plain_codes_;  // of the plain characters last taken
};
