// Text put into the font's codes: the code of a character, the C literal
// scanner on the cases that trip lexers, and font_text run as users do.
#include <cstring>
#include <fstream>

#include "charset/text_codes.h"
#include "command_line/set_record.h"
#include "font_text/encoder.h"
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
    EXPECT_TRUE(out.problems.empty()) << source << ": " << (out.problems.empty() ? "" : out.problems[0].what);
    return out.bytes.substr(0, sizeof LINE_ONE - 1) == LINE_ONE ? out.bytes.substr(sizeof LINE_ONE - 1)
                                                                : "no #line: " + out.bytes;
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
    text_codes codes(set, "TEST");
    std::string problem;
    EXPECT_EQ(codes.code_of(U'A', problem), 0x41);
    EXPECT_EQ(codes.code_of(U'~', problem), 0x7E);
    EXPECT_EQ(codes.code_of(U'\u0416', problem), 0xF6);
    for (const char32_t none : {U'\u0410', U'\u20AC', U'\t', U'\x7F', U'\x80'}) {
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
    EXPECT_FALSE(codes.code_of(U'A', problem));
    EXPECT_EQ(problem, "shows a blank glyph");
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
        {"\"Ж\"_ru R\"(Ж)\"sv", "\"\\366\"_ru \"\\366\"sv"},                       // suffixes
        {"LABEL\"Ж\" Ж_name", "LABEL\"\\366\" Ж_name"},
        {"\xEF\xBB\xBF\"Ж\"", "\"\\366\""},  // a byte order mark would stand mid-file
    };
    for (const auto &row : cases)
        EXPECT_EQ(encoded(row.source), row.output) << row.source;
}

TEST(EncodeCSource, NamesEveryProblemWithItsPlace)
{
    const encoded_text out =
        encode_c_source("int x;\n  \"ЖЖ€\" /* € */ '\xff'\n\"ok\t\"\n\"open\n", "ui.c", koi8r_codes());
    ASSERT_EQ(out.problems.size(), 4u);
    const std::pair<std::size_t, std::size_t> places[] = {{2, 6}, {2, 18}, {3, 4}, {4, 1}};
    const char *whats[] = {"U+20AC \u20AC: no code in KOI8-R", "byte 0xFF is not UTF-8", "U+0009: no code in KOI8-R",
                           "missing terminating \" character"};
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(std::make_pair(out.problems[i].line, out.problems[i].column), places[i]) << i;
        EXPECT_EQ(out.problems[i].what, whats[i]);
    }
    EXPECT_EQ(encode_c_source("", "a\"\\b.c", koi8r_codes()).bytes, "#line 1 \"a\\\"\\\\b.c\"\n");
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
        {"-o x a b", 2, "font_text: --output takes one FILE, not 2"},
        {"-x cobol a", 2, "font_text: invalid --language 'cobol': c or text"},
        {"-t NO-SUCH-SET strings.txt", 1, "font_text: NO-SUCH-SET: unknown character set"},
        {"-t UTF-8 strings.txt", 1, "font_text: UTF-8: not a single-byte character set"},
        {"-f nowhere strings.txt", 1, "font_text: nowhere/8x12.fnt: No such file or directory"},
        {"missing.c strings.txt", 1, "font_text: missing.c: No such file or directory"},
    };
    for (const auto &misuse : misuses) {
        const tool_run result = run(FONT_TEXT + " " + misuse.arguments);
        EXPECT_EQ(result.status, misuse.status) << misuse.arguments;
        EXPECT_EQ(lines_of(result.err).at(0), misuse.first_line);
    }
    EXPECT_EQ(run(FONT_TEXT + " --version").out, "font_text " MAKE_H_VERSION "\n");
}

TEST_F(FontText, TakesTheTableSetFromThePairsRecordAndRefusesOneThatContradictsIt)
{
    recode_table pair_table;
    std::copy(table.begin(), table.end(), pair_table.begin());
    const std::string cp1251 = record_text({"CP1251", "CP1251"}, pair_table);
    const std::string other_table = record_text({"CP1251", "CP1251"}, recode_table{});
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
        {other_table.c_str(), "", nullptr,
         "font_text: koi.sets: written for another koi.bin (its table-sum differs): import the pair again, or "
         "remove this file"},
        {"# sets\ntable-set: CP1251\nCP1251\n", "", nullptr, "font_text: koi.sets:3: not a \"key: value\" line"},
        {"tabel-set: CP1251\n", "", nullptr, "font_text: koi.sets:1: unknown key 'tabel-set'"},
        {"table-set: CP1251\ntable-set: CP866\n", "", nullptr, "font_text: koi.sets:2: table-set given twice"},
        {"glyph-order: CP866\n", "", nullptr, "font_text: koi.sets: no table-set"},
        {"table-set: NO-SUCH-SET\n", "", nullptr, "font_text: NO-SUCH-SET: unknown character set"},
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
    // A record in a directory is no record at all: it is read and refused.
    run("rm -f koi.sets && mkdir koi.sets");
    EXPECT_EQ(run(FONT_TEXT + " -f . strings.txt").err, "font_text: koi.sets: Is a directory\n");
}
