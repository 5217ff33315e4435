// The literals of a C or C++ source, found by one small state machine over
// the bytes, read as the compiler reads them: line splices are gone before
// anything else looks at the text. What it does not recognise is copied as
// it is.
#include <algorithm>
#include <array>
#include <cstring>
#include <utility>

#include "charset/charset.h"
#include "charset/text_cursor.h"
#include "charset/utf8.h"
#include "messages/messages.h"
#include "ui_text/ui_text.h"

namespace {

// Directives whose strings are no text of the program: header and file
// names, pragmas, diagnostics.
constexpr std::string_view VERBATIM_DIRECTIVES[] = {"include", "include_next", "import", "line",
                                                   "pragma",  "error",        "warning", "embed",
                                                   "ident"};
// Words whose parenthesised strings the compiler never puts into the
// program's characters: messages, pragmas, assembly, attributes, file names.
constexpr std::string_view VERBATIM_GROUPS[] = {
    "static_assert", "_Static_assert", "_Pragma",   "asm",           "__asm",
    "__asm__",       "__attribute__",  "__declspec", "__has_include", "__has_include_next",
    "__has_embed"};
// What may stand between asm and its parenthesis.
constexpr std::string_view ASM_QUALIFIERS[] = {"volatile", "__volatile__", "goto", "inline", "__inline__"};
// Literals whose encoding the language fixes.
constexpr std::string_view FIXED_PREFIXES[] = {"u8", "u", "U", "L"};
constexpr std::string_view FIXED_RAW_PREFIXES[] = {"u8R", "uR", "UR", "LR"};
constexpr std::string_view RAW_PREFIX = "R";
constexpr std::size_t LONGEST_RAW_DELIMITER = 16;
constexpr std::size_t MOST_OCTAL_DIGITS = 3;
constexpr unsigned CODE_BITS = 0xFF;  // of an escape's value, as GCC keeps them when it is out of range
constexpr std::size_t SHORT_NAME_DIGITS = 4, LONG_NAME_DIGITS = 8;  // \u and \U
constexpr std::size_t DELIMITED_OPENING = 3;  // \x{
constexpr unsigned HEX_DIGIT_BITS = 4;
constexpr char32_t PAST_UNICODE = 0x110000;  // where a delimited escape's number stops growing
constexpr char FIRST_PRINTABLE = 0x20, LAST_PRINTABLE = 0x7E;
constexpr unsigned char FIRST_NON_ASCII = 0x80;
constexpr std::size_t MOST_UTF8_BYTES = 4;

// Letters, digits, '_', '$' and the bytes of UTF-8 characters, looked up by
// byte: identifiers are most of a source.
constexpr std::array<bool, 256> IDENTIFIER_BYTES = [] {
    std::array<bool, 256> bytes{};
    for (std::size_t b = 0; b < bytes.size(); ++b)
        bytes[b] = (b >= 'a' && b <= 'z') || (b >= 'A' && b <= 'Z') || (b >= '0' && b <= '9') ||
                   b == '_' || b == '$' || b >= FIRST_NON_ASCII;
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

bool continuation(char c)
{
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

bool blank(char c)
{
    return c == ' ' || c == '\t' || c == '\f' || c == '\v';
}

template <std::size_t N> bool one_of(std::string_view word, const std::string_view (&words)[N])
{
    return std::find(std::begin(words), std::end(words), word) != std::end(words);
}

constexpr unsigned OCTAL_DIGIT_BITS = 3, OCTAL_DIGIT_MASK = 07;
constexpr std::size_t OCTAL_ESCAPE_LENGTH = 4;  // \ooo

// How each code stands in a literal: printable ASCII as it is, any other
// as a three-digit octal escape, which nothing after it extends.
struct written_code {
    std::array<char, OCTAL_ESCAPE_LENGTH> text;
    std::size_t length;
};
constexpr std::array<written_code, 256> WRITTEN_CODES = [] {
    std::array<written_code, 256> codes{};
    for (unsigned code = 0; code < codes.size(); ++code) {
        if (code >= FIRST_PRINTABLE && code <= LAST_PRINTABLE) {
            codes[code] = {{static_cast<char>(code)}, 1};
            continue;
        }
        codes[code].length = OCTAL_ESCAPE_LENGTH;
        codes[code].text[0] = '\\';
        for (std::size_t digit = 1; digit < OCTAL_ESCAPE_LENGTH; ++digit)
            codes[code].text[digit] = static_cast<char>(
                '0' + (code >> (OCTAL_DIGIT_BITS * (OCTAL_ESCAPE_LENGTH - 1 - digit)) & OCTAL_DIGIT_MASK));
    }
    return codes;
}();

// What a character's codes escape when they are not its own bytes (a
// spelling, "\"" for “): every code that would end the literal, start an
// escape or a trigraph, so that the compiled bytes are the codes.
constexpr std::string_view ESCAPED_CODES = "\"\\'?";

void write_in_literal(std::uint8_t code, text_cursor &out)
{
    const written_code &written = WRITTEN_CODES[code];
    for (std::size_t i = 0; i < written.length; ++i)
        out.write(written.text[i]);
}

// The value of the simple escape \c, as C and GCC give it (\e is GCC's);
// an unknown one stands for c itself, as GCC takes it with a warning.
std::uint8_t simple_escape_value(char c)
{
    constexpr std::string_view LETTERS = "abfnrtveE";
    constexpr std::uint8_t VALUES[] = {0x07, 0x08, 0x0C, 0x0A, 0x0D, 0x09, 0x0B, 0x1B, 0x1B};
    const std::size_t at = LETTERS.find(c);
    return at == std::string_view::npos ? static_cast<std::uint8_t>(c) : VALUES[at];
}

// What is wrong with a delimited escape, if anything.
enum class brace_fault { none, empty, unclosed, bad_digit };

// A delimited escape: \x{HEX}, \o{OCT} or \u{HEX}, digits of any number.
struct delimited_escape {
    std::size_t length;  // of its text: to its '}', or to where it went wrong
    std::uint8_t byte;   // its value's low byte, as GCC keeps an escape out of range
    char32_t number;     // its value, or PAST_UNICODE when larger
    brace_fault fault;
};

// Reads the delimited escape at `at` (its backslash) in a literal whose
// closing quote is at `end`: each digit once, in arithmetic that cannot
// overflow however many there are.
delimited_escape read_delimited(const char *at, const char *end)
{
    const bool hex = at[1] != 'o';
    const unsigned bits = hex ? HEX_DIGIT_BITS : OCTAL_DIGIT_BITS;
    delimited_escape escape{0, 0, 0, brace_fault::none};
    const char *digit = at + DELIMITED_OPENING;
    for (; digit < end && (hex ? hex_digit(*digit) : octal_digit(*digit)); ++digit) {
        const unsigned value = hex ? static_cast<unsigned>(hex_value(*digit)) : static_cast<unsigned>(*digit - '0');
        escape.byte = static_cast<std::uint8_t>((static_cast<unsigned>(escape.byte) << bits | value) & CODE_BITS);
        escape.number = std::min<char32_t>(escape.number << bits | value, PAST_UNICODE);
    }
    escape.length = static_cast<std::size_t>(digit - at);
    if (digit == end || *digit < FIRST_PRINTABLE || *digit > LAST_PRINTABLE)
        escape.fault = brace_fault::unclosed;
    else if (*digit != '}')
        escape.fault = brace_fault::bad_digit;
    else
        escape.fault = escape.length++ == DELIMITED_OPENING ? brace_fault::empty : brace_fault::none;
    return escape;
}

// Whether the escape at `at` is a delimited one of a value: \x{, \o{ or \u{.
bool delimited_value(const char *at, const char *end)
{
    return end - at >= static_cast<std::ptrdiff_t>(DELIMITED_OPENING) && at[2] == '{' &&
           (at[1] == 'x' || at[1] == 'o' || at[1] == 'u');
}

// Appends the value of the escape at `at` (its backslash) to a msgid, as
// xgettext reads it: C's simple escapes but GCC's \e, \ooo and \x of any
// number of digits as their low byte, \u and \U of four and eight digits
// in UTF-8; \x, \u or \U without those digits (\x{...}, \u{...}) as the
// backslash itself, and any other \c as c. Returns what follows the escape.
const char *append_message_escape(const char *at, const char *end, std::string &id)
{
    constexpr std::string_view LETTERS = "abfnrtv";
    constexpr char VALUES[] = "\a\b\f\n\r\t\v";
    const char kind = at + 1 < end ? at[1] : '\0';
    if (const std::size_t simple = LETTERS.find(kind); kind != '\0' && simple != std::string_view::npos) {
        id += VALUES[simple];
        return at + 2;
    }
    const char *digit = at + 1;
    unsigned value = 0;
    if (octal_digit(kind)) {
        for (; digit < end && digit <= at + MOST_OCTAL_DIGITS && octal_digit(*digit); ++digit)
            value = value << OCTAL_DIGIT_BITS | static_cast<unsigned>(*digit - '0');
        id += static_cast<char>(value & CODE_BITS);
        return digit;
    }
    if (kind == 'x' && at + 2 < end && hex_digit(at[2])) {
        for (++digit; digit < end && hex_digit(*digit); ++digit)
            value = (value << HEX_DIGIT_BITS | static_cast<unsigned>(hex_value(*digit))) & CODE_BITS;
        id += static_cast<char>(value);
        return digit;
    }
    const std::size_t digits = kind == 'u' ? SHORT_NAME_DIGITS : kind == 'U' ? LONG_NAME_DIGITS : 0;
    if (digits != 0 && static_cast<std::size_t>(end - at) >= 2 + digits && std::all_of(at + 2, at + 2 + digits, hex_digit)) {
        char32_t c = 0;
        for (digit = at + 2; digit < at + 2 + digits; ++digit)
            c = c << HEX_DIGIT_BITS | hex_value(*digit);
        if (c < PAST_UNICODE) {
            id += utf8(c);
            return digit;
        }
    }
    if (kind == '\0' || kind == 'x' || digits != 0) {
        id += '\\';
        return at + 1;
    }
    id += kind;
    return at + 2;
}

constexpr std::string_view NOTE_MARK = "fit:";

// Where a comment's fit: note starts, or nothing.
const char *fit_note_in(const char *from, const char *to)
{
    const std::string_view comment(from, static_cast<std::size_t>(to - from));
    for (std::size_t at = comment.find(NOTE_MARK); at != std::string_view::npos;
         at = comment.find(NOTE_MARK, at + 1))
        if (at == 0 || !identifier_byte(comment[at - 1]))
            return from + at;
    return nullptr;
}

// "name" as a C string literal, for #line.
std::string c_string(const std::string &text)
{
    std::string quoted = "\"";
    for (const char c : text)
        quoted += c == '"' || c == '\\' ? std::string{'\\', c} : std::string(1, c);
    return quoted + "\"";
}

// Where a raw literal R"d(...)d" opens and ends, from its quote.
struct raw_bounds {
    const char *open = nullptr;  // its '(', or nothing when the delimiter is invalid
    const char *end = nullptr;   // after its last quote, or nothing when it has none
    const char *delimiter_end = nullptr;  // where the delimiter stopped
};

// The compiler undoes line splices in a raw literal, so none may stand in
// its delimiter or its end.
raw_bounds find_raw_bounds(const text_cursor &in, const char *quote)
{
    raw_bounds bounds;
    const char *d = quote + 1, *end = in.end();
    while (d < end && d - quote <= static_cast<std::ptrdiff_t>(LONGEST_RAW_DELIMITER) && *d != '(' &&
           std::string_view(" ()\\\t\v\f\n\r").find(*d) == std::string_view::npos)
        ++d;
    bounds.delimiter_end = d;
    if (d == end || *d != '(' || in.splice_between(quote, d))
        return bounds;
    bounds.open = d;
    const std::string terminator = ")" + std::string(quote + 1, d) + "\"";
    const std::string_view rest(d, static_cast<std::size_t>(end - d));
    for (std::size_t found = rest.find(terminator); found != std::string_view::npos && bounds.end == nullptr;
         found = rest.find(terminator, found + 1))
        if (!in.splice_between(d + found, d + found + terminator.size() - 1))
            bounds.end = d + found + terminator.size();
    return bounds;
}

// A view of the source ahead of the scanner, read without writing, to see
// which literals a string literal joins. Splices are gone here too.
class lookahead {
public:
    explicit lookahead(const text_cursor &in) : in_(in), at_(in.at()), end_(in.end()) {}
    const char *at() const { return at_; }

    // Past a string literal with any prefix and suffix; returns whether one
    // was there, in fixed whether its prefix fixes its encoding, in raw
    // whether it is a raw literal, and in quote and end where its quotes are
    // (before the first, after the last).
    bool string_literal(bool &fixed, bool &raw, const char *&quote, const char *&end);
    // Past blanks, line ends, comments and whole directives.
    void between_tokens();
    // Past c, if it is next; returns whether it was.
    bool take(char c)
    {
        if (peek() != c)
            return false;
        ++at_;
        return true;
    }
    // Whether an argument of a call ends here.
    bool argument_end() const { return peek() == ')' || peek() == ','; }

private:
    char peek(std::size_t ahead = 0) const { return ahead < static_cast<std::size_t>(end_ - at_) ? at_[ahead] : '\0'; }
    bool line_end() const { return peek() == '\n' || peek() == '\r'; }
    void to_line_end()
    {
        while (at_ < end_ && !line_end())
            ++at_;
    }

    const text_cursor &in_;
    const char *at_, *end_;
};

// The bytes that stop a run through a literal: its quotes, escapes and line ends.
constexpr std::array<bool, 256> LITERAL_STOPS = [] {
    std::array<bool, 256> stops{};
    for (const char c : {'"', '\'', '\\', '\n', '\r'})
        stops[static_cast<unsigned char>(c)] = true;
    return stops;
}();

// The end of an ordinary literal opened by the quote at `quote`: after its
// closing quote, or nothing if the line ends first.
const char *literal_end(const char *quote, const char *end)
{
    for (const char *at = quote + 1; at < end; ++at) {
        if (!LITERAL_STOPS[static_cast<unsigned char>(*at)])
            continue;
        if (*at == *quote)
            return at + 1;
        if (*at == '\n' || *at == '\r')
            return nullptr;
        if (*at == '\\' && at + 1 < end && at[1] != '\n' && at[1] != '\r')
            ++at;
    }
    return nullptr;
}

bool lookahead::string_literal(bool &fixed, bool &raw, const char *&quote, const char *&end)
{
    std::size_t length = 0;
    while (identifier_byte(peek(length)))
        ++length;
    const std::string_view prefix(at_, length);
    raw = !prefix.empty() && (one_of(prefix, FIXED_RAW_PREFIXES) || prefix == RAW_PREFIX);
    if (peek(length) != '"' || !(prefix.empty() || raw || one_of(prefix, FIXED_PREFIXES)))
        return false;
    fixed = !prefix.empty() && prefix != RAW_PREFIX;
    const char *after = raw ? find_raw_bounds(in_, at_ + length).end : literal_end(at_ + length, end_);
    if (after == nullptr)
        return false;
    quote = at_ + length;
    end = after;
    at_ = after;
    while (identifier_byte(peek()))  // a user-defined suffix
        ++at_;
    return true;
}

void lookahead::between_tokens()
{
    bool line_start = false;
    while (at_ < end_) {
        if (line_end()) {
            ++at_;
            line_start = true;
        } else if (blank(peek())) {
            ++at_;
        } else if (peek() == '/' && peek(1) == '/') {
            to_line_end();
        } else if (peek() == '/' && peek(1) == '*') {
            const std::string_view rest(at_ + 2, static_cast<std::size_t>(end_ - at_ - 2));
            const std::size_t close = rest.find("*/");
            at_ = close == std::string_view::npos ? end_ : at_ + 2 + close + 2;
        } else if (peek() == '#' && line_start) {
            to_line_end();
        } else {
            return;
        }
    }
}

class c_scanner {
public:
    c_scanner(std::string_view source, const text_codes &codes, const text_rules &rules, encoded_text &out)
        : in_(source, codes, out.bytes, out.problems, line_splices::joined), codes_(codes), fits_(rules, out),
          rules_(rules), out_(out)
    {
        in_.collect_missing(rules.missing != nullptr ? &rules.missing->in_text : nullptr);
        in_.collect_codes(rules.missing != nullptr ? &rules.missing->codes_in_text : nullptr);
    }
    void run();

private:
    void directive();
    void word(bool group);
    void number();
    void line_comment();
    void block_comment();
    void bracket(char c, bool group);
    bool encodes_string(std::size_t prefix_length);
    void comment_to(const char *end);
    void literal(bool encode, bool string = false);
    void escape(bool encode, const char *end, ui_string *string);
    void delimited(const char *end, ui_string *string);
    void named_character(char32_t c, const text_place &start, std::string_view text, ui_string *string);
    void escape_error(const text_place &where, std::string_view text, const char *reason);
    void characters(const char *to, ui_string *string);
    void write_plain(std::string_view codes, ui_string *string);
    void character(bool escape_question_mark, ui_string *string);
    void write_taken(std::string_view codes, std::string_view original, std::string_view escaped, ui_string *string);
    void count(text_cell cell, ui_string *string)
    {
        if (string == nullptr)
            return;
        string->add(cell, rules_.keep_strings);
        if (collected_ != nullptr && cell)
            *collected_ += static_cast<char>(*cell);
    }
    void count(std::string_view codes_without_line_feed, ui_string *string)
    {
        if (string == nullptr)
            return;
        string->add_codes(codes_without_line_feed, rules_.keep_strings);
        if (collected_ != nullptr)
            *collected_ += codes_without_line_feed;
    }
    // The string whose piece is being read, when its codes are counted.
    ui_string *current_string() { return string_; }
    void raw_literal(bool encode);
    void raw_text(const char *to, ui_string *string);
    const message_keyword *keyword(std::string_view name) const;
    const char *keyword_argument() const;
    std::string message_id() const;
    void start_message(lookahead &ahead, const text_place &opening);
    void start_plural(const text_place &opening);
    const translation *translate(const text_place &place);
    bool replacing() const { return translation_ != nullptr || pointer_ != nullptr; }
    void replaced_piece(const char *end, ui_string *string);
    void write_translation(ui_string *string);

    text_cursor in_;
    const text_codes &codes_;
    bool line_start_ = true;  // nothing but blanks yet on this line: '#' starts a directive
    bool group_ahead_ = false;       // a word whose parenthesised strings stay as they are was read
    std::size_t verbatim_depth_ = 0;  // brackets open in such a group, or in [[attributes]]
    // Where the string literals that join the one being read end, and
    // whether one of them fixes the encoding of all.
    const char *joined_end_ = nullptr;
    bool joined_fixed_ = false;
    ui_string *string_ = nullptr;  // the UI string of the literals being joined
    // Where each of those literals opens and ends, as the lookahead found
    // them, so that they are not searched twice; and the next to be read.
    struct piece {
        const char *quote, *end;
        bool raw;
    };
    std::vector<piece> pieces_;
    std::size_t next_piece_ = 0;
    fit_checker fits_;
    // Where the first argument of a keyword's call starts, if one was read,
    // and whether the keyword is a plural one; where the second argument of
    // a plural message starts, once its first is read.
    const char *message_at_ = nullptr;
    bool plural_keyword_ = false;
    const char *plural_at_ = nullptr;
    // What the literals being joined are written as, when they are a
    // message: its translation, or its pointer; and whether it has been
    // written yet.
    const translation *translation_ = nullptr;
    const std::string *pointer_ = nullptr;
    bool replacement_written_ = false;
    // The message being read, while messages are found: its use, and the
    // codes of its literals, collected as they are counted.
    std::size_t use_ = 0;
    std::string *collected_ = nullptr;
    // The message being read, while it is written as its pointers.
    const message_pointers *pointers_ = nullptr;
    const text_rules &rules_;
    encoded_text &out_;
    std::string written_;  // room for the text of a run of plain characters
};

void c_scanner::run()
{
    while (!in_.done()) {
        const char c = in_.peek();
        if (const std::size_t end = in_.line_end(); end != 0) {
            in_.copy(end);
            line_start_ = true;
            // A string whose last piece is still to come goes on.
            fits_.settle(in_.line(), string_ != nullptr && !pieces_.empty() && in_.at() < pieces_.back().end);
        } else if (c == '/' && in_.peek(1) == '/') {
            line_comment();
        } else if (c == '/' && in_.peek(1) == '*') {
            block_comment();  // a comment before '#' still leaves it first
        } else if (blank(c)) {
            in_.copy();
        } else {
            const bool group = std::exchange(group_ahead_, false);
            if (c == '#' && line_start_)
                directive();
            else if (digit(c) || (c == '.' && digit(in_.peek(1))))
                number();
            else if (identifier_byte(c))
                word(group);
            else if (c == '"')
                literal(encodes_string(0), true);
            else if (c == '\'')
                literal(verbatim_depth_ == 0);
            else
                bracket(c, group);
            line_start_ = false;
        }
    }
    in_.finish();
    fits_.finish();
    out_.problems.sort();
}

// Follows the brackets of a group whose strings are copied as they are:
// ( ... ) after a word of VERBATIM_GROUPS, and [[ ... ]].
void c_scanner::bracket(char c, bool group)
{
    if (group && c == '(')
        verbatim_depth_ = 1;
    else if (c == '[' && in_.peek(1) == '[' && verbatim_depth_ == 0)
        verbatim_depth_ = 1;  // the second '[' follows
    else if (verbatim_depth_ > 0 && (c == '(' || c == '['))
        ++verbatim_depth_;
    else if (verbatim_depth_ > 0 && (c == ')' || c == ']'))
        --verbatim_depth_;
    in_.copy();
}

void c_scanner::directive()
{
    in_.copy();  // '#'
    while (blank(in_.peek()))
        in_.copy();
    const char *name = in_.at();
    while (identifier_byte(in_.peek()))
        in_.copy();
    if (!one_of(std::string_view(name, static_cast<std::size_t>(in_.at() - name)), VERBATIM_DIRECTIVES))
        return;
    // Its strings are names: copied as they are, up to the directive's end.
    while (!in_.done() && in_.line_end() == 0) {
        const char c = in_.peek();
        if (c == '/' && in_.peek(1) == '*')
            block_comment();
        else if (c == '"' || c == '\'')
            literal(false);  // a name may hold "/*"
        else
            in_.copy();
    }
}

// An identifier, or the prefix of a literal that follows it at once.
void c_scanner::word(bool group)
{
    std::size_t length = 0;
    while (identifier_byte(in_.peek(length)))
        ++length;
    const std::string_view name(in_.at(), length);
    const char next = in_.peek(length);
    const bool raw = (next == '"' || next == '\'') && (name == RAW_PREFIX || one_of(name, FIXED_RAW_PREFIXES));
    if (next == '"' && (raw || one_of(name, FIXED_PREFIXES))) {
        // Even a fixed prefix is looked at here: it fixes the strings it joins.
        const bool encode = encodes_string(length) && name == RAW_PREFIX;
        if (encode)
            in_.skip(length);  // written as an ordinary literal
        else
            in_.copy(length);
        if (raw)
            raw_literal(encode);
        else
            literal(false);
    } else if (next == '\'' && one_of(name, FIXED_PREFIXES)) {
        in_.copy(length);
        literal(false);
    } else {
        // Most words are none of these: those start with a letter of one.
        const bool may_be_one = group || name[0] == '_' || name[0] == 'a' || name[0] == 's';
        group_ahead_ = may_be_one && ((group && one_of(name, ASM_QUALIFIERS)) || one_of(name, VERBATIM_GROUPS));
        in_.copy(length);
        if (const message_keyword *marking = keyword(name)) {
            message_at_ = keyword_argument();
            plural_keyword_ = marking->plural;
        }
    }
}

const message_keyword *c_scanner::keyword(std::string_view name) const
{
    if (rules_.translations == nullptr && rules_.messages == nullptr)
        return nullptr;
    const auto found = std::find_if(rules_.keywords.begin(), rules_.keywords.end(),
                                    [name](const message_keyword &keyword) { return keyword.name == name; });
    return found == rules_.keywords.end() ? nullptr : &*found;
}

// Where the first argument of the call of the keyword just read starts, or
// nothing when no parenthesis follows it.
const char *c_scanner::keyword_argument() const
{
    lookahead ahead(in_);
    ahead.between_tokens();
    if (!ahead.take('('))
        return nullptr;
    ahead.between_tokens();
    return ahead.at();
}

// Whether the string literal that starts here (its prefix prefix_length
// bytes long) is put into the font's codes: not inside a group whose
// strings stay as they are, and not when it joins a literal with a u8, u, U
// or L prefix, which gives the whole its encoding. The first of the
// literals that join opens a UI string.
bool c_scanner::encodes_string(std::size_t prefix_length)
{
    const bool encode_here = verbatim_depth_ == 0;
    if (in_.at() >= joined_end_) {
        lookahead ahead(in_);
        joined_fixed_ = false;
        pieces_.clear();
        next_piece_ = 0;
        const char *quote = nullptr, *end = nullptr;
        for (bool fixed = false, raw = false; ahead.string_literal(fixed, raw, quote, end); ahead.between_tokens()) {
            joined_fixed_ = joined_fixed_ || fixed;
            pieces_.push_back({quote, end, raw});
        }
        joined_end_ = std::max(ahead.at(), in_.at() + 1);
        string_ = nullptr;
        translation_ = nullptr;
        pointer_ = nullptr;
        collected_ = nullptr;
        replacement_written_ = false;
        if (encode_here && !joined_fixed_) {
            text_place opening = in_.place();
            opening.column += prefix_length;  // a prefix is ASCII
            string_ = &fits_.open(opening);
            // The whole first argument of a keyword's call: a message; and
            // the whole second of a plural one: its plural.
            if (in_.at() == message_at_ && ahead.argument_end())
                start_message(ahead, opening);
            else if (in_.at() == plural_at_ && ahead.argument_end())
                start_plural(opening);
        }
    }
    return encode_here && !joined_fixed_;
}

// The literals about to be read are a message, ahead just past them: a
// plural keyword's finds its plural, the second argument; the translations
// take one without plural forms, the tables any other.
void c_scanner::start_message(lookahead &ahead, const text_place &opening)
{
    if (plural_keyword_) {
        plural_at_ = nullptr;
        bool fixed = false, raw = false;
        const char *quote = nullptr, *end = nullptr;
        if (ahead.take(',')) {
            ahead.between_tokens();
            const char *second = ahead.at();
            while (ahead.string_literal(fixed, raw, quote, end) && !fixed)
                ahead.between_tokens();
            if (!fixed && ahead.at() != second && ahead.argument_end())
                plural_at_ = second;
        }
        if (plural_at_ == nullptr) {
            in_.note(opening, "the message's plural, the second argument, is no string literal");
            return;
        }
    } else if (rules_.translations != nullptr) {
        if ((translation_ = translate(opening)) != nullptr)
            string_->catalog_line = translation_->line;
        return;
    }
    source_messages *messages = rules_.messages;
    if (messages == nullptr) {  // no tables: the plural is left as it is too
        plural_at_ = nullptr;
        return;
    }
    const std::string id = message_id();
    if (messages->pointers != nullptr) {
        const auto found = messages->pointers->find(id);
        pointers_ = found == messages->pointers->end() ? nullptr : &found->second;
        pointer_ = pointers_ != nullptr ? &pointers_->text : nullptr;
        return;
    }
    use_ = messages->found.size();
    messages->found.push_back({id, std::nullopt, "", "", opening, {}, std::nullopt, std::nullopt});
    collected_ = &messages->found.back().codes;
    string_->use = use_;
}

// The literals about to be read are the plural of the message just read.
void c_scanner::start_plural(const text_place &opening)
{
    plural_at_ = nullptr;
    if (rules_.messages->pointers != nullptr) {
        pointer_ = pointers_ != nullptr ? &pointers_->plural : nullptr;
        return;
    }
    message_use &use = rules_.messages->found[use_];
    use.plural_id = message_id();
    use.plural_place = opening;
    collected_ = &use.plural_codes;
    string_->use = use_;
    string_->plural_use = true;
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

void c_scanner::line_comment()
{
    const char *end = in_.at();
    while (end < in_.end() && *end != '\n' && *end != '\r')
        ++end;
    comment_to(end);
}

void c_scanner::block_comment()
{
    const text_place start = in_.place();
    const std::string_view rest(in_.at() + 2, static_cast<std::size_t>(in_.end() - in_.at() - 2));
    const std::size_t close = rest.find("*/");
    comment_to(close == std::string_view::npos ? in_.end() : in_.at() + 2 + close + 2);
    if (close == std::string_view::npos)
        in_.note(start, "unterminated comment");
}

// Copies a comment up to end, reading the fit: note it may hold.
void c_scanner::comment_to(const char *end)
{
    const std::size_t line = in_.line();
    if (const char *note = fit_note_in(in_.at(), end)) {
        in_.copy_to(note);
        const text_place place = in_.place();
        const std::string_view text(note + NOTE_MARK.size(), static_cast<std::size_t>(end - note) - NOTE_MARK.size());
        bool none = false;
        std::string error;
        // The note is the rest of its line of the comment.
        const auto room = read_fit_note(text.substr(0, std::min(text.find("*/"), text.find_first_of("\r\n"))), none, error);
        if (room)  // for the strings ending where the comment starts
            fits_.note({place, line, none ? std::nullopt : room});
        else
            in_.note(place, error);
    }
    in_.copy_to(end);
}

// "..." or '...': with encode, each character goes into the font's codes;
// escapes stay as they are, but for \u and \U, which name a character. A
// quote that its line does not close is a stray character: it and the rest
// of its line are copied, as the compiler takes them (under #if 0, say).
void c_scanner::literal(bool encode, bool string)
{
    const bool known = next_piece_ < pieces_.size() && pieces_[next_piece_].quote == in_.at();
    const char *end = known ? pieces_[next_piece_++].end : literal_end(in_.at(), in_.end());
    if (end == nullptr) {
        while (!in_.done() && in_.line_end() == 0)
            in_.copy();
        return;
    }
    ui_string *counted = string && encode ? current_string() : nullptr;
    if (counted != nullptr && replacing()) {
        replaced_piece(end, counted);
        return;
    }
    in_.copy();
    const char *closing = end - 1;
    while (in_.at() < closing) {
        const auto *found = std::memchr(in_.at(), '\\', static_cast<std::size_t>(closing - in_.at()));
        const char *backslash = found != nullptr ? static_cast<const char *>(found) : closing;
        if (encode)
            characters(backslash, counted);
        else
            in_.copy_to(backslash);
        if (backslash < closing)
            escape(encode, closing, counted);
    }
    if (counted != nullptr)
        counted->end_line = in_.line();
    in_.copy();  // the closing quote
}

// An escape in a literal whose closing quote is at end: with encode, the
// code it writes is counted into the string and checked against the font,
// and \u, \U and \u{...} name a character to encode.
void c_scanner::escape(bool encode, const char *end, ui_string *string)
{
    const text_place start = in_.place();
    const char *from = in_.at();
    const char kind = in_.peek(1);
    if (encode && (delimited_value(from, end) || (kind == 'N' && in_.peek(2) == '{'))) {
        delimited(end, string);
        return;
    }
    std::size_t length = 2;
    unsigned value = simple_escape_value(kind);
    if (kind == 'x') {
        value = 0;
        for (; hex_digit(in_.peek(length)); ++length)
            value = (value << 4 | static_cast<unsigned>(hex_value(in_.peek(length)))) & CODE_BITS;
    } else if (octal_digit(kind)) {
        while (length <= MOST_OCTAL_DIGITS && octal_digit(in_.peek(length)))
            ++length;
        value = 0;
        for (std::size_t digit = 1; digit < length; ++digit)
            value = value << OCTAL_DIGIT_BITS | static_cast<unsigned>(in_.peek(digit) - '0');
    } else if ((kind == 'u' || kind == 'U') && encode) {
        const std::size_t digits = kind == 'u' ? SHORT_NAME_DIGITS : LONG_NAME_DIGITS;
        char32_t c = 0;
        for (; length < 2 + digits && hex_digit(in_.peek(length)); ++length)
            c = c << 4 | hex_value(in_.peek(length));
        if (length == 2 + digits) {
            named_character(c, start, std::string_view(from, length), string);
            return;
        }
    } else if (static_cast<unsigned char>(kind) >= FIRST_NON_ASCII && encode) {
        // The compiler cannot put "\Ж" into the font's codes either.
        while (length < 1 + MOST_UTF8_BYTES && continuation(in_.peek(length)))
            ++length;
        if (in_.noting())
            in_.note(start, "unknown escape sequence '" + std::string(from, length) + "'");
        else
            in_.count_problem();
        in_.copy(length);
        count(std::nullopt, string);
        return;
    }
    in_.copy(length);
    if (!encode || kind == '\0')
        return;
    const auto code = static_cast<std::uint8_t>(value & CODE_BITS);
    count(in_.check_code(code, start, std::string_view(from, length)) ? text_cell(code) : std::nullopt, string);
}

// A delimited escape in an encoded literal whose closing quote is at end:
// \u{...} names a character, \x{...} and \o{...} write a code as \x and
// \ooo do. \N{...} names a character by its Unicode name, and there is no
// table of those here.
void c_scanner::delimited(const char *end, ui_string *string)
{
    const text_place start = in_.place();
    const char *from = in_.at();
    if (from[1] == 'N') {
        const char *name = from + DELIMITED_OPENING;
        while (name < end && *name != '}' && *name >= FIRST_PRINTABLE && *name <= LAST_PRINTABLE)
            ++name;
        if (name < end && *name == '}')
            ++name;
        const std::size_t length = static_cast<std::size_t>(name - from);
        escape_error(start, std::string_view(from, length), "write the character itself or \\u{...}");
        in_.copy(length);
        count(std::nullopt, string);
        return;
    }
    const delimited_escape escape = read_delimited(from, end);
    const bool hex = from[1] != 'o';
    switch (escape.fault) {
    case brace_fault::none:
        break;
    case brace_fault::empty:
        escape_error(start, std::string_view(from, escape.length), "no digits between the braces");
        break;
    case brace_fault::unclosed:
        escape_error(start, std::string_view(from, escape.length), "no closing brace");
        break;
    case brace_fault::bad_digit:  // shown, but left to be read as what it is
        escape_error(start, std::string_view(from, escape.length + 1), hex ? "not a hex digit" : "not an octal digit");
        break;
    }
    const std::string_view text(from, escape.length);
    if (escape.fault != brace_fault::none) {
        in_.copy(escape.length);
        count(std::nullopt, string);
    } else if (from[1] == 'u') {
        named_character(escape.number, start, text, string);
    } else {
        in_.copy(escape.length);
        count(in_.check_code(escape.byte, start, text) ? text_cell(escape.byte) : std::nullopt, string);
    }
}

// A character named by an escape, text, at start: encoded like the
// character itself. A number that is no character is an error, as it is to
// the compiler.
void c_scanner::named_character(char32_t c, const text_place &start, std::string_view text, ui_string *string)
{
    in_.skip(text.size());
    std::string_view codes;
    if (is_unicode_scalar(c))
        codes = in_.named_character(c, start);
    else
        escape_error(start, text, "not a Unicode character");
    write_taken(codes, text, ESCAPED_CODES, string);
}

// Notes a malformed escape, text, at where, named by its first characters.
void c_scanner::escape_error(const text_place &where, std::string_view text, const char *reason)
{
    if (in_.noting())
        in_.note(where, shortened(text) + ": " + reason);
    else
        in_.count_problem();
}

// The characters of an encoded literal up to `to`, where no escape stands:
// each run of plain ones at once, any other alone.
void c_scanner::characters(const char *to, ui_string *string)
{
    while (in_.at() < to) {
        const std::string_view codes = in_.take_plain_characters(to);
        if (codes.empty())
            character(false, string);
        else
            write_plain(codes, string);
    }
}

// Writes the codes of plain characters as they stand in a literal, each
// counted into the string: none is escaped (text_codes::plain_code).
void c_scanner::write_plain(std::string_view codes, ui_string *string)
{
    if (written_.size() < codes.size() * OCTAL_ESCAPE_LENGTH)
        written_.resize(codes.size() * OCTAL_ESCAPE_LENGTH);
    char *to = written_.data();
    for (const char code : codes) {
        const written_code &written = WRITTEN_CODES[static_cast<std::uint8_t>(code)];
        std::copy(written.text.begin(), written.text.end(), to);  // all four: what follows overwrites the rest
        to += written.length;
    }
    in_.write(std::string_view(written_.data(), static_cast<std::size_t>(to - written_.data())));
    count(codes, string);  // plain characters are printable
}

// One character inside an encoded literal, written in the font's codes.
void c_scanner::character(bool escape_question_mark, ui_string *string)
{
    char32_t c = 0;
    std::string_view original;
    const std::string_view codes = in_.take_character(c, original);
    // An ASCII character is its own code; any other's codes may spell it.
    const std::string_view escaped = c >= FIRST_NON_ASCII ? ESCAPED_CODES : escape_question_mark ? "?" : "";
    write_taken(codes, original, escaped, string);  // no trigraph may come of '?'
}

// Writes the codes a character took, each counted into the string, those
// of escaped after a backslash; or, when it took none, its own bytes.
void c_scanner::write_taken(std::string_view codes, std::string_view original, std::string_view escaped,
                            ui_string *string)
{
    if (codes.empty()) {
        in_.write(original);
        count(std::nullopt, string);
    }
    for (const char byte : codes) {
        const auto code = static_cast<std::uint8_t>(byte);
        if (escaped.find(byte) != std::string_view::npos) {
            in_.write('\\');
            in_.write(byte);
        } else {
            write_in_literal(code, in_);
        }
        count(code, string);
    }
}

// R"d(...)d": with encode, written as an ordinary literal, one piece a
// line, so that the lines stay where they were.
void c_scanner::raw_literal(bool encode)
{
    const text_place start = in_.place();
    const raw_bounds bounds = find_raw_bounds(in_, in_.at());
    if (bounds.open == nullptr) {
        in_.note(start, "invalid raw string delimiter");
        in_.copy_to(bounds.delimiter_end);
        return;
    }
    if (bounds.end == nullptr) {
        in_.note(start, "unterminated raw string");
        in_.copy_to(in_.end());
        return;
    }
    if (!encode) {
        in_.copy_to(bounds.end);
        return;
    }
    ui_string *string = current_string();
    if (string != nullptr && replacing()) {
        replaced_piece(bounds.end, string);
        return;
    }
    const std::size_t terminator = static_cast<std::size_t>(bounds.open - in_.at()) + 1;
    in_.skip(terminator);
    in_.write("\"");
    raw_text(bounds.end - terminator, string);
    in_.write("\"");
    if (string != nullptr)
        string->end_line = in_.line();
    in_.skip(terminator);
}

// The body of a raw literal, written as the body of an ordinary one. The
// compiler undoes line splices here, so a splice is text of the body.
void c_scanner::raw_text(const char *to, ui_string *string)
{
    constexpr std::uint8_t LINE_FEED = '\n';
    for (;;) {
        if (const std::string_view splice = in_.take_splice(); !splice.empty()) {
            const std::size_t line_end = splice.find_first_of("\r\n");
            in_.write("\\\\");
            count('\\', string);
            for (const char blank : splice.substr(1, line_end - 1)) {
                in_.write(blank);
                count(static_cast<std::uint8_t>(blank), string);
            }
            in_.write("\\n\"");
            in_.write(splice.substr(line_end));
            in_.write("\"");
            count(LINE_FEED, string);
            continue;
        }
        if (in_.at() >= to)
            return;
        const char c = in_.peek();
        if (const std::size_t end = in_.line_end(); end != 0) {
            in_.write("\\n\"");
            in_.copy(end);
            in_.write("\"");
            count(LINE_FEED, string);
        } else if (c == '"' || c == '\\') {
            in_.write(std::string{'\\', c});
            in_.skip(1);
            count(static_cast<std::uint8_t>(c), string);
        } else {
            character(true, string);
        }
    }
}

// The msgid of the literals being joined: their text as xgettext takes it,
// escapes resolved, a raw literal's as it stands.
std::string c_scanner::message_id() const
{
    std::string id;
    for (const piece &literal : pieces_) {
        const char *from = literal.quote + 1, *to = literal.end - 1;
        if (literal.raw) {
            from = std::find(from, to, '(');  // the lookahead found it, and the closing ")d"
            to -= from - literal.quote;
            id.append(from + 1, to);
            continue;
        }
        for (const char *at = from; at < to;) {
            const char *escape = std::find(at, to, '\\');
            id.append(at, escape);
            at = escape < to ? append_message_escape(escape, to, id) : to;
        }
    }
    // xgettext keeps a msgid as a C string: a NUL ends it ("A\0B" is "A").
    id.resize(std::min(id.find('\0'), id.size()));
    return id;
}

// The translation of the message whose first literal opens at place, or
// nothing: then it stays as it is, with a warning or an error that says why.
const translation *c_scanner::translate(const text_place &place)
{
    const text_translations &translations = *rules_.translations;
    const std::string catalog = quoted_name(translations.catalog);
    const auto found = translations.messages.find(message_id());
    const auto untranslated = [&](const std::string &why) {
        const bool error = translations.untranslated_error;
        in_.note(place, untranslated_note(why, error), !error);
        return nullptr;
    };
    if (found == translations.messages.end())
        return untranslated("not in " + catalog);
    const translation &entry = found->second;
    const std::string at = catalog + (entry.line != 0 ? ":" + std::to_string(entry.line) : "");
    const bool unreadable = entry.text.empty() && !entry.faults.empty();  // not text of the catalog's charset
    if (entry.fuzzy || (entry.text.empty() && !unreadable))
        return untranslated((entry.fuzzy ? "fuzzy in " : "empty in ") + at);
    for (const text_problem &fault : entry.faults)
        out_.problems.add(fault);
    return unreadable ? nullptr : &entry;
}

// One of the literals of a message: the first holds all its translation,
// the others are left empty, or the first is its pointer and the others are
// gone; the literal's own line ends stay, so that every line stays where it
// was.
void c_scanner::replaced_piece(const char *end, ui_string *string)
{
    const bool first = !std::exchange(replacement_written_, true);
    if (pointer_ != nullptr && first) {
        in_.write(*pointer_);
    } else if (translation_ != nullptr) {
        in_.write('"');
        if (first)
            write_translation(string);
        in_.write('"');
    }
    while (in_.at() < end) {
        if (const std::size_t line_end = in_.line_end(); line_end != 0)
            in_.copy(line_end);
        else
            in_.skip(1);
    }
    string->end_line = in_.line();
}

// The translation in the font's codes, each code as it stands in a literal;
// its problems are named at its line in the catalog.
void c_scanner::write_translation(ui_string *string)
{
    const std::size_t first_problem = out_.problems.shown.size();
    std::string unread;  // the cursor copies nothing here: each code is written below
    text_cursor text(translation_->text, codes_, unread, out_.problems);
    std::map<char32_t, text_place> missing;
    std::map<std::uint8_t, text_place> written;
    if (rules_.missing != nullptr) {
        text.collect_missing(&missing);
        text.collect_codes(&written);
    }
    while (!text.done()) {
        char32_t c = 0;
        std::string_view original;
        const std::string_view codes = text.take_character(c, original);
        write_taken(codes, original, "\"\\?", string);  // no trigraph may come of '?'
    }
    for (auto problem = out_.problems.shown.begin() + static_cast<std::ptrdiff_t>(first_problem);
         problem != out_.problems.shown.end(); ++problem) {
        problem->file = rules_.translations->catalog;
        problem->line = translation_->line;
        problem->column = 0;
    }
    for (const auto &[c, place] : missing)
        rules_.missing->in_catalog.emplace(c, translation_->line);
    for (const auto &[code, place] : written)
        rules_.missing->codes_in_catalog.emplace(code, translation_->line);
}

}  // namespace

bool is_c_source(const std::string &path)
{
    // What CMake compiles as C or C++, its headers, and Arduino sketches.
    static constexpr std::string_view EXTENSIONS[] = {
        "c",   "C",   "c++", "cc",   "cpp", "cxx",  "CPP", "cppm", "ccm", "cxxm", "c++m", "ixx", "mpp",
        "h",   "H",   "h++", "hh",   "hm",  "hpp",  "hxx", "inl",  "txx", "tcc",  "ino"};
    const std::size_t dot = path.rfind('.');
    if (dot == std::string::npos || path.find('/', dot) != std::string::npos)
        return false;
    return one_of(std::string_view(path).substr(dot + 1), EXTENSIONS);
}

std::optional<bool> language_named(const std::string &name)
{
    if (name == "c" || name == "text")
        return name == "c";
    return std::nullopt;
}

encoded_text encode_c_source(std::string_view source, const std::string &name, const text_codes &codes,
                             const text_rules &rules)
{
    encoded_text out;
    out.bytes.reserve(source.size() + name.size() + 16);
    if (rules.messages != nullptr && rules.messages->pointers != nullptr)
        out.bytes = rules.messages->declaration;
    out.bytes += "#line 1 " + c_string(name) + "\n";
    c_scanner(without_bom(source), codes, rules, out).run();  // a mark would now stand mid-file
    return out;
}
