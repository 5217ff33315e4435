// Text put into the font's codes: the code of a character, the C literal
// scanner on the cases that trip lexers, and font_text run as users do.
#include <sys/mman.h>
#include <unistd.h>

#include <cstring>
#include <fstream>
#include <stdexcept>

#include "charset/text_codes.h"
#include "charset/text_cursor.h"
#include "charset/utf8.h"
#include "set_record/set_record.h"
#include "ui_text/ui_text.h"
#include "tool_inputs.h"

namespace {

const std::string FONT_TEXT = quoted(FONT_TEXT_PATH);
constexpr char LINE_ONE[] = "#line 1 \"ui.c\"\n";

text_codes koi8r_codes()
{
    charset_table koi8r;
    EXPECT_EQ(load_charset("KOI8-R", koi8r), "");
    return text_codes(koi8r, "KOI8-R");
}

std::string encoded(const std::string &source)
{
    const encoded_text out = encode_c_source(source, "ui.c", koi8r_codes());
    EXPECT_TRUE(out.problems.empty()) << source << ": " << (out.problems.empty() ? "" : out.problems.shown[0].what);
    return out.bytes.substr(0, sizeof LINE_ONE - 1) == LINE_ONE ? out.bytes.substr(sizeof LINE_ONE - 1)
                                                                : "no #line: " + out.bytes;
}

// The source encoded in codes, with no problem, less its #line.
std::string encoded_with(const text_codes &codes, const std::string &source)
{
    const encoded_text out = encode_c_source(source, "ui.c", codes);
    EXPECT_TRUE(out.problems.empty()) << source;
    return out.bytes.substr(sizeof LINE_ONE - 1);
}

// What each problem says, with its place: "3:5: 17 columns, 16 fit".
std::vector<std::string> problems_of(const encoded_text &out)
{
    std::vector<std::string> found;
    for (const text_problem &problem : out.problems.shown)
        found.push_back(std::to_string(problem.line) + ":" + std::to_string(problem.column) + ": " + problem.what);
    return found;
}

}  // namespace

TEST(TextCodes, GivesAsciiItsCodeAndOtherCharactersTheTableSetsUpperHalf)
{
    charset_table set{};
    set.fill(NO_CHARACTER);
    set[0x10] = U'\u0416';  // a set may put a character below 0x80: it has no code there
    set[0x41] = U'\u0410';  // nor where ASCII is
    set[0xA0] = U'\u00A0';
    set[0xC1] = U'\u0411';
    set[0xF6] = U'\u0416';
    text_codes codes(set, "TEST", {{0x02, U'\u2000'}, {0x03, U'\u200A'}});  // the first and last en quad spaces
    std::string problem;
    EXPECT_EQ(codes.code_of(U'A', problem), 0x41);
    EXPECT_EQ(codes.code_of(U'~', problem), 0x7E);
    EXPECT_EQ(codes.code_of(U'\u0416', problem), 0xF6);
    EXPECT_EQ(codes.code_of(U'\t', problem), 0x09);  // a control character is its own byte
    EXPECT_EQ(codes.code_of(U'\x7F', problem), 0x7F);
    for (const char32_t none : {U'\u0410', U'\u20AC', U'\x80'}) {
        problem.clear();
        EXPECT_FALSE(codes.code_of(none, problem)) << static_cast<unsigned>(none);
        EXPECT_EQ(problem, "no code in TEST");
    }

    // Against a font whose glyphs are blank but B's (code 0x42) and Б's
    // (code 0xC1, through the table): spaces may be blank, nothing else.
    source_font font{};
    recode_table table{};
    font[0x42 * 12 + 11] = 0x01;
    table[0xC1 - 0x80] = 0x99;
    font[0x99 * 12] = 0x80;
    codes.check_glyphs(font, table);
    EXPECT_EQ(codes.code_of(U'B', problem), 0x42);
    EXPECT_EQ(codes.code_of(U'\u0411', problem), 0xC1);
    EXPECT_EQ(codes.code_of(U' ', problem), 0x20);
    EXPECT_EQ(codes.code_of(U'\u00A0', problem), 0xA0);
    EXPECT_EQ(codes.code_of(U'\0', problem), 0x00);  // ends a string, shows nothing
    EXPECT_EQ(codes.code_of(U'\n', problem), 0x0A);
    EXPECT_EQ(codes.code_of(U'\u2000', problem), 0x02);
    EXPECT_EQ(codes.code_of(U'\u200A', problem), 0x03);
    for (const char32_t blank : {U'A', U'\t'}) {
        EXPECT_FALSE(codes.code_of(blank, problem));
        EXPECT_EQ(problem, "shows a blank glyph");
    }
}

// Codes free for characters of one's own are those the set gives no
// character, never the string's end or the line's.
TEST(FreeCodes, AreWhatTheSetLeavesButNulAndTheLineFeed)
{
    const struct {
        const char *set, *free;
    } sets[] = {
        {"KOI8-R", "0x01-0x09, 0x0B-0x1F, 0x7F"},
        {"ASCII", "0x01-0x09, 0x0B-0x1F, 0x7F-0xFF"},
        {"ISO-8859-1", "0x01-0x09, 0x0B-0x1F, 0x7F-0x9F"},  // C1 controls are no characters to show
        {"CP1251", "0x01-0x09, 0x0B-0x1F, 0x7F, 0x98"},     // the one byte CP1251 leaves undefined
    };
    for (const auto &each : sets) {
        charset_table set;
        ASSERT_EQ(load_charset(each.set, set), "");
        EXPECT_EQ(code_ranges(free_codes(set)), each.free) << each.set;
    }
}

// At the bounds of the controls and of the set's upper half, each character
// gets its code, or a problem that names it: a control by its number alone.
TEST(TextCodes, CodesTheWholeUpperHalfAndNamesControlsByNumber)
{
    text_codes codes = koi8r_codes();
    std::string problem;
    EXPECT_EQ(codes.code_of(U'\x7F', problem), 0x7F);
    EXPECT_EQ(codes.code_of(U'\u2500', problem), 0x80);  // ─, KOI8-R's first
    EXPECT_EQ(codes.code_of(U'\u042A', problem), 0xFF);  // Ъ, its last
    EXPECT_EQ(problems_of(encode_plain_text("\u0085\u009F\u00A1\u0915B\U0001F600", codes)),
              (std::vector<std::string>{"1:1: U+0085: no code in KOI8-R", "1:2: U+009F: no code in KOI8-R",
                                        "1:3: U+00A1 \u00A1: no code in KOI8-R", "1:4: U+0915 \u0915: no code in KOI8-R",
                                        "1:6: U+1F600 \U0001F600: no code in KOI8-R"}));

    source_font font{};  // blank but for B
    font['B' * 12] = 0x80;
    codes.check_glyphs(font, recode_table{});
    EXPECT_EQ(problems_of(encode_plain_text("\x1F\x7F", codes)),
              (std::vector<std::string>{"1:1: U+001F: shows a blank glyph", "1:2: U+007F: shows a blank glyph"}));
}

// A literal takes a run of plain characters by their plain codes alone:
// printable characters below U+0800 with a code and a glyph, none beyond
// ASCII at a code a literal would escape.
TEST(TextCodes, GivesPlainCodesToPrintableCharactersThatNeedNoMoreThought)
{
    charset_table koi8r;
    ASSERT_EQ(load_charset("KOI8-R", koi8r), "");
    text_codes codes(koi8r, "KOI8-R", {{0x01, U'\u00DF'}, {0x3F, U'\u00E9'}});  // ß at a control's code, é at ?'s
    const struct {
        char32_t c;
        unsigned code;  // 0: none
    } cases[] = {
        {U' ', 0x20}, {U'A', 0x41}, {U'?', 0x3F}, {U'~', 0x7E}, {U'\u00A0', 0x9A}, {U'\u0416', 0xF6},
        {U'\u00DF', 0x01}, {U'\u00E9', 0}, {U'\u00FC', 0}, {U'\u07FF', 0},  // ü has no code
        {U'\0', 0}, {U'\t', 0}, {U'\n', 0}, {U'\x7F', 0}, {U'\u0080', 0}, {U'\u009F', 0},  // controls
    };
    for (const auto &each : cases)
        EXPECT_EQ(codes.plain_code(each.c), each.code) << std::hex << each.c;
    EXPECT_EQ(encoded_with(codes, "\"\u00E9\u00DF\""), "\"\\?\\001\"");  // no trigraph may come of é

    source_font font{};  // blank but for A
    font['A' * 12] = 0x80;
    codes.check_glyphs(font, recode_table{});
    EXPECT_EQ(codes.plain_code(U'A'), 0x41);
    EXPECT_EQ(codes.plain_code(U'B'), 0);
    EXPECT_EQ(codes.plain_code(U'\u0416'), 0);
    EXPECT_EQ(codes.plain_code(U' '), 0x20);  // a space may be blank
    EXPECT_EQ(codes.plain_code(U'\u00A0'), 0x9A);
}

TEST(DecodeUtf8, TakesEachFormToItsBoundsAndNothingPastTheEnd)
{
    const struct {
        const char *bytes;
        std::size_t size, length;
        char32_t c;
    } cases[] = {
        {"", 0, 0, 0},      // nothing left to read
        {"\x80", 1, 0, 0},  // a continuation byte without its lead
        {"\xC2\x80", 2, 2, U'\x80'},
        {"\xE2\x82\xAC", 2, 0, 0},  // cut short, though the next byte would finish it
        {"\xED\x9F\xBF", 3, 3, U'\uD7FF'},
        {"\xED\xA0\x80", 3, 0, 0},  // the surrogates, U+D800 to U+DFFF
        {"\xED\xBF\xBF", 3, 0, 0},
        {"\xEE\x80\x80", 3, 3, U'\uE000'},
        {"\xF4\x8F\xBF\xBF", 4, 4, U'\U0010FFFF'},  // the last character
        {"\xF4\x90\x80\x80", 4, 0, 0},
    };
    for (const auto &row : cases) {
        char32_t c = 0;
        const std::size_t length = decode_utf8(reinterpret_cast<const std::uint8_t *>(row.bytes), row.size, c);
        EXPECT_EQ(length, row.length) << row.bytes;
        if (length != 0) {
            EXPECT_EQ(c, row.c) << row.bytes;
        }
    }
}

TEST(EncodeCSource, EncodesOrdinaryLiteralsAndCopiesEverythingElse)
{
    const struct {
        const char *source, *output;
    } cases[] = {
        {"\"Ж\"", "\"\\366\""},
        {"\"\\x41Ж\" \"Ж1\"", "\"\\x41\\366\" \"\\3661\""},                  // no escape grows
        {"\"\\101\\n\\\\Ж\\\"\"", "\"\\101\\n\\\\\\366\\\"\""},              // escapes stay
        {"\"\\u0416\" \"\\U00000416\"", "\"\\366\" \"\\366\""},              // names of characters
        {"\"\\u04161\" \"\\U000004169\"", "\"\\3661\" \"\\3669\""},          // of four or eight digits, no more
        {"\"\\u{416}\" '\\u{00000000000416}'", "\"\\366\" '\\366'"},        // delimited, of any length
        {"\"\\x{41}\\o{101}Ж\"", "\"\\x{41}\\o{101}\\366\""},                // codes stay as they are
        {"u8\"\\u{416}\\N{X}\" L\"\\x{}\" L'\\N{X}' u8'\\u{}'", "u8\"\\u{416}\\N{X}\" L\"\\x{}\" L'\\N{X}' u8'\\u{}'"},
        {"\"раз\\\nдва\"", "\"\\322\\301\\332\\\n\\304\\327\\301\""},         // a splice
        {"'\"' '\\'' 'Ж'", "'\"' '\\'' '\\366'"},
        {"#define G \"Ж\"\n", "#define G \"\\366\"\n"},
        {"  #  include \"Ж.h\" /* \"Ж\" */\n\"Ж\"", "  #  include \"Ж.h\" /* \"Ж\" */\n\"\\366\""},
        {"#pragma message(\"Ж\")\n", "#pragma message(\"Ж\")\n"},
        {"// \"Ж\" it's \\\n\"Ж\"\n'Ж'", "// \"Ж\" it's \\\n\"Ж\"\n'\\366'"},  // a comment goes on
        {"/* 'Ж\n\"Ж\" */", "/* 'Ж\n\"Ж\" */"},
        {"u8\"Ж\" u\"Ж\" U\"Ж\" L\"Ж\" u8'Ж' L'Ж'", "u8\"Ж\" u\"Ж\" U\"Ж\" L\"Ж\" u8'Ж' L'Ж'"},
        {"R\"d(Ж\n\"\\?)\")d\"", "\"\\366\\n\"\n\"\\\"\\\\\\?)\\\"\""},  // one piece a line
        {"LR\"(Ж)\" u8R\"x(Ж)x\"", "LR\"(Ж)\" u8R\"x(Ж)x\""},
        {"1'000 + 0x1'F + 'Ж' + 1e+5", "1'000 + 0x1'F + '\\366' + 1e+5"},       // digit separators
        {"9'999 - 1+'Ж' - 0x1p-3-'Ж'", "9'999 - 1+'\\366' - 0x1p-3-'\\366'"},  // a sign only after an exponent
        {"\"Ж\"_ru R\"(Ж)\"sv", "\"\\366\"_ru \"\\366\"sv"},                       // suffixes
        {"LABEL\"Ж\" Ж_name", "LABEL\"\\366\" Ж_name"},
        {"\xEF\xBB\xBF\"Ж\"", "\"\\366\""},  // a byte order mark would stand mid-file
        {"\t#include \"Ж.h\"\n", "\t#include \"Ж.h\"\n"},
        {"\"a\tЖ\" '\x7f'", "\"a\\011\\366\" '\\177'"},  // a control character is its byte
        // Strings the compiler keeps as they are: those joined to a u8, u, U or
        // L literal, messages, pragmas, assembly and attributes.
        {"L\"Имя: \" \"Ж\" \"Ж\"", "L\"Имя: \" \"Ж\" \"Ж\""},
        {"\"Ж\" /* c */\n#if 1\n u8\"\"\n#endif\n;\"Ж\"", "\"Ж\" /* c */\n#if 1\n u8\"\"\n#endif\n;\"\\366\""},
        {"R\"(Ж)\" U\"Ж\"", "R\"(Ж)\" U\"Ж\""},
        {"static_assert(sizeof(int) > 1, \"Ж\"); _Static_assert(1, \"Ж\")",
         "static_assert(sizeof(int) > 1, \"Ж\"); _Static_assert(1, \"Ж\")"},
        {"_Pragma(\"message(\\\"Ж\\\")\") \"Ж\"", "_Pragma(\"message(\\\"Ж\\\")\") \"\\366\""},
        {"asm volatile\n(\"# Ж\" : : \"r\"(x)); f(\"Ж\")", "asm volatile\n(\"# Ж\" : : \"r\"(x)); f(\"\\366\")"},
        {"__attribute__((deprecated(\"Ж\"))) int x = 'Ж';", "__attribute__((deprecated(\"Ж\"))) int x = '\\366';"},
        {"[[deprecated(\"Ж\")]] int x[1] = {a[\"Ж\"[0]]};", "[[deprecated(\"Ж\")]] int x[1] = {a[\"\\366\"[0]]};"},
        {"#define static_assert _Static_assert\nf(\"Ж\")", "#define static_assert _Static_assert\nf(\"\\366\")"},
        // A quote its line does not close is a stray character, with the rest of its line.
        {"#if 0\ndon't \"Ж\"\n#endif\n\"Ж\"", "#if 0\ndon't \"Ж\"\n#endif\n\"\\366\""},
        {"#define Q \"Ж\n'Ж'", "#define Q \"Ж\n'\\366'"},
        {"#if 0\n'\\'", "#if 0\n'\\'"},  // its closing quote escaped, at the end of the text
    };
    for (const auto &row : cases)
        EXPECT_EQ(encoded(row.source), row.output) << row.source;
}

// Splices go before anything else is read, and CR, LF and CR LF end lines,
// as compilers read them; each line stays where it was.
TEST(EncodeCSource, ReadsSplicesAndLineEndsAsTheCompilerDoes)
{
    const struct {
        const char *source, *output;
    } cases[] = {
        {"\"\\u04\\\n16\" \"\\x4\\\r\n1Ж\"", "\"\\\n\\366\" \"\\x4\\\r\n1\\366\""},  // inside escapes
        {"\"\\u{4\\\n16}\" \"\\x{\\\n41}Ж\"", "\"\\\n\\366\" \"\\x{\\\n41}\\366\""},
        {"u8\\\n\"Ж\" u\\\n8\"Ж\"", "u8\\\n\"Ж\" u\\\n8\"Ж\""},                      // a prefix
        {"/\\\n* \"Ж\" *\\ \n/ /\\\n/ \"Ж\"\n'Ж'", "/\\\n* \"Ж\" *\\ \n/ /\\\n/ \"Ж\"\n'\\366'"},  // comments
        {"// \"Ж\" it's \\\n\"Ж\"\n'Ж'", "// \"Ж\" it's \\\n\"Ж\"\n'\\366'"},                  // a comment goes on
        {"#inc\\\nlude \"Ж.h\"\n", "#inc\\\nlude \"Ж.h\"\n"},                              // a directive's name
        {"1'0\\\n00 + Ж_na\\\nme + 'Ж'", "1'0\\\n00 + Ж_na\\\nme + '\\366'"},            // a number, a name
        {"\"раз\\\nдва\"", "\"\\322\\301\\332\\\n\\304\\327\\301\""},               // a literal
        {"R\"(Ж\\\n)\"", "\"\\366\\\\\\n\"\n\"\""},  // undone in a raw literal: its text
        {"#include <stdio.h>\rconst char *p = \"Ж\";\r// \"Ж\"\r\"Ж\"\r\n",
         "#include <stdio.h>\rconst char *p = \"\\366\";\r// \"Ж\"\r\"\\366\"\r\n"},
        {"R\"(Ж\r\n)\"", "\"\\366\\n\"\r\n\"\""},
        {"// a \\\n\n\"Ж\"", "// a \\\n\n\"\\366\""},  // a splice takes one line end, not the next
        {"\"Ж\\ \t\f\v\nЖ\"", "\"\\366\\ \t\f\v\n\\366\""},  // blanks before a line end
    };
    for (const auto &row : cases)
        EXPECT_EQ(encoded(row.source), row.output) << row.source;
}

// A raw string's delimiter is at most 16 characters, none of them a blank, a
// parenthesis or a backslash, as the compiler takes them; any other is an
// error at its quote.
TEST(EncodeCSource, TakesRawStringDelimitersAsTheCompilerDoes)
{
    const std::string longest = "0123456789abcdef";
    const struct {
        std::string source;
        std::vector<std::string> problems;
    } cases[] = {
        {"R\"" + longest + "(Ж)" + longest + "\"", {}},
        {"R\"" + longest + "g(Ж)" + longest + "g\"", {"1:2: invalid raw string delimiter"}},
        {"R\"a b(Ж)a b\"", {"1:2: invalid raw string delimiter"}},
        {"R\"a\\b(Ж)a\\b\"", {"1:2: invalid raw string delimiter"}},
        {"R\"a)b(Ж)a)b\"", {"1:2: invalid raw string delimiter"}},
        {"R\"a(Ж)b\"", {"1:2: unterminated raw string"}},
    };
    for (const auto &row : cases)
        EXPECT_EQ(problems_of(encode_c_source(row.source, "ui.c", koi8r_codes())), row.problems) << row.source;
    EXPECT_EQ(encoded(cases[0].source), "\"\\366\"");
}

namespace {

// A text that ends where a page that cannot be read begins, so that a byte
// read past its end stops the test with a fault, in any build.
class text_at_page_end {
public:
    explicit text_at_page_end(std::string_view text)
        : page_(static_cast<std::size_t>(sysconf(_SC_PAGESIZE))),
          pages_(mmap(nullptr, 2 * page_, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0))
    {
        if (pages_ == MAP_FAILED || text.size() > page_ || mprotect(at(page_), page_, PROT_NONE) != 0)
            throw std::runtime_error("no guarded page for the text");
        size_ = text.size();
        std::copy(text.begin(), text.end(), at(page_ - size_));
    }
    ~text_at_page_end() { munmap(pages_, 2 * page_); }
    text_at_page_end(const text_at_page_end &) = delete;
    text_at_page_end &operator=(const text_at_page_end &) = delete;
    std::string_view text() const { return {at(page_ - size_), size_}; }

private:
    char *at(std::size_t offset) const { return static_cast<char *>(pages_) + offset; }
    std::size_t page_;
    void *pages_;
    std::size_t size_ = 0;
};

}  // namespace

// Nothing after the text it is given is read: a literal or comment that the
// text cuts short stays open, whatever follows it in memory.
TEST(EncodeCSource, ReadsNothingPastTheEndOfItsText)
{
    const struct {
        std::string whole;  // the text is all but its last byte
        std::vector<std::string> problems;
    } cases[] = {
        {"x = 'a'", {}}, {"x = \"a\"", {}}, {"x = \"a\\\"", {}}, {"/* a */", {"1:1: unterminated comment"}},
    };
    for (const auto &row : cases) {
        const std::string_view text = std::string_view(row.whole).substr(0, row.whole.size() - 1);
        const encoded_text out = encode_c_source(text, "ui.c", koi8r_codes());
        EXPECT_EQ(out.bytes, LINE_ONE + std::string(text)) << row.whole;
        EXPECT_EQ(problems_of(out), row.problems) << row.whole;
        // Copied to the end of the memory it may read: a byte read past it faults.
        const text_at_page_end alone(text);
        EXPECT_EQ(encode_c_source(alone.text(), "ui.c", koi8r_codes()).bytes, out.bytes) << row.whole;
    }
}

// The codes each string gives the display, line by line: every escape the
// compiler knows, a NUL byte, line feeds, and the literals a string joins.
TEST(EncodeCSource, GivesTheDisplayTheCodesTheCompilerGives)
{
    using lines = std::vector<std::vector<text_cell>>;
    const struct {
        std::string source, output;  // output empty: as the source
        lines codes;
    } cases[] = {
        {R"("\a\b\f\r\t\v\e\E")", "", {{0x07, 0x08, 0x0C, 0x0D, 0x09, 0x0B, 0x1B, 0x1B}}},
        {R"("\"Ж\" \'Ж\' \?\\")", R"("\"\366\" \'\366\' \?\\")",
         {{0x22, 0xF6, 0x22, 0x20, 0x27, 0xF6, 0x27, 0x20, 0x3F, 0x5C}}},
        {R"("\0\101\1018\x41\x4a\x142\u0416")", R"("\0\101\1018\x41\x4a\x142\366")",
         {{0x00, 0x41, 0x41, 0x38, 0x41, 0x4A, 0x42, 0xF6}}},
        // Delimited: digits of any number, the low byte kept as of \x142.
        {R"("\x{41}\x{0000000042}\x{FFFFFFFFFFFF43}\o{101}\o{7777}\o{0}8\u{416}\u{0041}")",
         R"("\x{41}\x{0000000042}\x{FFFFFFFFFFFF43}\o{101}\o{7777}\o{0}8\366A")",
         {{0x41, 0x42, 0x43, 0x41, 0xFF, 0x00, 0x38, 0xF6, 0x41}}},
        {std::string("\"a\0\x7f b\"", 7), R"("a\000\177 b")", {{0x61, 0x00, 0x7F, 0x20, 0x62}}},
        {R"("a\nbcd\ne" "\n" "f\n")", "", {{0x61}, {0x62, 0x63, 0x64}, {0x65}, {0x66}}},
        {"\"a\" /*/ \"Ж\" */ \"b\"\t\f\v\n#if 1\n\"c\"", "", {{0x61, 0x62, 0x63}}},
        {"\"a\\\nb\"", "", {{0x61, 0x62}}},
        {"R\"(a\\\nb)\"", "\"a\\\\\\n\"\n\"b\"", {{0x61, 0x5C}, {0x62}}},
    };
    text_rules rules;
    rules.keep_strings = true;
    for (const auto &row : cases) {
        const encoded_text out = encode_c_source(row.source, "ui.c", koi8r_codes(), rules);
        EXPECT_TRUE(out.problems.empty()) << row.source;
        EXPECT_EQ(out.bytes.substr(sizeof LINE_ONE - 1), row.output.empty() ? row.source : row.output);
        ASSERT_EQ(out.strings.size(), 1u) << row.source;
        const ui_string &string = out.strings[0];
        EXPECT_EQ(string.cells, row.codes) << row.source;
        EXPECT_EQ(string.lines, row.codes.size()) << row.source;
        std::size_t widest = 0;
        for (const auto &line : row.codes)
            widest = std::max(widest, line.size());
        EXPECT_EQ(string.width, widest) << row.source;
    }
}

TEST(EncodeCSource, NamesEveryProblemWithItsPlace)
{
    const encoded_text out = encode_c_source(
        "int x;\n  \"ЖЖ€\" /* € */ '\xff'\r\"ok\t\"\r\n\"a\\\n€\\Ж\" \"\\u20AC\"\n\"open\n\"\\Ж\"/*",
        "ui.c", koi8r_codes());
    const struct {
        std::size_t line, column;
        const char *what;
    } expected[] = {
        {2, 6, "U+20AC \u20AC: no code in KOI8-R"}, {2, 18, "byte 0xFF is not UTF-8"},
        {5, 1, "U+20AC \u20AC: no code in KOI8-R"}, {5, 2, "unknown escape sequence '\\Ж'"},
        {5, 7, "U+20AC \u20AC: no code in KOI8-R"}, {7, 2, "unknown escape sequence '\\Ж'"},
        {7, 5, "unterminated comment"},
    };
    ASSERT_EQ(out.problems.shown.size(), std::size(expected));
    for (std::size_t i = 0; i < std::size(expected); ++i) {
        const text_problem &problem = out.problems.shown[i];
        EXPECT_EQ(std::make_pair(problem.line, problem.column), std::make_pair(expected[i].line, expected[i].column))
            << i;
        EXPECT_EQ(problem.what, expected[i].what);
    }
    EXPECT_EQ(encode_c_source("", "a\"\\b.c", koi8r_codes()).bytes, "#line 1 \"a\\\"\\\\b.c\"\n");

    // A line of nothing but problems: the first few in full, the rest counted,
    // in time that grows with the line (the whole line is read once).
    const std::string line(3 * 200000, '\xff');
    const encoded_text many = encode_c_source("\"" + line + "\"", "ui.c", koi8r_codes());
    ASSERT_EQ(many.problems.shown.size(), MOST_PROBLEMS_SHOWN);
    EXPECT_EQ(many.problems.shown.back().column, MOST_PROBLEMS_SHOWN + 1);
    EXPECT_EQ(many.problems.more, line.size() - MOST_PROBLEMS_SHOWN);
    EXPECT_EQ(encode_plain_text("a\r\r\nb\n\xff", koi8r_codes()).problems.shown.at(0).line, 4u);
}

// Every string must fit its room: its note's, or the screen's.
TEST(EncodeCSource, ChecksThatEachStringFitsItsRoom)
{
    const auto screen = screen_room(128, 24);  // 16 columns, 2 lines
    const struct {
        const char *source;
        bool on_screen;
        std::vector<std::string> problems;
    } cases[] = {
        {"f(\"Привет, \" \"мир\", \"0123456789ABCDEF\");", true, {}},  // 11 codes, and exactly 16
        {"f(\"Привет, \"\n  \"мир, \" \"это я\");", true, {"1:3: 18 columns, 16 fit"}},
        {"f(\"a\\nb\\n\", \"a\\nb\\nc\", \"\\x41\\101\\u0416\\n\\n\");", true, {"1:13: 3 lines, 2 fit"}},
        {"'Ж' L\"0123456789ABCDEFG\" static_assert(1, \"0123456789ABCDEFG\");", true, {}},  // no UI strings
        {"\"0123456789ABCDEFG\"; // fit: 17\n\"Ж\\n\\n\\n\" /* fit: 2x3 */", true, {}},
        {"\"0123456789ABCDEFG\"; /* log only, fit: none */", true, {}},
        {"/* fit: 3 */ \"four\", \"five5\"", false, {"1:14: 4 columns, 3 fit", "1:22: 5 columns, 3 fit"}},
        {"f(\"Ж\",\n  \"abcd\"); // fit: 3x1", false, {"2:3: 4 columns, 3 fit"}},
        {"\"\\18\" // fit: 1", false, {"1:1: 2 columns, 1 fit"}},  // \1, then 8
        {"\"ab\\ncd\\ne\"; // fit:2x3\nR\"(abc)\"; // fit: 2", false, {"2:2: 3 columns, 2 fit"}},  // raw too
        {"\"a\"; // fit: 1000000\n\"b\"; // fit: 1000001", false, {"2:9: a fit: note is N, NxR or none"}},
        {"\"a\"; // fit: 0\n\"b\"; // fit: 3x\n// fit: 3\n\"c\"; // outfit: 2", false,
         {"1:9: a fit: note is N, NxR or none", "2:9: a fit: note is N, NxR or none",
          "3:4: no string ends on the line of this fit: note"}},
        // A note is read whole: nothing but blanks may follow it on its line.
        {"\"a\"; // fit: 12.5\n\"b\"; /* fit: 5,3 */\n\"c\"; // fit: 5 x 3\n\"d\"; // fit: 5-3\n\"e\"; /* fit: none: log */",
         false,
         {"1:9: a fit: note is N, NxR or none", "2:9: a fit: note is N, NxR or none",
          "3:9: a fit: note is N, NxR or none", "4:9: a fit: note is N, NxR or none",
          "5:9: a fit: note is N, NxR or none"}},
        {"\"abcd\"; /* fit: 3x1\t\r\n   the title */ \"abcd\"; // fit: 4 \n", false, {"1:1: 4 columns, 3 fit"}},
        // A note is for every string that ends on its line, before or after
        // it, however the lines around them run.
        {"\"ab\", /* fit: 1 */ \"cd\";\n\"abcd\" // fit: 3\n;", false,
         {"1:1: 2 columns, 1 fit", "1:20: 2 columns, 1 fit", "2:1: 4 columns, 3 fit"}},
        {"f(\"ab\" /* fit: 1 */\n  \"cd\"); // fit: 4\n\"abc\" \\\n\"d\"; // fit: 3", false,
         {"1:11: no string ends on the line of this fit: note", "3:1: 4 columns, 3 fit"}},
    };
    for (const auto &row : cases) {
        text_rules rules;
        if (row.on_screen)
            rules.screen = screen;
        EXPECT_EQ(problems_of(encode_c_source(row.source, "ui.c", koi8r_codes(), rules)), row.problems)
            << row.source;
    }
    text_rules rules;
    rules.screen = screen;
    EXPECT_EQ(problems_of(encode_plain_text("0123456789ABCDEF\nЖ0123456789ABCDEF\n\n\n", koi8r_codes(), rules)),
              std::vector<std::string>{"2:1: 17 columns, 16 fit"});  // each line a string, of any number
    EXPECT_FALSE(screen_room(7, 12));
    EXPECT_FALSE(screen_room(8, 11));
    EXPECT_EQ(screen_room(8, 12)->columns * screen_room(8, 12)->lines, 1u);
}

// With fallbacks a character without a code is spelled as iconv spells it,
// with a warning, and the spelling is what must fit; escapes are checked
// against the font as characters are.
TEST(EncodeCSource, SpellsWhatHasNoCodeAndChecksEscapes)
{
    charset_table koi8r;
    ASSERT_EQ(load_charset("KOI8-R", koi8r), "");
    text_codes codes(koi8r, "KOI8-R");
    codes.fall_back();
    text_rules rules;
    rules.screen = screen_room(64, 12);
    const encoded_text spelled = encode_c_source("\"«Ж» — 5 €\";\n\"😀é\"", "ui.c", codes, rules);
    EXPECT_EQ(spelled.bytes, "#line 1 \"ui.c\"\n\"<<\\366>> -- 5 EUR\";\n\"😀e\"");
    EXPECT_EQ(problems_of(spelled),
              (std::vector<std::string>{"1:1: 14 columns, 8 fit", "1:2: U+00AB «: no code in KOI8-R, written as \"<<\"",
                                        "1:4: U+00BB »: no code in KOI8-R, written as \">>\"",
                                        "1:6: U+2014 —: no code in KOI8-R, written as \"--\"",
                                        "1:10: U+20AC €: no code in KOI8-R, written as \"EUR\"",
                                        "2:2: U+1F600 😀: no code in KOI8-R",
                                        "2:3: U+00E9 é: no code in KOI8-R, written as \"e\""}));  // whatever the locale
    EXPECT_EQ(spelled.problems.errors, 2u);  // the fit and 😀; the spellings only warn

    // A character that iconv writes as another of the set, and calls that
    // exact, is spelled as well: CP1046 has no ٪, and iconv writes it as %.
    charset_table arabic;
    ASSERT_EQ(load_charset("CP1046", arabic), "");
    text_codes arabic_codes(arabic, "CP1046");
    arabic_codes.fall_back();
    const encoded_text percent = encode_plain_text("5\u066A", arabic_codes);
    EXPECT_EQ(percent.bytes, "5%");
    EXPECT_EQ(problems_of(percent),
              std::vector<std::string>{"1:2: U+066A \u066A: no code in CP1046, written as \"%\""});

    // A font whose glyphs are blank but those of A (0x41) and the newline's.
    source_font font{};
    recode_table table{};
    font[0x41 * 12] = 0xFF;
    codes.check_glyphs(font, table);
    EXPECT_EQ(problems_of(encode_c_source("\"A\\101\\x41\\0\\n\\037\\x142\\t\" '\\102' \"E\\u20AC\"", "ui.c", codes)),
              (std::vector<std::string>{"1:15: \\037: shows a blank glyph", "1:19: \\x142: shows a blank glyph",
                                        "1:24: \\t: shows a blank glyph", "1:29: \\102: shows a blank glyph",
                                        "1:36: U+0045 E: shows a blank glyph",
                                        "1:37: U+20AC €: no code in KOI8-R"}));  // EUR would be blank
    // An escape of megabytes is named by its first characters alone.
    EXPECT_EQ(problems_of(encode_c_source("\"\\x" + std::string(1 << 20, '0') + "20\"", "ui.c", codes)),
              std::vector<std::string>{"1:2: \\x" + std::string(58, '0') + "...: shows a blank glyph"});
}

// An escape that names no character or code is an error at its place, as
// it is to the compiler; and \N{...}, a character by its Unicode name, has
// no table of names here to be read by.
TEST(EncodeCSource, RefusesEscapesThatNameNoCharacterAtTheirPlaces)
{
    const std::string digits(1 << 20, 'F');
    const std::string first_digits = digits.substr(0, 57) + "...";
    const struct {
        std::string source;
        std::vector<std::string> problems;
    } cases[] = {
        {"\"\\N{CYRILLIC CAPITAL LETTER ZHE}\"",
         {"1:2: \\N{CYRILLIC CAPITAL LETTER ZHE}: write the character itself or \\u{...}"}},
        {"'\\N{X' \"\\N{\"", {"1:2: \\N{X: write the character itself or \\u{...}",
                             "1:9: \\N{: write the character itself or \\u{...}"}},
        {"\"a\\u{}\" '\\x{}' \"\\o{}\"", {"1:3: \\u{}: no digits between the braces", "1:10: \\x{}: no digits between the braces",
                                       "1:17: \\o{}: no digits between the braces"}},
        {"\"\\u{41\" \"\\x{\" \"\\u{41Ж}\"", {"1:2: \\u{41: no closing brace", "1:10: \\x{: no closing brace",
                                          "1:16: \\u{41: no closing brace"}},
        {"\"\\u{41X}\\x{4 1}\\o{18}\\u{4\\n}\"", {"1:2: \\u{41X: not a hex digit", "1:9: \\x{4 : not a hex digit",
                                               "1:16: \\o{18: not an octal digit", "1:22: \\u{4\\: not a hex digit"}},
        {"\"\\uD800\\U00110000\\u{DFFF}\\u{110000}\"",
         {"1:2: \\uD800: not a Unicode character", "1:8: \\U00110000: not a Unicode character",
          "1:18: \\u{DFFF}: not a Unicode character", "1:26: \\u{110000}: not a Unicode character"}},
        // Megabytes of digits are read once, and named by their first few.
        {"\"\\u{" + std::string(1 << 20, '0') + "416}\\x{" + std::string(1 << 20, '0') + "41}\"", {}},
        {"\"\\u{" + digits + "}\"", {"1:2: \\u{" + first_digits + ": not a Unicode character"}},
        {"\"\\N{" + digits + "}\"", {"1:2: \\N{" + first_digits + ": write the character itself or \\u{...}"}},
    };
    for (const auto &row : cases) {
        const encoded_text out = encode_c_source(row.source, "ui.c", koi8r_codes());
        EXPECT_EQ(problems_of(out), row.problems) << row.source.substr(0, 40);
        EXPECT_EQ(out.problems.errors, row.problems.size()) << row.source.substr(0, 40);
    }
}

// A literal's plain characters are taken a run at a time, and each run
// ends where something else must be read: an escape, a splice, a character
// that is not plain, the closing quote, or the most a run takes. A
// character that a splice or that bound cuts is taken alone.
TEST(EncodeCSource, EndsEachRunOfPlainCharactersWhereSomethingElseStands)
{
    using lines = std::vector<std::vector<text_cell>>;
    std::string longest = "\"a", longest_output = "\"a";  // 'a' puts a character across the bound
    std::vector<text_cell> longest_codes = {'a'};
    for (std::size_t i = 0; i < text_cursor::MOST_PLAIN_CHARACTERS; ++i) {
        longest += "\u0416";
        longest_output += "\\366";
        longest_codes.push_back(0xF6);
    }
    const struct {
        std::string source, output;  // output empty: as the source
        lines codes;
        std::vector<std::string> problems = {};
    } cases[] = {
        {"\"\u0430\u0431\\n\u0432\"", "\"\\301\\302\\n\\327\"", {{0xC1, 0xC2}, {0xD7}}},
        {"\"\u0430\u0431\\\n\\n\u0432\"", "\"\\301\\302\\\n\\n\\327\"", {{0xC1, 0xC2}, {0xD7}}},
        {"\"\u0430\u0431\\\n\"", "\"\\301\\302\\\n\"", {{0xC1, 0xC2}}},
        {"\"\u0430\xD0\\\n\x96\u0431\"", "\"\\301\\\n\\366\\302\"", {{0xC1, 0xF6, 0xC2}}},
        {"\"\u0430\xD0\\\r\n\x96\"", "\"\\301\\\r\n\\366\"", {{0xC1, 0xF6}}},
        {"\"\u0430\t\u0431\u2500\"", "\"\\301\\011\\302\\200\"", {{0xC1, 0x09, 0xC2, 0x80}}},
        {longest + "\"", longest_output + "\"", {longest_codes}},
        // Bytes beside two-byte UTF-8: an overlong form, and a three-byte lead.
        {"\"\xC1\x81\"", "", {{std::nullopt, std::nullopt}},
         {"1:2: byte 0xC1 is not UTF-8", "1:3: byte 0x81 is not UTF-8"}},
        {"\"\u0430\u0915\"", "\"\\301\u0915\"", {{0xC1, std::nullopt}}, {"1:3: U+0915 \u0915: no code in KOI8-R"}},
    };
    text_rules rules;
    rules.keep_strings = true;
    for (const auto &row : cases) {
        const encoded_text out = encode_c_source(row.source, "ui.c", koi8r_codes(), rules);
        EXPECT_EQ(problems_of(out), row.problems) << row.source.substr(0, 40);
        EXPECT_EQ(out.bytes, LINE_ONE + (row.output.empty() ? row.source : row.output)) << row.source.substr(0, 40);
        ASSERT_EQ(out.strings.size(), 1u);
        EXPECT_EQ(out.strings[0].cells, row.codes) << row.source.substr(0, 40);
        EXPECT_EQ(out.strings[0].width, row.codes[0].size()) << row.source.substr(0, 40);
    }
}

using FontText = ToolInputs;

TEST_F(FontText, EncodesASourceThatCompilesAndShowsTheLiteralsInTheFontsCodes)
{
    const std::string program =
        "#include <stdio.h>\n"
        "#define HELLO \"Привет, \"\n"
        "int main(void) /* выводит */\n"
        "{\n"
        "    const char *raw = R\"(мир)\";\n"
        "    fputs(HELLO \"\\x41Жук\", stdout); putchar('Ы'); puts(raw);\n"
        "    return 0;\n"
        "}\n";
    std::ofstream(file("ui.cc")) << program;
    ASSERT_EQ(run(FONT_TEXT + " -o koi.cc ui.cc").status, 0);
    const tool_run built = run(quoted(CXX_COMPILER) + " -Wall -Werror -o ui koi.cc && ./ui");
    ASSERT_EQ(built.status, 0) << built.err;
    EXPECT_EQ(built.out.size(), 17u);
    EXPECT_EQ(built.out, run("printf 'Привет, AЖукЫмир\\n' | iconv -f UTF-8 -t KOI8-R").out);

    // A mistake is named in the original file, at its original line.
    std::ofstream(file("bad.c")) << "#include <stdio.h>\nint main(void) { return missing; }\n";
    ASSERT_EQ(run(FONT_TEXT + " -o koi.c bad.c").status, 0);
    EXPECT_NE(run(quoted(C_COMPILER) + " -c koi.c").err.find("bad.c:2:"), std::string::npos);
}

TEST_F(FontText, ChecksAgainstTheFontAndWritesNothingWhenAnythingIsWrong)
{
    for (const std::size_t glyph : {std::size_t{0x20}, std::size_t{0x41}})  // space and A
        std::fill_n(font.begin() + static_cast<std::ptrdiff_t>(glyph * 12), 12, 0);
    SetUp();
    write("strings.txt", bytes{'A', 'B', ' ', 'C', '\n', 0xE2, 0x82, 0xAC, '\n'});
    write("out.txt", bytes{'o', 'l', 'd'});
    const tool_run checked = run(FONT_TEXT + " -f . -o out.txt strings.txt");
    EXPECT_EQ(checked.status, 1);
    EXPECT_EQ(checked.err, "font_text: strings.txt:1:1: U+0041 A: shows a blank glyph\n"
                           "font_text: strings.txt:2:1: U+20AC \u20AC: no code in KOI8-R\n");
    EXPECT_EQ(read("out.txt"), "old");

    // A character named by \N{...}, which the compiler would write in UTF-8.
    std::ofstream(file("named.c")) << "const char *zhe = \"\\N{CYRILLIC CAPITAL LETTER ZHE}\";\n";
    const tool_run named = run(FONT_TEXT + " -o out.txt named.c");
    EXPECT_EQ(named.status, 1);
    EXPECT_EQ(named.err, "font_text: named.c:1:20: \\N{CYRILLIC CAPITAL LETTER ZHE}: write the character itself or "
                         "\\u{...}\n");
    EXPECT_EQ(read("out.txt"), "old");

    write("strings.txt", bytes{'B', ' ', 0xD0, 0x96, '\r', '\n'});
    const tool_run fine = run(FONT_TEXT + " -f . -o out.txt strings.txt");
    EXPECT_EQ(fine.status, 0) << fine.err;
    EXPECT_EQ(fine.out + fine.err, "");
    EXPECT_EQ(read("out.txt"), "B \xF6\r\n");

    const struct {
        const char *arguments;
        int status;
        const char *first_line;
    } misuses[] = {
        {"", 2, "font_text: missing FILE operand"},
        {"-o x a b", 2, "font_text: --output is given once for 2 FILEs: once for each FILE, or not at all"},
        {"-x cobol a", 2, "font_text: invalid --language 'cobol': c, text or none"},
        {"-x c -x text a b c", 2,
         "font_text: --language is given twice for 3 FILEs: once for each FILE, or once for all"},
        {"-t NO-SUCH-SET strings.txt", 1, "font_text: NO-SUCH-SET: unknown character set"},
        {"-t UTF-8 strings.txt", 1, "font_text: UTF-8: not a single-byte character set"},
        {"-f nowhere strings.txt", 1, "font_text: nowhere/8x12.fnt: No such file or directory"},
        {"missing.c strings.txt", 1, "font_text: missing.c: No such file or directory"},
        {"-x text /dev/zero", 1, "font_text: /dev/zero: larger than 64 MiB"},
        {"-t '' strings.txt", 2, "font_text: --table is given an empty name"},
        {"-o no/out.txt strings.txt", 1, "font_text: no: No such file or directory"},
        {"- strings.txt -", 2, "font_text: standard input ('-') is given for more than one input"},
    };
    for (const auto &misuse : misuses) {
        const tool_run result = run(FONT_TEXT + " " + misuse.arguments);
        EXPECT_EQ(result.status, misuse.status) << misuse.arguments;
        EXPECT_EQ(lines_of(result.err).at(0), misuse.first_line);
    }
    EXPECT_EQ(run(FONT_TEXT + " --version").out, "font_text " MAKE_H_VERSION "\n");

    // Through a link, the file it names is written, as cp writes it.
    ASSERT_EQ(run("ln -s out.txt link.txt").status, 0);
    ASSERT_EQ(run(FONT_TEXT + " -o link.txt strings.txt").status, 0);
    EXPECT_EQ(run("readlink link.txt").out, "out.txt\n");
    EXPECT_EQ(read("out.txt"), "B \xF6\r\n");

    // Standard input and output; an output that is the input, by any name.
    const tool_run piped = run("printf 'B \\320\\226\\n' | " + FONT_TEXT + " -o - -");
    EXPECT_EQ(piped.status, 0) << piped.err;
    EXPECT_EQ(piped.out, "B \xF6\n");
    EXPECT_EQ(run("printf '\"\\342\\202\\254\"' | " + FONT_TEXT + " -x c -").err,
              "font_text: standard input:1:2: U+20AC \u20AC: no code in KOI8-R\n");
    expect_writes_over_none("font_text", FONT_TEXT + " -f . strings.txt -o", {"strings.txt", "8x12.fnt", "koi.bin"});
    EXPECT_EQ(read("strings.txt"), "B \xD0\x96\r\n");
    // The same file opened by the shell, as standard input or output.
    const tool_run redirected = run(FONT_TEXT + " -o strings.txt - < strings.txt");
    EXPECT_EQ(redirected.status, 1);
    EXPECT_EQ(redirected.err, "font_text: strings.txt: the same file as standard input\n");
    EXPECT_EQ(read("strings.txt"), "B \xD0\x96\r\n");
    for (const char *size : {"7x12", "8x11", "8", "8x12x2", ""})
        EXPECT_EQ(run(FONT_TEXT + " --screen=" + std::string(size) + " strings.txt").status, 2) << size;

    // A problem on every character: a screenful, then how many more.
    write("many.txt", bytes(MOST_PROBLEMS_SHOWN + 2, 0xFF));
    const tool_run many = run(FONT_TEXT + " many.txt");
    EXPECT_EQ(many.status, 1);
    EXPECT_EQ(lines_of(many.err).size(), MOST_PROBLEMS_SHOWN + 1);
    EXPECT_EQ(lines_of(many.err).back(), "font_text: many.txt: 2 more problems");
}

// Each option to its bounds; help and version stop the run whatever follows,
// and past a screenful of problems one line says how many more.
TEST_F(FontText, TakesOptionsToTheirBoundsAndCountsTheProblemsNotShown)
{
    write("ok.txt", bytes{'A', '\n'});
    write("more.txt", bytes(MOST_PROBLEMS_SHOWN + 1, 0xFF));
    const struct {
        const char *arguments;
        int status;
        const char *out, *last_error;  // their first and last lines
    } cases[] = {
        {"--screen=8x12 ok.txt", 0, "", ""},  // one cell
        {"--screen=4096x4096 ok.txt", 0, "", ""},
        {"--screen=4097x12 ok.txt", 2, "", "Try 'font_text --help'."},
        {"--screen=8x0 ok.txt", 2, "", "Try 'font_text --help'."},
        {"-t NO-SUCH-SET --help ok.txt", 0, "Usage: font_text [OPTION]... FILE...", ""},
        {"-f nowhere --version ok.txt", 0, "font_text " MAKE_H_VERSION, ""},
        {"more.txt", 1, "", "font_text: more.txt: 1 more problem"},
    };
    for (const auto &row : cases) {
        const tool_run result = run(FONT_TEXT + " " + row.arguments);
        EXPECT_EQ(result.status, row.status) << row.arguments;
        EXPECT_EQ(lines_of(result.out).empty() ? "" : lines_of(result.out).front(), row.out) << row.arguments;
        EXPECT_EQ(lines_of(result.err).empty() ? "" : lines_of(result.err).back(), row.last_error) << row.arguments;
    }
}

// -x given once for each FILE reads the i-th FILE as the i-th says: none
// by its extension.
TEST_F(FontText, ReadsEachFileAsItsOwnLanguageSays)
{
    std::ofstream(file("a.c")) << "\"Ж\" /* Ж */\n";
    std::ofstream(file("b.inc")) << "\"Ж\" /* Ж */\n";
    const std::string c_line = "\"\\366\" /* Ж */\n", text_line = "\"\xF6\" /* \xF6 */\n";
    const tool_run each = run(FONT_TEXT + " -x text -x c -x none -o 1 -o 2 -o 3 a.c b.inc b.inc");
    ASSERT_EQ(each.status, 0) << each.err;
    EXPECT_EQ(read("1"), text_line);
    EXPECT_EQ(read("2"), "#line 1 \"b.inc\"\n" + c_line);
    EXPECT_EQ(read("3"), text_line);
    ASSERT_EQ(run(FONT_TEXT + " -x none -o 1 -o 2 a.c b.inc").status, 0);
    EXPECT_EQ(read("1"), "#line 1 \"a.c\"\n" + c_line);
    EXPECT_EQ(read("2"), text_line);
}

// GCC puts ordinary literals into the execution character set as it
// compiles: a source it compiles so must give the same program as the one
// font_text encodes.
TEST_F(FontText, GivesTheProgramThatGccsExecutionCharsetGives)
{
    if (run("gcc -fexec-charset=KOI8-R -x c -S -o /dev/null /dev/null").status != 0)
        GTEST_SKIP() << "no gcc with iconv's KOI8-R";
    const struct {
        const char *name, *source;
    } sources[] = {
        {"joined.c", "const char *a = \"Имя: \" \"Ж\", *b = u8\"Имя: \" \"Ж\";\n"
                     "const int *c = L\"Имя: \" /* Ж */\n#if 1\n\"Ж\"\n#endif\n;\n"
                     "const char d[] = \"\\x41Ж\\101\\18\\u0416\\U00000416\" \"a\tb\";\n"
                     "_Static_assert(sizeof d > 1, \"Ж\");\n_Pragma(\"GCC diagnostic ignored \\\"-Wall\\\"\")\n"
                     "void f(void) { __asm__ volatile (\"# Ж\"); }\n"
                     "__attribute__((unused)) static const char e[] = \"Ж\";\n"
                     "#if 0\ndon't \"€\n#endif\nint g = 'Ж';\n"},
        {"spliced.c", "const char *a = \"\\u04\\\n16\" \"\\x4\\\r\n1Ж\";\n"
                      "const char *b = u8\\\n\"Ж\" \"Ж\";\n/\\\n* \"€\" *\\ \n/ const char *c = \"раз\\\nдва\";\n"
                      "#inc\\\nlude <stdio.h>\n// \"€\" \\\n\"€\"\nint d = 'Ж';\\\n"},
        {"lines.c", "#include <stdio.h>\rconst char *p = \"Цена: 5\";\r// \"€\"\r\nconst char *q = \"Ж\";\r"},
        {"raw.cc", "const char *a = R\"(Ж\"\\\n?)\" \"Ж\", *b = R\"d(мир\r\n)d\";\n"
                   "const char16_t *c = R\"(Ж)\" u\"Ж\";\n[[deprecated(\"Ж\")]] int d = 1'0\\\n00;\n"
                   "static_assert(sizeof(int) > 1, \"Ж\");\n"},
    };
    const std::string flags = " -S -w -g0 -fno-asynchronous-unwind-tables ";
    const std::string assembly = " | grep -v -e '\\.file' -e '\\.ident'";
    for (const auto &source : sources) {
        std::ofstream(file(source.name), std::ios::binary) << source.source;
        const std::string name = source.name, encoded = "koi-" + name;
        const tool_run by_gcc = run("gcc -fexec-charset=KOI8-R" + flags + name + " -o -" + assembly);
        ASSERT_EQ(by_gcc.status, 0) << name << ": " << by_gcc.err;
        ASSERT_EQ(run(FONT_TEXT + " -o " + encoded + " " + name).status, 0) << name;
        const tool_run by_font_text = run("gcc" + flags + encoded + " -o -" + assembly);
        ASSERT_EQ(by_font_text.status, 0) << name << ": " << by_font_text.err;
        EXPECT_EQ(by_font_text.out, by_gcc.out) << name;
    }
}

// What --fallback writes into a literal is the spelling's own bytes once
// compiled: a quote, a backslash or an apostrophe that iconv spells a
// character with neither ends the literal nor starts an escape.
TEST_F(FontText, CompilesEachFallbackSpellingToItsOwnBytes)
{
    const std::string shown = "\u201cHi\u201d|\uff3cn|\u201c|\u201c|\u2019|\uff3c?\u201d\n";
    std::ofstream(file("ui.cc")) << "#include <stdio.h>\n"
                                    "int main(void)\n"
                                    "{\n"
                                    "    const char *s[] = {\"\u201cHi\u201d\", \"\uff3cn\", \"\\u201C\", R\"(\u201c)\"};\n"
                                    "    const char c = '\u2019';\n"
                                    "    for (unsigned i = 0; i < 4; ++i)\n"
                                    "        printf(\"%s|\", s[i]);\n"
                                    "    printf(\"%c|%s\\n\", c, \"\uff3c?\u201d\");\n"
                                    "    return 0;\n"
                                    "}\n";
    const tool_run encoded = run(FONT_TEXT + " --fallback -o koi.cc ui.cc");
    ASSERT_EQ(encoded.status, 0) << encoded.err;
    const tool_run built = run(quoted(CXX_COMPILER) + " -Wall -Werror -o ui koi.cc && ./ui");
    ASSERT_EQ(built.status, 0) << built.err;
    const tool_run spelled = run("printf '%s' " + quoted(shown) + " | LC_ALL=C.UTF-8 iconv -f UTF-8 -t KOI8-R//TRANSLIT");
    ASSERT_EQ(spelled.status, 0) << spelled.err;
    EXPECT_EQ(built.out, spelled.out);
    EXPECT_EQ(built.out, "\"Hi\"|\\n|\"|\"|'|\\?\"\n");  // what iconv spells them with, for a reader
}

TEST_F(FontText, TakesTheTableSetFromThePairsRecordAndRefusesOneThatContradictsIt)
{
    recode_table pair_table;
    std::copy(table.begin(), table.end(), pair_table.begin());
    source_font pair_font;
    std::copy(font.begin(), font.end(), pair_font.begin());
    const std::string cp1251 = record_text({"CP1251", "CP1251"}, pair_font, pair_table);
    const std::string other_table = record_text({"CP1251", "CP1251"}, pair_font, recode_table{});
    const std::string other_font = record_text({"CP1251", "CP1251"}, source_font{}, pair_table);
    const std::string no_order = record_text({"CP1251", ""}, pair_font, pair_table);  // as one written by hand
    // KOI8-R's record edited to say CP1251, its sum left as it was.
    std::string edited = record_text({"KOI8-R", "CP1251"}, pair_font, pair_table);
    edited.replace(edited.find("KOI8-R"), 6, "CP1251");
    // A record is at most 4096 bytes: past that it is some other file.
    const std::string largest = "table-set: CP1251\n#" + std::string(4096 - 20, '-') + "\n";
    const std::string too_large = largest + "\n";
    std::string spaced = cp1251;
    spaced.replace(spaced.find("table-set: "), 11, "table-set:\t  ");
    const std::string stale = "font_text: koi.sets:" +
                              std::to_string(std::count(cp1251.begin(), cp1251.begin() + static_cast<std::ptrdiff_t>(cp1251.find("\ntable-sum:")), '\n') + 2) +
                              ": does not match 8x12.fnt and koi.bin, or was edited (its table-sum differs): import the pair again, "
                              "or remove this file";
    write("strings.txt", bytes{0xD0, 0x96, '\n'});  // Ж: 0xF6 in KOI8-R, 0xC6 in CP1251
    const struct {
        const char *record;  // nullptr: none
        const char *arguments;
        const char *written;  // nullptr: refused, with the message
        const char *message;
    } cases[] = {
        {nullptr, "", "\xF6\n", ""},
        {cp1251.c_str(), "", "\xC6\n", ""},
        {cp1251.c_str(), "-t WINDOWS-1251", "\xC6\n", ""},  // the same set by another name
        {"table-set: CP1251\r\n", "", "\xC6\n", ""},      // written by hand, without the sum
        {cp1251.c_str(), "-t KOI8-R", nullptr, "font_text: koi.sets: koi.bin is made for CP1251, not for -t KOI8-R"},
        {other_table.c_str(), "", nullptr, stale.c_str()},
        {other_font.c_str(), "", nullptr, stale.c_str()},
        {no_order.c_str(), "", "\xC6\n", ""},
        {edited.c_str(), "", nullptr, stale.c_str()},
        // Characters at the codes the set leaves free, each at one code.
        {"table-set: CP1251\n0x01: U+263A \u263A\n0x98: U+1F50B\n", "", "\xC6\n", ""},
        {"table-set: CP1251\n0xC6: U+263A\n", "", nullptr, "font_text: koi.sets:2: 0xC6 is U+0416 \u0416 in CP1251"},
        {"table-set: CP1251\n0x41: U+263A\n", "", nullptr, "font_text: koi.sets:2: 0x41 is U+0041 A in ASCII"},
        {"table-set: CP1251\n0x01: U+0416\n", "", nullptr,
         "font_text: koi.sets:2: U+0416 \u0416 is 0xC6 in CP1251: it keeps its code"},
        {"table-set: CP1251\n0x01: U+263A\n0x02: U+263A\n", "", nullptr,
         "font_text: koi.sets:3: U+263A \u263A is 0x01 already"},
        {"table-set: CP1251\n0x01: U+263A \u263B\n", "", nullptr,
         "font_text: koi.sets:2: 0x01: 'U+263A \u263B' is no character (U+263A, or U+263A \u263A)"},
        {"table-set: CP1251\n0x01: U+0007\n", "", nullptr,
         "font_text: koi.sets:2: 0x01: 'U+0007' is no character (U+263A, or U+263A \u263A)"},
        {"table-set: CP1251\n0x01: U+FFFE\n", "", nullptr,
         "font_text: koi.sets:2: 0x01: 'U+FFFE' is no character (U+263A, or U+263A \u263A)"},
        {"table-set: CP1251\n0x01: U+0085\n", "", nullptr,
         "font_text: koi.sets:2: 0x01: 'U+0085' is no character (U+263A, or U+263A \u263A)"},
        {spaced.c_str(), "", "\xC6\n", ""},  // only what the lines say counts
        {largest.c_str(), "", "\xC6\n", ""},
        {too_large.c_str(), "", nullptr, "font_text: koi.sets: larger than 4096 bytes: no record of sets"},
        {"table-set: CP1251\n0x1: U+263A\n", "", nullptr, "font_text: koi.sets:2: unknown key '0x1'"},
        {"# sets\ntable-set: CP1251\nCP1251\n", "", nullptr, "font_text: koi.sets:3: not a \"key: value\" line"},
        {"tabel-set: CP1251\n", "", nullptr, "font_text: koi.sets:1: unknown key 'tabel-set'"},
        {"table-set: CP1251\ntable-set: CP866\n", "", nullptr, "font_text: koi.sets:2: table-set given twice"},
        {"glyph-order: CP866\n", "", nullptr, "font_text: koi.sets: no table-set"},
        {"# sets\ntable-set: NO-SUCH-SET\n", "", nullptr, "font_text: koi.sets:2: 'NO-SUCH-SET': unknown character set"},
        {"table-set: CP1251\x01KOI8-R\n", "", nullptr, "font_text: koi.sets:1: a control character in the line"},
    };
    for (const auto &each : cases) {
        run("rm -f koi.sets out.txt");
        if (each.record != nullptr)
            write("koi.sets", bytes(each.record, each.record + std::strlen(each.record)));
        const tool_run result = run(FONT_TEXT + " -f . -o out.txt " + each.arguments + " strings.txt");
        const std::string what = std::string(each.record != nullptr ? each.record : "no record") + each.arguments;
        EXPECT_EQ(result.status, each.written != nullptr ? 0 : 1) << what;
        EXPECT_EQ(result.err, each.message + std::string(*each.message != '\0' ? "\n" : "")) << what;
        EXPECT_EQ(read("out.txt"), each.written != nullptr ? each.written : "") << what;
    }
    // The record's characters are text's too: 0x0A ends a line, so it shows
    // its symbol and no character of the text.
    write("koi.sets", as_bytes("table-set: CP1251\n0x01: U+263A\n0x0A: U+25D9\n0x98: U+1F50B\n"));
    write("icons.txt", as_bytes("\u263A\U0001F50B\u25D9"));
    const tool_run icons = run(FONT_TEXT + " -f . -o out.txt icons.txt");
    EXPECT_EQ(icons.err, "font_text: icons.txt:1:3: U+25D9 \u25D9: no code in CP1251\n");
    EXPECT_EQ(run(FONT_TEXT + " -f . -o out.txt --fallback icons.txt").status, 1);
    write("icons.txt", as_bytes("\u263A\U0001F50B"));
    ASSERT_EQ(run(FONT_TEXT + " -f . -o out.txt icons.txt").status, 0);
    EXPECT_EQ(read("out.txt"), "\x01\x98");

    // Only a regular file is a record: anything else at its name is refused
    // at once, a pipe without waiting for a writer.
    const struct {
        const char *make, *message;
    } not_records[] = {
        {"mkdir koi.sets", "Is a directory"},
        {"mkfifo koi.sets", "not a regular file"},
        {"ln -s /dev/zero koi.sets", "not a regular file"},
        {"ln -s nowhere koi.sets", "a symbolic link to nothing"},
        {"ln -s koi.sets koi.sets", "Too many levels of symbolic links"},
    };
    for (const auto &each : not_records) {
        run("rm -rf koi.sets && " + std::string(each.make));
        const tool_run refused = run("timeout 10 " + FONT_TEXT + " -f . strings.txt");
        EXPECT_EQ(refused.status, 1) << each.make;
        EXPECT_EQ(refused.err, "font_text: koi.sets: " + std::string(each.message) + "\n");
    }
}
