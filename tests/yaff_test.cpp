// The yaff reader on what the format allows and on what it does not.
#include <gtest/gtest.h>

#include "charset/charset.h"
#include "font_files.h"
#include "font_import/font_file.h"
#include "font_import/yaff.h"
#include "font_import/yaff_reader.h"

namespace {

std::optional<yaff_error> parse(const std::string &text, yaff_font &font)
{
    return parse_yaff(reinterpret_cast<const std::uint8_t *>(text.data()), text.size(), font);
}

std::string with_line_ends(const std::string &text, const std::string &end)
{
    std::string changed;
    for (const char c : text)
        changed += c == '\n' ? end : std::string(1, c);
    return changed;
}

std::vector<std::string> rows_of(const yaff_font &font, const yaff_glyph &glyph)
{
    std::vector<std::string> rows;
    for (int row = 0; row < glyph.height; ++row) {
        rows.emplace_back();
        for (int column = 0; column < glyph.width; ++column)
            rows.back() += font.ink(glyph, row, column) ? '@' : '.';
    }
    return rows;
}

// The file holds text's bytes, which must outlive it.
void held_in(font_file &file, const std::string &text)
{
    file.data = reinterpret_cast<const std::uint8_t *>(text.data());
    file.size = text.size();
}
void held_in(font_file &file, std::string &&text) = delete;  // a temporary would not

// A yaff font whose file holds text.
opened_font open_yaff_text(font_file &file, const std::string &text)
{
    held_in(file, text);
    return open_yaff_font(file, nullptr, size_limits{});
}
opened_font open_yaff_text(font_file &file, std::string &&text) = delete;

}  // namespace

TEST(ParseYaff, ReadsLabelsMetricsAndPixelsWhateverEndsTheLines)
{
    for (const std::string &text : {sample_yaff_text(), with_line_ends(sample_yaff_text(), "\r\n"),
                                    "\xEF\xBB\xBF" + with_line_ends(sample_yaff_text(), "\r")}) {
        yaff_font font;
        const auto error = parse(text, font);
        ASSERT_FALSE(error) << error->line << ": " << error->reason;
        EXPECT_EQ(font.encoding, "koi8-r");
        EXPECT_EQ(font.ascent, 6);
        EXPECT_EQ(font.descent, 2);
        EXPECT_EQ(font.metrics.shift_up, -2);
        ASSERT_EQ(font.glyphs.size(), 4u);

        const yaff_glyph &a = font.glyphs[0], &koi_a = font.glyphs[1], &space = font.glyphs[2], &zhe = font.glyphs[3];
        EXPECT_EQ(a.characters, std::vector<char32_t>{U'A'});
        EXPECT_EQ(a.codes, std::vector<std::uint32_t>{0x41});
        EXPECT_EQ(a.line, 13u);
        EXPECT_EQ(a.metrics.left_bearing, 1);
        EXPECT_EQ(rows_of(font, a)[2], "@@@.");
        EXPECT_EQ(koi_a.codes, std::vector<std::uint32_t>{0xC1});
        EXPECT_EQ(koi_a.metrics.shift_up, 1);
        EXPECT_TRUE(koi_a.characters.empty());
        EXPECT_EQ(space.width + space.height, 0);
        EXPECT_EQ(space.metrics.right_bearing, 5);
        EXPECT_TRUE(space.characters.empty()) << "an old-style tag is no character";
        EXPECT_EQ(zhe.characters, std::vector<char32_t>{U'\u0416'});
        EXPECT_EQ(rows_of(font, zhe), (std::vector<std::string>{"@.@.@", ".@@@.", "@.@.@"}));
    }
}

TEST(ParseYaff, ReadsEveryFormOfALabel)
{
    const struct {
        const char *label;
        std::vector<char32_t> characters;
        std::vector<std::uint32_t> codes;
    } cases[] = {
        {"65", {}, {65}},          {"0o101", {}, {65}},         {"0X1, 0x20", {}, {0x120}},
        {"0xFF, 0xFF", {}, {0xFFFF}},    {"0xFFFFFFFF", {}, {0xFFFFFFFF}},
        {"u+00c5", {U'Å'}, {}},    {"U+00C5", {U'Å'}, {}},      {"'Å'", {U'Å'}, {}},
        {"Å", {U'Å'}, {}},         {"A", {U'A'}, {}},           {"':'", {U':'}, {}},
        {"'ff'", {}, {}},          {"u+0061, u+0300", {}, {}},  {"\"7\"", {}, {}},
        {"latin_a", {}, {}},       {"", {}, {}},
    };
    for (const auto &label : cases) {
        yaff_font font;
        const auto error = parse(std::string(label.label) + ":\n    @\n", font);
        ASSERT_FALSE(error) << label.label << ": " << error->reason;
        ASSERT_EQ(font.glyphs.size(), 1u) << label.label;
        EXPECT_EQ(font.glyphs[0].characters, label.characters) << label.label;
        EXPECT_EQ(font.glyphs[0].codes, label.codes) << label.label;
    }
}

// Keys in any case, with '_' for '-'; metrics up to 2^24 pixels either way.
TEST(ParseYaff, TakesKeysInAnyCaseAndMetricsToTheirBounds)
{
    yaff_font font;
    const auto error = parse("CELL_SIZE: 8x12\nEncoding: koi8-r\nSHIFT-UP: -16777216\n"
                             "0x41:\n    @\n\n    Left_Bearing: 16777216\n",
                             font);
    ASSERT_FALSE(error) << error->line << ": " << error->reason;
    EXPECT_EQ(font.line_height, 12);
    EXPECT_EQ(font.encoding, "koi8-r");
    EXPECT_EQ(font.metrics.shift_up, -16777216);
    ASSERT_EQ(font.glyphs.size(), 1u);
    EXPECT_EQ(font.glyphs[0].metrics.left_bearing, 16777216);
}

TEST(ParseYaff, NamesTheLineOfWhatIsWrong)
{
    const struct {
        const char *text;
        std::size_t line;
        const char *reason;
    } cases[] = {
        {"name: x\n0x41:\n", 2, "a label with no glyph after it"},
        {"0x41:\n    @.\n    @\n", 3, "a row of 1 pixels in a glyph 2 wide"},
        {"0x41:\n    @x\n", 2, "'x' in a glyph row: rows are '.' and '@'"},
        {"0x41:\n    @\n  @\n", 3, "a glyph's lines have one indent: 4 here"},
        {"0x41:\n    @\n\n    shift-up: 1\n    @\n", 5, "a glyph row after the glyph's properties"},
        {"0x41:\n    shift-up: 1\n", 2, "a glyph's properties come after its rows"},
        {"0x41:\n    -\n    @\n", 3, "the empty glyph '-' has no rows"},
        {"0xZZ:\n    @\n", 1, "bad code label '0xZZ'"},
        {"0x4294967296:\n    @\n", 1, "bad code label '0x4294967296'"},
        {"1, 300:\n    @\n", 1, "bad code label '1, 300': a code of several bytes is bytes below 256"},
        {"0x1, 0x100:\n    @\n", 1, "bad code label '0x1, 0x100': a code of several bytes is bytes below 256"},
        {"u+D800:\n    @\n", 1, "bad character label 'u+D800'"},
        {"    @\n", 1, "an indented line outside a glyph or a property"},
        {"# no font\njust words\n", 2, "neither a label nor a property: a label ends with ':', a property is 'key: value'"},
        {"a key: value\n", 1, "'a key' is no property key, and a label ends with ':'"},
        {"ascent: high\n", 1, "ascent: 'high' is not a whole number"},
        {"shift-up: 99999999\n", 1, "shift-up: '99999999' is not a whole number"},
        {"left-bearing: -16777217\n", 1, "left-bearing: '-16777217' is not a whole number"},  // past 2^24
        {"cell-size: 8\n", 1, "cell-size: '8' is not a width and a height"},
        {"levels: 3\n", 1, "glyphs of 3 grey levels: a yaff has 2, 4, 16 or 256"},
        {"levels: 16\n0x41:\n    .G\n", 3, "'G' in a glyph row: rows are '.' and '@', with hex digits for grey levels"},
        {"levels: 256\n0x41:\n    .@@\n", 3, "'@' in a glyph row: rows are '.' and '@', with hex digits for grey levels"},
        // The lightest and the darkest are '.' and '@', never digits.
        {"levels: 4\n0x41:\n    .3\n", 3, "'3' in a glyph row: rows are '.' and '@', with hex digits for grey levels"},
        {"levels: 16\n0x41:\n    0\n", 3, "'0' in a glyph row: rows are '.' and '@', with hex digits for grey levels"},
        {"0x41:\n    @\n\xff\n", 3, "not UTF-8"},
        {"0x41:\n    @\a\n", 2, "control character 7 in a line"},
    };
    for (const auto &bad : cases) {
        yaff_font font;
        const auto error = parse(bad.text, font);
        ASSERT_TRUE(error) << bad.text;
        EXPECT_EQ(error->line, bad.line) << bad.text;
        EXPECT_EQ(error->reason, bad.reason) << bad.text;
    }
}

// What a message quotes of a line of megabytes is one line of a screen, cut
// before a character, never inside one.
TEST(ParseYaff, QuotesALineOfMegabytesOnlyInPart)
{
    const std::string key = "a " + std::string(57, 'k') + "\u0416";
    const std::string value(60, '9');
    const struct {
        std::string text, reason;
    } cases[] = {
        {key + std::string(1 << 20, 'k') + ": v\n", "'" + key + "...' is no property key, and a label ends with ':'"},
        {"ascent: " + value + std::string(1 << 20, '9') + "\n", "ascent: '" + value + "...' is not a whole number"},
        {"ascent: " + value + "\n", "ascent: '" + value + "' is not a whole number"},
    };
    for (const auto &bad : cases) {
        yaff_font font;
        const auto error = parse(bad.text, font);
        ASSERT_TRUE(error);
        EXPECT_EQ(error->reason, bad.reason);
    }
}

TEST(ParseYaff, TakesAPixelOfGreyLevelsForInkWhereItIsAtLeastHalfDark)
{
    for (const char *text : {"levels: 4\n0x41:\n    .1@2\n", "levels: 16\n0x41:\n    .7@8\n",
                             "levels: 256\n0x41:\n    ..7F@@80\n"}) {
        yaff_font font;
        ASSERT_FALSE(parse(text, font)) << text;
        ASSERT_EQ(font.glyphs.size(), 1u);
        EXPECT_EQ(rows_of(font, font.glyphs[0]), std::vector<std::string>{"..@@"}) << text;
    }
}

TEST(ParseYaff, ReadsOnlyTheFirstOfSeveralFonts)
{
    yaff_font font;
    ASSERT_FALSE(parse("---\nname: one\n0x41:\n    @\n---\nname: two\n0x42:\n    @\n", font));
    EXPECT_EQ(font.glyphs.size(), 1u);
    EXPECT_TRUE(font.more_fonts);
}

// A glyph is known by its character labels, or else by its code labels in
// the font's encoding: Unicode's own, or a set of bytes that iconv knows.
TEST(OpenYaffFont, KnowsEachGlyphByItsCharacterOrItsCodeInTheFontsEncoding)
{
    const std::string unicode = "encoding: unicode\n0x41:\n    @\n0x416:\n    @\n";
    const struct {
        std::string text;
        char32_t c;
        std::optional<unsigned> glyph;
    } cases[] = {
        {unicode, U'A', 0},
        {unicode, U'\u0416', 1},
        {"encoding: koi8-r\n0xF6:\n    @\n", U'\u0416', 0},
        {"encoding: koi8-r\nu+0041:\n0xF6:\n    @\n", U'A', 0},
        {"encoding: koi8-r\n0x416:\n    @\n", U'\u0416', std::nullopt},  // no byte
        {"0x41:\n    @\n", U'A', std::nullopt},                        // no encoding named
    };
    for (const auto &row : cases) {
        font_file file;
        const opened_font opened = open_yaff_text(file, row.text);
        ASSERT_TRUE(opened.reader) << opened.reason;
        EXPECT_EQ(opened.reader->glyph_index(row.c), row.glyph) << row.text;
    }
}

// The cell reaches from the descent to the ascent the file gives; without
// them, up from the descent by its line height, or else where the pixels of
// its glyphs reach: an empty glyph reaches nowhere, wherever it stands.
TEST(OpenYaffFont, TakesTheCellFromTheFileOrWhereItsGlyphsReach)
{
    const std::string low_a = "0x41:\n    @\n    @\n\n    shift-up: -1\n";
    const struct {
        std::string text;
        int ascent, descent;
    } cases[] = {
        {low_a, 1, 1},
        {low_a + "0x20:\n    -\n\n    shift-up: -3\n", 1, 1},
        {"line-height: 10\n" + low_a, 9, 1},
        {"ascent: 7\ndescent: 2\n" + low_a, 7, 2},
    };
    for (const auto &row : cases) {
        font_file file;
        const opened_font opened = open_yaff_text(file, row.text);
        ASSERT_TRUE(opened.reader) << opened.reason;
        drawn_font drawn;
        ASSERT_EQ(opened.reader->draw({}, size_limits{}, drawn), "");
        EXPECT_EQ(std::make_pair(drawn.ascent, drawn.descent), std::make_pair(row.ascent, row.descent)) << row.text;
    }
}

TEST(LooksLikeYaff, TellsAYaffFromOtherFonts)
{
    const struct {
        std::string start;
        bool yaff;
    } cases[] = {
        {"# comment\n\nname: x\n", true},
        {"\xEF\xBB\xBFu+0041:\n", true},
        {"STARTFONT 2.1\n", false},
        {std::string("\0\1\0\0\x13 OS/2: x\n", 14), false},
        {"    @@\n", false},
        {"These words are no font.\n", false},
    };
    for (const auto &known : cases)
        EXPECT_EQ(looks_like_yaff(reinterpret_cast<const std::uint8_t *>(known.start.data()), known.start.size()),
                  known.yaff)
            << known.start;
}

// A name ending in .yaff or .yaff.gz, in any case, says yaff whatever the file holds.
TEST(LooksLikeYaff, TakesANameThatSaysYaffInAnyCase)
{
    const std::string words = "These words are no font.\n";
    font_file file;
    held_in(file, words);
    for (const std::string path : {"x.yaff", "X.YAFF", "x.yaff.gz", "FONT.YAFF.GZ"})
        EXPECT_TRUE(is_yaff_file(file, path)) << path;
    for (const std::string path : {"x.bdf", "x.yaff.bz2", "yaff"})
        EXPECT_FALSE(is_yaff_file(file, path)) << path;
}

TEST(IconvSetName, NamesTheSetsOfYaffFontsAsIconvKnowsThem)
{
    const struct {
        const char *yaff, *iconv;
    } cases[] = {
        {"mac-roman", "MACINTOSH"}, {"x-mac-cyrillic", "MAC-CYRILLIC"}, {"cp437", "CP437"},
        {"oem-437", "CP437"},       {"ibm-866", "CP866"},               {"windows-1251", "WINDOWS-1251"},
        {"ms-1252", "WINDOWS-1252"}, {"iso8859-5", "ISO-8859-5"},       {"ISO_8859-15", "ISO-8859-15"},
        {"latin-1", "LATIN1"},      {"koi8-r", "KOI8-R"},               {"KOI8_U", "KOI8-U"},
        {"ascii", "ASCII"},         {"windows-ansi", "CP1252"},         {"850", "850"},
    };
    for (const auto &name : cases) {
        EXPECT_EQ(iconv_set_name(name.yaff), name.iconv) << name.yaff;
        charset_table table;
        EXPECT_EQ(load_charset(iconv_set_name(name.yaff), table), "") << name.yaff;
    }
    EXPECT_EQ(iconv_set_name("iso10646-1"), UNICODE_CODES);
    EXPECT_EQ(iconv_set_name("windows-ansi-2.0"), "windows-ansi-2.0");
}
