// font_import run end to end on fonts the tests write and on the sample's.
#include <algorithm>
#include <cstdio>
#include <fstream>
#include <tuple>

#include "charset/charset.h"
#include "font_files.h"
#include "tool_inputs.h"

namespace {

const std::string FONT_IMPORT = quoted(FONT_IMPORT_PATH);
const std::string FONT_EXPORT = quoted(FONT_EXPORT_PATH);
const std::string FONT_TEXT = quoted(FONT_TEXT_PATH);
const std::string SAMPLE = SOURCE_DIR "/sample";
const std::string DEJAVU_MONO = "/usr/share/fonts/truetype/dejavu/DejaVuSansMono.ttf";
const std::string DEJAVU_BOLD = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf";
const std::string DEJAVU_SERIF = "/usr/share/fonts/truetype/dejavu/DejaVuSerif.ttf";

#if defined(__SANITIZE_ADDRESS__)
constexpr bool UNDER_ASAN = true;  // its shadow memory needs more than any limit here
#else
constexpr bool UNDER_ASAN = false;
#endif

// The environment that holds up a tool's first rename for some seconds, and
// creates the file mark once that rename is done. ASan must come first among
// the libraries a program loads, unless told not to care.
std::string slowed(const std::string &mark, const char *seconds)
{
    return "ASAN_OPTIONS=verify_asan_link_order=0 LD_PRELOAD=" + quoted(SLOW_RENAME_PATH) +
           " SLOW_RENAME_MARK=" + mark + " SLOW_RENAME_SECONDS=" + seconds + " ";
}

// Shell words that wait (10 s at most) for the file mark.
std::string await(const std::string &mark)
{
    return "i=0; until [ -e " + mark + " ] || [ $i -ge 1000 ]; do sleep 0.01; i=$((i + 1)); done; ";
}

std::string glyph_of(const std::string &font, std::size_t slot)
{
    return font.substr(slot * 12, 12);
}

std::string lines(std::initializer_list<std::uint8_t> values)
{
    return std::string(values.begin(), values.end());
}

}  // namespace

struct FontImport : ToolInputs {
    // Files the tool must leave as they are when it fails.
    void SetUp() override
    {
        write("8x12.fnt", as_bytes("old font"));
        write("koi.bin", as_bytes("old table"));
    }
    void expect_unchanged(const std::string &listing, const std::string &what) const
    {
        EXPECT_EQ(read("8x12.fnt"), "old font") << what;
        EXPECT_EQ(read("koi.bin"), "old table") << what;
        EXPECT_EQ(run("ls -A").out, listing) << what;
    }
};

TEST_F(FontImport, ReproducesTheCommittedSample)
{
    const tool_run result = run("mkdir out && " + FONT_IMPORT + " -o out/ " + quoted(SAMPLE + "/6x12.pcf.gz"));
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out + result.err, "");
    EXPECT_TRUE(read("out/8x12.fnt") == contents(SAMPLE + "/8x12.fnt")) << "the font differs";
    EXPECT_TRUE(read("out/koi.bin") == contents(SAMPLE + "/koi.bin")) << "the table differs";
    EXPECT_TRUE(read("out/koi.sets") == contents(SAMPLE + "/koi.sets")) << "the record of sets differs";

    // Standard input is a font too, gzip'd or not.
    const std::string sample = quoted(SAMPLE + "/6x12.pcf.gz"), piped_import = FONT_IMPORT + " -v -o piped -";
    for (const std::string &feed : {piped_import + " <" + sample, "gzip -dc <" + sample + " | " + piped_import}) {
        const tool_run piped = run(feed);
        EXPECT_EQ(piped.err, "font_import: standard input: PCF at 12 px, its only size; cell 6x12 at row 0; 255 "
                             "characters placed, 0 missing, 0 cut\n");
        EXPECT_TRUE(read("piped/8x12.fnt") == contents(SAMPLE + "/8x12.fnt")) << feed;
    }

    // The table set equal to the glyph order gives the identity table.
    ASSERT_EQ(run(FONT_IMPORT + " -g KOI8-R " + quoted(SAMPLE + "/6x12.pcf.gz")).status, 0);
    const std::string made = read("koi.bin");
    ASSERT_EQ(made.size(), 128u);
    for (std::size_t k = 0; k < 128; ++k)
        EXPECT_EQ(static_cast<unsigned char>(made[k]), 128 + k);
}

TEST_F(FontImport, PlacesABdfFontAtItsBearingsAndWarnsOfWhatItLacks)
{
    write("small.bdf", as_bytes(bdf_text(sample_bdf_font())));
    const std::string latin1 = FONT_IMPORT + " -g ISO-8859-1 -t ISO-8859-1 ";
    const tool_run result = run(latin1 + "small.bdf");
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, "");
    const std::vector<std::string> warnings = lines_of(result.err);
    ASSERT_GE(warnings.size(), 2u);
    EXPECT_EQ(warnings.front(), "font_import: small.bdf: no glyph for U+0021 !: left blank");
    EXPECT_EQ(warnings.end()[-3], "font_import: small.bdf: U+00C5 \u00C5: pixels outside 8x12 cut");
    EXPECT_EQ(warnings.end()[-2],
              "font_import: small.bdf: 187 characters missing: try another font, or a --table set this one has");
    EXPECT_EQ(warnings.back(), "font_import: small.bdf: 1 character cut: try another --top (now 2, 0 to 4)");

    // Rows 0-1 are spare, the baseline is at row 8.
    const std::string imported = read("8x12.fnt");
    ASSERT_EQ(imported.size(), 3072u);
    EXPECT_EQ(glyph_of(imported, 'A'), lines({0, 0, 0, 0, 0x20, 0x50, 0x70, 0x50, 0, 0, 0, 0}));
    EXPECT_EQ(glyph_of(imported, 'g'), lines({0, 0, 0, 0, 0, 0x70, 0x50, 0x70, 0x10, 0x60, 0, 0}));
    EXPECT_EQ(glyph_of(imported, 0xC5).substr(0, 5), lines({0, 0x20, 0x50, 0x70, 0x50}));
    EXPECT_EQ(glyph_of(imported, ' '), std::string(12, '\0'));

    ASSERT_EQ(run(latin1 + "--top=0 small.bdf").status, 0);
    EXPECT_EQ(glyph_of(read("8x12.fnt"), 'A'), lines({0, 0, 0x20, 0x50, 0x70, 0x50, 0, 0, 0, 0, 0, 0}));
    // In code page 866 order, the vertical line joins the cells above and below.
    ASSERT_EQ(run(FONT_IMPORT + " small.bdf").status, 0);
    EXPECT_EQ(glyph_of(read("8x12.fnt"), 0xB3), std::string(12, '\x20'));

    // A font coded in KOI8-R: its code 0xF6 is Ж, slot 0x86 in code page 866.
    bdf_font koi8 = sample_bdf_font();
    koi8.registry = "KOI8";
    koi8.encoding = "R";
    // Its last code, 0xFF, is Ъ: slot 0x9A.
    koi8.glyphs.push_back({0xF6, {"#.#.#", ".###.", "#.#.#"}, 0, 0, 5});
    koi8.glyphs.push_back({0xFF, {"##...", ".###.", ".###."}, 0, 0, 5});
    write("koi8.bdf", as_bytes(bdf_text(koi8)));
    ASSERT_EQ(run(FONT_IMPORT + " koi8.bdf").status, 0);
    EXPECT_EQ(glyph_of(read("8x12.fnt"), 0x86), lines({0, 0, 0, 0, 0, 0xa8, 0x70, 0xa8, 0, 0, 0, 0}));
    EXPECT_EQ(glyph_of(read("8x12.fnt"), 0x9A), lines({0, 0, 0, 0, 0, 0xc0, 0x70, 0x70, 0, 0, 0, 0}));

    // A grey font: a pixel at least half dark is ink.
    bdf_font grey = sample_bdf_font();
    grey.grey = true;
    grey.glyphs = {{U'A', {"0788F"}, 0, 0, 5}};
    write("grey.bdf", as_bytes(bdf_text(grey)));
    ASSERT_EQ(run(latin1 + "grey.bdf").status, 0);
    EXPECT_EQ(glyph_of(read("8x12.fnt"), 'A'), lines({0, 0, 0, 0, 0, 0, 0, 0x38, 0, 0, 0, 0}));

    // Glyphs of no columns or no rows have no bitmap, and need none.
    bdf_font empty = sample_bdf_font();
    empty.glyphs = {{U'A', {"", ""}, 0, 0, 5}, {U'B', {"", ""}, 0, 0, 5}};
    std::string empty_text = bdf_text(empty);
    empty_text.replace(empty_text.rfind("BBX 0 2"), 7, "BBX 5 0");
    write("empty.bdf", as_bytes(empty_text));
    const tool_run blank = run(latin1 + "empty.bdf");
    EXPECT_EQ(blank.status, 0) << blank.err;
    EXPECT_EQ(glyph_of(read("8x12.fnt"), 'B'), std::string(12, '\0'));

    const tool_run no_room = run(FONT_IMPORT + " --top=5 small.bdf");
    EXPECT_EQ(no_room.status, 1);
    EXPECT_EQ(no_room.err, "font_import: small.bdf: --top=5 leaves no room for glyphs 5x8: at most 4\n");
}

TEST_F(FontImport, ReadsPsfFontsByTheirUnicodeTableOrTheSetNamed)
{
    write("v1.psf", sample_psf_fonts()[0]);
    ASSERT_EQ(run("gzip -c v1.psf >v1.psf.gz").status, 0);
    const std::string a_on_8_rows = lines({0, 0, 0x30, 0x48, 0x84, 0xfc, 0x84, 0, 0, 0, 0, 0});
    const tool_run v1 = run(FONT_IMPORT + " v1.psf.gz");
    ASSERT_EQ(v1.status, 0) << v1.err;
    EXPECT_EQ(glyph_of(read("8x12.fnt"), 'A'), a_on_8_rows);
    EXPECT_EQ(glyph_of(read("8x12.fnt"), 0x80), a_on_8_rows);  // А in code page 866
    ASSERT_FALSE(v1.err.empty());
    EXPECT_EQ(lines_of(v1.err).front(), "font_import: v1.psf.gz: no glyph for U+0020  : left blank");

    // Glyphs in KOI8-R order, without a table: A at 0x41, Ж at 0xF6.
    psf_spec bare{2, 6, 8, false, std::vector<psf_glyph>(256)};
    bare.glyphs[0x41] = sample_glyph_a();
    bare.glyphs[0xF6] = sample_glyph_zhe();
    write("bare.psf", psf_bytes(bare));
    const tool_run refused = run(FONT_IMPORT + " bare.psf");
    EXPECT_EQ(refused.status, 1);
    EXPECT_EQ(refused.err, "font_import: bare.psf: has no Unicode table\n");
    ASSERT_EQ(run(FONT_IMPORT + " -e KOI8-R bare.psf").status, 0);
    const std::string imported = read("8x12.fnt");
    EXPECT_EQ(glyph_of(imported, 'A'), a_on_8_rows);
    EXPECT_EQ(glyph_of(imported, 0x86), lines({0, 0, 0xa8, 0x70, 0xa8, 0, 0, 0, 0, 0, 0, 0}));  // Ж in code page 866
}

TEST_F(FontImport, RejectsBadInputsAndChangesNothing)
{
    write("8x13.bdf", as_bytes(bdf_text({11, 2, "ISO10646", "1", {{U'A', {"########"}, 0, 0, 8}}})));
    bdf_font upside_down = sample_bdf_font();
    upside_down.ascent = -24;
    upside_down.descent = 12;
    write("negative.bdf", as_bytes(bdf_text(upside_down)));
    write("empty.pcf", {});
    std::string no_bitmap = bdf_text(sample_bdf_font());
    const std::size_t bitmap_of_a = no_bitmap.find("BITMAP\n", no_bitmap.find("ENCODING 65\n"));
    no_bitmap.erase(bitmap_of_a, no_bitmap.find("ENDCHAR", bitmap_of_a) - bitmap_of_a);
    write("no-bitmap.bdf", as_bytes(no_bitmap));
    std::string text;
    for (int line = 0; line < 8; ++line)
        text += "These words are no font, whatever the name of their file says.\n";
    write("text.ttf", as_bytes(text));
    write("cut.pcf", bytes{1, 'f', 'c', 'p'});  // a PCF font's mark, and nothing after it
    // One glyph and its table; each copy breaks one count, size or byte.
    const bytes psf = psf_bytes({2, 8, 8, true, {{{"#"}, U"A"}}});
    bytes huge_count = psf, past_end = psf, cut_table = psf, not_utf8 = psf, no_glyphs = psf;
    std::fill(huge_count.begin() + 16, huge_count.begin() + 20, 0xff);
    past_end[8] = 0xff;
    cut_table.pop_back();
    not_utf8[not_utf8.size() - 2] = 0xC0;
    no_glyphs[16] = 0;
    write("count.psf", huge_count);
    write("end.psf", past_end);
    write("cut.psf", cut_table);
    write("utf8.psf", not_utf8);
    write("none.psf", no_glyphs);
    write("ragged.yaff", as_bytes("# rows of two widths\n0x41:\n    @@\n    @\n"));
    write("codes.yaff", as_bytes("0x41:\n    @@\n"));
    ASSERT_EQ(run("ln -s " + quoted(SAMPLE + "/6x12.pcf.gz") + " sample.pcf.gz").status, 0);
    ASSERT_EQ(run("head -c 65M /dev/zero | gzip -1 >big.psf.gz").status, 0);
    // Inputs that are the files the pair is written to, by other names.
    ASSERT_EQ(run("ln -s koi.bin table.yaff && ln 8x12.fnt font.hard").status, 0);
    // yaff fonts of 256 MiB and a byte more, all but their first line a hole.
    ASSERT_EQ(run("printf '\\001\\n' >most.yaff && cp most.yaff over.yaff && truncate -s 256M most.yaff && "
                  "truncate -s 268435457 over.yaff").status, 0);
    const std::string listing = run("ls -A").out;

    const struct {
        const char *arguments, *message;
    } cases[] = {
        {"missing.pcf", "missing.pcf: No such file or directory"},
        {"'no\nsuch.pcf'", "'no\\nsuch.pcf': No such file or directory"},
        {"empty.pcf", "empty.pcf: empty file"},
        {"no-bitmap.bdf", "no-bitmap.bdf: U+0041 A: no bitmap data"},
        {"-g ISO-8859-1 -t ISO-8859-1 negative.bdf", "negative.bdf: ascent -24 and descent 12 leave the cell no rows"},
        {".", ".: Is a directory"},
        {"text.ttf", "text.ttf: not a font (BDF, PCF, PSF, FON, FNT, TrueType, OpenType or yaff)"},
        {"cut.pcf", "cut.pcf: not a font (BDF, PCF, PSF, FON, FNT, TrueType, OpenType or yaff): invalid stream operation"},
        {"big.psf.gz", "big.psf.gz: larger than 64 MiB"},
        {"most.yaff", "most.yaff:1: control character 1 in a line"},
        {"over.yaff", "over.yaff: larger than 256 MiB"},
        {"8x13.bdf", "8x13.bdf: glyphs are 8x13, at most 8x12 fit: --crop cuts them to fit"},
        {"-g NO-SUCH-SET 8x13.bdf", "NO-SUCH-SET: unknown character set"},
        {"-t UTF-8 8x13.bdf", "UTF-8: not a single-byte character set"},
        {"count.psf", "count.psf: 4294967295 glyphs of 8 bytes run past the end of the file"},
        {"end.psf", "end.psf: PSF2 header size 255 is past the end of the file"},
        {"cut.psf", "cut.psf: Unicode table cut short"},
        {"utf8.psf", "utf8.psf: Unicode table is not UTF-8"},
        {"none.psf", "none.psf: has no glyphs"},
        {"ragged.yaff", "ragged.yaff:4: a row of 1 pixels in a glyph 2 wide"},
        {"codes.yaff", "codes.yaff: has none of the characters of CP866 or KOI8-R (1 glyph known only by a code, "
                       "and no encoding named: left out; name the set of the codes with -e)"},
        {"-t CP1251 sample.pcf.gz", "sample.pcf.gz: -t CP1251 needs 50 spare slots, -g CP866 leaves 32: "
                                    "choose a glyph order closer to CP1251 (e.g. -g CP1251)"},
        {"koi.bin", "koi.bin: the same file as koi.bin"},
        {"--glyphs=table.yaff sample.pcf.gz", "koi.bin: the same file as table.yaff"},
        {"font.hard", "8x12.fnt: the same file as font.hard"},
    };
    for (const auto &bad : cases) {
        const tool_run result = run(FONT_IMPORT + " " + bad.arguments);
        EXPECT_EQ(result.status, 1) << bad.arguments;
        EXPECT_EQ(result.err, "font_import: " + std::string(bad.message) + "\n");
        expect_unchanged(listing, bad.arguments);
    }

    for (const char *misuse : {"", "a b", "--size=0 a", "--size=12x a", "--top=13 a", "--top= a", "--bogus a",
                               "-o '' a", "-o - a", "-g '' a", "-t '' a", "-e '' a", "--glyphs=- -",
                               "--text=- --text=- a"}) {
        const tool_run result = run(FONT_IMPORT + " " + misuse);
        EXPECT_EQ(result.status, 2) << misuse;
        ASSERT_FALSE(result.err.empty()) << misuse;
        EXPECT_EQ(lines_of(result.err).back(), "Try 'font_import --help'.") << misuse;
    }
    const tool_run help = run(FONT_IMPORT + " --help");
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.out.rfind("Usage: font_import [OPTION]... FONT\n", 0), 0u);
    EXPECT_EQ(run(FONT_IMPORT + " --version").out, "font_import " MAKE_H_VERSION "\n");
    expect_unchanged(listing, "usage");
}

// Each option to its bounds: past one is bad usage, at one the font is
// asked; -v counts characters, not codes, and no glyph a picture replaces.
TEST_F(FontImport, TakesOptionsToTheirBoundsAndSaysWhatItPlaced)
{
    write("small.bdf", as_bytes(bdf_text(sample_bdf_font())));
    // A glyph for code 0, and one cut at its left for code 1.
    write("codes.yaff", as_bytes("encoding: koi8-r\n0x00:\n    @\n0x41:\n    @\n0x01:\n    @@\n    left-bearing: -1\n"));
    write("own.yaff", as_bytes("0x01:\n    @\n"));
    const std::string placed = "font_import: codes.yaff: yaff at 1 px, its only size; cell 1x1 at row 5; "
                               "1 character placed, 222 missing, ";
    const struct {
        std::string arguments;
        int status;
        std::string out, last_error;  // their first and last lines
    } cases[] = {
        {"--size=1 small.bdf", 1, "", "font_import: small.bdf: has no 1-pixel size, only 8"},
        {"--size=1000 small.bdf", 1, "", "font_import: small.bdf: has no 1000-pixel size, only 8"},
        {"--size=1001 small.bdf", 2, "", "Try 'font_import --help'."},
        {"--top=-12 small.bdf", 1, "", "font_import: small.bdf: --top=-12 cuts glyphs 5x8 without --crop: at least 0"},
        {"--top=-13 small.bdf", 2, "", "Try 'font_import --help'."},
        {"--top=12 small.bdf", 1, "", "font_import: small.bdf: --top=12 leaves no room for glyphs 5x8: at most 4"},
        {"--help missing.bdf", 0, "Usage: font_import [OPTION]... FONT", ""},
        {"-v codes.yaff", 0, "", placed + "1 cut"},
        {"-v --glyphs=own.yaff codes.yaff", 0, "", placed + "0 cut; 1 picture from own.yaff"},
    };
    for (const auto &row : cases) {
        const tool_run result = run(FONT_IMPORT + " " + row.arguments);
        EXPECT_EQ(result.status, row.status) << row.arguments;
        EXPECT_EQ(lines_of(result.out).empty() ? "" : lines_of(result.out).front(), row.out) << row.arguments;
        EXPECT_EQ(lines_of(result.err).empty() ? "" : lines_of(result.err).back(), row.last_error) << row.arguments;
    }
}

TEST_F(FontImport, ReplacesNothingWhenAWriteFailsHalfWay)
{
    const std::string listing = run("ls -A").out;
    const tool_run result =
        run("trap '' XFSZ && ulimit -f 2 && " + FONT_IMPORT + " " + quoted(SAMPLE + "/6x12.pcf.gz"));
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "font_import: 8x12.fnt: File too large\n");
    expect_unchanged(listing, "a write cut short");

    // A directory made for the files goes away with them.
    EXPECT_EQ(run("trap '' XFSZ && ulimit -f 2 && " + FONT_IMPORT + " -o made/deeper " +
                  quoted(SAMPLE + "/6x12.pcf.gz"))
                  .status,
              1);
    expect_unchanged(listing, "a write cut short into a new directory");
    ASSERT_EQ(run(FONT_IMPORT + " -o made/deeper/ " + quoted(SAMPLE + "/6x12.pcf.gz")).status, 0);
    EXPECT_EQ(read("made/deeper/koi.bin"), contents(SAMPLE + "/koi.bin"));
    run("rm -r made");

    // Killed by SIGXFSZ, as a file size limit does by default, it cleans up too.
    const tool_run killed = run("ulimit -c 0 && ulimit -f 2 && " + FONT_IMPORT + " " + quoted(SAMPLE + "/6x12.pcf.gz"));
    EXPECT_NE(killed.status, 0);
    expect_unchanged(listing, "a write stopped by SIGXFSZ");
}

TEST_F(FontImport, ReplacesBothFilesOrNeither)
{
    const std::string sample = quoted(SAMPLE + "/6x12.pcf.gz");
    // The record of sets is replaced with them.
    const auto pair_in = [this](const std::string &out) {
        return std::tuple{read(out + "/8x12.fnt"), read(out + "/koi.bin"), read(out + "/koi.sets")};
    };
    ASSERT_EQ(run("mkdir cp866 koi8 && " + FONT_IMPORT + " -o cp866 " + sample + " && " + FONT_IMPORT +
                  " -g KOI8-R -o koi8 " + sample)
                  .status,
              0);
    const auto cp866 = pair_in("cp866"), koi8 = pair_in("koi8");
    ASSERT_TRUE(cp866 != koi8);

    // The table cannot take its name: the font keeps its old one too.
    const tool_run onto_dir = run("mkdir d d/koi.bin && cp 8x12.fnt d/ && " + FONT_IMPORT + " -o d " + sample);
    EXPECT_EQ(onto_dir.status, 1);
    EXPECT_EQ(onto_dir.err, "font_import: d/koi.bin: Is a directory\n");
    EXPECT_EQ(read("d/8x12.fnt"), "old font");
    EXPECT_EQ(run("ls -A d").out, "8x12.fnt\nkoi.bin\n");

    // A signal between the two renames waits until both are done.
    run("mkdir s && cp 8x12.fnt koi.bin s/ && { " + slowed("s.mark", "1") + FONT_IMPORT + " -o s " + sample +
        " & " + await("s.mark") + "kill -TERM $!; wait $!; }");
    EXPECT_TRUE(pair_in("s") == cp866) << "the font and table of different runs";
    EXPECT_EQ(run("ls -A s").out, "8x12.fnt\nkoi.bin\nkoi.sets\n");

    // A second run into the same directory waits for the first to finish.
    run("mkdir c && cp 8x12.fnt koi.bin c/ && { " + slowed("c.mark", "1") + FONT_IMPORT + " -o c " + sample +
        " & " + await("c.mark") + FONT_IMPORT + " -g KOI8-R -o c " + sample + "; wait; }");
    EXPECT_TRUE(pair_in("c") == koi8) << "the font and table of different runs";
    EXPECT_EQ(run("ls -A c").out, "8x12.fnt\nkoi.bin\nkoi.sets\n");
}

TEST_F(FontImport, RefusesAGlyphTooLargeBeforeDrawingIt)
{
    // One glyph of 8 x 4,000,000 pixels for 254 characters: a picture of it
    // for each character would take 8 GB.
    std::u32string characters;
    for (char32_t c = 0x20; characters.size() < 254; ++c)
        characters += c < 0x7F ? c : c - 0x7F + 0x2500;
    write("tall.psf", psf_bytes({2, 8, 4000000, true, {{{"#"}, characters}}}));
    const std::string limit = UNDER_ASAN ? "" : "ulimit -v 1000000 && ";
    const tool_run result = run("gzip tall.psf && " + limit + FONT_IMPORT + " tall.psf.gz");
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "font_import: tall.psf.gz: glyphs are 8x4000000, at most 8x12 fit\n");
}

TEST_F(FontImport, CropsACellTooLargeAndSaysWhatItDid)
{
    // A 9x13 cell, one column and one row too many.
    write("9x13.bdf", as_bytes(bdf_text({11, 2, "ISO10646", "1", {{U'A', glyph_rows(13, "#########"), 0, -2, 9}}})));
    const std::string latin1 = FONT_IMPORT + " -g ISO-8859-1 -t ISO-8859-1 ";
    EXPECT_EQ(run(latin1 + "9x13.bdf").err,
              "font_import: 9x13.bdf: glyphs are 9x13, at most 8x12 fit: --crop cuts them to fit\n");

    const tool_run cropped = run(latin1 + "--crop -v 9x13.bdf");
    ASSERT_EQ(cropped.status, 0) << cropped.err;
    EXPECT_EQ(glyph_of(read("8x12.fnt"), 'A'), std::string(12, '\xff'));
    const std::vector<std::string> said = lines_of(cropped.err);
    ASSERT_GE(said.size(), 4u);
    EXPECT_EQ(said.end()[-4], "font_import: 9x13.bdf: U+0041 A: pixels outside 8x12 cut");
    EXPECT_EQ(said.end()[-2], "font_import: 9x13.bdf: 1 character cut: try another --top (now -1, -1 to 0)");
    EXPECT_EQ(said.back(), "font_import: 9x13.bdf: BDF at 13 px, its only size; cell 9x13 at row -1; "
                           "1 character placed, 190 missing, 1 cut");
    EXPECT_EQ(run(latin1 + "--crop --top=-2 9x13.bdf").err,
              "font_import: 9x13.bdf: --top=-2 cuts glyphs 9x13: at least -1\n");
}

TEST_F(FontImport, DrawsATrueTypeFontAtTheLargestSizeThatFits)
{
    if (!std::ifstream(DEJAVU_MONO))
        GTEST_SKIP() << DEJAVU_MONO << " is not installed (Debian's fonts-dejavu-core)";
    const tool_run result = run(FONT_IMPORT + " -v " + quoted(DEJAVU_MONO));
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.err.find("pixels outside"), std::string::npos) << result.err;
    const std::string imported = read("8x12.fnt");
    for (const char letter : {'A', 'g', 'W'})
        EXPECT_NE(glyph_of(imported, static_cast<std::size_t>(letter)), std::string(12, '\0')) << letter;
    EXPECT_EQ(glyph_of(imported, ' '), std::string(12, '\0'));
    // Box lines join across cells, though accents make the cell taller than they are.
    for (const char line : glyph_of(imported, 0xB3))
        EXPECT_NE(line, 0);
    // The cell is as tall as the ink of the glyphs other than box drawing (0xB0-0xDF) reaches.
    int cell_height = 0, cell_top = 0, first = 12, last = -1;
    const std::size_t cell_at = result.err.find("; cell ");
    ASSERT_NE(cell_at, std::string::npos) << result.err;
    ASSERT_EQ(std::sscanf(result.err.c_str() + cell_at, "; cell %*dx%d at row %d", &cell_height, &cell_top), 2);
    for (std::size_t at = 0; at < imported.size(); ++at)
        if (imported[at] != 0 && (at / 12 < 0xB0 || at / 12 > 0xDF)) {
            first = std::min(first, static_cast<int>(at % 12));
            last = std::max(last, static_cast<int>(at % 12));
        }
    EXPECT_EQ(std::make_pair(first, last), std::make_pair(cell_top, cell_top + cell_height - 1));

    // One pixel larger does not fit, whether the search went down to the
    // size (Sans Mono) or up (Serif).
    for (const std::string &face : {DEJAVU_MONO, DEJAVU_SERIF}) {
        const tool_run chosen = run(FONT_IMPORT + " -v " + quoted(face));
        const std::size_t at = chosen.err.find(" drawn at ");
        ASSERT_TRUE(chosen.status == 0 && at != std::string::npos) << chosen.err;
        const int pixels = std::stoi(chosen.err.substr(at + 10));
        const tool_run larger = run(FONT_IMPORT + " -s " + std::to_string(pixels + 1) + " " + quoted(face));
        EXPECT_NE(larger.err.find("at most 8x12 fit"), std::string::npos) << face << " at " << pixels + 1;
    }

    // Capitals shorter than 7 rows lose their shape: its H is 7 rows tall at 9 px, 6 at 8 px.
    for (const int pixels : {9, 8}) {
        const tool_run sized = run(FONT_IMPORT + " -s " + std::to_string(pixels) + " " + quoted(DEJAVU_MONO));
        const std::string h = glyph_of(read("8x12.fnt"), 'H');
        const long rows = 12 - std::count(h.begin(), h.end(), '\0');
        EXPECT_EQ(rows, pixels - 2);
        EXPECT_EQ(sized.err.find("letters lose their shape") != std::string::npos, rows < 7) << sized.err;
    }

    // A proportional font must be drawn so small that letters lose their shape.
    const tool_run tiny = run(FONT_IMPORT + " " + quoted(DEJAVU_BOLD));
    EXPECT_NE(tiny.err.find("letters lose their shape"), std::string::npos) << tiny.err;
}

namespace {

const std::u32string PC_SYMBOLS = U"☺☻♥♦♣♠•◘○◙♂♀♪♫☼►◄↕‼¶§▬↨↑↓→←∟↔▲▼";

// The characters font_export labels the codes with for a table set: ASCII,
// the set's above 127, and the PC symbols below 32 and at 0x7F.
std::u32string export_labels(const std::string &set)
{
    charset_table table{};
    EXPECT_EQ(load_charset(set, table), "") << set;
    std::u32string labels(256, 0);
    for (std::size_t code = 1; code < 256; ++code)
        labels[code] = code < 0x20 ? PC_SYMBOLS[code - 1]
                       : code == 0x7F ? U'⌂'
                       : code < 0x80 ? static_cast<char32_t>(code)
                       : is_control(table[code]) || table[code] == NO_CHARACTER ? 0
                                                                                : table[code];
    // Each character labels one glyph: the set's own code keeps it.
    for (std::size_t code = 1; code < 0x20; ++code)
        if (labels.find(labels[code], 0x80) != std::u32string::npos)
            labels[code] = 0;
    return labels;
}

std::string error_lines(const tool_run &result, const std::string &name)
{
    std::string text = result.err;
    for (std::size_t at = text.find(name); at != std::string::npos; at = text.find(name, at))
        text.replace(at, name.size(), "FONT");
    return text;
}

}  // namespace

TEST_F(FontImport, ShowsEachCodeThePictureItsYaffLabelsWithIt)
{
    // The test pair's bytes vary with their place: every code shows its own picture.
    const bytes header = recoded_transpose(font, table);
    const struct {
        const char *set, *order, *encoding;
    } sets[] = {{"KOI8-R", "CP866", "koi8-r"}, {"CP1251", "CP1251", "windows-1251"}, {"CP437", "CP437", "oem-437"}};
    for (const auto &set : sets) {
        write("pair.yaff", as_bytes(pair_yaff_text(font, table, set.encoding, export_labels(set.set))));
        const tool_run result =
            run(FONT_IMPORT + " -g " + set.order + " -t " + set.set + " -o out pair.yaff");
        ASSERT_EQ(result.status, 0) << set.set << ": " << result.err;
        EXPECT_EQ(result.err, "") << set.set;
        EXPECT_TRUE(recoded_transpose(as_bytes(read("out/8x12.fnt")), as_bytes(read("out/koi.bin"))) == header)
            << set.set << ": some code shows another picture";
    }

    // A code below 128 shows ASCII's character, whatever the font's set has
    // there: DIN 66003's Ä, at 0x5B, shows at Ä's code and not at 0x5B.
    std::string umlaut = "encoding: iso646-de\ncell-size: 8x12\n\n0x5B:\n    @@@@@@@@\n";
    for (int row = 1; row < 12; ++row)
        umlaut += "    ........\n";
    write("de.yaff", as_bytes(umlaut));
    const tool_run german = run(FONT_IMPORT + " -t ISO-8859-1 -g ISO-8859-1 -o de de.yaff");
    ASSERT_EQ(german.status, 0) << german.err;
    const bytes shown = recoded_transpose(as_bytes(read("de/8x12.fnt")), as_bytes(read("de/koi.bin")));
    EXPECT_EQ(shown[0xC4], 0xFF);  // line 0 of code 0xC4
    for (std::size_t row = 0; row < 12; ++row)
        EXPECT_EQ(shown[row * 256 + 0x5B], 0) << "row " << row;

    // Codes in a set iconv does not know: the glyph known by its code alone
    // is left out, until the set is named.
    write("pair.yaff", as_bytes(pair_yaff_text(font, table, "windows-ansi-2.0", export_labels("KOI8-R"))));
    const tool_run unknown = run(FONT_IMPORT + " -o out pair.yaff");
    EXPECT_EQ(unknown.status, 0);
    EXPECT_EQ(lines_of(unknown.err).front(),
              "font_import: pair.yaff: 1 glyph known only by a code in 'windows-ansi-2.0', a set iconv does not "
              "know: left out; name a set it knows with -e");
    // A name of megabytes is quoted by its start alone.
    write("long.yaff", as_bytes(pair_yaff_text(font, table, std::string(1 << 20, 'q'), export_labels("KOI8-R"))));
    const tool_run long_name = run(FONT_IMPORT + " -o out long.yaff");
    EXPECT_NE(lines_of(long_name.err).front().find(" 'qqq"), std::string::npos);
    EXPECT_LT(lines_of(long_name.err).front().size(), 200u);
    ASSERT_EQ(run(FONT_IMPORT + " -e KOI8-R -o out pair.yaff").status, 0);
    EXPECT_TRUE(recoded_transpose(as_bytes(read("out/8x12.fnt")), as_bytes(read("out/koi.bin"))) == header);

    // A second glyph under a label is named, and the first kept.
    const std::string pair = pair_yaff_text(font, table, "koi8-r", export_labels("KOI8-R"));
    const std::string twice_text = pair + "\n0x41:\n    @@\n\nu+0416:\n    @@\n";
    write("twice.yaff", as_bytes(twice_text));
    const tool_run twice = run(FONT_IMPORT + " -o out twice.yaff");
    EXPECT_EQ(twice.status, 0);
    const auto line_at = [&twice_text](std::size_t at) {
        return std::to_string(std::count(twice_text.begin(), twice_text.begin() + static_cast<std::ptrdiff_t>(at), '\n') + 1);
    };
    EXPECT_EQ(twice.err, "font_import: twice.yaff:" + line_at(pair.size() + 1) +
                             ": a second glyph for code 0x41, after line " + line_at(pair.find("\n0x41:") + 1) +
                             ": the first is kept\nfont_import: twice.yaff:" + line_at(twice_text.rfind("u+0416:")) +
                             ": a second glyph for U+0416 Ж, after line " + line_at(pair.find("\nu+0416:")) +
                             ": the first is kept\n");
    EXPECT_TRUE(recoded_transpose(as_bytes(read("out/8x12.fnt")), as_bytes(read("out/koi.bin"))) == header);
}

TEST_F(FontImport, ReadsAYaffAsItReadsTheSameFontInBdf)
{
    bdf_font koi8 = sample_bdf_font();
    koi8.registry = "KOI8";
    koi8.encoding = "R";
    koi8.glyphs.push_back({0xF6, {"#.#.#", ".###.", "#.#.#"}, 0, 0, 5});
    koi8.glyphs.push_back({0x01, {"#####"}, 0, 3, 5});  // a control: only code 1 shows it
    // FreeType maps a font of ISO 8859-1 bytes as Unicode; its byte 0x7F is a code all the same.
    bdf_font latin1 = sample_bdf_font();
    latin1.registry = "ISO8859";
    latin1.glyphs.back() = {0x7F, {"#####"}, 0, 0, 5};  // for │, whose code no byte is
    for (const bdf_font &twins : {sample_bdf_font(), latin1, koi8}) {
        write("twin.bdf", as_bytes(bdf_text(twins)));
        std::string yaff = yaff_text(twins), crlf;
        for (const char c : yaff)
            crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
        write("twin.yaff", as_bytes(yaff));
        write("crlf.yaff", as_bytes("\xEF\xBB\xBF" + crlf));
        const tool_run bdf = run(FONT_IMPORT + " -o bdf twin.bdf");
        ASSERT_EQ(bdf.status, 0) << bdf.err;
        for (const char *name : {"twin.yaff", "crlf.yaff"}) {
            const tool_run yaff_run = run(FONT_IMPORT + " -o yaff " + name);
            ASSERT_EQ(yaff_run.status, 0) << yaff_run.err;
            EXPECT_EQ(error_lines(yaff_run, name), error_lines(bdf, "twin.bdf")) << twins.registry;
            EXPECT_EQ(read("yaff/8x12.fnt"), read("bdf/8x12.fnt")) << twins.registry << " " << name;
            EXPECT_EQ(read("yaff/koi.bin"), read("bdf/koi.bin")) << twins.registry << " " << name;
        }
        EXPECT_EQ(glyph_of(read("yaff/8x12.fnt"), 0x7F) != std::string(12, '\0'), twins.registry == "ISO8859") << twins.registry;
    }
    EXPECT_EQ(glyph_of(read("yaff/8x12.fnt"), 1), lines({0, 0, 0, 0, 0xF8, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(lines_of(run(FONT_IMPORT + " -v twin.yaff").err).back(),
              "font_import: twin.yaff: yaff at 8 px, its only size; cell 5x8 at row 2; "
              "5 characters placed, 218 missing, 1 cut");
}

TEST_F(FontImport, TakesPicturesOfOnesOwnAndRefusesThoseNoCodeCanShow)
{
    const std::string sample = quoted(SAMPLE + "/6x12.pcf.gz");
    const std::string degree = "u+00B0:\n    .@@.\n    @..@\n    .@@.\n";
    const std::string battery = "0x01:\n" + std::string(12, ' ').replace(4, 8, ".@@@@@@.") + "\n";
    write("own.yaff", as_bytes("# a degree sign and a battery\n" + degree + "\n" + battery));
    ASSERT_EQ(run(FONT_IMPORT + " -o plain " + sample).status, 0);
    const tool_run own = run(FONT_IMPORT + " -v --glyphs=own.yaff -o own " + sample);
    ASSERT_EQ(own.status, 0) << own.err;
    EXPECT_NE(own.err.find("; 2 pictures from own.yaff\n"), std::string::npos) << own.err;

    // Code 1 shows the battery, KOI8-R's ° (0x9C) the degree sign, and
    // every other code what it showed, though code 1's slot was a spare.
    const bytes plain = recoded_transpose(as_bytes(read("plain/8x12.fnt")), as_bytes(read("plain/koi.bin")));
    const bytes mine = recoded_transpose(as_bytes(read("own/8x12.fnt")), as_bytes(read("own/koi.bin")));
    ASSERT_EQ(mine.size(), 3072u);
    const std::string battery_rows = lines({0x7E, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
    const std::string degree_rows = lines({0x60, 0x90, 0x60, 0, 0, 0, 0, 0, 0, 0, 0, 0});
    for (std::size_t code = 0; code < 256; ++code)
        for (std::size_t row = 0; row < 12; ++row) {
            const std::uint8_t wanted = code == 1      ? static_cast<std::uint8_t>(battery_rows[row])
                                        : code == 0x9C ? static_cast<std::uint8_t>(degree_rows[row])
                                                       : plain[row * 256 + code];
            EXPECT_EQ(mine[row * 256 + code], wanted) << "code " << code << " row " << row;
        }

    const struct {
        const char *name, *text, *message;
    } cases[] = {
        // A character goes at a free code, and keeps the code it has.
        {"used.yaff", "0xC1:\nu+1f50b:\n    @\n",
         "used.yaff:1: 0xC1 is U+0430 а in KOI8-R: label U+1F50B 🔋 with a free code (0x01-0x09, 0x0B-0x1F, 0x7F)"},
        {"kept.yaff", "0x01:\n'°':\n    @\n", "kept.yaff:1: U+00B0 ° is 0x9C in KOI8-R: it keeps its code"},
        {"line.yaff", "0x0A:\nu+263a:\n    @\n",
         "line.yaff:1: 0x0A ends a line: no character goes there: label U+263A ☺ with a free code (0x01-0x09, "
         "0x0B-0x1F, 0x7F)"},
        {"wide.yaff", "0x02:\n    @@@@@@@@@\n", "wide.yaff:1: a picture of 9x1: at most 8x12"},
        {"tall.yaff", "0x02:\n    @\n    @\n    @\n    @\n    @\n    @\n    @\n    @\n    @\n    @\n    @\n    @\n    @\n",
         "tall.yaff:1: a picture of 1x13: at most 8x12"},
        {"moved.yaff", "0x02:\n    @\n\n    shift-up: 1\n",
         "moved.yaff:4: a picture has no metrics: it fills its slot from the top-left corner"},
        {"tag.yaff", "\"battery\":\n    @\n", "tag.yaff:1: a picture needs a character or a code label"},
        {"code.yaff", "0x100:\n    @\n", "code.yaff:1: code 0x100: codes are 0x00 to 0xFF"},
        {"twice.yaff", "0x02:\n    @\n0x02:\n    .\n", "twice.yaff:3: a second picture for code 0x02, after line 1"},
        // A code named by its character and by its number: in ASCII, in KOI8-R, in a spare slot.
        {"ascii.yaff", "'A':\n    @\n0x41:\n    .\n", "ascii.yaff:3: a second picture for code 0x41 (U+0041 A), after line 1"},
        {"upper.yaff", "0xC1:\n    @\nu+0430:\n    .\n", "upper.yaff:3: a second picture for code 0xC1 (U+0430 а), after line 1"},
        {"spare.yaff", "u+2320:\n    @\n\n0x01:\n    .\n", "spare.yaff:4: a second picture for code 0x01 (U+2320 ⌠), after line 1"},
        {"none.yaff", "# nothing\n", "none.yaff: has no pictures"},
        // A character no code may hold would make a record no tool reads.
        {"nul.yaff", "u+0000:\n    @\n", "nul.yaff:1: U+0000 is a control character: no code may hold it"},
        {"tab.yaff", "0x01:\nu+0009:\n    @\n", "tab.yaff:1: U+0009 is a control character: no code may hold it"},
        {"delete.yaff", "0x02:\nu+007f:\n    @\n", "delete.yaff:1: U+007F is a control character: no code may hold it"},
        {"c1.yaff", "0x02:\nu+0085:\n    @\n", "c1.yaff:1: U+0085 is a control character: no code may hold it"},
        {"nonchar.yaff", "u+fffe:\n    @\n", "nonchar.yaff:1: U+FFFE \uFFFE is a noncharacter: no code may hold it"},
        {"plane.yaff", "0x02:\nu+10ffff:\n    @\n", "plane.yaff:1: U+10FFFF \U0010FFFF is a noncharacter: no code may hold it"},
        {"bad.yaff", "0x02:\n    @@\n    @\n", "bad.yaff:3: a row of 1 pixels in a glyph 2 wide"},
    };
    for (const auto &bad : cases)
        write(bad.name, as_bytes(bad.text));
    const std::string with_cases = run("ls -A").out;
    for (const auto &bad : cases) {
        const tool_run refused = run(FONT_IMPORT + " --glyphs=" + bad.name + " " + sample);
        EXPECT_EQ(refused.status, 1) << bad.name;
        EXPECT_EQ(refused.err, "font_import: " + std::string(bad.message) + "\n");
        EXPECT_EQ(run("ls -A").out, with_cases) << bad.name;
        EXPECT_EQ(read("8x12.fnt"), "old font") << bad.name;
    }
    EXPECT_EQ(run(FONT_IMPORT + " --glyphs=missing.yaff " + sample).err,
              "font_import: missing.yaff: No such file or directory\n");
    EXPECT_EQ(run(FONT_IMPORT + " --glyphs= " + sample).status, 2);
}

namespace {

// The picture code shows in the pair in dir: its 12 lines.
std::string shown_by(const ToolInputs &inputs, const std::string &dir, std::size_t code)
{
    const bytes header = recoded_transpose(as_bytes(inputs.read(dir + "/8x12.fnt")), as_bytes(inputs.read(dir + "/koi.bin")));
    std::string lines;
    for (std::size_t row = 0; row < 12 && header.size() == 3072; ++row)
        lines += static_cast<char>(header[row * 256 + code]);
    return lines;
}

// The lines of a record that give codes their characters.
std::string free_code_lines(const std::string &record)
{
    std::string lines;
    for (const std::string &line : lines_of(record))
        if (line.rfind("0x", 0) == 0)
            lines += line + "\n";
    return lines;
}

}  // namespace

// Every character the UI text uses that the table set lacks gets a free code,
// lowest first, in the order of their numbers, its picture the font's own.
TEST_F(FontImport, GivesEachCharacterTheTextUsesAFreeCode)
{
    const std::string sample = quoted(SAMPLE + "/6x12.pcf.gz");
    write("ui.c", as_bytes("// Ω € in a comment are no text\nconst char *de = \"Grüße °\", *el = u8\"αβγ\";\n"
                           "const char *more = \"\\u00E4\";\n"));
    write("menu.txt", as_bytes("Ωmega ß\n"));
    ASSERT_EQ(run(FONT_IMPORT + " -o latin -g ISO-8859-1 -t ISO-8859-1 " + sample).status, 0);
    ASSERT_EQ(run(FONT_IMPORT + " -o plain " + sample).status, 0);
    const tool_run own = run(FONT_IMPORT + " -v -o own --text=ui.c --text=menu.txt " + sample);
    ASSERT_EQ(own.status, 0) << own.err;
    EXPECT_NE(own.err.find("; 4 characters added at free codes\n"), std::string::npos) << own.err;
    EXPECT_EQ(free_code_lines(read("own/koi.sets")).rfind("0x01: U+00DF ß\n0x02: U+00E4 ä\n0x03: U+00FC ü\n0x04: U+03A9 Ω\n"
                                                          "0x09: U+25CB ○\n", 0),
              0u);
    // Each shows the font's own glyph, as ISO 8859-1's code for it does.
    for (const auto &[code, latin] : {std::pair{1, 0xDF}, {2, 0xE4}, {3, 0xFC}})
        EXPECT_EQ(shown_by(*this, "own", static_cast<std::size_t>(code)), shown_by(*this, "latin", static_cast<std::size_t>(latin)))
            << "code " << code;
    EXPECT_EQ(shown_by(*this, "own", 0xC1), shown_by(*this, "plain", 0xC1));  // KOI8-R's а as ever

    // The same inputs in another order give the same bytes.
    ASSERT_EQ(run(FONT_IMPORT + " -o again --text=menu.txt --text=ui.c " + sample).status, 0);
    for (const char *file : {"8x12.fnt", "koi.bin", "koi.sets"})
        EXPECT_TRUE(read(std::string("own/") + file) == read(std::string("again/") + file)) << file;

    // A code a picture of one's own is for is taken.
    write("one.yaff", as_bytes("0x01:\n    @\n"));
    ASSERT_EQ(run(FONT_IMPORT + " -o taken --glyphs=one.yaff --text=menu.txt " + sample).status, 0);
    EXPECT_EQ(free_code_lines(read("taken/koi.sets")).rfind("0x02: U+00DF ß\n0x03: U+03A9 Ω\n", 0), 0u);

    // A yaff's character at a code its own set uses gets no code the table
    // set leaves free: KOI8-R's ≤ at 0x98, a code CP1251 leaves free.
    std::string bar;
    for (int row = 0; row < 12; ++row)
        bar += "    @.......\n";
    write("koi8.yaff", as_bytes("encoding: koi8-r\ncell-size: 8x12\n\n0x41:\nu+0041:\n" + bar + "\n0x98:\nu+2264:\n" + bar));
    ASSERT_EQ(run(FONT_IMPORT + " -t CP1251 -g CP1251 -o cp1251 koi8.yaff").status, 0);
    EXPECT_EQ(free_code_lines(read("cp1251/koi.sets")), "");

    // A character a free code shows already (a PC symbol) keeps that code:
    // a text or a picture for it changes no code the pair had without them.
    write("arrows.txt", as_bytes("↑ ← ♪\n"));
    write("mixed.txt", as_bytes("ß ↑\n"));
    write("up.yaff", as_bytes("u+2191:\n    @\n"));
    const std::string plain_codes = free_code_lines(read("plain/koi.sets"));
    const struct {
        const char *dir, *options, *added, *up;  // the lines added to the record; what 0x18 shows
    } laid_out[] = {
        {"arrows", "--text=arrows.txt", "", nullptr},
        {"mixed", "--text=mixed.txt", "0x01: U+00DF ß\n", nullptr},
        {"up", "--glyphs=up.yaff", "", "\x80"},
    };
    for (const auto &row : laid_out) {
        ASSERT_EQ(run(FONT_IMPORT + " -o " + row.dir + " " + row.options + " " + sample).status, 0) << row.dir;
        EXPECT_EQ(free_code_lines(read(std::string(row.dir) + "/koi.sets")), row.added + plain_codes) << row.dir;
        EXPECT_EQ(shown_by(*this, row.dir, 0x18),
                  row.up != nullptr ? std::string(row.up) + std::string(11, '\0') : shown_by(*this, "plain", 0x18))
            << row.dir;
    }
    for (const char *file : {"8x12.fnt", "koi.bin", "koi.sets"})
        EXPECT_TRUE(read(std::string("arrows/") + file) == read(std::string("plain/") + file)) << file;

    // With ASCII for a table set, the upper half is the text's too.
    std::string alphabets = "АБВГДЕЖЗИЙКЛМНОПРСТУФХЦЧШЩЪЫЬЭЮЯабвгдеёжзийклмнопрстуфхцчшщъыьэюяäöüß";
    write("alphabets.txt", as_bytes(alphabets));
    ASSERT_EQ(run(FONT_IMPORT + " -t ASCII -o ascii --text=alphabets.txt " + sample).status, 0);
    const std::string record = read("ascii/koi.sets");
    EXPECT_NE(record.find("\n0x01: U+00DF ß\n"), std::string::npos);
    EXPECT_NE(record.find("\n0x7F: U+042A Ъ\n0x80: U+042B Ы\n"), std::string::npos) << record;
    EXPECT_NE(record.find("\n0xA5: U+0451 ё\n"), std::string::npos) << record;
    EXPECT_EQ(shown_by(*this, "ascii", 0xA5), shown_by(*this, "plain", 0xA3));  // KOI8-R's ё

    // Its yaff, which has only what the codes show, gives the same pair back:
    // the same table, record and header; Π at 0x80 is not shown through
    // CP866's П, a slot no code shows, which the yaff does not have.
    const struct {
        const char *name, *text;
    } round_trips[] = {
        {"ui.c", "const char *ui[] = {\"Громкость\", \"Lautstärke\", \"Πλοίο Καλημέρα κόσμε\"};\n"},
        {"pi.txt", "ÀÁÂÃÄÅÆÇÈÉÊËÌÍÎÏÐÑÒÓÔÕÖØÙÚÛÜÝÞß Π\n"},
    };
    for (const auto &trip : round_trips) {
        write(trip.name, as_bytes(trip.text));
        ASSERT_EQ(run(FONT_IMPORT + " -t ASCII -o ui --text=" + trip.name + " " + sample).status, 0) << trip.name;
        const tool_run back = run(FONT_EXPORT + " -f ui ui.yaff && " + FONT_IMPORT + " -t ASCII -o back ui.yaff");
        ASSERT_EQ(back.status, 0) << back.err;
        for (const char *file : {"koi.bin", "koi.sets"})
            EXPECT_TRUE(read(std::string("ui/") + file) == read(std::string("back/") + file)) << trip.name << " " << file;
        EXPECT_TRUE(recoded_transpose(as_bytes(read("ui/8x12.fnt")), as_bytes(read("ui/koi.bin"))) ==
                    recoded_transpose(as_bytes(read("back/8x12.fnt")), as_bytes(read("back/koi.bin"))))
            << trip.name;
    }
}

// A character the font cannot draw, or that no free code is left for, is
// named at its first place, and nothing is written.
TEST_F(FontImport, RefusesTheCharactersItCannotGiveACode)
{
    const std::string sample = quoted(SAMPLE + "/6x12.pcf.gz");
    write("ui.c", as_bytes("const char *a = \"ok\";\nconst char *b = \"中文 ß\";\n"));
    const tool_run undrawable = run(FONT_IMPORT + " --text=ui.c " + sample);
    EXPECT_EQ(undrawable.status, 1);
    EXPECT_EQ(undrawable.err, "font_import: ui.c:2:18: U+4E2D 中: no glyph in " + SAMPLE + "/6x12.pcf.gz\n"
                              "font_import: ui.c:2:19: U+6587 文: no glyph in " + SAMPLE + "/6x12.pcf.gz\n");

    // A text font_text would refuse is refused here, at the same place.
    const struct {
        const char *name, *text, *error;
    } unreadable[] = {
        {"bytes.txt", "ok\n\xff\xfe \xcf\x89\n", "bytes.txt:2:1: byte 0xFF is not UTF-8"},
        {"open.c", "const char *a = \"\xcf\x89\"; /* open\n", "open.c:1:22: unterminated comment"},
        {"escape.c", "const char *a = \"\\\xd0\x96\";\n", "escape.c:1:18: unknown escape sequence"},
    };
    for (const auto &text : unreadable) {
        write(text.name, as_bytes(text.text));
        const tool_run refused = run(FONT_IMPORT + " --text=" + text.name + " " + sample);
        EXPECT_EQ(refused.status, 1) << text.name;
        EXPECT_EQ(refused.err.rfind(std::string("font_import: ") + text.error, 0), 0u) << refused.err;
    }

    // KOI8-R leaves 31 codes free: of 34 Greek letters, the last 3 by their
    // numbers get none, named in one message with a set that gives every
    // one a code; a character the font cannot draw wants none.
    const std::string greek = "αβγδεζηθικλμνξοπρστυφχψωΑΒΓΔΕΖΗΘΙΚ中";
    write("greek.txt", as_bytes("ok\n" + greek));
    const tool_run overflow = run(FONT_IMPORT + " --text=greek.txt " + sample);
    EXPECT_EQ(overflow.status, 1);
    EXPECT_EQ(lines_of(overflow.err),
              (std::vector<std::string>{"font_import: greek.txt:2:35: U+4E2D 中: no glyph in " + SAMPLE +
                                            "/6x12.pcf.gz",
                                        "font_import: greek.txt:2:22: 34 characters need a free code and 31 are "
                                        "free in KOI8-R: U+03C7 χ, U+03C8 ψ and U+03C9 ω have none; -t ISO-8859-7 "
                                        "-g ISO-8859-7 gives every one a code"}));
    EXPECT_EQ(read("8x12.fnt"), "old font");
    EXPECT_EQ(run("ls -A").out, "8x12.fnt\nbytes.txt\nescape.c\ngreek.txt\nkoi.bin\nopen.c\nui.c\n");
}

// A code the text writes itself, by an escape or a control character, is no
// character's of one's own: the driver or the font's own glyph has it. So is
// a code --keep-codes names. font_text refuses an escape at a code that a
// pair made without the text gives a character of one's own.
TEST_F(FontImport, KeepsTheCodesTheTextWritesFree)
{
    const std::string sample = quoted(SAMPLE + "/6x12.pcf.gz");
    write("ui.c", as_bytes("const char *a = \"Straße\\n\", *b = \"21\\001C\", *t = \"T:\\t21\", *e = \"\\033[0m\";\n"));
    write("menu.txt", as_bytes("Tab:\tÄ\x1c\n"));
    const std::string texts = " --text=ui.c --text=menu.txt ";
    ASSERT_EQ(run(FONT_IMPORT + " -o own" + texts + sample).status, 0);
    const std::string codes = free_code_lines(read("own/koi.sets"));
    EXPECT_EQ(codes.rfind("0x02: U+00C4 Ä\n0x03: U+00DF ß\n", 0), 0u) << codes;
    for (const char *written : {"0x01:", "0x09:", "0x1B:", "0x1C:"})  // not even the PC symbols
        EXPECT_EQ(codes.find(written), std::string::npos) << written;
    for (const char *text : {"ui.c", "menu.txt"}) {
        const tool_run checked = run(FONT_TEXT + " -f own " + text);
        EXPECT_EQ(checked.status, 0) << text << ": " << checked.err;
    }

    // Codes a display's driver takes for its own: hex, decimal, runs.
    ASSERT_EQ(run(FONT_IMPORT + " -o kept --keep-codes=0x02-0x03,4 --keep-codes=0X05" + texts + sample).status, 0);
    EXPECT_EQ(free_code_lines(read("kept/koi.sets")).rfind("0x06: U+00C4 Ä\n0x07: U+00DF ß\n", 0), 0u);
    for (const char *bad : {"", "0x", "256", "0x100", "1,,2", "9-3", "-1", "0x1G", " 1", "1-", "0x02,"}) {
        const tool_run refused = run(FONT_IMPORT + " --keep-codes=" + quoted(bad) + " " + sample);
        EXPECT_EQ(refused.status, 2) << bad;
        EXPECT_EQ(lines_of(refused.err).at(0).rfind("font_import: invalid --keep-codes", 0), 0u) << refused.err;
    }

    // A pair made for "Straße" alone gives ß code 1, which "21\001C" writes:
    // the device would draw 21ßC. font_text names the character there.
    write("word.c", as_bytes("const char *a = \"Straße\";\n"));
    ASSERT_EQ(run(FONT_IMPORT + " -o word --text=word.c " + sample).status, 0);
    ASSERT_EQ(free_code_lines(read("word/koi.sets")).rfind("0x01: U+00DF ß\n", 0), 0u);
    const tool_run refused = run(FONT_TEXT + " -f word -o out.c ui.c");
    EXPECT_EQ(refused.status, 1);
    EXPECT_EQ(refused.err, "font_text: ui.c:1:37: \\001: code 0x01 shows U+00DF ß, a character of one's own: "
                           "font_import --text keeps the codes a text writes free\n");
    EXPECT_EQ(run("ls out.c").status, 2);
    write("tabbed.txt", as_bytes("a\x01z\n"));
    EXPECT_EQ(run(FONT_TEXT + " -f word tabbed.txt").err,
              "font_text: tabbed.txt:1:2: U+0001: code 0x01 shows U+00DF ß, a character of one's own: "
              "font_import --text keeps the codes a text writes free\n");

    // DEL is a control character too: typed in a text, its code is the text's own.
    write("del.txt", as_bytes("a\x7fz\n"));
    ASSERT_EQ(run(FONT_IMPORT + " -o last --keep-codes=1-31 --text=word.c " + sample).status, 0);
    ASSERT_NE(free_code_lines(read("last/koi.sets")).find("0x7F: U+00DF ß\n"), std::string::npos);
    EXPECT_EQ(run(FONT_TEXT + " -f last del.txt").err,
              "font_text: del.txt:1:2: U+007F: code 0x7F shows U+00DF ß, a character of one's own: "
              "font_import --text keeps the codes a text writes free\n");
    const tool_run none_left = run(FONT_IMPORT + " -o none --keep-codes=1-31 --text=word.c --text=del.txt " + sample);
    EXPECT_EQ(none_left.status, 1);
    EXPECT_EQ(none_left.err.rfind("font_import: word.c:1:22: 1 character needs a free code and 0 are free in KOI8-R", 0),
              0u)
        << none_left.err;
}

// font_import --text makes no pair that font_text -f would refuse the text
// for: what it refuses, it refuses too, at the same place.
TEST_F(FontImport, RefusesWhatFontTextWouldRefuseTheTextFor)
{
    const std::string sample = quoted(SAMPLE + "/6x12.pcf.gz");
    // ◙ is the PC symbol at 0x0A, which ends a line: it takes another code.
    write("square.c", as_bytes("const char *a = \"◙\";\n"));
    ASSERT_EQ(run(FONT_IMPORT + " -o square --text=square.c " + sample).status, 0);
    EXPECT_EQ(free_code_lines(read("square/koi.sets")).rfind("0x01: U+25D9 ◙\n", 0), 0u);
    EXPECT_EQ(run(FONT_TEXT + " -f square square.c").status, 0);

    write("blank.yaff", as_bytes("'A':\n    .\n"));
    const struct {
        const char *name, *text, *options, *error;
    } refused[] = {
        {"c1.c", "const char *a = \"\\u0085\";\n", "", "c1.c:1:18: U+0085: no code in KOI8-R"},
        {"nonchar.txt", "ok \xef\xbf\xbe\n", "", "nonchar.txt:1:4: U+FFFE \uFFFE: no code in KOI8-R"},
        {"blank.txt", "OK, A\n", " --glyphs=blank.yaff", "blank.txt:1:5: U+0041 A: shows a blank glyph"},
    };
    for (const auto &text : refused) {
        write(text.name, as_bytes(text.text));
        const tool_run imported = run(FONT_IMPORT + text.options + " -o made --text=" + text.name + " " + sample);
        EXPECT_EQ(imported.status, 1) << text.name;
        EXPECT_EQ(imported.err, "font_import: " + std::string(text.error) + "\n");
        EXPECT_EQ(run("ls made").status, 2) << text.name;
        ASSERT_EQ(run(FONT_IMPORT + text.options + " -o pair " + sample).status, 0) << text.name;
        EXPECT_EQ(run(FONT_TEXT + " -f pair " + text.name).err, "font_text: " + std::string(text.error) + "\n");
    }
}

// When the characters do not all fit the free codes, pictures keep theirs,
// and one message says how many need one and are free, which are left out,
// and a table set that gives every one a code: one that does.
TEST_F(FontImport, NamesInOneMessageWhatNoFreeCodeIsLeftFor)
{
    const std::string sample = quoted(SAMPLE + "/6x12.pcf.gz");
    write("battery.yaff", as_bytes("u+1f50b:\n    .@@@@.\n"));
    std::string greek;
    for (char32_t c = U'\u03b1'; c <= U'\u03c9'; ++c)  // ς too: 25 letters, and 6 more and the battery
        greek += utf8(c);
    write("greek.c", as_bytes("const char *g = \"" + greek + " äöüßéè\";\n"));
    const tool_run overflow = run(FONT_IMPORT + " --glyphs=battery.yaff --text=greek.c " + sample);
    EXPECT_EQ(overflow.status, 1);
    EXPECT_EQ(overflow.err, "font_import: greek.c:1:42: 32 characters need a free code and 31 are free in KOI8-R: "
                            "U+03C9 ω has none; -t ISO-8859-7 -g ISO-8859-7 gives every one a code\n");
    EXPECT_EQ(read("8x12.fnt"), "old font");
    // The codes the text writes itself are not free: one message still.
    write("escaped.c", as_bytes("const char *g = \"" + greek + " äöüßéè\\001\\002\";\n"));
    EXPECT_EQ(lines_of(run(FONT_IMPORT + " --glyphs=battery.yaff --text=escaped.c " + sample).err),
              std::vector<std::string>{"font_import: escaped.c:1:40: 32 characters need a free code and 29 are free in "
                                       "KOI8-R (0x01-0x02 kept free): U+03C7 χ, U+03C8 ψ and U+03C9 ω have none; -t "
                                       "ISO-8859-7 -g ISO-8859-7 gives every one a code"});
    const tool_run suggested =
        run(FONT_IMPORT + " -t ISO-8859-7 -g ISO-8859-7 -o greek --glyphs=battery.yaff --text=greek.c " + sample);
    ASSERT_EQ(suggested.status, 0) << suggested.err;
    EXPECT_EQ(free_code_lines(read("greek/koi.sets")).rfind("0x01: U+1F50B 🔋\n", 0), 0u);
    EXPECT_EQ(run(FONT_TEXT + " -f greek greek.c").status, 0);

    // Where no set of its own holds enough, ASCII leaves all 128 upper codes free.
    std::string alphabets = greek;
    for (char32_t c = U'\u0391'; c <= U'\u03a9'; ++c)
        alphabets += c == U'\u03a2' ? "" : utf8(c);
    for (char32_t c = U'\u0410'; c <= U'\u044f'; ++c)
        alphabets += utf8(c);
    for (char32_t c = U'\u00c0'; c <= U'\u00d6'; ++c)
        alphabets += utf8(c);
    write("many.txt", as_bytes(alphabets + "\n"));
    const tool_run many = run(FONT_IMPORT + " --text=many.txt " + sample);
    EXPECT_EQ(many.status, 1);
    ASSERT_EQ(lines_of(many.err).size(), 1u) << many.err;
    EXPECT_NE(many.err.find("; -t ASCII gives every one a code\n"), std::string::npos) << many.err;
    ASSERT_EQ(run(FONT_IMPORT + " -t ASCII -o ascii --text=many.txt " + sample).status, 0);
    EXPECT_EQ(run(FONT_TEXT + " -f ascii many.txt").status, 0);
}
