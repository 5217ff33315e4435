// The literals of a C or C++ source, found by one small state machine over
// the bytes: what it does not recognise is copied as it is.
#include <algorithm>
#include <array>

#include "font_text/encoder.h"
#include "charset/text_cursor.h"

namespace {

// Directives whose strings are no text of the program: header and file
// names, pragmas, diagnostics.
constexpr std::string_view VERBATIM_DIRECTIVES[] = {"include", "include_next", "import", "line",
                                                   "pragma",  "error",        "warning", "embed",
                                                   "ident"};
// Literals whose encoding the language fixes.
constexpr std::string_view FIXED_PREFIXES[] = {"u8", "u", "U", "L"};
constexpr std::string_view FIXED_RAW_PREFIXES[] = {"u8R", "uR", "UR", "LR"};
constexpr std::string_view RAW_PREFIX = "R";
constexpr std::size_t LONGEST_RAW_DELIMITER = 16;
constexpr std::size_t MOST_OCTAL_DIGITS = 3;
constexpr std::size_t SHORT_NAME_DIGITS = 4, LONG_NAME_DIGITS = 8;  // \u and \U
constexpr char FIRST_PRINTABLE = 0x20, LAST_PRINTABLE = 0x7E;

// Letters, digits, '_', '$' and the bytes of UTF-8 characters, looked up by
// byte: identifiers are most of a source.
constexpr std::array<bool, 256> IDENTIFIER_BYTES = [] {
    std::array<bool, 256> bytes{};
    for (std::size_t b = 0; b < bytes.size(); ++b)
        bytes[b] = (b >= 'a' && b <= 'z') || (b >= 'A' && b <= 'Z') || (b >= '0' && b <= '9') ||
                   b == '_' || b == '$' || b >= 0x80;
    return bytes;
}();

bool identifier_byte(char c)
{
    return IDENTIFIER_BYTES[static_cast<unsigned char>(c)];
}

bool digit(char c)
{
    return c >= '0' && c <= '9';
}

bool hex_digit(char c)
{
    return digit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

char32_t hex_value(char c)
{
    return static_cast<char32_t>(digit(c) ? c - '0' : (c | 0x20) - 'a' + 10);
}

bool octal_digit(char c)
{
    return c >= '0' && c <= '7';
}

template <std::size_t N> bool one_of(std::string_view word, const std::string_view (&words)[N])
{
    return std::find(std::begin(words), std::end(words), word) != std::end(words);
}

constexpr unsigned OCTAL_DIGIT_BITS = 3, OCTAL_DIGIT_MASK = 07;

// A byte of the font's codes inside a literal: printable ASCII as it is,
// any other as a three-digit octal escape, which nothing after it extends.
void write_in_literal(std::uint8_t code, text_cursor &out)
{
    if (code >= FIRST_PRINTABLE && code <= LAST_PRINTABLE) {
        out.write(static_cast<char>(code));
        return;
    }
    out.write('\\');
    for (unsigned shift = 2 * OCTAL_DIGIT_BITS;; shift -= OCTAL_DIGIT_BITS) {
        out.write(static_cast<char>('0' + (code >> shift & OCTAL_DIGIT_MASK)));
        if (shift == 0)
            return;
    }
}

// "name" as a C string literal, for #line.
std::string c_string(const std::string &text)
{
    std::string quoted = "\"";
    for (const char c : text)
        quoted += c == '"' || c == '\\' ? std::string{'\\', c} : std::string(1, c);
    return quoted + "\"";
}

class c_scanner {
public:
    c_scanner(std::string_view source, const text_codes &codes, encoded_text &out)
        : in_(source, codes, out.bytes, out.problems)
    {
    }
    void run();

private:
    void directive();
    void word();
    void number();
    void line_comment();
    void block_comment();
    void literal(char quote, bool encode);
    void escape(bool encode);
    void character(bool escape_question_mark);
    void raw_literal(bool encode);
    void raw_text(const char *to);
    bool splice() const { return in_.peek() == '\\' && in_.line_end(1) != 0; }

    text_cursor in_;
    bool line_start_ = true;  // nothing but blanks yet on this line: '#' starts a directive
};

void c_scanner::run()
{
    while (!in_.done()) {
        const char c = in_.peek();
        if (const std::size_t end = in_.line_end(); end != 0) {
            in_.copy(end);
            line_start_ = true;
        } else if (splice()) {
            in_.copy(1 + in_.line_end(1));
        } else if (c == '/' && in_.peek(1) == '/') {
            line_comment();
        } else if (c == '/' && in_.peek(1) == '*') {
            block_comment();  // a comment before '#' still leaves it first
        } else if (c == ' ' || c == '\t' || c == '\f' || c == '\v') {
            in_.copy();
        } else {
            if (c == '#' && line_start_)
                directive();
            else if (digit(c) || (c == '.' && digit(in_.peek(1))))
                number();
            else if (identifier_byte(c))
                word();
            else if (c == '"' || c == '\'')
                literal(c, true);
            else
                in_.copy();
            line_start_ = false;
        }
    }
}

void c_scanner::directive()
{
    in_.copy();  // '#'
    while (in_.peek() == ' ' || in_.peek() == '\t')
        in_.copy();
    const char *name = in_.at();
    while (identifier_byte(in_.peek()))
        in_.copy();
    if (!one_of(std::string_view(name, static_cast<std::size_t>(in_.at() - name)), VERBATIM_DIRECTIVES))
        return;
    // Its strings are names: copied as they are, up to the directive's end.
    while (!in_.done() && in_.line_end() == 0) {
        if (in_.peek() == '/' && in_.peek(1) == '*')
            block_comment();
        else
            in_.copy(splice() ? 1 + in_.line_end(1) : 1);
    }
}

// An identifier, or the prefix of a literal that follows it at once.
void c_scanner::word()
{
    const char *start = in_.at();
    std::size_t length = 0;
    while (identifier_byte(in_.peek(length)))
        ++length;
    const std::string_view name(start, length);
    const char next = in_.peek(length);
    if ((next == '"' || next == '\'') && one_of(name, FIXED_PREFIXES)) {
        in_.copy(length);
        literal(next, false);
    } else if (next == '"' && one_of(name, FIXED_RAW_PREFIXES)) {
        in_.copy(length);
        raw_literal(false);
    } else if (next == '"' && name == RAW_PREFIX) {
        in_.skip(length);  // written as an ordinary literal
        raw_literal(true);
    } else {
        in_.copy(length);
    }
}

// A preprocessing number, with exponent signs and digit separators, so that
// the apostrophe of 1'000 starts no character literal.
void c_scanner::number()
{
    for (;;) {
        const char c = in_.peek(), next = in_.peek(1);
        if ((c == 'e' || c == 'E' || c == 'p' || c == 'P') && (next == '+' || next == '-'))
            in_.copy(2);
        else if (c == '\'' && identifier_byte(next))
            in_.copy(2);
        else if (identifier_byte(c) || c == '.')
            in_.copy();
        else
            return;
    }
}

// Up to the line's end; a comment that ends in a backslash goes on.
void c_scanner::line_comment()
{
    while (!in_.done() && in_.line_end() == 0)
        in_.copy(splice() ? 1 + in_.line_end(1) : 1);
}

void c_scanner::block_comment()
{
    const char *start = in_.at();
    in_.copy(2);
    while (!in_.done() && !(in_.peek() == '*' && in_.peek(1) == '/'))
        in_.copy();
    if (in_.done())
        in_.note(start, "unterminated comment");
    else
        in_.copy(2);
}

// "..." or '...': with encode, each character goes into the font's codes;
// escapes stay as they are, but for \u and \U, which name a character.
void c_scanner::literal(char quote, bool encode)
{
    const char *start = in_.at();
    in_.copy();
    for (;;) {
        if (in_.done() || in_.line_end() != 0) {
            in_.note(start, std::string("missing terminating ") + quote + " character");
            return;
        }
        const char c = in_.peek();
        if (c == quote) {
            in_.copy();
            return;
        }
        if (c == '\\')
            escape(encode);
        else if (encode)
            character(false);
        else
            in_.copy();
    }
}

void c_scanner::escape(bool encode)
{
    const char *start = in_.at();
    const char kind = in_.peek(1);
    std::size_t length = 2;
    if (in_.line_end(1) != 0) {
        length = 1 + in_.line_end(1);  // a splice inside the literal
    } else if (kind == 'x') {
        while (hex_digit(in_.peek(length)))
            ++length;
    } else if (octal_digit(kind)) {
        while (length <= MOST_OCTAL_DIGITS && octal_digit(in_.peek(length)))
            ++length;
    } else if ((kind == 'u' || kind == 'U') && encode) {
        const std::size_t digits = kind == 'u' ? SHORT_NAME_DIGITS : LONG_NAME_DIGITS;
        char32_t c = 0;
        for (; length < 2 + digits && hex_digit(in_.peek(length)); ++length)
            c = c << 4 | hex_value(in_.peek(length));
        if (length == 2 + digits) {
            in_.skip(length);
            if (const auto code = in_.named_character(c, start))
                write_in_literal(*code, in_);
            else
                in_.write(std::string_view(start, length));
            return;
        }
    } else if (static_cast<unsigned char>(kind) >= 0x80 || kind == '\0') {
        length = 1;  // no escape: the character after it is read as one
    }
    in_.copy(length);
}

// One character inside an encoded literal, written in the font's code.
void c_scanner::character(bool escape_question_mark)
{
    char32_t c = 0;
    std::string_view original;
    const auto code = in_.take_character(c, original);
    if (!code)
        in_.write(original);
    else if (escape_question_mark && *code == '?')  // no trigraph may come of it
        in_.write("\\?");
    else
        write_in_literal(*code, in_);
}

// R"d(...)d": with encode, written as an ordinary literal, one piece a
// line, so that the lines stay where they were.
void c_scanner::raw_literal(bool encode)
{
    const char *start = in_.at();
    std::size_t length = 1;
    while (length <= LONGEST_RAW_DELIMITER && in_.peek(length) != '(' &&
           std::string_view(" ()\\\t\v\f\n\r").find(in_.peek(length)) == std::string_view::npos &&
           in_.peek(length) != '\0')
        ++length;
    if (in_.peek(length) != '(') {
        in_.note(start, "invalid raw string delimiter");
        in_.copy(length);
        return;
    }
    const std::string terminator = ")" + std::string(start + 1, length - 1) + "\"";
    const std::string_view rest(start, static_cast<std::size_t>(in_.end() - start));
    const std::size_t found = rest.find(terminator, length);
    if (found == std::string_view::npos) {
        in_.note(start, "unterminated raw string");
        in_.copy_to(in_.end());
        return;
    }
    const char *close = start + found;
    if (!encode) {
        in_.copy_to(close + terminator.size());
        return;
    }
    in_.skip(length + 1);
    in_.write("\"");
    raw_text(close);
    in_.write("\"");
    in_.skip(terminator.size());
}

void c_scanner::raw_text(const char *to)
{
    while (in_.at() < to) {
        const char c = in_.peek();
        if (const std::size_t end = in_.line_end(); end != 0) {
            in_.write("\\n\"");
            in_.copy(end);
            in_.write("\"");
        } else if (c == '"' || c == '\\') {
            in_.write(std::string{'\\', c});
            in_.skip(1);
        } else {
            character(true);
        }
    }
}

}  // namespace

bool is_c_source(const std::string &path)
{
    static constexpr std::string_view EXTENSIONS[] = {"c",   "h",   "cc",  "cpp", "cxx",
                                                      "hh",  "hpp", "hxx", "ino"};
    const std::size_t dot = path.rfind('.');
    if (dot == std::string::npos || path.find('/', dot) != std::string::npos)
        return false;
    return one_of(std::string_view(path).substr(dot + 1), EXTENSIONS);
}

encoded_text encode_c_source(std::string_view source, const std::string &name, const text_codes &codes)
{
    encoded_text out;
    out.bytes.reserve(source.size() + name.size() + 16);
    out.bytes = "#line 1 " + c_string(name) + "\n";
    c_scanner(without_bom(source), codes, out).run();  // a mark would now stand mid-file
    return out;
}
