// font_sheet: draws the 256 character codes of "8x12.fnt" and "koi.bin" in the
// current directory, as the generated header lays them out, into a PNG file.
#include <getopt.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "font_data/font_data.h"
#include "font_sheet/sheet.h"
#include "command_line/command_line.h"
#include "output_file/output_file.h"

namespace {

constexpr char PROGRAM[] = "font_sheet";
constexpr char STANDARD_OUTPUT[] = "-";

constexpr char HELP[] =
    "Usage: font_sheet [OPTION]... OUT.png\n"
    "Draw the 256 character codes of \"8x12.fnt\" and \"koi.bin\" in the current\n"
    "directory into the PNG file OUT.png, as the header made by make_h shows\n"
    "them: a 16x16 grid labelled in hex, codes 128-255 through the table.\n"
    "With OUT.png \"-\", write the picture to standard output.\n"
    "\n"
    "      --help     display this help and exit\n"
    "      --version  output version information and exit\n"
    "\n"
    "Exit status: 0 when the picture is written, 1 for a bad input or a failed\n"
    "write, 2 for bad usage.\n";

enum option_code { HELP_OPTION = 1, VERSION_OPTION };
const option LONG_OPTIONS[] = {{"help", no_argument, nullptr, HELP_OPTION},
                               {"version", no_argument, nullptr, VERSION_OPTION},
                               {nullptr, 0, nullptr, 0}};

// Returns why the picture did not get to out, or an empty text.
std::string write_sheet(const std::string &out, const file_bytes &png)
{
    if (out == STANDARD_OUTPUT)
        return write_standard_output(png.data(), png.size());
    const auto failure = write_output_files({{out, png}});
    return failure ? failure->reason : "";
}

}  // namespace

int main(int argc, char **argv)
{
    argv[0] = const_cast<char *>(PROGRAM);  // getopt's messages name the tool, not its path
    for (int option; (option = getopt_long(argc, argv, "", LONG_OPTIONS, nullptr)) != -1;) {
        if (option == HELP_OPTION)
            return print_reported(PROGRAM, HELP);
        if (option == VERSION_OPTION)
            return print_version(PROGRAM);
        report_usage_error(PROGRAM, "");  // getopt has said what was wrong
        return USAGE_STATUS;
    }
    if (const std::string error = operand_error("OUT.png", argc - optind, argv + optind);
        !error.empty()) {
        report_usage_error(PROGRAM, error);
        return USAGE_STATUS;
    }
    const std::string out = argv[optind];

    source_font font;
    recode_table table;
    if (!load_reported(PROGRAM, load_source_font(font)) ||
        !load_reported(PROGRAM, load_recode_table(table)))
        return EXIT_FAILURE;

    file_bytes png;
    std::string reason = encode_sheet_png(draw_sheet(font, table), png);
    if (reason.empty())
        reason = write_sheet(out, png);
    if (!reason.empty()) {
        report_failure(PROGRAM, out == STANDARD_OUTPUT ? "standard output" : out.c_str(),
                       reason.c_str());
        return EXIT_FAILURE;
    }
    return EXIT_SUCCESS;
}
