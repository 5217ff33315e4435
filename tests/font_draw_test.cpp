// font8x12_draw.h against font_sheet --text: a text drawn with the header
// make_h writes for the tests' inputs shows, in each layout and at every
// place around frames of several sizes, what font_sheet's picture of the
// same text shows, pixel for pixel, and nothing else changes. Frames, texts
// and the font are allocated to their size, so that the address sanitizer
// catches any access past them.
#include <iconv.h>
#include <png.h>

#include <climits>
#include <cstring>
#include <memory>

#include "font8x12_draw.h"
#include "tool_inputs.h"

extern "C" {
// The same routine compiled as C99 (font_draw_c99.c).
void c99_draw_rows(std::uint8_t *frame, int width, int height, int x, int y, const char *text,
                   const std::uint8_t font[3072]);
void c99_draw_pages(std::uint8_t *frame, int width, int height, int x, int y, const char *text,
                    const std::uint8_t font[3072]);
void c99_draw_cells(void (*pixel)(int x, int y, int on, void *context), void *context, int width, int height, int x,
                    int y, const char *text, const std::uint8_t font[3072]);
}

namespace {

const std::string MAKE_H = quoted(MAKE_H_PATH), FONT_SHEET = quoted(FONT_SHEET_PATH);
constexpr long CELL_WIDTH = 8, CELL_HEIGHT = 12;
// font_sheet shows code 0x0D, which ends a line of its text, through the
// character a record of the pair gives it.
constexpr std::uint8_t CARRIAGE_RETURN = 0x0D;
const char RECORD[] = "table-set: KOI8-R\n0x0D: U+266A\n";
const char CARRIAGE_RETURN_SHOWN[] = "\u266a";

// The lines of a text in the font's codes, without their line feeds.
using text_lines = std::vector<std::string>;

std::string joined(const text_lines &lines)
{
    std::string text;
    for (std::size_t row = 0; row < lines.size(); ++row)
        text += (row == 0 ? "" : "\n") + lines[row];
    return text;
}

// x and y, or width and height.
using place = std::pair<int, int>;

// The character font_sheet reads for a code: ASCII's, KOI8-R's above 0x7F.
std::string character_of(std::uint8_t code)
{
    if (code == CARRIAGE_RETURN)
        return CARRIAGE_RETURN_SHOWN;
    if (code < 0x80)
        return std::string(1, static_cast<char>(code));
    const iconv_t converter = iconv_open("UTF-8", "KOI8-R");
    char in = static_cast<char>(code), out[8];
    char *from = &in, *to = out;
    std::size_t in_left = 1, out_left = sizeof out;
    const std::size_t converted = iconv(converter, &from, &in_left, &to, &out_left);
    iconv_close(converter);
    return converted == static_cast<std::size_t>(-1) ? "" : std::string(out, to);
}

// Lit pixels of a picture.
struct picture {
    long width = 0, height = 0;
    std::vector<std::uint8_t> lit;  // 1 for a lit pixel, row after row
    bool at(long x, long y) const { return lit[static_cast<std::size_t>(y * width + x)] != 0; }
};

// A text, its lines, and font_sheet's picture of them.
struct drawing {
    std::string text;
    text_lines lines;
    picture shown;
};

// The array of a header make_h wrote, in a block of its own size.
std::vector<std::uint8_t> header_array(const std::string &header)
{
    std::vector<std::uint8_t> array;
    for (std::size_t at = header.find("0x", header.find('{')); at != std::string::npos; at = header.find("0x", at + 2))
        array.push_back(static_cast<std::uint8_t>(std::stoul(header.substr(at + 2, 2), nullptr, 16)));
    array.shrink_to_fit();
    return array;
}

// A frame's bytes, allocated to their number.
using frame_bytes = std::unique_ptr<std::uint8_t[]>;

// What the pixel function of draw_cells was given.
struct pixel_calls {
    std::uint8_t *frame;  // in rows, bit 7 the leftmost pixel of a byte
    int width, height;
    std::vector<std::uint8_t> called;  // by pixel, row after row
    long calls = 0;
    bool bad = false;  // outside the screen, twice, or on neither 0 nor 1
};

std::size_t rows_size(int width, int height)
{
    return static_cast<std::size_t>(height) * static_cast<std::size_t>((width + 7) / 8);
}

void set_in_rows(std::uint8_t *frame, int width, long x, long y, bool on)
{
    const std::size_t byte = static_cast<std::size_t>(y * ((width + 7) / 8) + x / 8);
    const auto bit = static_cast<std::uint8_t>(0x80 >> (x % 8));
    frame[byte] = static_cast<std::uint8_t>(on ? frame[byte] | bit : frame[byte] & ~bit);
}

std::size_t pages_size(int width, int height)
{
    return static_cast<std::size_t>((height + 7) / 8) * static_cast<std::size_t>(width);
}

void set_in_pages(std::uint8_t *frame, int width, long x, long y, bool on)
{
    const std::size_t byte = static_cast<std::size_t>(y / 8 * width + x);
    const auto bit = static_cast<std::uint8_t>(1 << (y % 8));
    frame[byte] = static_cast<std::uint8_t>(on ? frame[byte] | bit : frame[byte] & ~bit);
}

void record_pixel(int x, int y, int on, void *context)
{
    pixel_calls &got = *static_cast<pixel_calls *>(context);
    ++got.calls;
    const auto at = static_cast<std::size_t>(static_cast<long>(y) * got.width + x);
    if (x < 0 || x >= got.width || y < 0 || y >= got.height || (on != 0 && on != 1) || got.called[at] != 0) {
        got.bad = true;
        return;
    }
    got.called[at] = 1;
    set_in_rows(got.frame, got.width, x, y, on != 0);
}

using draw_into_frame = void(std::uint8_t *frame, int width, int height, int x, int y, const char *text,
                             const std::uint8_t *font);
using draw_through_pixels = void(void (*pixel)(int x, int y, int on, void *context), void *context, int width,
                                 int height, int x, int y, const char *text, const std::uint8_t *font);

// Each function, with the frame it draws into: its size and how a pixel is
// set in it; draw_cells into a rows frame.
struct layout {
    const char *name;
    std::size_t (*size)(int width, int height);
    void (*set)(std::uint8_t *frame, int width, long x, long y, bool on);
    draw_into_frame *draw;
    draw_through_pixels *draw_cells;
};

void cxx_draw_rows(std::uint8_t *frame, int width, int height, int x, int y, const char *text, const std::uint8_t *font)
{
    font8x12_draw_rows(frame, width, height, x, y, text, font);
}

void cxx_draw_pages(std::uint8_t *frame, int width, int height, int x, int y, const char *text,
                    const std::uint8_t *font)
{
    font8x12_draw_pages(frame, width, height, x, y, text, font);
}

void cxx_draw_cells(void (*pixel)(int x, int y, int on, void *context), void *context, int width, int height, int x,
                    int y, const char *text, const std::uint8_t *font)
{
    font8x12_draw_cells(pixel, context, width, height, x, y, text, font);
}

const layout ROWS = {"draw_rows", rows_size, set_in_rows, cxx_draw_rows, nullptr};
const layout PAGES = {"draw_pages", pages_size, set_in_pages, cxx_draw_pages, nullptr};
const layout CELLS = {"draw_cells", rows_size, set_in_rows, nullptr, cxx_draw_cells};
const layout C99_ROWS = {"draw_rows (C99)", rows_size, set_in_rows, c99_draw_rows, nullptr};
const layout C99_PAGES = {"draw_pages (C99)", pages_size, set_in_pages, c99_draw_pages, nullptr};
const layout C99_CELLS = {"draw_cells (C99)", rows_size, set_in_rows, nullptr, c99_draw_cells};
const layout EVERY_LAYOUT[] = {ROWS, PAGES, CELLS, C99_ROWS, C99_PAGES, C99_CELLS};
const layout PAGE_LAYOUTS[] = {PAGES, C99_PAGES};

// Sets the pixels of each cell of the lines placed at (x, y) that fall on
// the frame as the picture shows them; returns how many that is.
long draw_expected(const layout &form, std::uint8_t *frame, int width, int height, long x, long y,
                   const drawing &text)
{
    long pixels = 0;
    for (std::size_t row = 0; row < text.lines.size(); ++row)
        for (std::size_t column = 0; column < text.lines[row].size(); ++column) {
            const long left = static_cast<long>(column) * CELL_WIDTH, top = static_cast<long>(row) * CELL_HEIGHT;
            if (x + left + CELL_WIDTH <= 0 || x + left >= width || y + top + CELL_HEIGHT <= 0 || y + top >= height)
                continue;
            for (long in_y = top; in_y < top + CELL_HEIGHT; ++in_y)
                for (long in_x = left; in_x < left + CELL_WIDTH; ++in_x)
                    if (x + in_x >= 0 && x + in_x < width && y + in_y >= 0 && y + in_y < height) {
                        form.set(frame, width, x + in_x, y + in_y, text.shown.at(in_x, in_y));
                        ++pixels;
                    }
        }
    return pixels;
}

// Whether drawing the text at (x, y) on a frame of each of two patterns,
// each bit of one the opposite of the other's, changes exactly the pixels of
// its cells that fall on the frame, to what the picture shows there, and
// calls the pixel function once for each.
::testing::AssertionResult draws_as_shown(const layout &form, const std::vector<std::uint8_t> &font, int width,
                                          int height, int x, int y, const drawing &text)
{
    const std::unique_ptr<char[]> exact_text(new char[text.text.size() + 1]);
    std::memcpy(exact_text.get(), text.text.c_str(), text.text.size() + 1);
    const std::size_t size = form.size(width, height);
    for (const std::uint8_t inverse : {std::uint8_t{0x00}, std::uint8_t{0xFF}}) {
        const frame_bytes frame(new std::uint8_t[size]), expected(new std::uint8_t[size]);
        std::uint8_t *const pattern = frame.get();
        for (std::size_t at = 0; at < size; ++at)
            pattern[at] = static_cast<std::uint8_t>((at * 167 + 0x5A) ^ inverse);
        std::memcpy(expected.get(), pattern, size);
        const long pixels = draw_expected(form, expected.get(), width, height, x, y, text);
        pixel_calls got{frame.get(), width, height, std::vector<std::uint8_t>(form.draw ? 0 : size * 8), 0, false};
        if (form.draw)
            form.draw(frame.get(), width, height, x, y, exact_text.get(), font.data());
        else
            form.draw_cells(record_pixel, &got, width, height, x, y, exact_text.get(), font.data());
        const auto where = [&] {
            return std::string(form.name) + " at " + std::to_string(x) + "," + std::to_string(y) + " on " +
                   std::to_string(width) + "x" + std::to_string(height) + ": ";
        };
        if (std::memcmp(frame.get(), expected.get(), size) != 0) {
            std::size_t at = 0;
            while (frame[at] == expected[at])
                ++at;
            return ::testing::AssertionFailure() << where() << "byte " << at << " is " << int{frame[at]} << ", not "
                                                 << int{expected[at]};
        }
        if (got.bad || (!form.draw && got.calls != pixels))
            return ::testing::AssertionFailure() << where() << got.calls << " pixel calls for " << pixels
                                                 << " pixels, or one outside the screen, twice or with on not 0 or 1";
    }
    return ::testing::AssertionSuccess();
}

// Decodes the PNG file's lit (dark) pixels; an empty picture if it is none.
picture decode_picture(const std::string &path)
{
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str()))
        return {};
    image.format = PNG_FORMAT_GRAY;
    std::vector<std::uint8_t> grey(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, grey.data(), 0, nullptr))
        return {};
    picture shown{static_cast<long>(image.width), static_cast<long>(image.height), {}};
    for (const std::uint8_t level : grey)
        shown.lit.push_back(level < 0x80 ? 1 : 0);
    return shown;
}

struct FontDraw : ToolInputs {
    std::vector<std::uint8_t> array;

    void SetUp() override
    {
        ToolInputs::SetUp();
        write("koi.sets", as_bytes(RECORD));
        ASSERT_EQ(run(MAKE_H, ">font8x12.h").status, 0);
        array = header_array(read("font8x12.h"));
        ASSERT_EQ(array.size(), 3072u);
    }

    // The lines as a text, and font_sheet's picture of them at scale 1: the
    // rows frame they fill from its top left corner.
    drawing sheet_of(const text_lines &lines) const
    {
        std::string text;
        for (const std::string &line : lines) {
            for (const char code : line)
                text += character_of(static_cast<std::uint8_t>(code));
            text += "\n";
        }
        write("text.txt", as_bytes(text));
        const tool_run drawn = run(FONT_SHEET + " --text=text.txt --scale=1 text.png");
        EXPECT_EQ(drawn.status, 0) << drawn.err;
        EXPECT_EQ(drawn.err, "");
        picture shown = decode_picture(file("text.png"));
        std::size_t widest = 0;
        for (const std::string &line : lines)
            widest = std::max(widest, line.size());
        EXPECT_EQ(shown.width, static_cast<long>(widest) * CELL_WIDTH);
        EXPECT_EQ(shown.height, static_cast<long>(lines.size()) * CELL_HEIGHT);
        return {joined(lines), lines, shown};
    }
};

// The text drawn at every place around a frame: its last line is longer than
// the first and starts at the same x below an empty one.
const text_lines SWEPT = {"\xE6\x01g", "", "\x0D\xFFy\x80\x1F"};

// Lines of the codes from first on, count to a line, but NUL and the line
// feed.
text_lines codes_from(unsigned first, std::size_t count, std::size_t line_count)
{
    text_lines lines(line_count);
    unsigned code = first;
    for (std::string &line : lines)
        while (line.size() < count) {
            code = code % 256 == 0 || code % 256 == '\n' ? code + 1 : code;
            line += static_cast<char>(code++ % 256);
        }
    return lines;
}

}  // namespace

TEST_F(FontDraw, EveryCodeIsDrawnAsFontSheetShowsIt)
{
    text_lines lines;
    for (unsigned first = 0; first < 256; first += 16) {
        std::string line;
        for (unsigned code = first; code < first + 16; ++code)
            if (code != 0 && code != '\n')
                line += static_cast<char>(code);
        lines.push_back(line);
    }
    const drawing codes = sheet_of(lines);
    for (const layout &form : EVERY_LAYOUT)
        for (const auto &[x, y] : {place{0, 0}, place{3, 5}, place{-5, -7}, place{1, 9}})
            EXPECT_TRUE(draws_as_shown(form, array, 133, 199, x, y, codes));
}

TEST_F(FontDraw, DrawsAtEveryPlaceAroundFramesOfOddWidths)
{
    const drawing text = sheet_of(SWEPT);
    for (const auto &[width, height] : {place{21, 17}, place{5, 7}})
        for (const layout &form : EVERY_LAYOUT)
            for (int y = -13; y <= height + 1; ++y)
                for (int x = -9; x <= width + 1; ++x)
                    ASSERT_TRUE(draws_as_shown(form, array, width, height, x, y, text));
}

TEST_F(FontDraw, DrawsAtEveryPlaceAroundA128x64PagesFrame)
{
    const drawing text = sheet_of(SWEPT);
    for (const layout &form : PAGE_LAYOUTS)
        for (int y = -13; y <= 64 + 1; ++y)
            for (int x = -9; x <= 128 + 1; ++x)
                ASSERT_TRUE(draws_as_shown(form, array, 128, 64, x, y, text));
}

TEST_F(FontDraw, FillsA128x64FrameWithSixteenColumnsOfFiveLines)
{
    const drawing screen = sheet_of(codes_from(0x80, 16, 5));
    for (const layout &form : EVERY_LAYOUT)
        for (const auto &[x, y] : {place{0, 0}, place{0, 4}, place{-3, 2}, place{2, -5}, place{0, 8}})
            EXPECT_TRUE(draws_as_shown(form, array, 128, 64, x, y, screen));
}

TEST_F(FontDraw, StopsAtTheFirstNul)
{
    drawing text = sheet_of({"AB"});
    text.text = std::string("AB\0CD", 5);
    for (const layout &form : EVERY_LAYOUT)
        EXPECT_TRUE(draws_as_shown(form, array, 45, 13, 3, 0, text));
}

TEST_F(FontDraw, DrawsLongTextsFromTheFarthestPlaces)
{
    const drawing wide = sheet_of(codes_from(1, 140, 3)), tall = sheet_of(codes_from(0x41, 3, 100));
    for (const layout &form : EVERY_LAYOUT) {
        // The last cells of the wide text's lines show, and the last line of
        // the tall one.
        EXPECT_TRUE(draws_as_shown(form, array, 21, 17, -1003, 3, wide));
        EXPECT_TRUE(draws_as_shown(form, array, 21, 17, 2, -1190, tall));
        for (const int far : {INT_MIN, INT_MIN + 7, INT_MAX - 20, INT_MAX}) {
            EXPECT_TRUE(draws_as_shown(form, array, 21, 17, far, 3, wide));
            EXPECT_TRUE(draws_as_shown(form, array, 21, 17, 3, far, wide));
            EXPECT_TRUE(draws_as_shown(form, array, 21, 17, far, far, tall));
            EXPECT_TRUE(draws_as_shown(form, array, 21, 17, 2, far, tall));
            EXPECT_TRUE(draws_as_shown(form, array, 21, 17, far, -1190, tall));
        }
    }
}

TEST_F(FontDraw, NeverTouchesAFrameWithoutPixels)
{
    const std::string text = "AB\nCD";
    for (const auto &[width, height] :
         {place{0, 12}, place{12, 0}, place{-8, 12}, place{12, -12}, place{INT_MIN, INT_MIN}})
        for (const auto &[x, y] : {place{0, 0}, place{-4, -4}, place{INT_MIN, 0}}) {
            font8x12_draw_rows(nullptr, width, height, x, y, text.c_str(), array.data());
            font8x12_draw_pages(nullptr, width, height, x, y, text.c_str(), array.data());
            pixel_calls got{nullptr, width, height, {}, 0, false};
            font8x12_draw_cells(record_pixel, &got, width, height, x, y, text.c_str(), array.data());
            EXPECT_EQ(got.calls, 0) << width << "x" << height << " at " << x << "," << y;
        }
}

// The largest screen a pixel function can have: the cells at its corners
// are drawn to its first and last pixels, and no sum overflows.
TEST_F(FontDraw, ReachesTheCornersOfTheLargestScreen)
{
    const picture shown = sheet_of({"AB", "CD"}).shown;
    struct seen {
        long x, y;  // where the text is placed
        const picture *shown;
        long calls = 0, wrong = 0;
    };
    const auto check = [](int x, int y, int on, void *context) {
        seen &got = *static_cast<seen *>(context);
        ++got.calls;
        const long in_x = x - got.x, in_y = y - got.y;
        if (in_x < 0 || in_y < 0 || in_x >= got.shown->width || in_y >= got.shown->height ||
            on != int{got.shown->at(in_x, in_y)})
            ++got.wrong;
    };
    // 10 pixels left of the right edge and 14 above the bottom: A is whole,
    // B 2 columns wide, C and D 2 lines high, E and F below the screen.
    seen far{INT_MAX - 10, INT_MAX - 14, &shown};
    font8x12_draw_cells(check, &far, INT_MAX, INT_MAX, INT_MAX - 10, INT_MAX - 14, "AB\nCD\nEF", array.data());
    EXPECT_EQ(far.calls, 8 * 12 + 2 * 12 + 8 * 2 + 2 * 2);
    EXPECT_EQ(far.wrong, 0);
    // 3 pixels left of the left edge and 5 above the top.
    seen near{-3, -5, &shown};
    font8x12_draw_cells(check, &near, INT_MAX, INT_MAX, -3, -5, "AB\nCD", array.data());
    EXPECT_EQ(near.calls, 5 * 7 + 8 * 7 + 5 * 12 + 8 * 12);
    EXPECT_EQ(near.wrong, 0);
}
