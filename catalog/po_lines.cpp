#include "catalog/po_lines.h"

namespace {

constexpr std::string_view CONTEXT = "msgctxt", ID = "msgid", STRING = "msgstr";
constexpr std::size_t MOST_OCTAL_DIGITS = 3;

// What the strings being read belong to.
enum class field { none, context, id, other };

struct entry {
    bool context = false;
    std::string id;
    std::size_t string_line = 0;  // of its msgstr, or its first msgstr[N]; 0 until one is read
};

bool word_byte(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

bool octal_digit(char c)
{
    return c >= '0' && c <= '7';
}

int hex_value(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if ((c | 0x20) >= 'a' && (c | 0x20) <= 'f')
        return (c | 0x20) - 'a' + 10;
    return -1;
}

// The escape at text[at], a backslash with a character after it on its
// line, as gettext reads it; its value goes to id, if any. Returns what
// follows it.
std::size_t escape(std::string_view text, std::size_t at, std::string *id)
{
    constexpr std::string_view LETTERS = "ntbrfva\\\"";
    constexpr char VALUES[] = "\n\t\b\r\f\v\a\\\"";
    const char kind = text[at + 1];
    unsigned value = 0;
    std::size_t next = at + 2;
    if (const std::size_t simple = LETTERS.find(kind); simple != std::string_view::npos) {
        value = static_cast<unsigned char>(VALUES[simple]);
    } else if (octal_digit(kind)) {
        for (next = at + 1; next < text.size() && next <= at + MOST_OCTAL_DIGITS && octal_digit(text[next]); ++next)
            value = value << 3 | static_cast<unsigned>(text[next] - '0');
    } else if (kind == 'x' && next < text.size() && hex_value(text[next]) >= 0) {
        for (; next < text.size() && hex_value(text[next]) >= 0; ++next)
            value = (value << 4 | static_cast<unsigned>(hex_value(text[next]))) & 0xFF;
    } else {
        value = static_cast<unsigned char>(kind);  // none gettext takes: it refused the catalog
    }
    if (id != nullptr)
        *id += static_cast<char>(value);
    return next;
}

// The string whose opening quote is at text[at], its text going to id if
// any; returns where it ends, after its closing quote or at its line's end.
std::size_t string(std::string_view text, std::size_t at, std::string *id)
{
    for (++at; at < text.size() && text[at] != '"' && text[at] != '\n';) {
        if (text[at] == '\\' && at + 1 < text.size() && text[at + 1] != '\n') {
            at = escape(text, at, id);
        } else {
            if (id != nullptr)
                *id += text[at];
            ++at;
        }
    }
    return at < text.size() && text[at] == '"' ? at + 1 : at;
}

}  // namespace

std::unordered_map<std::string, std::size_t> msgstr_lines(std::string_view catalog)
{
    std::unordered_map<std::string, std::size_t> lines;
    entry current;
    field reading = field::none;
    const auto finish = [&lines, &current] {
        if (current.string_line != 0 && !current.context)
            lines.emplace(std::move(current.id), current.string_line);
        current = entry();
    };
    std::size_t line = 1;
    for (std::size_t at = 0; at < catalog.size();) {
        const char c = catalog[at];
        if (c == '\n') {
            ++line;
            ++at;
        } else if (c == '#') {  // a comment, or a previous (#|) or obsolete (#~) message: to the line's end
            const std::size_t end = catalog.find('\n', at);
            at = end == std::string_view::npos ? catalog.size() : end;
        } else if (c == '"') {
            at = string(catalog, at, reading == field::id ? &current.id : nullptr);
        } else if (word_byte(c)) {
            std::size_t end = at;
            while (end < catalog.size() && word_byte(catalog[end]))
                ++end;
            const std::string_view word = catalog.substr(at, end - at);
            if (word == CONTEXT) {
                finish();
                current.context = true;
                reading = field::context;
            } else if (word == ID) {
                if (reading != field::context)  // else it is the msgid of the msgctxt just read
                    finish();
                reading = field::id;
            } else {
                if (word == STRING && current.string_line == 0)
                    current.string_line = line;
                reading = field::other;  // msgstr, msgid_plural, a plural form's number, a domain
            }
            at = end;
        } else {
            ++at;
        }
    }
    finish();
    return lines;
}
