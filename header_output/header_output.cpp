#include "header_output/header_output.h"

#include <cerrno>
#include <cstdio>

void write_header_prologue()
{
    std::fputs("#ifndef FONT8X12_H\n"
               "#define FONT8X12_H\n"
               "\n"
               "\n"
               "const uint8_t font_8x12[3072] =\n"
               "{\n",
               stdout);
}

void write_line_heading(std::size_t line)
{
    std::printf("    // Line %zu", line);
}

void write_value(std::uint8_t code, std::uint8_t byte)
{
    if (code % VALUES_PER_ROW == 0)
        std::fputs("\n    ", stdout);
    std::printf("0x%02x,", static_cast<unsigned>(byte));
}

void end_line_plane()
{
    std::putchar('\n');
}

void write_header_epilogue()
{
    std::fputs("};\n"
               "\n"
               "#endif\n",
               stdout);
}

void write_code_trace(std::uint8_t glyph, std::size_t line, const source_font &font)
{
    std::fprintf(stderr, "c=%u  idx=%03zX  %02X\n", static_cast<unsigned>(glyph),
                 glyph * GLYPH_LINES + line, static_cast<unsigned>(font_byte(font, glyph, line)));
}

namespace {

int failure_errno()
{
    return errno != 0 ? errno : EIO;
}

}  // namespace

int close_header_output()
{
    // A write can fail while the text still sits in the buffer, so only the
    // flush and the close tell whether the header really got out.
    errno = 0;
    int error = 0;
    if (std::fflush(stdout) != 0 || std::ferror(stdout))
        error = failure_errno();
    if (std::fclose(stdout) != 0 && error == 0)
        error = failure_errno();
    return error;
}
