// font_sheet: draws the 256 character codes of "8x12.fnt" and "koi.bin" in the
// current directory, as the generated header lays them out, into a PNG file.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "font_data/font_data.h"
#include "font_sheet/sheet.h"

namespace {

constexpr int USAGE_STATUS = 2;

void complain(const char *file, const char *reason)
{
    std::fprintf(stderr, "font_sheet: %s: %s\n", file, reason);
}

bool loaded(const load_status &status)
{
    if (load_succeeded(status))
        return true;
    complain(status.file, load_failure_reason(status).data());
    return false;
}

}  // namespace

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fputs("usage: font_sheet OUT.png\n", stderr);
        return USAGE_STATUS;
    }
    source_font font;
    recode_table table;
    if (!loaded(load_source_font(font)) || !loaded(load_recode_table(table)))
        return EXIT_FAILURE;

    const std::string reason = write_sheet_png(argv[1], draw_sheet(font, table));
    if (!reason.empty()) {
        complain(argv[1], reason.c_str());
        return EXIT_FAILURE;
    }
    return EXIT_SUCCESS;
}
