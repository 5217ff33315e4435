// make_h run end to end on inputs made by the test.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>

#include "tool_inputs.h"

namespace {

const std::string MAKE_H = quoted(MAKE_H_PATH);

// The header text worked out independently of the tool's writer.
std::string expected_header(const bytes &array)
{
    std::string text =
        "#ifndef FONT8X12_H\n#define FONT8X12_H\n\n\nconst uint8_t font_8x12[3072] =\n{\n";
    for (std::size_t r = 0; r < 12; ++r) {
        text += "    // Line " + std::to_string(r);
        for (std::size_t c = 0; c < 256; ++c) {
            char value[8];
            std::snprintf(value, sizeof value, "0x%02x,", array[r * 256 + c]);
            text += (c % 16 == 0 ? "\n    " : "") + std::string(value);
        }
        text += "\n";
    }
    return text + "};\n\n#endif\n";
}

}  // namespace

using MakeH = ToolInputs;

TEST_F(MakeH, WritesTheRecodedTransposeWhateverTheArgumentsAndTrailingBytes)
{
    const tool_run plain = run(MAKE_H);
    EXPECT_EQ(plain.status, 0);
    EXPECT_EQ(plain.out, expected_header(recoded_transpose(font, table)));
    EXPECT_EQ(lines_of(plain.out).size(), 213u);

    EXPECT_EQ(run(MAKE_H + " -h --version koi.bin").out, plain.out);
    font.resize(5000, 0x5a);
    table.resize(300, 0xa5);
    SetUp();
    EXPECT_EQ(run(MAKE_H).out, plain.out);
}

TEST_F(MakeH, ReadsPipesAndDevicesWithoutAskingTheirSize)
{
    write("font.src", font);
    const tool_run result = run("rm 8x12.fnt koi.bin && mkfifo 8x12.fnt && ln -s /dev/zero koi.bin && "
                                "(cat font.src >8x12.fnt &) && " + MAKE_H);
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out, expected_header(recoded_transpose(font, bytes(128, 0))));
}

TEST_F(MakeH, RejectsBadInputsBeforeWritingAnything)
{
    // Root reads any file, so as root the tool runs as nobody.
    const std::string as_user =
        run("id -u").out == "0\n" ? "setpriv --reuid=65534 --regid=65534 --clear-groups " : "";
    ASSERT_EQ(run("cp " + MAKE_H + " make_h && chmod 755 .").status, 0);
    const struct {
        const char *setup;
        const char *message;
    } cases[] = {
        {"rm 8x12.fnt", "8x12.fnt: No such file or directory"},
        {"rm 8x12.fnt koi.bin", "8x12.fnt: No such file or directory"},
        {"ln -sf missing koi.bin", "koi.bin: No such file or directory"},
        {"chmod 000 koi.bin", "koi.bin: Permission denied"},
        {"rm koi.bin && mkdir koi.bin", "koi.bin: Is a directory"},
        {"head -c 100 koi.bin >k && mv k koi.bin", "koi.bin: 100 bytes, 128 needed"},
        {": >8x12.fnt", "8x12.fnt: 0 bytes, 3072 needed"},
    };
    for (const auto &bad : cases) {
        SetUp();
        const tool_run result = run(std::string(bad.setup) + " && " + as_user + "./make_h");
        EXPECT_NE(result.status, 0) << bad.setup;
        EXPECT_EQ(result.out, "") << bad.setup;
        EXPECT_EQ(result.err, "make_h: " + std::string(bad.message) + "\n") << bad.setup;
        run("rm -rf 8x12.fnt koi.bin");
    }
}

TEST_F(MakeH, FailsWhenTheHeaderCannotBeWritten)
{
    const tool_run full = run(MAKE_H, ">/dev/full");
    EXPECT_NE(full.status, 0);
    ASSERT_EQ(lines_of(full.err).size(), 13u) << full.err;  // the trace, then the message
    EXPECT_EQ(lines_of(full.err).back(), "make_h: standard output: No space left on device");

    const tool_run closed = run(MAKE_H, ">&-");
    EXPECT_NE(closed.status, 0);
    ASSERT_EQ(lines_of(closed.err).size(), 13u) << closed.err;
    EXPECT_EQ(lines_of(closed.err).back(), "make_h: standard output: Bad file descriptor");

    // A flush that fails, though the last one gets through: a pipe that is
    // full but for room for the header's last bytes, which never waits.
    const std::size_t header_size = run(MAKE_H).out.size();
    int ends[2];
    ASSERT_EQ(pipe(ends), 0);
    struct stat pipe_status {};
    ASSERT_EQ(fstat(ends[1], &pipe_status), 0);
    const auto buffer = static_cast<std::size_t>(pipe_status.st_blksize);  // what stdio writes at once
    const int capacity = fcntl(ends[1], F_GETPIPE_SZ);
    ASSERT_GT(capacity, 0);
    ASSERT_NE(header_size % buffer, 0u);
    const std::string filler(static_cast<std::size_t>(capacity) - header_size % buffer, 'x');
    ASSERT_EQ(fcntl(ends[1], F_SETFL, O_NONBLOCK), 0);
    ASSERT_EQ(::write(ends[1], filler.data(), filler.size()), static_cast<ssize_t>(filler.size()));
    const tool_run stuck = run(MAKE_H, ">&" + std::to_string(ends[1]));
    close(ends[0]);
    close(ends[1]);
    EXPECT_EQ(stuck.status, 1);
    EXPECT_EQ(lines_of(stuck.err).back(), "make_h: standard output: Input/output error");
}

TEST_F(MakeH, TracesCode128OnStandardErrorAlone)
{
    const struct {
        std::uint8_t entry;
        const char *first, *last;
    } cases[] = {{0, "c=0  idx=000  0D", "c=0  idx=00B  8A"},
                 {255, "c=255  idx=BF4  46", "c=255  idx=BFF  C3"}};
    for (const auto &traced : cases) {
        table[0] = traced.entry;
        SetUp();
        const tool_run result = run(MAKE_H);
        const std::vector<std::string> header = lines_of(result.out), trace = lines_of(result.err);
        ASSERT_EQ(header.size(), 213u);
        ASSERT_EQ(trace.size(), 12u);
        EXPECT_EQ(trace.front(), traced.first);
        EXPECT_EQ(trace.back(), traced.last);
        for (std::size_t r = 0; r < 12; ++r) {
            const std::size_t offset = traced.entry * 12u + r;
            char line[32], value[8];
            std::snprintf(line, sizeof line, "c=%u  idx=%03zX  %02X", traced.entry, offset, font[offset]);
            EXPECT_EQ(trace[r], line);
            // The same byte as the header's for code 128, which opens the 9th value row.
            std::snprintf(value, sizeof value, "0x%02x,", font[offset]);
            EXPECT_EQ(header[6 + r * 17 + 9].substr(4, 5), value) << "line " << r;
        }
        EXPECT_EQ(result.out.find("idx="), std::string::npos);
    }
}
