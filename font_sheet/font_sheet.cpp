// font_sheet: draws the 256 character codes of "8x12.fnt" and "koi.bin" in the
// current directory, as the generated header lays them out, into a PNG file.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "font_data/font_data.h"
#include "font_sheet/sheet.h"

constexpr char PROGRAM[] = "font_sheet";
constexpr int USAGE_STATUS = 2;

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fputs("usage: font_sheet OUT.png\n", stderr);
        return USAGE_STATUS;
    }
    source_font font;
    recode_table table;
    if (!load_reported(PROGRAM, load_source_font(font)) ||
        !load_reported(PROGRAM, load_recode_table(table)))
        return EXIT_FAILURE;

    const std::string reason = write_sheet_png(argv[1], draw_sheet(font, table));
    if (!reason.empty()) {
        report_failure(PROGRAM, argv[1], reason.c_str());
        return EXIT_FAILURE;
    }
    return EXIT_SUCCESS;
}
