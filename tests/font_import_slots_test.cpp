// The importer's rules on small, made-up sets and pictures.
#include <gtest/gtest.h>

#include <cstring>

#include "font_files.h"
#include "font_import/cell.h"
#include "font_import/pictures.h"
#include "font_import/slots.h"

namespace {

// ASCII below, the Cyrillic block from U+0400 above; 0x85 left undefined and
// 0x86 a control, so both slots are free.
charset_table test_glyph_order()
{
    charset_table order{};
    for (std::size_t b = 0; b < 0x80; ++b)
        order[b] = static_cast<char32_t>(b);
    for (std::size_t b = 0x80; b < 0x100; ++b)
        order[b] = static_cast<char32_t>(0x0400 + b - 0x80);
    order[0x85] = NO_CHARACTER;
    order[0x86] = 0x0085;
    return order;
}

// The glyph order, but for the bytes given.
charset_table table_set_with(const std::vector<std::pair<std::size_t, char32_t>> &changes)
{
    charset_table set = test_glyph_order();
    for (const auto &[byte, c] : changes)
        set[byte] = c;
    return set;
}

const auto HAS_ALL_BUT = [](std::u32string lacking) {
    return [lacking](char32_t c) { return lacking.find(c) == std::u32string::npos; };
};

glyph_image picture(const glyph_rows &rows, int left, int top)
{
    glyph_image image;
    image.left = left;
    image.top = top;
    image.height = static_cast<int>(rows.size());
    image.width = static_cast<int>(rows[0].size());
    for (const std::string &row : rows)
        for (const char pixel : row)
            image.ink.push_back(pixel == '#');
    return image;
}

std::vector<std::string> rows_of(const glyph_lines &lines)
{
    std::vector<std::string> rows;
    for (const std::uint8_t line : lines) {
        std::string row;
        for (int bit = 7; bit >= 0; --bit)
            row += (line >> bit & 1) ? '#' : '.';
        rows.push_back(row);
    }
    return rows;
}

}  // namespace

TEST(PlanSlots, FollowsTheGlyphOrderAndNamesTheSlotMeantForEachTableCharacter)
{
    const charset_table set = table_set_with({
        {0x80, U'A'},       // only in the lower half
        {0x81, U'\u0411'},  // in the upper half
        {0x82, U'\u2248'},  // in neither: the first spare slot
        {0x83, U'\u00A9'},  // the second
        {0x84, U'\u2592'},  // in neither, and the font lacks it
        {0x85, U'\u0416'},  // in the upper half, but the font lacks it
        {0x87, U'\u0090'},  // a control
        {0x88, NO_CHARACTER},
        {0x89, U'\u2248'},  // again: the same spare slot
    });
    const slot_plan plan = plan_slots(test_glyph_order(), set, HAS_ALL_BUT(U"\u2592\u0416B"));

    EXPECT_EQ(plan.shown[0], NO_CHARACTER);
    EXPECT_EQ(plan.shown[1], U'\u2248');
    EXPECT_EQ(plan.shown[2], U'\u00A9');
    EXPECT_EQ(plan.shown[3], U'\u2665');  // the PC symbol stays where no spare took it
    EXPECT_EQ(plan.shown[0x7F], U'\u2302');
    EXPECT_EQ(plan.shown[0x41], U'A');
    EXPECT_EQ(plan.shown[0x85], NO_CHARACTER);
    EXPECT_EQ(plan.shown[0x86], NO_CHARACTER);
    EXPECT_EQ(plan.shown[0x96], U'\u0416');  // meant for Ж, though the font cannot fill it

    const std::pair<std::size_t, int> entries[] = {{0, 0x41}, {1, 0x91}, {2, 1},    {3, 2},
                                                  {4, 0},    {5, 0x96}, {7, 0},    {8, 0},
                                                  {9, 1},    {6, 0},    {0x10, 0x90}};
    for (const auto &[k, slot] : entries)
        EXPECT_EQ(plan.table[k], slot) << "entry " << k;
    EXPECT_EQ(plan.spares_needed, 2u);
    EXPECT_EQ(plan.spares_free, 34u);
    EXPECT_EQ(plan.missing, (std::vector<char32_t>{U'B', U'\u2592', U'\u0416'}));

    // Slot 0x7F is never the glyph order's, even where that has a character.
    charset_table order = test_glyph_order();
    order[0x7F] = U'\u03A9';
    const slot_plan house = plan_slots(order, table_set_with({{0x80, U'\u03A9'}}), HAS_ALL_BUT(U""));
    EXPECT_EQ(house.shown[0x7F], U'\u2302');
    EXPECT_EQ(house.table[0], 1);
    EXPECT_EQ(house.shown[1], U'\u03A9');
}

TEST(PlanSlots, TakesDeleteThenFreeSlotsAndCountsWhatDoesNotFit)
{
    std::vector<std::pair<std::size_t, char32_t>> extras;
    for (std::size_t k = 0; k < 33; ++k)
        extras.emplace_back(0x80 + k, static_cast<char32_t>(0x2200 + k));
    const slot_plan fits = plan_slots(test_glyph_order(), table_set_with(extras), HAS_ALL_BUT(U""));
    EXPECT_EQ(fits.table[30], 31);
    EXPECT_EQ(fits.table[31], 0x7F);
    EXPECT_EQ(fits.table[32], 0x85);  // the first free slot
    EXPECT_EQ(fits.shown[0x85], U'\u2220');
    EXPECT_EQ(fits.spares_needed, 33u);

    for (std::size_t k = 33; k < 40; ++k)
        extras.emplace_back(0x80 + k, static_cast<char32_t>(0x2200 + k));
    const slot_plan overflows = plan_slots(test_glyph_order(), table_set_with(extras), HAS_ALL_BUT(U""));
    EXPECT_EQ(overflows.spares_needed, 40u);
    EXPECT_EQ(overflows.spares_free, 34u);
}

TEST(PlaceGlyph, StandsOnTheBaselineAtItsBearingsAndCutsWhatFallsOutside)
{
    const cell_layout cell{5, 8, 6, 2, std::nullopt};  // baseline at row 8
    bool cut = true;
    const glyph_lines a = place_glyph(U'a', picture({"###", "#.#", "###", "..#"}, 1, 3), cell, cut);
    EXPECT_FALSE(cut);
    EXPECT_EQ(rows_of(a), (std::vector<std::string>{"........", "........", "........", "........",
                                                    "........", ".###....", ".#.#....", ".###....",
                                                    "...#....", "........", "........", "........"}));

    const glyph_lines wide = place_glyph(U'W', picture({"##........#", "#.........."}, -1, 8), cell, cut);
    EXPECT_TRUE(cut);
    EXPECT_EQ(rows_of(wide)[0], "#.......");  // columns -1 and 8 are gone
    EXPECT_EQ(rows_of(wide)[1], "........");

    const glyph_lines low = place_glyph(U'j', picture({"#", "#"}, 0, -3), cell, cut);
    EXPECT_TRUE(cut);  // row 12 is gone
    EXPECT_EQ(rows_of(low)[11], "#.......");
}

TEST(PlaceGlyph, CarriesBoxDrawingAndShadesIntoTheSpareColumnsAndRows)
{
    const cell_layout cell{5, 8, 6, 2, std::nullopt};  // spare columns 5-7, rows 0-1 and 10-11
    bool cut = false;
    const glyph_lines corner = place_glyph(
        U'\u250C', picture({".....", ".....", ".....", "..###", "..#..", "..#..", "..#..", "..#.."}, 0, 6),
        cell, cut);
    const std::vector<std::string> rows = rows_of(corner);
    EXPECT_EQ(rows[2], "........");  // the first cell row, repeated above
    EXPECT_EQ(rows[0], "........");
    EXPECT_EQ(rows[5], "..######");  // column 4, carried on
    EXPECT_EQ(rows[11], "..#.....");  // the last cell row, repeated below

    const glyph_rows checker = {"#.#.#", ".#.#.", "#.#.#", ".#.#.", "#.#.#", ".#.#.", "#.#.#", ".#.#."};
    const std::vector<std::string> shade = rows_of(place_glyph(U'\u2591', picture(checker, 0, 6), cell, cut));
    for (std::size_t row = 0; row < 12; ++row)
        EXPECT_EQ(shade[row], row % 2 ? ".#.#.#.#" : "#.#.#.#.") << "row " << row;

    const std::vector<std::string> letter = rows_of(place_glyph(U'L', picture({"#....", "#####"}, 0, 2), cell, cut));
    EXPECT_EQ(letter[6], "#.......");
    EXPECT_EQ(letter[7], "#####...");  // other characters stay in their cell
    EXPECT_EQ(letter[0], "........");
    EXPECT_EQ(rows_of(place_glyph(U'\u259F', picture({"#####"}, 0, 2), cell, cut))[6], "########");  // ▟, the last block
    // ■ follows the blocks, but is no block: it stays in its cell too.
    EXPECT_EQ(rows_of(place_glyph(U'\u25A0', picture({"#####"}, 0, 2), cell, cut))[6], "#####...");

    // A shade whose box ends in the slot's last row goes on up from the two rows it drew.
    const cell_layout low_box{8, 2, 2, 10, row_span{1, 1}};
    const std::vector<std::string> low =
        rows_of(place_glyph(U'\u2592', picture({"#.#.#.#.", ".#.#.#.#"}, 0, 2), low_box, cut));
    for (std::size_t row = 0; row < 12; ++row)
        EXPECT_EQ(low[row], row % 2 ? ".#.#.#.#" : "#.#.#.#.") << "row " << row;

    // A cell of one pixel in the slot's corner fills the slot from its row and column 0.
    const cell_layout corner_cell{1, 1, 1, 0, std::nullopt};
    for (const std::string &row : rows_of(place_glyph(U'\u253C', picture({"#"}, 0, 1), corner_cell, cut)))
        EXPECT_EQ(row, "########");
}

TEST(ReadPictures, TakesAPictureAsLargeAsTheSlotForTheLastCode)
{
    std::string text = "0xFF:\n";
    for (int row = 0; row < 12; ++row)
        text += "    @@@@@@@@\n";
    own_pictures pictures;
    const auto error = read_pictures(reinterpret_cast<const std::uint8_t *>(text.data()), text.size(), pictures);
    ASSERT_FALSE(error) << error->reason;
    ASSERT_EQ(pictures.of_code.count(0xFF), 1u);
    EXPECT_EQ(rows_of(pictures.pictures[0].lines), std::vector<std::string>(12, "########"));
}

// A picture fills its slot from the top-left corner: metrics, its own or
// given with it, are refused at their line; a property that moves nothing
// is not.
TEST(ReadPictures, RefusesMetricsButNotOtherPropertiesOfAPicture)
{
    const struct {
        const char *text;
        std::size_t line;  // 0: taken
    } cases[] = {
        {"0x02:\n    @\n\n    right-kerning: u+0041 -1\n", 0},
        {"0x02:\n    @\n\n    right-kerning: u+0041 -1\n    shift-up: 1\n", 5},
        {"0x02:\n    @\n\n    offset: 1 1\n", 4},
    };
    for (const auto &row : cases) {
        own_pictures pictures;
        const auto error =
            read_pictures(reinterpret_cast<const std::uint8_t *>(row.text), std::strlen(row.text), pictures);
        EXPECT_EQ(error ? error->line : 0, row.line) << row.text;
        if (error) {
            EXPECT_EQ(error->reason, "a picture has no metrics: it fills its slot from the top-left corner");
        }
    }
}
