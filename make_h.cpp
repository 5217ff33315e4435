// make_h: writes the C header of an 8x12 bitmap font to standard output,
// from "8x12.fnt" and "koi.bin" in the current directory.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "font_data/font_data.h"
#include "header_output/header_output.h"
#include "messages/messages.h"

constexpr char PROGRAM[] = "make_h";

int main()
{
    // Both inputs are complete before the first byte of the header, so a bad
    // input never leaves a partial header behind.
    source_font font;
    recode_table table;
    if (!load_reported(PROGRAM, load_source_font(font)) ||
        !load_reported(PROGRAM, load_recode_table(table)))
        return EXIT_FAILURE;

    write_header_prologue();
    for (std::size_t line = 0; line < GLYPH_LINES; ++line) {
        write_line_heading(line);
        for (std::size_t code = 0; code < GLYPH_COUNT; ++code) {
            const auto code_byte = static_cast<std::uint8_t>(code);  // GLYPH_COUNT codes fit
            const std::uint8_t glyph = glyph_for_code(table, code_byte);
            if (code == TRACED_CODE)
                write_code_trace(glyph, line, font);
            write_value(code_byte, font_byte(font, glyph, line));
        }
        end_line_plane();
    }
    write_header_epilogue();

    if (const int error = close_header_output(); error != 0) {
        report_failure(PROGRAM, STANDARD_OUTPUT_NAME, std::strerror(error));
        return EXIT_FAILURE;
    }
    return EXIT_SUCCESS;
}
