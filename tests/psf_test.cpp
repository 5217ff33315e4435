// The PSF reader on its own, as the fuzzer calls it.
#include <gtest/gtest.h>

#include "font_files.h"
#include "font_import/psf.h"

namespace {

// Limits above any size the tests' fonts have.
constexpr psf_limits ANY_SIZE{64, 64};

std::string parsed(const bytes &file, psf_font &font, const psf_limits &limits = ANY_SIZE)
{
    return parse_psf(file.data(), file.size(), limits, font);
}

}  // namespace

TEST(ParsePsf, ReadsBothVersionsWithTheirUnicodeTables)
{
    const std::vector<bytes> files = sample_psf_fonts();
    psf_font font;
    ASSERT_EQ(parsed(files[0], font), "");
    EXPECT_EQ(font.glyph_count, 256u);
    EXPECT_EQ(font.width, 8u);
    EXPECT_TRUE(font.ink(0, 0, 2));
    EXPECT_FALSE(font.ink(0, 0, 1));
    EXPECT_EQ(font.unicode, (std::vector<std::pair<char32_t, std::size_t>>{{U'A', 0}, {U'\u0410', 0}, {U'\u0416', 1}}));

    ASSERT_EQ(parsed(files[2], font), "");
    EXPECT_EQ(font.glyph_count, 2u);
    EXPECT_EQ(font.width, 6u);
    EXPECT_TRUE(font.ink(1, 2, 4));
    EXPECT_EQ(font.unicode.size(), 3u);

    ASSERT_EQ(parsed(files[3], font), "");
    EXPECT_FALSE(font.has_unicode_table);

    // UTF-8 of three and four bytes, whose leads keep bits the two-byte ones
    // do not; a sequence after 0xFE names no glyph by itself; 0xFF ends the
    // glyph's entry. The row's edge pixels show the bit order.
    bytes with_sequence = psf_bytes({2, 8, 1, true, {{{"##.....#"}, U"B\u2502\uFFFD\U0001F600"}}});
    with_sequence.insert(with_sequence.end() - 1, {0xFE, 'e', 0xCC, 0x81});
    ASSERT_EQ(parsed(with_sequence, font), "");
    EXPECT_EQ(font.unicode, (std::vector<std::pair<char32_t, std::size_t>>{
                                {U'B', 0}, {U'\u2502', 0}, {U'\uFFFD', 0}, {U'\U0001F600', 0}}));
    EXPECT_TRUE(font.ink(0, 0, 0) && font.ink(0, 0, 1) && font.ink(0, 0, 7));
    EXPECT_FALSE(font.ink(0, 0, 2) || font.ink(0, 0, 6));

    // A row wider than a byte goes on in the next.
    ASSERT_EQ(parsed(psf_bytes({2, 9, 1, false, {{{"........#"}, U""}}}), font), "");
    EXPECT_TRUE(font.ink(0, 0, 8));
    EXPECT_FALSE(font.ink(0, 0, 0) || font.ink(0, 0, 7));

    // PSF1 marks a sequence with 0xFFFE, as PSF2 does with 0xFE.
    ASSERT_EQ(parsed(psf_bytes({1, 8, 8, true, {{{"#"}, U"E\uFFFE\u0415\u0308"}, {{"#"}, U"F"}}}), font), "");
    EXPECT_EQ(font.unicode, (std::vector<std::pair<char32_t, std::size_t>>{{U'E', 0}, {U'F', 1}}));

    // PSF1 of 512 glyphs, without a table.
    ASSERT_EQ(parsed(psf_bytes({1, 8, 8, false, std::vector<psf_glyph>(300)}), font), "");
    EXPECT_EQ(font.glyph_count, 512u);
    EXPECT_FALSE(font.has_unicode_table);
}

TEST(ParsePsf, RejectsWhatDoesNotAddUp)
{
    const bytes good = psf_bytes({2, 8, 8, true, {{{"#"}, U"A"}}});
    const auto changed = [&good](std::size_t at, std::initializer_list<std::uint8_t> values) {
        bytes file = good;
        std::copy(values.begin(), values.end(), file.begin() + static_cast<std::ptrdiff_t>(at));
        return file;
    };
    const struct {
        bytes file;
        const char *reason;
    } cases[] = {
        {bytes(good.begin(), good.begin() + 20), "PSF2 header cut short"},
        {bytes(good.begin(), good.begin() + 31), "PSF2 header cut short"},
        {changed(24, {0xff, 0xff, 0xff, 0xff}), "PSF2 glyphs of 8x4294967295 cannot take 8 bytes"},
        {changed(20, {0x00, 0x00, 0x00, 0x80}), "PSF2 glyphs of 8x8 cannot take 2147483648 bytes"},
        {changed(28, {0x00, 0x00, 0x00, 0x00}), "PSF2 glyphs of 0x8 cannot take 8 bytes"},
        {changed(16, {0, 0, 0, 0}), "has no glyphs"},
        {bytes(good.begin(), good.begin() + 36), "1 glyphs of 8 bytes run past the end of the file"},
        {bytes{0x36, 0x04, 0x00}, "PSF1 header cut short"},
        {bytes{0x36, 0x04, 0x00, 0x00}, "has glyphs of no size"},
        {bytes{0x36, 0x04, 0x01, 0x10}, "512 glyphs of 16 bytes run past the end of the file"},
        {bytes(good.begin(), good.begin() + 2), "not a PSF font"},
    };
    for (const auto &bad : cases) {
        psf_font font;
        EXPECT_EQ(parsed(bad.file, font), bad.reason);
    }

    // Glyphs too large for the caller are refused before the file is found short.
    psf_font font;
    const bytes tall_header = changed(20, {0xa0, 0x86, 0x01, 0x00, 0xa0, 0x86, 0x01, 0x00});  // 100,000 rows of a byte
    EXPECT_EQ(parsed(bytes(tall_header.begin(), tall_header.begin() + 32), font, {8, 12}),
              "glyphs are 8x100000, at most 8x12 fit");
}
