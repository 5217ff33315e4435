// make_h run end to end, in a scratch directory holding inputs made here.
#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <sstream>

#include "scratch.h"

namespace {

const std::string MAKE_H = MAKE_H_PATH;

// The header text worked out independently of the tool's writer.
std::string expected_header(const bytes &array)
{
    std::string text =
        "#ifndef FONT8X12_H\n#define FONT8X12_H\n\n\nconst uint8_t font_8x12[3072] =\n{\n";
    for (std::size_t r = 0; r < 12; ++r) {
        text += "    // Line " + std::to_string(r) + "\n";
        for (std::size_t row = 0; row < 16; ++row) {
            text += "    ";
            for (std::size_t c = row * 16; c < row * 16 + 16; ++c) {
                char value[8];
                std::snprintf(value, sizeof value, "0x%02x,", array[r * 256 + c]);
                text += value;
            }
            text += "\n";
        }
    }
    return text + "};\n\n#endif\n";
}

std::vector<std::string> lines_of(const std::string &text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

struct MakeH : ::testing::Test {
    scratch_dir dir;
    bytes font = test_font();
    bytes table = test_table();

    void SetUp() override
    {
        dir.write("8x12.fnt", font);
        dir.write("koi.bin", table);
    }
};

}  // namespace

TEST_F(MakeH, WritesTheRecodedTransposeAsExactHeaderText)
{
    const tool_run run = run_in(dir, MAKE_H);
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, expected_header(recoded_transpose(font, table)));
}

TEST_F(MakeH, LaysOutTheSameTextWhateverTheData)
{
    const std::vector<std::string> lines = lines_of(run_in(dir, MAKE_H).out);
    ASSERT_EQ(lines.size(), 213u);
    EXPECT_EQ(lines[0], "#ifndef FONT8X12_H");
    EXPECT_EQ(lines[4], "const uint8_t font_8x12[3072] =");
    EXPECT_EQ(lines[6], "    // Line 0");
    EXPECT_EQ(lines[6 + 11 * 17], "    // Line 11");
    EXPECT_EQ(lines[210], "};");
    EXPECT_EQ(lines[212], "#endif");
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const bool value_row = i >= 6 && i < 210 && (i - 6) % 17 != 0;
        if (value_row) {
            EXPECT_EQ(lines[i].size(), 84u) << "line " << i + 1;
        }
        EXPECT_EQ(lines[i].empty(), i == 2 || i == 3 || i == 211) << "line " << i + 1;
    }
}

TEST_F(MakeH, WritesEachByteAsTwoLowerCaseDigits)
{
    // Glyph g holds g on every line, so every plane reads 0x00 to 0xff.
    for (std::size_t i = 0; i < font.size(); ++i)
        font[i] = static_cast<std::uint8_t>(i / 12);
    for (std::size_t k = 0; k < table.size(); ++k)
        table[k] = static_cast<std::uint8_t>(128 + k);
    SetUp();
    const std::vector<std::string> lines = lines_of(run_in(dir, MAKE_H).out);
    ASSERT_EQ(lines.size(), 213u);
    EXPECT_EQ(lines[7], "    0x00,0x01,0x02,0x03,0x04,0x05,0x06,0x07,0x08,0x09,0x0a,0x0b,0x0c,0x0d,"
                        "0x0e,0x0f,");
    EXPECT_EQ(lines[209], "    0xf0,0xf1,0xf2,0xf3,0xf4,0xf5,0xf6,0xf7,0xf8,0xf9,0xfa,0xfb,0xfc,0xfd,"
                          "0xfe,0xff,");
}

TEST_F(MakeH, IgnoresArgumentsAndBytesBeyondTheInputs)
{
    const std::string plain = run_in(dir, MAKE_H).out;
    EXPECT_EQ(run_in(dir, MAKE_H + " -h --version koi.bin").out, plain);

    bytes longer_font = font, longer_table = table;
    longer_font.resize(5000, 0x5a);
    longer_table.resize(300, 0xa5);
    dir.write("8x12.fnt", longer_font);
    dir.write("koi.bin", longer_table);
    const tool_run run = run_in(dir, MAKE_H);
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, plain);
}

TEST_F(MakeH, ReadsPipesAndDevicesWithoutAskingTheirSize)
{
    dir.write("font.src", font);
    const tool_run run = run_in(
        dir, "rm 8x12.fnt koi.bin && mkfifo 8x12.fnt && ln -s /dev/zero koi.bin && "
             "(cat font.src >8x12.fnt &) && " + MAKE_H);
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, expected_header(recoded_transpose(font, bytes(128, 0))));
}

TEST_F(MakeH, RejectsBadInputsBeforeWritingAnything)
{
    const struct {
        const char *setup;
        const char *message;
    } cases[] = {
        {"rm 8x12.fnt", "make_h: 8x12.fnt: No such file or directory\n"},
        {"rm koi.bin", "make_h: koi.bin: No such file or directory\n"},
        {"rm 8x12.fnt koi.bin", "make_h: 8x12.fnt: No such file or directory\n"},
        {"rm koi.bin && mkdir koi.bin", "make_h: koi.bin: Is a directory\n"},
        {"head -c 100 koi.bin >k && mv k koi.bin", "make_h: koi.bin: 100 bytes, 128 needed\n"},
        {"head -c 3071 8x12.fnt >f && mv f 8x12.fnt", "make_h: 8x12.fnt: 3071 bytes, 3072 needed\n"},
        {": >8x12.fnt", "make_h: 8x12.fnt: 0 bytes, 3072 needed\n"},
        {"ln -sf missing koi.bin", "make_h: koi.bin: No such file or directory\n"},
    };
    for (const auto &bad : cases) {
        SetUp();
        const tool_run run = run_in(dir, std::string(bad.setup) + " && " + MAKE_H);
        EXPECT_NE(run.status, 0) << bad.setup;
        EXPECT_EQ(run.out, "") << bad.setup;
        EXPECT_EQ(run.err, bad.message) << bad.setup;
        run_in(dir, "rm -rf 8x12.fnt koi.bin");
    }
}

TEST_F(MakeH, RejectsAnUnreadableInput)
{
    // Root reads any file, so as root a copy of the tool runs as nobody.
    const std::string as_user =
        run_in(dir, "id -u").out == "0\n" ? "setpriv --reuid=65534 --regid=65534 --clear-groups " : "";
    const tool_run run =
        run_in(dir, "cp " + MAKE_H + " make_h && chmod 755 . && chmod 000 koi.bin && " + as_user + "./make_h");
    EXPECT_NE(run.status, 0);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, "make_h: koi.bin: Permission denied\n");
}

TEST_F(MakeH, FailsWhenTheHeaderCannotBeWritten)
{
    const tool_run full = run_in(dir, MAKE_H, ">/dev/full");
    EXPECT_NE(full.status, 0);
    EXPECT_EQ(lines_of(full.err).back(), "make_h: standard output: No space left on device");

    const tool_run closed = run_in(dir, MAKE_H, ">&-");
    EXPECT_NE(closed.status, 0);
    EXPECT_EQ(lines_of(closed.err).back(), "make_h: standard output: Bad file descriptor");
}

using CodeTrace = MakeH;

TEST_F(CodeTrace, ShowsTheGlyphOfCode128OnEveryLine)
{
    table[0] = 0;
    SetUp();
    const std::vector<std::string> low = lines_of(run_in(dir, MAKE_H).err);
    ASSERT_EQ(low.size(), 12u);
    EXPECT_EQ(low[0], "c=0  idx=000  0D");
    EXPECT_EQ(low[11], "c=0  idx=00B  8A");

    table[0] = 255;
    SetUp();
    const std::vector<std::string> high = lines_of(run_in(dir, MAKE_H).err);
    ASSERT_EQ(high.size(), 12u);
    for (std::size_t r = 0; r < 12; ++r) {
        char expected[32];
        std::snprintf(expected, sizeof expected, "c=255  idx=%03zX  %02X", 0xbf4 + r,
                      font[0xbf4 + r]);
        EXPECT_EQ(high[r], expected);
    }
}

TEST_F(CodeTrace, AgreesWithTheHeaderAndStaysOffItsText)
{
    const tool_run run = run_in(dir, MAKE_H);
    const std::vector<std::string> header = lines_of(run.out), trace = lines_of(run.err);
    ASSERT_EQ(header.size(), 213u);
    ASSERT_EQ(trace.size(), 12u);
    for (std::size_t r = 0; r < 12; ++r) {
        // The 9th value row of each block starts with code 128.
        const std::string value = header[6 + r * 17 + 9].substr(6, 2);
        std::string traced = trace[r].substr(trace[r].size() - 2);
        for (char &digit : traced)
            digit = static_cast<char>(std::tolower(digit));
        EXPECT_EQ(traced, value) << "line " << r;
    }
    EXPECT_EQ(run.out.find("idx="), std::string::npos);
}
