// font_export's labels, its command line, and its files read back by other
// programs: bdftopcf and FreeType the BDF, psfxtable and font_import's own
// reader the PSF2, and font_import's yaff reader every code of the yaff.
#include <cstring>
#include <fstream>
#include <map>
#include <set>
#include <random>

#include "set_record/set_record.h"
#include "font_export/exported_font.h"
#include "tool_inputs.h"

namespace {

const std::string FONT_EXPORT = quoted(FONT_EXPORT_PATH);
const std::string CONSOLE_FONTS = "/usr/share/consolefonts/";

// The picture each code shows, as make_h's header has it.
std::vector<std::string> shown_pictures(const std::string &font, const std::string &table)
{
    std::vector<std::string> pictures;
    for (std::size_t code = 0; code < 256; ++code) {
        const std::size_t glyph = code < 128 ? code : static_cast<unsigned char>(table.at(code - 128));
        pictures.push_back(font.substr(glyph * 12, 12));
    }
    return pictures;
}

// The characters psfxtable finds in a PSF font's table, by glyph.
std::map<std::size_t, std::string> psf_characters(const std::string &listing)
{
    std::map<std::size_t, std::string> characters;
    for (const std::string &line : lines_of(listing)) {
        const std::size_t tab = line.find('\t');
        if (line.rfind("0x", 0) == 0 && tab != std::string::npos && tab + 1 < line.size())
            characters[std::stoul(line.substr(0, tab), nullptr, 16)] = line.substr(tab + 1);
    }
    return characters;
}

// The pictures of a yaff that font_export wrote, by the code of each label
// "0xNN:"; each must be 12 rows of 8.
std::map<std::size_t, std::string> yaff_pictures(const std::string &text)
{
    std::map<std::size_t, std::string> pictures;
    std::size_t code = 256;
    for (const std::string &line : lines_of(text)) {
        if (line.rfind("0x", 0) == 0) {
            code = std::stoul(line.substr(0, line.size() - 1), nullptr, 16);
            pictures[code].clear();
        } else if (line.rfind("    ", 0) == 0 && code < 256) {
            std::uint8_t byte = 0;
            for (const char pixel : line.substr(4))
                byte = static_cast<std::uint8_t>(byte << 1 | (pixel == '@'));
            pictures[code] += static_cast<char>(line.size() == 12 ? byte : 0xFF);
        }
    }
    return pictures;
}

bool installed(const char *program)
{
    return std::system((std::string("command -v ") + program + " >/dev/null").c_str()) == 0;
}

}  // namespace

TEST(ExportFont, LabelsEachCodeWithTheCharacterItShows)
{
    table_set koi8r{"KOI8-R", {}, {}}, cp1251{"CP1251", {}, {}}, iso8859_5{"ISO-8859-5", {}, {}},
        armscii8{"ARMSCII-8", {}, {}};
    for (table_set *set : {&koi8r, &cp1251, &iso8859_5, &armscii8})
        ASSERT_EQ(load_charset(set->name, set->characters), "");
    // What the pair's record says the free codes show: symbols where
    // font_import put them, a character of one's own, nothing where nobody knows.
    table_set recorded = koi8r;
    recorded.at_free_codes = {{0x01, U'\u263A'}, {0x09, U'\u25CB'}, {0x7F, U'\u2302'}, {0x02, U'\U0001F50B'}};
    source_font font{};
    for (std::size_t i = 0; i < font.size(); ++i)
        font[i] = static_cast<std::uint8_t>(i / 12);  // each glyph its own number
    recode_table identity{}, spare{};
    for (std::size_t k = 0; k < identity.size(); ++k)
        identity[k] = spare[k] = static_cast<std::uint8_t>(128 + k);
    spare[0x93 - 128] = 1;  // KOI8-R's ⌠ put into slot 1, as font_import puts what CP866 lacks

    const struct {
        const table_set &set;
        const recode_table &table;
        std::size_t code;
        char32_t character;
    } cases[] = {
        {recorded, identity, 0x00, NO_CHARACTER},
        {recorded, identity, 0x41, U'A'},
        {recorded, identity, 0x01, U'\u263A'},      // ☺
        {recorded, identity, 0x02, U'\U0001F50B'},  // 🔋
        {recorded, identity, 0x09, U'\u25CB'},      // ○
        {recorded, identity, 0x7F, U'\u2302'},      // ⌂
        {recorded, identity, 0x03, NO_CHARACTER},
        {recorded, identity, 0xF6, U'\u0416'},  // Ж
        {koi8r, identity, 0x01, NO_CHARACTER},  // no record: nobody knows
        {koi8r, spare, 0x93, U'\u2320'},
        {cp1251, identity, 0x95, U'\u2022'},
        {cp1251, identity, 0x98, NO_CHARACTER},      // undefined in CP1251
        {iso8859_5, identity, 0x85, NO_CHARACTER},  // a control character
        {armscii8, identity, 0xA4, NO_CHARACTER},   // ')', which code 0x29 has
    };
    for (const auto &each : cases) {
        const exported_font out = export_font(font, each.table, each.set);
        EXPECT_EQ(out.characters[each.code], each.character) << each.set.name << " code " << each.code;
    }
    const exported_font out = export_font(font, spare, koi8r);
    glyph_picture ones;
    ones.fill(1);
    EXPECT_EQ(out.pictures[0x93], ones);
    EXPECT_EQ(out.pictures[0x41][11], 0x41);
}

using FontExport = ToolInputs;

TEST_F(FontExport, TakesItsFormatFromOutOrTheOptionAndMisusesTheGnuWay)
{
    const struct {
        const char *arguments, *out;
        const char *starts;  // what the file starts with
    } formats[] = {
        {"", "font.yaff", "# The font as the header made by make_h shows it"},
        {"", "font.bdf", "STARTFONT 2.1\n"},
        {"", "font.psfu", "\x72\xb5\x4a\x86"},
        {"--format=psf", "font.psf.x", "\x72\xb5\x4a\x86"},
        {"--format=bdf", "font.yaff", "STARTFONT 2.1\n"},
    };
    for (const auto &each : formats) {
        const tool_run result = run(FONT_EXPORT + " " + each.arguments + " " + each.out);
        EXPECT_EQ(result.status, 0) << result.err;
        EXPECT_EQ(read(each.out).rfind(each.starts, 0), 0u) << each.arguments << " " << each.out;
    }

    const struct {
        const char *arguments, *message;
    } misuses[] = {
        {"", "missing OUT operand"},
        {"a.bdf b.bdf", "extra operand 'b.bdf'"},
        {"font.txt", "cannot tell the format of 'font.txt': name it .yaff, .bdf, .psf or .psfu, or give --format"},
        {"-", "standard output needs --format=yaff, bdf or psf"},
        {"--format=pcf a.bdf", "invalid --format 'pcf': yaff, bdf or psf"},
        {"-f '' a.bdf", "--font is given an empty name"},
    };
    for (const auto &misuse : misuses) {
        const tool_run result = run(FONT_EXPORT + " " + misuse.arguments);
        EXPECT_EQ(result.status, 2) << misuse.arguments;
        EXPECT_EQ(result.err, "font_export: " + std::string(misuse.message) + "\nTry 'font_export --help'.\n");
    }
    EXPECT_EQ(run(FONT_EXPORT + " --help").out.rfind("Usage: font_export [OPTION]... OUT\n", 0), 0u);
    EXPECT_EQ(run(FONT_EXPORT + " --version").out, "font_export " MAKE_H_VERSION "\n");
}

TEST_F(FontExport, ChecksItsInputsFirstAndNeverPassesAFailedWrite)
{
    write("font.bdf", bytes{'o', 'l', 'd'});
    const std::string record = "table-set: CP1251\n";
    write("koi.sets", bytes(record.begin(), record.end()));
    const struct {
        const char *arguments, *message;
    } failures[] = {
        {"-t KOI8-R font.bdf", "font_export: koi.sets: koi.bin is made for CP1251, not for -t KOI8-R"},
        {"-f nowhere font.bdf", "font_export: nowhere/8x12.fnt: No such file or directory"},
        {"--format=bdf - >/dev/full", "font_export: standard output: No space left on device"},
        {"font.bdf/x.bdf", "font_export: font.bdf: Not a directory"},
    };
    for (const auto &failure : failures) {
        const tool_run result = run(FONT_EXPORT + " " + failure.arguments);
        EXPECT_EQ(result.status, 1) << failure.arguments;
        EXPECT_EQ(result.err, failure.message + std::string("\n"));
    }
    table.resize(100);
    SetUp();
    const tool_run short_table = run(FONT_EXPORT + " font.bdf");
    EXPECT_EQ(short_table.err, "font_export: koi.bin: 100 bytes, 128 needed\n");
    EXPECT_EQ(read("font.bdf"), "old");
    EXPECT_EQ(run("ls -A").out, "8x12.fnt\nfont.bdf\nkoi.bin\nkoi.sets\n");

    // The set the record names is the yaff's encoding.
    table = test_table();
    SetUp();
    ASSERT_EQ(run(FONT_EXPORT + " --format=yaff -").status, 0);
    EXPECT_NE(run(FONT_EXPORT + " --format=yaff -").out.find("\nencoding: CP1251\n"), std::string::npos);

    // The font written over the pair it reads would be the pair make_h reads next.
    expect_writes_over_none("font_export", FONT_EXPORT + " --format=bdf", {"8x12.fnt", "koi.bin", "koi.sets"});
    const std::string sets = read("koi.sets");
    const tool_run appended = run(FONT_EXPORT + " --format=yaff -", ">>koi.sets");
    EXPECT_EQ(appended.status, 1);
    EXPECT_EQ(appended.err, "font_export: standard output: the same file as koi.sets\n");
    EXPECT_EQ(read("koi.sets"), sets);
}

// Each pair exported, each file read by another program, and imported back
// to the same picture for every code that has a character: the sample, real
// console fonts, and pairs of random bytes.
TEST_F(FontExport, WritesFontsThatOtherProgramsReadBackAsTheyWere)
{
#ifndef FONT_IMPORT_PATH
    GTEST_SKIP() << "font_import is not built";
#else
    for (const char *program : {"bdftopcf", "pcf2bdf", "psfxtable"})
        if (!installed(program))
            GTEST_SKIP() << program << " is not installed (Debian's xfonts-utils, pcf2bdf and kbd)";
    if (!std::ifstream(CONSOLE_FONTS + "CyrKoi-Terminus12x6.psf.gz"))
        GTEST_SKIP() << "console fonts are not installed (Debian's console-setup-linux)";
    const std::string font_import = quoted(FONT_IMPORT_PATH);
    std::mt19937 random(12);  // the same pairs each run
    const auto random_bytes = [&random](std::size_t count) {
        bytes out(count);
        for (std::uint8_t &byte : out)
            byte = static_cast<std::uint8_t>(random());
        return out;
    };
    const struct {
        std::string source;  // a console font to import, a pair's directory, or "" for random bytes
        const char *set;
    } pairs[] = {
        {SOURCE_DIR "/sample", "KOI8-R"},
        {CONSOLE_FONTS + "CyrKoi-Terminus12x6.psf.gz", "KOI8-R"},
        {CONSOLE_FONTS + "CyrSlav-Terminus12x6.psf.gz", "CP1251"},
        {CONSOLE_FONTS + "Lat15-Terminus12x6.psf.gz", "CP437"},
        {"", "KOI8-R"},
        {"", "CP1251"},
        {"", "CP437"},
        {"", "ISO-8859-5"},
    };
    for (const auto &pair : pairs) {
        const std::string set = pair.set, what = (pair.source.empty() ? "random bytes" : pair.source) + " in " + set;
        run("rm -rf pair back && mkdir pair");
        if (pair.source.empty()) {
            font = random_bytes(3072);
            table = random_bytes(128);
            write("pair/8x12.fnt", font);
            write("pair/koi.bin", table);
        } else if (pair.source.find(".psf") == std::string::npos) {
            run("cp " + quoted(pair.source) + "/8x12.fnt " + quoted(pair.source) + "/koi.bin pair/");
        } else {
            ASSERT_EQ(run(font_import + " -g " + set + " -t " + set + " -o pair " + quoted(pair.source)).status, 0)
                << what;
        }
        const std::vector<std::string> shown = shown_pictures(read("pair/8x12.fnt"), read("pair/koi.bin"));
        const std::string exporting = FONT_EXPORT + " -f pair -t " + set + " ";
        ASSERT_EQ(run(exporting + "font.bdf && " + exporting + "font.psf && " + exporting + "font.yaff").status, 0)
            << what;

        const tool_run pcf = run("bdftopcf -o font.pcf font.bdf");
        EXPECT_EQ(pcf.status, 0) << what;
        EXPECT_EQ(pcf.out + pcf.err, "") << what;
        const tool_run table_listing = run("psfxtable -i font.psf -ot -");
        ASSERT_EQ(table_listing.status, 0) << what << table_listing.err;
        const std::map<std::size_t, std::string> characters = psf_characters(table_listing.out);
        EXPECT_GE(characters.size(), 190u) << what;

        // Read back through X's own reader, the BDF claims the characters the
        // PSF has and no other: a code without one is no character's glyph.
        const tool_run bdf = run("pcf2bdf font.pcf");
        std::set<std::string> encoded, expected;
        for (const std::string &line : lines_of(bdf.out))
            if (line.rfind("ENCODING ", 0) == 0 && line.find('-') == std::string::npos) {
                char name[16];
                std::snprintf(name, sizeof name, "U+%04lx", std::stoul(line.substr(9)));  // as psfxtable writes it
                encoded.insert(name);
            }
        for (const auto &[code, character] : characters)
            expected.insert(character);
        EXPECT_EQ(encoded, expected) << what;
        EXPECT_NE(bdf.out.find("\nDEFAULT_CHAR 32\n"), std::string::npos) << what;

        // The yaff has every picture, and a character label where the PSF has a character.
        const std::string yaff = read("font.yaff");
        const std::map<std::size_t, std::string> pictures = yaff_pictures(yaff);
        ASSERT_EQ(pictures.size(), 256u) << what;
        std::size_t wrong = 0;
        for (const auto &[code, picture] : pictures)
            wrong += picture != shown.at(code);
        EXPECT_EQ(wrong, 0u) << what << ": yaff pictures";
        for (const auto &[code, character] : characters) {
            char code_label[8];
            std::snprintf(code_label, sizeof code_label, "0x%02zx", code);
            std::string labels = "\n" + std::string(code_label) + ":\n" + character + ":\n";
            for (char &c : labels)
                c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
            EXPECT_NE(yaff.find(labels), std::string::npos) << what << labels;
        }

        // Each code that has a character comes back, and from the yaff every code.
        for (const std::string file : {"font.bdf", "font.pcf", "font.psf", "font.yaff"}) {
            const tool_run back = run(font_import + " -g " + set + " -t " + set + " -o back " + file);
            ASSERT_EQ(back.status, 0) << what << " " << file << ": " << back.err;
            const std::vector<std::string> imported = shown_pictures(read("back/8x12.fnt"), read("back/koi.bin"));
            wrong = 0;
            for (std::size_t code = 0; code < imported.size(); ++code)
                if (file == "font.yaff" || characters.count(code) != 0)
                    wrong += imported.at(code) != shown.at(code);
            EXPECT_EQ(wrong, 0u) << what << ": " << file << " imported back";
        }
    }
#endif
}

// The characters a pair adds at free codes are labelled as they are: its
// yaff imports back to the same pair, additions and all, and its BDF, with
// the same text and pictures, to the same pictures at the same codes.
TEST_F(FontExport, CarriesTheCharactersAddedAtFreeCodesThroughYaffAndBdf)
{
#ifndef FONT_IMPORT_PATH
    GTEST_SKIP() << "font_import is not built";
#else
    const std::string font_import = quoted(FONT_IMPORT_PATH), sample = quoted(SOURCE_DIR "/sample/6x12.pcf.gz");
    write("ui.c", as_bytes("const char *s = \"Grüße 🔋 ☺\";\n"));
    write("own.yaff", as_bytes("u+1f50b:\n    .@@@@.\n    @@@@@@\n"));
    const std::string own = " --text=ui.c --glyphs=own.yaff ";
    ASSERT_EQ(run(font_import + " -o pair" + own + sample).status, 0);
    const std::string record = read("pair/koi.sets");
    EXPECT_NE(record.find("0x01: U+1F50B 🔋\n0x02: U+00DF ß\n0x03: U+00FC ü\n0x04: U+263A ☺\n"), std::string::npos)
        << record;  // the picture first
    ASSERT_EQ(run(FONT_EXPORT + " -f pair pair.yaff && " + FONT_EXPORT + " -f pair pair.bdf").status, 0);
    const std::string yaff = read("pair.yaff");
    EXPECT_NE(yaff.find("\n0x01:\nu+1f50b:\n    .@@@@...\n    @@@@@@..\n"), std::string::npos);
    EXPECT_NE(yaff.find("\n0x09:\nu+25cb:\n"), std::string::npos);  // the symbol font_import put there

    ASSERT_EQ(run(font_import + " -o from-yaff pair.yaff").status, 0);
    ASSERT_EQ(run(font_import + " -o from-bdf" + own + "pair.bdf").status, 0);
    const std::vector<std::string> shown = shown_pictures(read("pair/8x12.fnt"), read("pair/koi.bin"));
    for (const char *back : {"from-yaff", "from-bdf"}) {
        const std::vector<std::string> again = shown_pictures(read(std::string(back) + "/8x12.fnt"),
                                                              read(std::string(back) + "/koi.bin"));
        for (std::size_t code = 0; code < 256; ++code)
            EXPECT_EQ(again.at(code), shown.at(code)) << back << " code " << code;
    }
    EXPECT_EQ(read("from-yaff/koi.sets"), record);

    // A glyph drawn into the yaff under a character alone gets a free code
    // as a picture does; one under a code the set uses and another
    // character is refused at its line.
    write("more.yaff", as_bytes(yaff + "\nu+00e4:\n    @@\n"));
    ASSERT_EQ(run(font_import + " -o more more.yaff").status, 0);
    EXPECT_NE(read("more/koi.sets").find("\n0x04: U+263A ☺\n0x05: U+00E4 ä\n"), std::string::npos);
    const std::size_t lines = static_cast<std::size_t>(std::count(yaff.begin(), yaff.end(), '\n'));
    write("used.yaff", as_bytes(yaff + "\n0xc2:\nu+00e4:\n    @@\n"));
    EXPECT_EQ(run(font_import + " -o used used.yaff").err,
              "font_import: used.yaff:" + std::to_string(lines + 2) +
                  ": 0xC2 is U+0431 б in KOI8-R: label U+00E4 ä with a free code (0x01-0x09, 0x0B-0x1F, 0x7F)\n");
#endif
}
