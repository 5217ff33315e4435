// font_sheet run end to end; its pictures are decoded with libpng.
#include <png.h>

#include <csetjmp>
#include <cstdio>

#include "font_sheet/preview.h"
#include "font_sheet/sheet.h"
#include "tool_inputs.h"

namespace {

const std::string FONT_SHEET = quoted(FONT_SHEET_PATH);

[[noreturn]] void on_png_error(png_structp png, png_const_charp)
{
    png_longjmp(png, 1);
}

// Grey levels of a sheet's PNG file, row after row; empty if it is no sheet
// or anything is wrong with the file, to its end chunk.
bytes decode_sheet(const std::string &path)
{
    std::FILE *file = std::fopen(path.c_str(), "rb");
    if (file == nullptr)
        return {};
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, on_png_error, nullptr);
    png_infop info = png_create_info_struct(png);
    bytes pixels(SHEET_WIDTH * SHEET_HEIGHT);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        std::fclose(file);
        return {};
    }
    png_init_io(png, file);
    png_read_info(png, info);
    if (png_get_image_width(png, info) != SHEET_WIDTH || png_get_image_height(png, info) != SHEET_HEIGHT ||
        png_get_color_type(png, info) != PNG_COLOR_TYPE_GRAY || png_get_bit_depth(png, info) != 8)
        png_error(png, "not a sheet");
    for (std::size_t row = 0; row < SHEET_HEIGHT; ++row)
        png_read_row(png, &pixels[row * SHEET_WIDTH], nullptr);
    png_read_end(png, nullptr);
    const bool whole = std::fgetc(file) == EOF;
    png_destroy_read_struct(&png, &info, nullptr);
    std::fclose(file);
    return whole ? pixels : bytes{};
}

// Red, green and blue of a PNG file, and its size.
bytes decode_rgb(const std::string &path, png_uint_32 &width, png_uint_32 &height)
{
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str()))
        return {};
    image.format = PNG_FORMAT_RGB;
    bytes samples(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, samples.data(), 0, nullptr))
        return {};
    width = image.width;
    height = image.height;
    return samples;
}

}  // namespace

using FontSheet = ToolInputs;

TEST_F(FontSheet, DrawsEveryCodeAsTheHeaderShowsIt)
{
    // A glyph that uses both edge pixels shows bit-order and off-by-one faults.
    for (std::size_t line = 0; line < 12; ++line)
        font['H' * 12 + line] = line % 2 ? 0x81 : 0x80;
    SetUp();
    const tool_run result = run(FONT_SHEET + " sheet.png");
    ASSERT_EQ(result.status, 0) << result.err;
    const bytes pixels = decode_sheet(file("sheet.png"));
    ASSERT_FALSE(pixels.empty());

    const bytes array = recoded_transpose(font, table);
    std::size_t wrong = 0;
    for (std::size_t code = 0; code < 256; ++code)
        for (std::size_t line = 0; line < 12; ++line)
            for (std::size_t column = 0; column < 8; ++column) {
                const bool ink = array[line * 256 + code] >> (7 - column) & 1;
                const auto c = static_cast<std::uint8_t>(code);
                for (std::size_t i = 0; i < PIXEL_SCALE * PIXEL_SCALE; ++i) {
                    const std::size_t x = cell_x(c) + column * PIXEL_SCALE + i % PIXEL_SCALE;
                    const std::size_t y = cell_y(c) + line * PIXEL_SCALE + i / PIXEL_SCALE;
                    if (pixels[y * SHEET_WIDTH + x] != (ink ? INK : PAPER) && wrong++ == 0)
                        ADD_FAILURE() << "code " << code << " line " << line << " column " << column;
                }
            }
    EXPECT_EQ(wrong, 0u);
}

TEST_F(FontSheet, LabelsInDigitsOfItsOwn)
{
    ASSERT_EQ(run(FONT_SHEET + " sheet.png").status, 0);
    const bytes drawn = decode_sheet(file("sheet.png"));
    font.assign(font.size(), 0);
    SetUp();
    ASSERT_EQ(run(FONT_SHEET + " blank.png").status, 0);
    const bytes blank = decode_sheet(file("blank.png"));
    ASSERT_FALSE(drawn.empty() || blank.empty());
    const auto label_ink = [](const bytes &pixels) {
        std::size_t ink = 0;
        for (std::size_t y = 0; y < SHEET_HEIGHT; ++y)
            for (std::size_t x = 0; x < SHEET_WIDTH; ++x)
                ink += (x < LEFT_MARGIN || y < TOP_MARGIN) && pixels[y * SHEET_WIDTH + x] == INK;
        return ink;
    };
    EXPECT_GT(label_ink(blank), 0u);
    EXPECT_EQ(label_ink(blank), label_ink(drawn));
}

TEST_F(FontSheet, CommittedSampleSheetIsCurrent)
{
    ASSERT_EQ(run("cd " + quoted(SOURCE_DIR "/sample") + " && " + FONT_SHEET + " " + quoted(file("sheet.png"))).status, 0);
    const bytes committed = decode_sheet(SOURCE_DIR "/docs/sample-sheet.png");
    ASSERT_FALSE(committed.empty());
    EXPECT_TRUE(decode_sheet(file("sheet.png")) == committed) << "redraw it as docs/fonts.md says";
}

TEST_F(FontSheet, TakesOptionsTheGnuWay)
{
    const tool_run help = run(FONT_SHEET + " --help");
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.out.rfind("Usage: font_sheet [OPTION]... OUT.png\n", 0), 0u) << help.out;
    EXPECT_EQ(help.err, "");
    const tool_run version = run(FONT_SHEET + " --version");
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, "font_sheet " MAKE_H_VERSION "\n");

    const struct {
        const char *arguments, *message;
    } misuses[] = {
        {"", "missing OUT.png operand"},
        {" a.png b.png", "extra operand 'b.png'"},
        {" ''", "OUT.png is an empty name"},
        {" -x.png", "invalid option -- 'x'"},
        {" --frobnicate", "unrecognized option '--frobnicate'"},
        {" --text=t --scale=0 a.png", "invalid --scale '0': 1 to 16"},
        {" --text=t --scale= a.png", "invalid --scale '': 1 to 16"},
        {" --text=t --screen=128x64x a.png", "invalid --screen '128x64x': WxH, each 1 to 4096 pixels"},
    };
    for (const auto &misuse : misuses) {
        const tool_run result = run(FONT_SHEET + misuse.arguments);
        EXPECT_EQ(result.status, 2) << misuse.arguments;
        EXPECT_EQ(result.err, "font_sheet: " + std::string(misuse.message) +
                                  "\nTry 'font_sheet --help'.\n");
    }
    EXPECT_EQ(run("ls -A").out, "8x12.fnt\nkoi.bin\n");

    ASSERT_EQ(run(FONT_SHEET + " -- -x.png").status, 0);
    EXPECT_FALSE(decode_sheet(file("-x.png")).empty());
    // A name as long as the file system allows.
    const std::string longest(255, 'n');
    ASSERT_EQ(run(FONT_SHEET + " " + longest).status, 0);
    EXPECT_FALSE(decode_sheet(file(longest)).empty());
}

TEST_F(FontSheet, WritesStandardOutputAndPipesAndChecksThem)
{
    const tool_run piped = run(FONT_SHEET + " -", ">from-stdout.png");
    ASSERT_EQ(piped.status, 0) << piped.err;
    ASSERT_EQ(run(FONT_SHEET + " sheet.png").status, 0);
    EXPECT_EQ(read("from-stdout.png"), read("sheet.png"));
    // A pipe (or a device) at OUT is written to; a rename would put a file in its place.
    const tool_run fifo = run("mkfifo pipe.png && { timeout 10 cat pipe.png >from-pipe.png & " + FONT_SHEET +
                              " pipe.png; } && wait && test -p pipe.png");
    EXPECT_EQ(fifo.status, 0) << fifo.err;
    EXPECT_EQ(read("from-pipe.png"), read("sheet.png"));

    const tool_run full = run(FONT_SHEET + " -", ">/dev/full");
    EXPECT_EQ(full.status, 1);
    EXPECT_EQ(full.err, "font_sheet: standard output: No space left on device\n");
    const tool_run closed = run(FONT_SHEET + " -", ">&-");
    EXPECT_EQ(closed.status, 1);
    EXPECT_EQ(closed.err, "font_sheet: standard output: Bad file descriptor\n");
    EXPECT_EQ(run(FONT_SHEET + " --help", ">/dev/full").status, 1);
}

TEST_F(FontSheet, GivesAReplacedFileItsModeAndANewOneTheUmasks)
{
    // The umask would take bits from the old mode, and give the new file more than 0600.
    ASSERT_EQ(run("umask 027 && " + FONT_SHEET + " new.png && : >old.png && chmod 606 old.png && " +
                  FONT_SHEET + " old.png")
                  .status,
              0);
    EXPECT_EQ(run("stat -c %a new.png old.png").out, "640\n606\n");
    EXPECT_FALSE(decode_sheet(file("old.png")).empty());
}

TEST_F(FontSheet, RejectsBadInputsAndFailedWritesLeavingNoFile)
{
    const tool_run short_table = run("head -c 7 koi.bin >k && mv k koi.bin && " + FONT_SHEET + " a.png");
    EXPECT_NE(short_table.status, 0);
    EXPECT_EQ(short_table.err, "font_sheet: koi.bin: 7 bytes, 128 needed\n");

    SetUp();
    // The directory that refuses the picture is named.
    const tool_run no_dir = run(FONT_SHEET + " missing/a.png");
    EXPECT_NE(no_dir.status, 0);
    EXPECT_EQ(no_dir.err, "font_sheet: missing: No such file or directory\n");
    const tool_run odd_name = run(FONT_SHEET + " 'miss\ning/a.png'");
    EXPECT_EQ(odd_name.err, "font_sheet: 'miss\\ning': No such file or directory\n");
    // The picture gets written, but cannot take the place of a directory.
    const tool_run onto_dir = run("mkdir a.png && " + FONT_SHEET + " a.png");
    EXPECT_NE(onto_dir.status, 0);
    EXPECT_EQ(onto_dir.err, "font_sheet: a.png: Is a directory\n");
    EXPECT_EQ(run("ls -A").out, "8x12.fnt\na.png\nkoi.bin\n");

    // A write that fails half way, new file or old: one line, and nothing changed.
    const std::string half_way = "trap '' XFSZ && ulimit -f 2 && " + FONT_SHEET;
    const tool_run cut = run(half_way + " b.png");
    EXPECT_EQ(cut.status, 1);
    EXPECT_EQ(cut.err, "font_sheet: b.png: File too large\n");
    write("c.png", bytes{'o', 'l', 'd'});
    const tool_run kept = run(half_way + " c.png");
    EXPECT_EQ(kept.status, 1);
    EXPECT_EQ(kept.err, "font_sheet: c.png: File too large\n");
    EXPECT_EQ(read("c.png"), "old");
    // Killed by SIGXFSZ, as a file size limit does by default, it cleans up too.
    EXPECT_NE(run("ulimit -c 0 && ulimit -f 2 && " + FONT_SHEET + " c.png").status, 0);
    EXPECT_EQ(read("c.png"), "old");
    EXPECT_EQ(run("ls -A").out, "8x12.fnt\na.png\nc.png\nkoi.bin\n");

    // No picture goes over a file it reads: the pair, its record, the text.
    write("koi.sets", bytes{'t', 'a', 'b', 'l', 'e', '-', 's', 'e', 't', ':', ' ', 'C', 'P', '8', '6', '6', '\n'});
    write("menu.txt", bytes{'m', 'e', 'n', 'u', '\n'});
    expect_writes_over_none("font_sheet", FONT_SHEET + " --text=menu.txt", {"8x12.fnt", "koi.bin", "koi.sets", "menu.txt"});
}

TEST_F(FontSheet, DrawsTextAsTheDisplayShowsIt)
{
    // A, Ж, € (no code in KOI8-R); a line too wide; lines below the screen.
    const std::string text = "A\u0416\u20AC\n" + std::string(17, 'B') + "\n3\n4\n5\n6\n7\r8\n";
    write("ui.txt", bytes(text.begin(), text.end()));
    const tool_run result = run(FONT_SHEET + " --text=ui.txt --screen=128x64 --scale=2 text.png");
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.err, "font_sheet: ui.txt:1:3: U+20AC \u20AC: no code in KOI8-R\n"
                          "font_sheet: ui.txt:2: 17 characters, 16 fit the screen: cut\n"
                          "font_sheet: ui.txt:6: 3 lines below the screen's 5 rows: cut\n");
    png_uint_32 width = 0, height = 0;
    const bytes rgb = decode_rgb(file("text.png"), width, height);
    ASSERT_EQ(width, 256u);
    ASSERT_EQ(height, 128u);
    const auto pixel = [&](std::size_t x, std::size_t y) {
        return std::vector<std::uint8_t>(rgb.begin() + static_cast<std::ptrdiff_t>((y * width + x) * 3),
                                         rgb.begin() + static_cast<std::ptrdiff_t>((y * width + x) * 3 + 3));
    };
    // Ж is KOI8-R's 0xF6, so its cell shows the glyph the table names for it.
    const std::uint8_t zhe = table[0xF6 - 0x80];
    for (std::size_t line = 0; line < 12; ++line)
        for (std::size_t column = 0; column < 8; ++column) {
            const bool ink = font[zhe * 12 + line] >> (7 - column) & 1;
            EXPECT_EQ(pixel(16 + column * 2 + 1, line * 2 + 1), std::vector<std::uint8_t>(3, ink ? INK : PAPER));
        }
    EXPECT_EQ(pixel(32 + 7, 11), std::vector<std::uint8_t>(MARKED_PAPER.begin(), MARKED_PAPER.end()));
    EXPECT_EQ(pixel(255, 127), std::vector<std::uint8_t>(3, PAPER));  // the spare rows stay blank

    // The set the pair's record names, in which € has a code; a -t that contradicts it is refused.
    const std::string record = "table-set: CP1251\n";
    write("koi.sets", bytes(record.begin(), record.end()));
    const tool_run cp1251 = run(FONT_SHEET + " --text=ui.txt cp1251.png");
    EXPECT_EQ(cp1251.status, 0);
    EXPECT_EQ(cp1251.err, "");
    const tool_run contradicted = run(FONT_SHEET + " -t KOI8-R --text=ui.txt koi8.png");
    EXPECT_EQ(contradicted.status, 1);
    EXPECT_EQ(contradicted.err, "font_sheet: koi.sets: koi.bin is made for CP1251, not for -t KOI8-R\n");

    // A code a control character writes, which the record gives a character
    // of one's own: marked, and named with what the device would draw.
    const std::string own = "table-set: CP1251\n0x01: U+00DF\n";
    write("koi.sets", bytes(own.begin(), own.end()));
    write("tab.txt", bytes{'A', 0x01, 'B', 0x02, '\n'});
    const tool_run marked = run(FONT_SHEET + " --text=tab.txt --scale=1 tab.png");
    EXPECT_EQ(marked.status, 0);
    EXPECT_EQ(marked.err, "font_sheet: tab.txt:1:2: U+0001: code 0x01 shows U+00DF \u00DF, a character of one's "
                          "own: font_import --text keeps the codes a text writes free\n");
    const bytes cells = decode_rgb(file("tab.png"), width, height);
    ASSERT_EQ(width, 32u);
    EXPECT_EQ(std::vector<std::uint8_t>(cells.begin() + 8 * 3 + 7 * 3, cells.begin() + 8 * 3 + 8 * 3),
              std::vector<std::uint8_t>(MARKED_PAPER.begin(), MARKED_PAPER.end()));
    run("rm koi.sets");

    const tool_run misuse = run(FONT_SHEET + " --screen=128x64 sheet.png");
    EXPECT_EQ(misuse.status, 2);
    EXPECT_EQ(lines_of(misuse.err).at(0), "font_sheet: --table, --screen, --scale and --fallback go with --text");

    // A text that cannot be drawn: one line says why, and no picture is written.
    write("a.txt", bytes{'A', '\n'});
    const struct {
        const char *options, *message;
    } refusals[] = {
        {" -t NO-SUCH-SET", "font_sheet: NO-SUCH-SET: unknown character set\n"},
        {" --screen=4096x4096 --scale=2",
         "font_sheet: a.txt: a picture of 8192x8192 pixels is too large: --scale=1 draws it\n"},
        {" --screen=2048x2048 --scale=3",
         "font_sheet: a.txt: a picture of 6144x6144 pixels is too large: --scale=2 draws it\n"},
    };
    for (const auto &refusal : refusals) {
        const tool_run refused = run(FONT_SHEET + " --text=a.txt" + refusal.options + " none.png");
        EXPECT_EQ(refused.status, 1) << refusal.options;
        EXPECT_EQ(refused.err, refusal.message);
    }
    // Wider than a PNG may be (a million pixels): what libpng says, on one line.
    write("wide.txt", bytes(125001, 'A'));
    const tool_run wide = run(FONT_SHEET + " --text=wide.txt --scale=1 none.png");
    EXPECT_EQ(wide.status, 1);
    ASSERT_EQ(lines_of(wide.err).size(), 1u) << wide.err;
    EXPECT_EQ(wide.err.rfind("font_sheet: none.png: ", 0), 0u) << wide.err;
    EXPECT_NE(run("test -e none.png").status, 0);
}

// One cell for an empty text, a box of one column for an empty string, and
// any picture up to MAX_PREVIEW_PIXELS; a line past its room is marked.
TEST(DrawPreview, SizesThePictureToWhatItShowsUpToItsBound)
{
    charset_table koi8r;
    ASSERT_EQ(load_charset("KOI8-R", koi8r), "");
    const text_codes codes(koi8r, "KOI8-R");
    const source_font font{};
    const recode_table table{};
    const struct {
        const char *text;
        bool c_source;
        std::optional<std::size_t> screen_width, screen_height;
        std::size_t scale, width, height;  // 0 wide: refused
    } cases[] = {
        {"", false, {}, {}, 2, 16, 24},
        {"\"\";", true, {}, {}, 1, 2 * (4 + 1) + 8, 4 + 12 + 2 + 4},
        {"A", false, 4096, 4096, 1, 4096, 4096},
        {"A", false, 4096, 4097, 1, 0, 0},
    };
    for (const auto &row : cases) {
        const preview_options options{row.screen_width, row.screen_height, row.scale, row.c_source};
        const text_preview preview = draw_preview(row.text, codes, font, table, options);
        EXPECT_EQ(preview.refused.empty(), row.width != 0) << row.text << " " << preview.refused;
        EXPECT_EQ(std::make_pair(preview.image.width, preview.image.height), std::make_pair(row.width, row.height))
            << row.text;
    }

    // The lines below the screen are named at the first of them, one as one line.
    const text_preview below = draw_preview("a\nb\nc\n", codes, font, table, {128, 24, 1, false});
    ASSERT_EQ(below.problems.shown.size(), 1u);
    EXPECT_EQ(below.problems.shown[0].line, 3u);
    EXPECT_EQ(below.problems.shown[0].what, "1 line below the screen's 2 rows: cut");

    // The second line's first cell, inside a margin of 4 and a frame of 1.
    const preview_options source{{}, {}, 1, true};
    const text_preview two_lines = draw_preview("\"a\\nb\"; // fit: 1x1", codes, font, table, source);
    const std::size_t second_line = ((4 + 1 + 12) * two_lines.image.width + 4 + 1) * 3;
    ASSERT_LT(second_line + 2, two_lines.image.samples.size());
    EXPECT_EQ((colour{two_lines.image.samples[second_line], two_lines.image.samples[second_line + 1],
                      two_lines.image.samples[second_line + 2]}),
              MARKED_PAPER);
}

TEST_F(FontSheet, DrawsEachStringOfASourceInTheBoxOfItsRoom)
{
    // AB in a box of one column; « spelled "<<" in a box of the screen's 8;
    // a log message that is never shown.
    const std::string source = "const char *a = \"AB\"; // fit: 1\n"
                               "const char *b = \"\u00AB\";\n"
                               "const char *c = \"log\"; // fit: none\n";
    write("ui.c", bytes(source.begin(), source.end()));
    const tool_run result = run(FONT_SHEET + " --text=ui.c --fallback --screen=64x12 --scale=1 strings.png");
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.err, "font_sheet: ui.c:1:17: 2 columns, 1 fit\n"
                          "font_sheet: ui.c:2:18: U+00AB \u00AB: no code in KOI8-R, written as \"<<\"\n");
    png_uint_32 width = 0, height = 0;
    const bytes rgb = decode_rgb(file("strings.png"), width, height);
    // A margin and a frame around 8 columns; two boxes of one line, each
    // with its frame and the room below it.
    ASSERT_EQ(width, 2 * (4 + 1) + 8 * 8u);
    ASSERT_EQ(height, 4 + 2 * (12 + 2 + 4u));
    const auto expect_cell = [&](std::uint8_t code, std::size_t x, std::size_t y, const colour &paper) {
        for (std::size_t line = 0; line < 12; ++line)
            for (std::size_t column = 0; column < 8; ++column) {
                const bool ink = font[code * 12 + line] >> (7 - column) & 1;
                const std::size_t at = ((y + line) * width + x + column) * 3;
                const colour shown = {rgb[at], rgb[at + 1], rgb[at + 2]};
                EXPECT_EQ(shown, ink ? grey(INK) : paper) << code << " at " << line << ", " << column;
            }
    };
    expect_cell('A', 5, 5, grey(PAPER));
    expect_cell('B', 5 + 8, 5, MARKED_PAPER);  // outside its box
    expect_cell('<', 5, 5 + 18, grey(PAPER));
    expect_cell('<', 5 + 8, 5 + 18, grey(PAPER));
}

// Every language side by side: a row a message, a column a language, the
// sources' first; an untranslated message on its paper, a fuzzy one on
// its own, a legend below that says which; each plural form a box.
TEST(DrawLanguages, PutsEachMessageInEveryLanguageSideBySide)
{
    charset_table koi8r;
    ASSERT_EQ(load_charset("KOI8-R", koi8r), "");
    const text_codes codes(koi8r, "KOI8-R");
    const source_font font{};  // blank: what a picture shows is its papers
    const recode_table table{};
    const std::string source =
        "const char *title = _(\"Settings\"); // fit: 12\n"
        "const char *files(unsigned long n) { return ui_ntext(\"%lu file\", \"%lu files\", n); } // fit: 12\n";
    text_translations de, ru;
    de.catalog = "de.po";
    de.messages["Settings"] = {"Optionen", 5};
    de.messages["%lu file"] = {"%lu Datei", 8, true, true, {}, {"%lu Datei", "%lu Dateien"}};
    ru.catalog = "po/ru.po";
    ru.messages["%lu file"] = {"%lu \u0444", 5, false, true, {}, {"%lu \u0444", "%lu \u0444\u0430", "%lu \u0444\u043e"}};
    preview_options options{{}, {}, 1, true};
    options.catalogs = {&de, &ru};
    options.keywords = {{"_", false}, {"ui_ntext", true}};
    const text_preview preview = draw_preview(source, codes, font, table, options);
    ASSERT_EQ(preview.refused, "");
    std::vector<std::string> problems;
    for (const text_problem &problem : preview.problems.shown)
        problems.push_back(std::to_string(problem.line) + ":" + std::to_string(problem.column) + ": " + problem.what);
    EXPECT_EQ(problems, (std::vector<std::string>{"1:23: untranslated: not in po/ru.po; kept as it is",
                                                  "2:54: untranslated: fuzzy in de.po:8; kept as it is"}));

    // Three columns of boxes of 12 columns and their frames, a count of one
    // digit left of each plural form; the codes above them, a row of one
    // box, one of three (ru's forms), the legend.
    constexpr std::size_t BOX = 12 * 8 + 2, ROW = 12 + 2, COUNT = 8 + GAP, COLUMN = COUNT + BOX;
    const picture &image = preview.image;
    ASSERT_EQ(image.width, GAP + 3 * (COLUMN + GAP));
    ASSERT_EQ(image.height, GAP + 12 + GAP + ROW + GAP + 3 * ROW + 2 * GAP + GAP + ROW + GAP);
    const auto at = [&image](std::size_t x, std::size_t y) {
        const std::size_t sample = (y * image.width + x) * RGB_CHANNELS;
        return colour{image.samples[sample], image.samples[sample + 1], image.samples[sample + 2]};
    };
    // The paper at the middle of a box's last cell, which no text reaches.
    const auto paper = [&at](std::size_t language, std::size_t y) {
        return at(GAP + language * (COLUMN + GAP) + COUNT + FRAME + 11 * 8 + 4, y + FRAME + 6);
    };
    const std::size_t first_row = GAP + 12 + GAP, second_row = first_row + ROW + GAP;
    EXPECT_EQ(paper(0, first_row), grey(PAPER));
    EXPECT_EQ(paper(1, first_row), grey(PAPER));
    EXPECT_EQ(paper(2, first_row), UNTRANSLATED_PAPER);
    for (const std::size_t form : {std::size_t{0}, std::size_t{1}}) {
        EXPECT_EQ(paper(0, second_row + form * (ROW + GAP)), grey(PAPER));
        EXPECT_EQ(paper(1, second_row + form * (ROW + GAP)), FUZZY_PAPER);
        EXPECT_EQ(paper(2, second_row + form * (ROW + GAP)), grey(PAPER));
    }
    const std::size_t third_form = second_row + 2 * (ROW + GAP);
    EXPECT_EQ(at(GAP + 2 * (COLUMN + GAP) + COUNT, third_form), grey(GRID_GREY));  // ru's third form's frame
    EXPECT_EQ(at(GAP + COUNT, third_form), grey(PAPER));                           // en has two
    const std::size_t legend = image.height - GAP - ROW;
    EXPECT_EQ(third_form + ROW + GAP, legend);
    EXPECT_EQ(at(GAP + FRAME + 8, legend + FRAME + 6), UNTRANSLATED_PAPER);
    EXPECT_EQ(at(GAP + (2 + 1 + 12) * 8 + 2 * FRAME + GAP + FRAME + 8, legend + FRAME + 6), FUZZY_PAPER);

    // With one catalog and every language, the sources' column and its; a
    // longer code widens its column.
    options.catalogs = {&de};
    EXPECT_EQ(draw_preview(source, codes, font, table, options).image.width, GAP + 1 * (BOX + GAP));
    options.every_language = true;
    EXPECT_EQ(draw_preview(source, codes, font, table, options).image.width, GAP + 2 * (COLUMN + GAP));
    options.source_code = "en_GB_and_more";
    EXPECT_EQ(draw_preview(source, codes, font, table, options).image.width, GAP + 14 * 8 + GAP + COLUMN + GAP);
}
