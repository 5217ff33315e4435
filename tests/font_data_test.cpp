#include <gtest/gtest.h>

#include "font_data/font_data.h"

TEST(GlyphForCode, LowerCodesShowTheirOwnGlyphWithoutTheTable)
{
    recode_table table;
    table.fill(0xaa);
    for (unsigned code = 0; code < 128; ++code)
        EXPECT_EQ(glyph_for_code(table, static_cast<std::uint8_t>(code)), code);
}

TEST(GlyphForCode, UpperCodesGoThroughTheTable)
{
    recode_table table;
    for (std::size_t k = 0; k < RECODE_ENTRIES; ++k)
        table[k] = static_cast<std::uint8_t>(255 - k);
    table[5] = 65;  // an upper code may share a lower glyph
    EXPECT_EQ(glyph_for_code(table, 128), 255);
    EXPECT_EQ(glyph_for_code(table, 133), 65);
    EXPECT_EQ(glyph_for_code(table, 255), 128);
}

TEST(FontByte, ReadsGlyphMajorImageToItsLastByte)
{
    source_font font;
    for (std::size_t i = 0; i < FONT_BYTES; ++i)
        font[i] = static_cast<std::uint8_t>(i % 251);
    EXPECT_EQ(font_byte(font, 0, 0), 0);
    EXPECT_EQ(font_byte(font, 0, 11), 11);
    EXPECT_EQ(font_byte(font, 1, 0), 12);
    EXPECT_EQ(font_byte(font, 255, 11), (FONT_BYTES - 1) % 251);
}
