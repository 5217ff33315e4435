#include "catalog/po_lines.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace {

constexpr std::string_view CONTEXT = "msgctxt", ID = "msgid", STRING = "msgstr", DOMAIN = "domain";
constexpr std::string_view CHARSET_MARK = "charset=";
constexpr std::size_t MOST_OCTAL_DIGITS = 3;
constexpr char UNKNOWN_ESCAPE = ' ';
constexpr unsigned char FIRST_NON_ASCII = 0x80;
// gettext's longest character: one it has not made out by then is a byte.
constexpr std::size_t LONGEST_CHARACTER = 24;
// The charsets among those gettext reads character by character whose
// characters may end in an ASCII byte, a backslash or a quote in another.
constexpr std::string_view ASCII_TRAILING_CHARSETS[] = {"BIG5",      "BIG5-HKSCS", "GBK",   "GB18030", "SHIFT_JIS",
                                                        "JOHAB",     "CP932",      "CP949", "CP950"};

bool same_name(std::string_view a, std::string_view b)
{
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return (x | 0x20) == (y | 0x20); });
}

// Where each character of the text ends: one byte each, or as iconv reads
// the characters of a charset whose characters may end in an ASCII byte.
class character_steps {
public:
    character_steps() = default;
    ~character_steps() { close(); }
    character_steps(const character_steps &) = delete;
    character_steps &operator=(const character_steps &) = delete;

    // Whether every byte is a character.
    bool bytewise() const { return converter_ == NONE; }
    // The charset a catalog's header names, from now on.
    void use(std::string_view charset)
    {
        close();
        const bool trailing = std::any_of(std::begin(ASCII_TRAILING_CHARSETS), std::end(ASCII_TRAILING_CHARSETS),
                                          [charset](std::string_view name) { return same_name(name, charset); });
        if (trailing)
            converter_ = iconv_open("UTF-8", std::string(charset).c_str());
    }

    // The length of the character at text[at], as gettext's lexer reads it:
    // what iconv makes one character of; a byte where iconv finds none; an
    // unfinished character up to the line's or the text's end.
    std::size_t length(std::string_view text, std::size_t at) const
    {
        if (converter_ == NONE || static_cast<unsigned char>(text[at]) < FIRST_NON_ASCII)
            return 1;
        for (std::size_t bytes = 1;; ++bytes) {
            iconv(converter_, nullptr, nullptr, nullptr, nullptr);
            char out[64];
            char *in_at = const_cast<char *>(text.data() + at), *out_at = out;
            std::size_t in_left = bytes, out_left = sizeof out;
            iconv(converter_, &in_at, &in_left, &out_at, &out_left);
            if (in_left < bytes)
                return bytes - in_left;
            if (errno != EINVAL || bytes == LONGEST_CHARACTER)
                return 1;
            if (at + bytes == text.size() || text[at + bytes] == '\n')
                return bytes;
        }
    }

private:
    void close()
    {
        if (converter_ != NONE)
            iconv_close(converter_);
        converter_ = NONE;
    }
    static inline const iconv_t NONE = reinterpret_cast<iconv_t>(-1);
    iconv_t converter_ = NONE;
};

enum class token_kind { end, string, word, other };

struct token {
    token_kind kind = token_kind::end;
    std::string text;  // a string's value, or a word
    std::size_t line = 0;
    bool obsolete = false;  // after #~
    bool previous = false;  // after #| or #~|: a previous msgid, which names no message
};

bool word_start(std::string_view c)
{
    return c.size() == 1 && ((c[0] >= 'a' && c[0] <= 'z') || (c[0] >= 'A' && c[0] <= 'Z') || c[0] == '_' || c[0] == '$');
}

bool word_byte(std::string_view c)
{
    return word_start(c) || (c.size() == 1 && c[0] >= '0' && c[0] <= '9');
}

bool octal_digit(std::string_view c)
{
    return c.size() == 1 && c[0] >= '0' && c[0] <= '7';
}

int hex_value(std::string_view c)
{
    if (c.size() != 1)
        return -1;
    const char lower = static_cast<char>(c[0] | 0x20);
    if (c[0] >= '0' && c[0] <= '9')
        return c[0] - '0';
    return lower >= 'a' && lower <= 'f' ? lower - 'a' + 10 : -1;
}

// gettext's lexer of PO files, as far as places go.
class po_lexer {
public:
    explicit po_lexer(std::string_view text) : text_(text) {}
    void use(std::string_view charset) { steps_.use(charset); }
    token next();

private:
    // The next character, past line splices, or nothing at the end.
    std::string_view get()
    {
        for (;;) {
            if (at_ == text_.size())
                return {};
            const std::string_view c = text_.substr(at_, steps_.length(text_, at_));
            at_ += c.size();
            if (c == "\n") {
                ++line_;
                return c;
            }
            if (c != "\\" || at_ == text_.size() || text_[at_] != '\n')
                return c;
            ++at_;
            ++line_;
        }
    }
    // Puts back the character just read; a splice before it stays read.
    void unget(std::string_view c)
    {
        at_ -= c.size();
        if (c == "\n")
            --line_;
    }
    // The bytes from the cursor on that are characters of their own and
    // neither stop nor a line feed nor a backslash, which may start a splice:
    // what is read a run at a time, most of a catalog.
    std::size_t plain_run(char stop) const
    {
        std::size_t end = at_;
        for (const bool bytewise = steps_.bytewise(); end < text_.size(); ++end) {
            const char b = text_[end];
            if (b == '\\' || b == '\n' || b == stop || (!bytewise && static_cast<unsigned char>(b) >= FIRST_NON_ASCII))
                break;
        }
        return end - at_;
    }
    void skip_comment(std::string_view c)
    {
        while (!c.empty() && c != "\n") {
            at_ += plain_run('\n');
            c = get();
        }
        obsolete_ = false;
    }
    std::string string_value();
    char escape_value();

    std::string_view text_;
    character_steps steps_;
    std::size_t at_ = 0, line_ = 1;
    bool obsolete_ = false, previous_ = false;
};

token po_lexer::next()
{
    for (;;) {
        std::string_view c = get();
        if (c.empty())
            return {};
        if (c == "\n") {
            obsolete_ = previous_ = false;
            continue;
        }
        if (c == " " || c == "\t" || c == "\r" || c == "\f" || c == "\v")
            continue;
        if (c == "#") {
            c = get();
            if (c == "~") {
                obsolete_ = true;
                c = get();
                if (c == "|")
                    previous_ = true;
                else if (!c.empty())
                    unget(c);
            } else if (c == "|") {
                previous_ = true;
            } else {
                skip_comment(c);
            }
            continue;
        }
        token read;
        read.obsolete = obsolete_;
        read.previous = previous_;
        if (c == "\"") {
            read.kind = token_kind::string;
            read.text = string_value();
        } else if (word_start(c)) {
            read.kind = token_kind::word;
            for (; word_byte(c); c = get())
                read.text += c;
            if (!c.empty())
                unget(c);
        } else {
            read.kind = token_kind::other;  // a number, a bracket, or what makes a syntax error
        }
        read.line = line_;
        return read;
    }
}

// A string's value, from after its opening quote: up to a NUL, which ends
// every string gettext keeps.
std::string po_lexer::string_value()
{
    std::string value;
    for (;;) {
        const std::size_t run = plain_run('"');
        value.append(text_, at_, run);
        at_ += run;
        const std::string_view c = get();
        if (c.empty() || c == "\n" || c == "\"")
            break;
        if (c == "\\")
            value += escape_value();
        else
            value += c;
    }
    value.resize(std::min(value.find('\0'), value.size()));
    return value;
}

// The value of the escape after a backslash, as gettext reads it: the low
// byte of \ooo and \x of any number of digits; a space for an escape it does
// not know (and refuses the catalog for).
char po_lexer::escape_value()
{
    constexpr std::string_view LETTERS = "ntbrfva\\\"";
    constexpr char VALUES[] = "\n\t\b\r\f\v\a\\\"";
    std::string_view c = get();
    if (c.size() == 1 && LETTERS.find(c[0]) != std::string_view::npos)
        return VALUES[LETTERS.find(c[0])];
    unsigned value = 0;
    if (octal_digit(c)) {
        for (std::size_t digits = 1;; ++digits) {
            value = value << 3 | static_cast<unsigned>(c[0] - '0');
            if (digits == MOST_OCTAL_DIGITS)
                break;
            c = get();
            if (!octal_digit(c)) {
                if (!c.empty())
                    unget(c);
                break;
            }
        }
        return static_cast<char>(value);
    }
    if (c == "x") {
        c = get();
        if (hex_value(c) >= 0) {
            for (; hex_value(c) >= 0; c = get())
                value = value << 4 | static_cast<unsigned>(hex_value(c));
            if (!c.empty())
                unget(c);
            return static_cast<char>(value);
        }
    }
    if (!c.empty())
        unget(c);
    return UNKNOWN_ESCAPE;
}

// The charset a header's msgstr names, as gettext takes it.
std::string_view named_charset(std::string_view header)
{
    const std::size_t mark = header.find(CHARSET_MARK);
    if (mark == std::string_view::npos)
        return {};
    const std::string_view name = header.substr(mark + CHARSET_MARK.size());
    return name.substr(0, name.find_first_of(" \t\n"));
}

// The message being read.
struct entry {
    std::optional<std::string> context;
    std::string id;
    bool has_id = false;
    std::size_t string_line = 0;  // of its msgstr, or its first msgstr[N]; 0 until one is read
    bool obsolete = false;
    std::string header;  // the msgstr, of the header alone
    bool header_entry() const { return !context && id.empty() && !obsolete; }
};

}  // namespace

std::string message_key(std::string_view domain, std::optional<std::string_view> context, std::string_view msgid)
{
    // None of them holds a NUL: joined by one, they are unambiguous. Most
    // messages have neither a context nor a domain: their key is short.
    std::string key(msgid);
    key += '\0';
    key += context ? '\1' : '\2';
    if (context)
        key += *context;
    if (domain != DEFAULT_DOMAIN) {
        key += '\0';
        key += domain;
    }
    return key;
}

std::unordered_map<std::string, std::size_t> msgstr_lines(std::string_view catalog)
{
    std::unordered_map<std::string, std::size_t> lines;
    po_lexer lexer(catalog);
    std::string in_domain = DEFAULT_DOMAIN;
    entry current;
    enum class field { none, domain, context, id, string } reading = field::none;
    // A message is whole once the next begins: gettext then reads the rest
    // in the charset a header names.
    const auto finish = [&] {
        if (current.has_id && current.string_line != 0) {
            lines.emplace(message_key(in_domain, current.context, current.id), current.string_line);
            if (current.header_entry())
                lexer.use(named_charset(current.header));
        }
        current = entry();
    };
    for (token read = lexer.next(); read.kind != token_kind::end; read = lexer.next()) {
        if (read.previous)
            continue;
        if (read.kind == token_kind::string) {
            std::string *to = reading == field::context ? &*current.context
                              : reading == field::id    ? &current.id
                              : reading == field::string && current.header_entry() ? &current.header
                                                                                     : nullptr;
            if (to != nullptr)
                *to += read.text;
            else if (reading == field::domain)
                in_domain = read.text;
            if (reading == field::domain)
                reading = field::none;
            continue;
        }
        if (read.text == CONTEXT || read.text == DOMAIN || (read.text == ID && reading != field::context))
            finish();
        if (read.text == CONTEXT) {
            current.context.emplace();
            reading = field::context;
        } else if (read.text == ID) {
            current.has_id = true;
            current.obsolete = read.obsolete;
            reading = field::id;
        } else if (read.text == STRING) {
            if (current.string_line == 0)
                current.string_line = read.line;
            reading = field::string;
        } else {
            reading = read.text == DOMAIN ? field::domain : field::none;  // msgid_plural, [N], a fault
        }
    }
    finish();
    return lines;
}
