// font_export: writes the font of "8x12.fnt" and "koi.bin" as the header made
// by make_h shows it, in a format other programs read: yaff, BDF or PSF2.
#include <getopt.h>

#include <climits>
#include <cstdlib>
#include <optional>
#include <string>

#include "command_line/command_line.h"
#include "set_record/set_record.h"
#include "font_data/font_data.h"
#include "font_export/exported_font.h"
#include "messages/messages.h"
#include "output_file/output_file.h"

namespace {

constexpr char PROGRAM[] = "font_export";
constexpr char FORMATS[] = "yaff, bdf or psf";

constexpr char HELP[] =
    "Usage: font_export [OPTION]... OUT\n"
    "Write the font of \"8x12.fnt\" and \"koi.bin\" to OUT as the header made by\n"
    "make_h shows it: 256 glyphs of 8x12, glyph c the picture code c shows (codes\n"
    "128-255 through the table), each labelled with its code's character. With\n"
    "OUT \"-\", write it to standard output.\n"
    "\n"
    "  -f, --font=DIR       where \"8x12.fnt\" and \"koi.bin\" are (default: .)\n"
    "  -t, --table=SET      the 8-bit set that codes 128-255 show (default: what\n"
    "                       DIR's \"koi.sets\" says, else KOI8-R)\n"
    "      --format=FORMAT  yaff (monobit's text format), bdf (BDF 2.1) or psf\n"
    "                       (PSF2 with a Unicode table); by default from OUT's\n"
    "                       extension: .yaff, .bdf, .psf or .psfu\n"
    "  -h, --help           display this help and exit\n"
    "      --version        output version information and exit\n"
    "\n"
    "Codes 0x20-0x7E are ASCII, codes 0x80-0xFF the characters of SET, and the\n"
    "codes SET leaves free the characters DIR's \"koi.sets\" gives them.\n"
    "\n"
    "Exit status: 0 when OUT is written, 1 for a bad input or a failed write, 2 for\n"
    "bad usage.\n";

enum long_only { FORMAT_OPTION = CHAR_MAX + 1, VERSION_OPTION };
constexpr char SHORT_OPTIONS[] = "f:t:h";
const option LONG_OPTIONS[] = {{"font", required_argument, nullptr, 'f'},
                               {"table", required_argument, nullptr, 't'},
                               {"format", required_argument, nullptr, FORMAT_OPTION},
                               {"help", no_argument, nullptr, 'h'},
                               {"version", no_argument, nullptr, VERSION_OPTION},
                               {nullptr, 0, nullptr, 0}};

struct settings {
    std::string font_dir = ".";
    std::optional<std::string> table_set;
    std::optional<export_format> format;
    std::string out;
    int exit_now = -1;  // the status to exit with at once, or -1 to go on
};

// What is wrong with an option's argument, or an empty text.
std::string take_option(int option, const char *argument, settings &given)
{
    switch (option) {
    case 'f':
        if (*argument == '\0')
            return "--font is given an empty name";
        given.font_dir = argument;
        break;
    case 't':
        if (*argument == '\0')
            return "--table is given an empty name";
        given.table_set = argument;
        break;
    case FORMAT_OPTION:
        if (!(given.format = format_named(argument)))
            return "invalid --format " + quote(argument) + ": " + FORMATS;
        break;
    }
    return "";
}

// What is wrong with OUT, whose format must be known; an empty text when nothing is.
std::string take_out(const char *out, settings &given)
{
    given.out = out;
    if (given.format)
        return "";
    if (given.out == STANDARD_STREAM)
        return std::string("standard output needs --format=") + FORMATS;
    if (!(given.format = format_of_file(given.out)))
        return "cannot tell the format of " + quote(given.out) + ": name it .yaff, .bdf, .psf or .psfu, or give --format";
    return "";
}

settings parse(int argc, char **argv)
{
    settings given;
    const tool_options tool{PROGRAM, HELP, SHORT_OPTIONS, LONG_OPTIONS, VERSION_OPTION};
    if (const auto status = read_options(argc, argv, tool, [&given](int option, const char *argument) {
            return take_option(option, argument, given);
        })) {
        given.exit_now = *status;
        return given;
    }
    std::string error = operand_error("OUT", argc - optind, argv + optind);
    if (error.empty())
        error = take_out(argv[optind], given);
    if (!error.empty()) {
        report_usage_error(PROGRAM, error);
        given.exit_now = USAGE_STATUS;
    }
    return given;
}

}  // namespace

int main(int argc, char **argv)
{
    const settings given = parse(argc, argv);
    if (given.exit_now >= 0)
        return given.exit_now;

    source_font font;
    recode_table table;
    if (!writes_no_input_reported(PROGRAM, given.out, pair_files(given.font_dir)) ||
        !load_inputs_reported(PROGRAM, given.font_dir, font, table))
        return EXIT_FAILURE;
    const auto set = pair_table_set_reported(PROGRAM, given.font_dir, font, table, given.table_set);
    if (!set)
        return EXIT_FAILURE;

    const exported_font exported = export_font(font, table, *set);
    if (const auto failure = write_output(given.out, exported_file(exported, *given.format))) {
        report_failure(PROGRAM, failure->file.c_str(), failure->reason.c_str());
        return EXIT_FAILURE;
    }
    return EXIT_SUCCESS;
}
