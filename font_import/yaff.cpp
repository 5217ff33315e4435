#include "font_import/yaff.h"

#include <algorithm>
#include <string_view>
#include <utility>

#include "charset/utf8.h"
#include "messages/messages.h"

namespace {

constexpr std::uint8_t BYTE_ORDER_MARK[] = {0xEF, 0xBB, 0xBF};
constexpr char SEPARATOR = ':', COMMENT = '#', INK = '@', PAPER = '.';
constexpr std::string_view EMPTY_GLYPH = "-", NEXT_FONT = "---";
// Far beyond any font's pixels, and far within int when a few are added.
constexpr long LARGEST_METRIC = 1L << 24;
constexpr std::uint64_t LARGEST_CODE = 0xFFFFFFFF;
constexpr unsigned BYTE_CODES = 256;
constexpr std::uint8_t FIRST_NON_ASCII = 0x80, DELETE = 0x7F, FIRST_PRINTABLE = 0x20;
constexpr int HEX = 16, OCTAL = 8, DECIMAL = 10;
// Glyphs of grey levels: how many a yaff may have; with the most, a pixel
// takes two characters.
constexpr int TWO_LEVELS = 2, FOUR_LEVELS = 4, SIXTEEN_LEVELS = 16, MOST_LEVELS = 256;

bool blank(char c)
{
    return c == ' ' || c == '\t';
}

bool digit(char c)
{
    return c >= '0' && c <= '9';
}

std::string_view trimmed_right(std::string_view text)
{
    while (!text.empty() && blank(text.back()))
        text.remove_suffix(1);
    return text;
}

std::string_view trimmed(std::string_view text)
{
    while (!text.empty() && blank(text.front()))
        text.remove_prefix(1);
    return trimmed_right(text);
}

bool enclosed(std::string_view text, char quote)
{
    return text.size() >= 2 && text.front() == quote && text.back() == quote;
}

bool starts_with(std::string_view text, std::string_view start)
{
    return text.substr(0, start.size()) == start;
}

// Letters, digits, '_', '-' and '.', as property keys are made.
bool is_key(std::string_view text)
{
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) {
        return digit(c) || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c == '-' ||
               c == '.';
    });
}

// Keys are compared without case, with '_' for '-'.
std::string normal_key(std::string_view key)
{
    std::string normal(key);
    for (char &c : normal)
        c = c == '_' ? '-' : c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    return normal;
}

std::string shown(std::string_view text)
{
    return excerpt(std::string(text));
}

// A whole number, signed, within the bounds of a metric.
bool whole(std::string_view text, int &value)
{
    bool negative = false;
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    if (text.empty())
        return false;
    long magnitude = 0;
    for (const char c : text) {
        if (!digit(c))
            return false;
        magnitude = magnitude * DECIMAL + (c - '0');
        if (magnitude > LARGEST_METRIC)
            return false;
    }
    value = static_cast<int>(negative ? -magnitude : magnitude);
    return true;
}

// Two whole numbers, as "8x12", "8 12" or "8, 12".
bool whole_pair(std::string_view text, int &first, int &second)
{
    const auto is_separator = [](char c) { return c == 'x' || c == 'X' || c == ',' || blank(c); };
    const auto split = std::find_if(text.begin(), text.end(), is_separator);
    auto rest = std::find_if_not(split, text.end(), is_separator);
    const auto at = [&text](std::string_view::const_iterator i) {
        return static_cast<std::size_t>(i - text.begin());
    };
    return split != text.end() && whole(text.substr(0, at(split)), first) &&
           whole(text.substr(at(rest)), second);
}

// An unsigned number as a code label writes it: decimal, 0x hex or 0o octal.
bool code_number(std::string_view text, std::uint64_t &value)
{
    int base = DECIMAL;
    if (starts_with(text, "0x") || starts_with(text, "0X") || starts_with(text, "0o") || starts_with(text, "0O")) {
        base = text[1] == 'x' || text[1] == 'X' ? HEX : OCTAL;
        text.remove_prefix(2);
    }
    if (text.empty())
        return false;
    value = 0;
    for (const char c : text) {
        const int lower = c | 0x20;
        const int digit_value = digit(c) ? c - '0' : lower >= 'a' && lower <= 'f' ? lower - 'a' + 10 : HEX;
        if (digit_value >= base)
            return false;
        value = value * static_cast<unsigned>(base) + static_cast<unsigned>(digit_value);
        if (value > LARGEST_CODE)
            return false;
    }
    return true;
}

// The characters of some UTF-8, already checked, with their count.
std::u32string characters_of(std::string_view text)
{
    std::u32string characters;
    const auto *at = reinterpret_cast<const std::uint8_t *>(text.data());
    for (std::size_t left = text.size(); left > 0;) {
        char32_t c = 0;
        const std::size_t length = decode_utf8(at, left, c);
        characters += c;
        at += length;
        left -= length;
    }
    return characters;
}

// "0x41", "65", "0x1, 0x20": one code, given as a number or as the bytes
// of a multi-byte code.
std::string read_code_label(std::string_view label, yaff_glyph &glyph)
{
    std::uint64_t code = 0;
    bool several = false;
    for (std::size_t start = 0; start <= label.size();) {
        const std::size_t comma = std::min(label.find(',', start), label.size());
        std::uint64_t element = 0;
        if (!code_number(trimmed(label.substr(start, comma - start)), element))
            return "bad code label " + shown(label);
        if (several && (element >= BYTE_CODES || code > LARGEST_CODE / BYTE_CODES))
            return "bad code label " + shown(label) + ": a code of several bytes is bytes below 256";
        code = several ? code * BYTE_CODES + element : element;
        several = true;
        start = comma + 1;
    }
    glyph.codes.push_back(static_cast<std::uint32_t>(code));
    return "";
}

// "u+00C5", "'Å'", "u+0061, u+0300": characters, given by their Unicode
// numbers or as themselves. A glyph stands for one character; a sequence
// of several names it only as a whole, and is left aside.
std::string read_character_label(std::string_view label, yaff_glyph &glyph)
{
    std::u32string characters;
    if (enclosed(label, '\''))
        characters = characters_of(label.substr(1, label.size() - 2));
    else
        for (std::size_t start = 0; start <= label.size();) {
            const std::size_t comma = std::min(label.find(',', start), label.size());
            const std::string_view element = trimmed(label.substr(start, comma - start));
            std::uint64_t value = 0;
            if (enclosed(element, '\''))
                characters += characters_of(element.substr(1, element.size() - 2));
            else if ((starts_with(element, "u+") || starts_with(element, "U+")) &&
                     code_number("0x" + std::string(element.substr(2)), value) && is_unicode_scalar(value))
                characters += static_cast<char32_t>(value);
            else
                return "bad character label " + shown(label);
            start = comma + 1;
        }
    if (characters.size() == 1)
        glyph.characters.push_back(characters.front());
    return "";
}

// What a label is, told as the format tells it: a quoted tag, a code, or
// characters; an unquoted word of ASCII is an old-style tag.
std::string read_label(std::string_view label, yaff_glyph &glyph)
{
    if (label.empty() || enclosed(label, '"'))
        return "";
    if (digit(label.front()))
        return read_code_label(label, glyph);
    if (label.front() == '\'' || starts_with(label, "u+") || starts_with(label, "U+"))
        return read_character_label(label, glyph);
    const std::u32string characters = characters_of(label);
    const bool ascii = std::all_of(label.begin(), label.end(),
                                   [](char c) { return static_cast<std::uint8_t>(c) < FIRST_NON_ASCII; });
    if (characters.size() == 1 || !ascii)
        return read_character_label("'" + std::string(label) + "'", glyph);
    return "";
}

// A value's line without its quotes, when it is all in double quotes.
std::string_view unquoted(std::string_view value)
{
    return enclosed(value, '"') ? value.substr(1, value.size() - 2) : value;
}

// What is wrong with the characters of a line, if anything.
std::string bad_characters(std::string_view line)
{
    const auto *at = reinterpret_cast<const std::uint8_t *>(line.data());
    for (std::size_t i = 0; i < line.size();) {
        if (at[i] < FIRST_NON_ASCII) {
            if ((at[i] < FIRST_PRINTABLE && at[i] != '\t') || at[i] == DELETE)
                return "control character " + std::to_string(at[i]) + " in a line";
            ++i;
            continue;
        }
        char32_t c = 0;
        const std::size_t length = decode_utf8(at + i, line.size() - i, c);
        if (length == 0)
            return "not UTF-8";
        i += length;
    }
    return "";
}

// The lines of the bytes, whichever of LF, CR LF and CR ends them.
struct line_reader {
    const char *at, *end;
    std::size_t number = 0;

    bool next(std::string_view &line)
    {
        if (at == end)
            return false;
        const char *start = at;
        while (at != end && *at != '\n' && *at != '\r')
            ++at;
        line = std::string_view(start, static_cast<std::size_t>(at - start));
        if (at != end)
            at += *at == '\r' && at + 1 != end && at[1] == '\n' ? 2 : 1;
        ++number;
        return true;
    }
};

// Where the reader is: between definitions, among a glyph's labels, in
// its rows or its properties, or in a property's lines.
enum class state { between, labels, rows, glyph_properties, property_lines };

struct label_line {
    std::string_view text;
    std::size_t line;
};

class parser {
public:
    explicit parser(yaff_font &font) : font_(font) {}

    // Takes one line; sets done at a line that starts another font.
    std::optional<yaff_error> take(std::string_view line, std::size_t number, bool &done);
    std::optional<yaff_error> finish();

private:
    std::optional<yaff_error> fail(std::size_t line, std::string reason) const
    {
        return yaff_error{line, std::move(reason)};
    }
    std::optional<yaff_error> take_unindented(std::string_view line, std::size_t number);
    std::optional<yaff_error> take_indented(std::string_view line, std::size_t number);
    std::optional<yaff_error> start_block(std::size_t indent, std::string_view rest);
    std::optional<yaff_error> take_glyph_line(std::size_t indent, std::string_view rest, std::size_t number);
    std::optional<yaff_error> take_row(std::string_view row, std::size_t number);
    std::optional<yaff_error> set_property(std::string_view key, std::string_view value, std::size_t number,
                                           yaff_metrics &metrics, bool global);

    yaff_font &font_;
    state state_ = state::between;
    std::vector<label_line> labels_;
    yaff_glyph glyph_;
    bool empty_glyph_ = false;
    std::size_t indent_ = 0;
    std::string key_, value_;  // of a property over several lines
    std::size_t key_line_ = 0;
    bool started_ = false;  // a property or glyph has been read
    int levels_ = TWO_LEVELS;
};

std::optional<yaff_error> parser::take(std::string_view line, std::size_t number, bool &done)
{
    if (std::string reason = bad_characters(line); !reason.empty())
        return fail(number, reason);
    if (trimmed(line).empty() || line.front() == COMMENT)
        return std::nullopt;
    if (blank(line.front()))
        return take_indented(line, number);
    if (trimmed_right(line) == NEXT_FONT) {
        done = started_ || state_ != state::between;
        font_.more_fonts = done;
        return done ? finish() : std::nullopt;
    }
    const std::string_view content = trimmed_right(line);
    const bool another_label = state_ == state::labels && content.back() == SEPARATOR;
    if (!another_label)
        if (auto error = finish())
            return error;
    return take_unindented(content, number);
}

std::optional<yaff_error> parser::take_unindented(std::string_view line, std::size_t number)
{
    if (line.back() == SEPARATOR) {
        labels_.push_back({trimmed_right(line.substr(0, line.size() - 1)), number});
        state_ = state::labels;
        return std::nullopt;
    }
    const std::size_t colon = line.find(SEPARATOR);
    if (colon == std::string_view::npos)
        return fail(number, "neither a label nor a property: a label ends with ':', a property is 'key: value'");
    const std::string_view key = trimmed_right(line.substr(0, colon));
    if (!is_key(key))
        return fail(number, shown(key) + " is no property key, and a label ends with ':'");
    started_ = true;
    return set_property(key, unquoted(trimmed(line.substr(colon + 1))), number, font_.metrics, true);
}

std::optional<yaff_error> parser::take_indented(std::string_view line, std::size_t number)
{
    const std::size_t indent = line.find_first_not_of(" \t");
    const std::string_view rest = trimmed_right(line.substr(indent));
    switch (state_) {
    case state::between:
        return fail(number, "an indented line outside a glyph or a property");
    case state::labels:
        if (auto error = start_block(indent, rest))
            return error;
        if (state_ == state::property_lines) {
            value_ = std::string(unquoted(rest));
            return std::nullopt;
        }
        return take_glyph_line(indent, rest, number);
    case state::property_lines:
        value_ += "\n" + std::string(unquoted(rest));
        return std::nullopt;
    default:
        return take_glyph_line(indent, rest, number);
    }
}

// After labels, indented lines are a glyph, unless there is one label that
// could be a property's key and the lines cannot be a glyph's: then they are
// that property's value.
std::optional<yaff_error> parser::start_block(std::size_t indent, std::string_view rest)
{
    const bool glyph_like = rest.front() == INK || rest.front() == PAPER || rest == EMPTY_GLYPH;
    if (labels_.size() == 1 && is_key(labels_[0].text) && !digit(labels_[0].text.front()) && !glyph_like) {
        key_ = std::string(labels_[0].text);
        key_line_ = labels_[0].line;
        labels_.clear();
        state_ = state::property_lines;
        return std::nullopt;
    }
    glyph_ = yaff_glyph{};
    glyph_.line = labels_.front().line;
    glyph_.first_pixel = font_.pixels.size();
    empty_glyph_ = false;
    indent_ = indent;
    state_ = state::rows;
    for (const label_line &label : labels_)
        if (std::string reason = read_label(label.text, glyph_); !reason.empty())
            return fail(label.line, reason);
    return std::nullopt;
}

std::optional<yaff_error> parser::take_glyph_line(std::size_t indent, std::string_view rest, std::size_t number)
{
    // Deeper lines go on with a glyph property's value.
    if (state_ == state::glyph_properties && indent > indent_)
        return std::nullopt;
    if (indent != indent_)
        return fail(number, "a glyph's lines have one indent: " + std::to_string(indent_) + " here");
    if (const std::size_t colon = rest.find(SEPARATOR); colon != std::string_view::npos) {
        const std::string_view key = trimmed_right(rest.substr(0, colon));
        if (!is_key(key))
            return fail(number, shown(key) + " is no property key");
        if (state_ == state::rows && glyph_.height == 0 && !empty_glyph_)
            return fail(number, "a glyph's properties come after its rows");
        state_ = state::glyph_properties;
        return set_property(key, unquoted(trimmed(rest.substr(colon + 1))), number, glyph_.metrics, false);
    }
    if (state_ == state::glyph_properties)
        return fail(number, "a glyph row after the glyph's properties");
    if (rest == EMPTY_GLYPH && glyph_.height == 0 && !empty_glyph_) {
        empty_glyph_ = true;
        return std::nullopt;
    }
    if (empty_glyph_)
        return fail(number, "the empty glyph '-' has no rows");
    return take_row(rest, number);
}

// A pixel's grey level: '.' none, '@' the most, and hex digits between,
// two characters a pixel for 256 levels; -1 for what is none of these.
int grey_level(std::string_view pixel, int levels)
{
    const int most = levels - 1;
    if (pixel.find_first_not_of(PAPER) == std::string_view::npos)
        return 0;
    if (pixel.find_first_not_of(INK) == std::string_view::npos)
        return most;
    std::uint64_t level = 0;
    const bool hex = levels > TWO_LEVELS && code_number("0x" + std::string(pixel), level);
    return hex && level > 0 && level < static_cast<unsigned>(most) ? static_cast<int>(level) : -1;
}

// A pixel is ink where it is at least half dark.
std::optional<yaff_error> parser::take_row(std::string_view row, std::size_t number)
{
    const std::size_t pixel_size = levels_ == MOST_LEVELS ? 2 : 1;
    const auto stray = [&](std::size_t at) {
        const char c = row[std::min(at, row.size() - 1)];
        return fail(number, (static_cast<std::uint8_t>(c) < FIRST_NON_ASCII ? shown(std::string(1, c)) : "a character") +
                                " in a glyph row: rows are '.' and '@'" +
                                (levels_ == TWO_LEVELS ? "" : ", with hex digits for grey levels"));
    };
    if (row.size() % pixel_size != 0)
        return stray(row.size());
    for (std::size_t at = 0; at < row.size(); at += pixel_size) {
        const int level = grey_level(row.substr(at, pixel_size), levels_);
        if (level < 0)
            return stray(at);
        font_.pixels.push_back(2 * level >= levels_ ? 1 : 0);
    }
    const int width = static_cast<int>(row.size() / pixel_size);
    if (glyph_.height > 0 && width != glyph_.width)
        return fail(number, "a row of " + std::to_string(width) + " pixels in a glyph " +
                                std::to_string(glyph_.width) + " wide");
    glyph_.width = width;
    ++glyph_.height;
    return std::nullopt;
}

std::optional<yaff_error> parser::set_property(std::string_view key, std::string_view value, std::size_t number,
                                               yaff_metrics &metrics, bool global)
{
    const std::string name = normal_key(key);
    const auto bad = [&](const char *what) {
        return fail(number, name + ": " + shown(value) + " is not " + what);
    };
    int first = 0, second = 0;
    const bool metric = name == "left-bearing" || name == "right-bearing" || name == "shift-up" ||
                        name == "tracking" || name == "offset";
    if (metric && !global && glyph_.metrics_line == 0)
        glyph_.metrics_line = number;
    if (name == "offset") {
        if (!whole_pair(value, first, second))
            return bad("two whole numbers");
        metrics.left_bearing = first;
        metrics.shift_up = second;
    } else if (metric || name == "ascent" || name == "descent" || name == "line-height" || name == "levels") {
        if (!whole(value, first))
            return bad("a whole number");
        if (name == "left-bearing")
            metrics.left_bearing = first;
        else if (name == "right-bearing" || name == "tracking")
            metrics.right_bearing = first;
        else if (name == "shift-up")
            metrics.shift_up = first;
        else if (!global)
            return std::nullopt;  // these are the font's; a glyph's own mean nothing here
        else if (name == "ascent")
            font_.ascent = first;
        else if (name == "descent")
            font_.descent = first;
        else if (name == "line-height")
            font_.line_height = first;
        else if (first == TWO_LEVELS || first == FOUR_LEVELS || first == SIXTEEN_LEVELS || first == MOST_LEVELS)
            levels_ = first;
        else
            return fail(number, "glyphs of " + std::to_string(first) + " grey levels: a yaff has 2, 4, 16 or 256");
    } else if (global && name == "cell-size") {
        if (!whole_pair(value, first, second))
            return bad("a width and a height");
        font_.line_height = second;
    } else if (global && name == "encoding") {
        font_.encoding = std::string(value);
    }
    return std::nullopt;
}

std::optional<yaff_error> parser::finish()
{
    const state was = state_;
    state_ = state::between;
    if (was == state::labels)
        return fail(labels_.back().line, "a label with no glyph after it");
    labels_.clear();
    if (was == state::property_lines) {
        started_ = true;
        return set_property(key_, value_, key_line_, font_.metrics, true);
    }
    if (was == state::rows || was == state::glyph_properties) {
        if (glyph_.height == 0 && !empty_glyph_)
            return fail(glyph_.line, "a glyph with no rows");
        started_ = true;
        font_.glyphs.push_back(std::move(glyph_));
    }
    return std::nullopt;
}

}  // namespace

bool yaff_font::ink(const yaff_glyph &glyph, int row, int column) const
{
    return pixels[glyph.first_pixel + static_cast<std::size_t>(row) * static_cast<std::size_t>(glyph.width) +
                  static_cast<std::size_t>(column)] != 0;
}

bool looks_like_yaff(const std::uint8_t *data, std::size_t size)
{
    if (size >= sizeof BYTE_ORDER_MARK && std::equal(BYTE_ORDER_MARK, BYTE_ORDER_MARK + sizeof BYTE_ORDER_MARK, data)) {
        data += sizeof BYTE_ORDER_MARK;
        size -= sizeof BYTE_ORDER_MARK;
    }
    line_reader lines{reinterpret_cast<const char *>(data), reinterpret_cast<const char *>(data) + size};
    for (std::string_view line; lines.next(line);) {
        const std::string_view content = trimmed_right(line);
        if (content.empty() || content.front() == COMMENT || content == NEXT_FONT)
            continue;
        if (blank(content.front()) || !bad_characters(content).empty())
            return false;
        const std::size_t colon = content.find(SEPARATOR);
        return content.back() == SEPARATOR ||
               (colon != std::string_view::npos && is_key(trimmed_right(content.substr(0, colon))));
    }
    return false;
}

std::optional<yaff_error> parse_yaff(const std::uint8_t *data, std::size_t size, yaff_font &font)
{
    font = yaff_font{};
    if (size > MAX_YAFF_BYTES)
        return yaff_error{0, "larger than " + std::to_string(MAX_YAFF_BYTES >> 20) + " MiB"};
    if (size >= sizeof BYTE_ORDER_MARK && std::equal(BYTE_ORDER_MARK, BYTE_ORDER_MARK + sizeof BYTE_ORDER_MARK, data)) {
        data += sizeof BYTE_ORDER_MARK;
        size -= sizeof BYTE_ORDER_MARK;
    }
    parser reader(font);
    line_reader lines{reinterpret_cast<const char *>(data), reinterpret_cast<const char *>(data) + size};
    bool done = false;
    for (std::string_view line; !done && lines.next(line);)
        if (auto error = reader.take(line, lines.number, done))
            return error;
    return done ? std::nullopt : reader.finish();
}

namespace {

// A set's name as monobit matches names: in lower case, without '-', '_',
// '.' and spaces, and with the vendors' prefixes made one.
std::string squeezed(const std::string &name)
{
    std::string squeezed;
    for (const char c : name)
        if (c != '-' && c != '_' && c != '.' && !blank(c))
            squeezed += c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    constexpr std::pair<std::string_view, std::string_view> VENDOR_PREFIXES[] = {
        {"microsoftcp", "windows"}, {"microsoft", "windows"}, {"msdoscp", "oem"}, {"oemcp", "oem"},
        {"msdos", "oem"},           {"ibmcp", "ibm"},         {"apple", "mac"},  {"macos", "mac"},
        {"doscp", "oem"},           {"mscp", "windows"},      {"dos", "oem"},    {"pc", "oem"},
        {"ms", "windows"},          {"x", ""}};
    for (const auto &[prefix, replacement] : VENDOR_PREFIXES)
        if (starts_with(squeezed, prefix))
            return std::string(replacement) + squeezed.substr(prefix.size());
    return squeezed;
}

}  // namespace

std::string iconv_set_name(const std::string &yaff_name)
{
    // Names whose numbers iconv takes after a prefix of its own.
    constexpr std::pair<std::string_view, std::string_view> NUMBERED[] = {
        {"iso8859", "ISO-8859-"}, {"latin", "LATIN"}, {"cp", "CP"},
        {"oem", "CP"},            {"ibm", "CP"},      {"windows", "WINDOWS-"}};
    constexpr std::pair<std::string_view, std::string_view> NAMED[] = {
        {"unicode", UNICODE_CODES},        {"ucs", UNICODE_CODES},           {"iso10646", UNICODE_CODES},
        {"iso106461", UNICODE_CODES},      {"macroman", "MACINTOSH"},        {"mac", "MACINTOSH"},
        {"macintosh", "MACINTOSH"},        {"maccyrillic", "MAC-CYRILLIC"},  {"macukrainian", "MAC-UK"},
        {"maccentraleurope", "MAC-CENTRALEUROPE"}, {"macce", "MAC-CENTRALEUROPE"},
        {"maclatin2", "MAC-CENTRALEUROPE"}, {"macicelandic", "MAC-IS"},      {"koi8r", "KOI8-R"},
        {"koi8u", "KOI8-U"},               {"koi8ru", "KOI8-RU"},            {"ascii", "ASCII"},
        {"usascii", "ASCII"},              {"windowsansi", "CP1252"},        {"ansi", "CP1252"},
        {"ansinew", "CP1252"},             {"latin0", "ISO-8859-15"}};
    const std::string name = squeezed(yaff_name);
    for (const auto &[known, iconv_name] : NAMED)
        if (name == known)
            return std::string(iconv_name);
    for (const auto &[prefix, iconv_prefix] : NUMBERED) {
        const std::string number = name.substr(std::min(prefix.size(), name.size()));
        if (starts_with(name, prefix) && !number.empty() && std::all_of(number.begin(), number.end(), digit))
            return std::string(iconv_prefix) + number;
    }
    return yaff_name;
}
