// font_sheet run end to end; its pictures are decoded with libpng.
#include <png.h>

#include "font_sheet/sheet.h"
#include "tool_inputs.h"

namespace {

const std::string FONT_SHEET = FONT_SHEET_PATH;

// Grey levels of a sheet's PNG file, row after row; empty if it is no sheet.
bytes decode_sheet(const std::string &path)
{
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str()))
        return {};
    image.format = PNG_FORMAT_GRAY;
    bytes pixels(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr) ||
        image.width != SHEET_WIDTH || image.height != SHEET_HEIGHT)
        return {};
    return pixels;
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

TEST_F(FontSheet, CommittedSampleSheetIsCurrent)
{
    ASSERT_EQ(run("cd " SOURCE_DIR "/sample && " + FONT_SHEET + " " + file("sheet.png")).status, 0);
    const bytes committed = decode_sheet(SOURCE_DIR "/docs/sample-sheet.png");
    ASSERT_FALSE(committed.empty());
    EXPECT_TRUE(decode_sheet(file("sheet.png")) == committed) << "redraw it as the README says";
}

TEST_F(FontSheet, RejectsBadUseBadInputsAndFailedWritesLeavingNoFile)
{
    EXPECT_EQ(run(FONT_SHEET).err, "usage: font_sheet OUT.png\n");
    EXPECT_EQ(run(FONT_SHEET + " a.png b.png").status, 2);

    const tool_run short_table = run("head -c 7 koi.bin >k && mv k koi.bin && " + FONT_SHEET + " a.png");
    EXPECT_NE(short_table.status, 0);
    EXPECT_EQ(short_table.err, "font_sheet: koi.bin: 7 bytes, 128 needed\n");

    SetUp();
    const tool_run no_dir = run(FONT_SHEET + " missing/a.png");
    EXPECT_NE(no_dir.status, 0);
    EXPECT_EQ(no_dir.err, "font_sheet: missing/a.png: No such file or directory\n");
    // The picture gets written, but cannot take the place of a directory.
    const tool_run onto_dir = run("mkdir a.png && " + FONT_SHEET + " a.png");
    EXPECT_NE(onto_dir.status, 0);
    EXPECT_EQ(onto_dir.err, "font_sheet: a.png: Is a directory\n");
    EXPECT_EQ(run("ls").out, "8x12.fnt\na.png\nkoi.bin\n");
}
