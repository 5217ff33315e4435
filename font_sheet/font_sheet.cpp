// font_sheet: draws the 256 character codes of "8x12.fnt" and "koi.bin", as
// the generated header lays them out, into a PNG file; or, with --text, the
// lines of a text as the display shows them.
#include <getopt.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "catalog/catalog.h"
#include "charset/text_codes.h"
#include "command_line/command_line.h"
#include "set_record/set_record.h"
#include "font_data/font_data.h"
#include "messages/messages.h"
#include "font_sheet/preview.h"
#include "font_sheet/sheet.h"
#include "output_file/output_file.h"
#include "ui_text/ui_text.h"

namespace {

constexpr char PROGRAM[] = "font_sheet";
constexpr int LARGEST_SCALE = 16;

constexpr char HELP[] =
    "Usage: font_sheet [OPTION]... OUT.png\n"
    "Draw the 256 character codes of \"8x12.fnt\" and \"koi.bin\" into the PNG file\n"
    "OUT.png, as the header made by make_h shows them: a 16x16 grid labelled in\n"
    "hex, codes 128-255 through the table. With --text, draw the lines of a UTF-8\n"
    "text instead, as the display shows them. With OUT.png \"-\", write the\n"
    "picture to standard output.\n"
    "\n"
    "  -f, --font=DIR     where \"8x12.fnt\" and \"koi.bin\" are (default: .)\n"
    "      --text=FILE    draw FILE's lines, each a row of 8x12 cells; a\n"
    "                     character with no code, or a blank glyph, gets a\n"
    "                     marked cell and a warning. Of a C or C++ source,\n"
    "                     draw each string in a box of its room (its fit:\n"
    "                     note's, or the screen's), what falls outside marked\n"
    "  -t, --table=SET    the 8-bit set that codes 128-255 show, for --text\n"
    "                     (default: what DIR's \"koi.sets\" says, else KOI8-R)\n"
    "      --screen=WxH   the display's size in pixels, for --text (default: as\n"
    "                     large as the text)\n"
    "      --scale=N      each font pixel an NxN square, for --text (default: 3)\n"
    "      --fallback     draw a character that has no code as iconv spells it\n"
    "                     in SET, for --text\n"
    "      --catalog=PO   draw each message of a C or C++ source (--text) as the\n"
    "                     gettext catalog PO translates it, as font_text writes\n"
    "                     it; given again, each message once a row, in every\n"
    "                     language side by side: the sources' and each PO's\n"
    "      --languages    with one --catalog, the sources' language beside it\n"
    "      --source-language=CODE  the sources' language, above its column\n"
    "                     (default: en)\n"
    "      --keyword[=NAME]  NAME(\"...\") marks a message too, as for xgettext;\n"
    "                     --keyword alone leaves out _, N_ and ui_ntext:1,2\n"
    "  -h, --help         display this help and exit\n"
    "      --version      output version information and exit\n"
    "\n"
    "Exit status: 0 when the picture is written, 1 for a bad input or a failed\n"
    "write, 2 for bad usage. Warnings of --text do not change it.\n";

enum long_only {
    TEXT_OPTION = CHAR_MAX + 1,
    SCREEN_OPTION,
    SCALE_OPTION,
    FALLBACK_OPTION,
    CATALOG_OPTION,
    LANGUAGES_OPTION,
    SOURCE_LANGUAGE_OPTION,
    KEYWORD_OPTION,
    VERSION_OPTION
};
constexpr char SHORT_OPTIONS[] = "f:t:h";
const option LONG_OPTIONS[] = {{"font", required_argument, nullptr, 'f'},
                               {"text", required_argument, nullptr, TEXT_OPTION},
                               {"table", required_argument, nullptr, 't'},
                               {"screen", required_argument, nullptr, SCREEN_OPTION},
                               {"scale", required_argument, nullptr, SCALE_OPTION},
                               {"fallback", no_argument, nullptr, FALLBACK_OPTION},
                               {"catalog", required_argument, nullptr, CATALOG_OPTION},
                               {"languages", no_argument, nullptr, LANGUAGES_OPTION},
                               {"source-language", required_argument, nullptr, SOURCE_LANGUAGE_OPTION},
                               {"keyword", optional_argument, nullptr, KEYWORD_OPTION},
                               {"help", no_argument, nullptr, 'h'},
                               {"version", no_argument, nullptr, VERSION_OPTION},
                               {nullptr, 0, nullptr, 0}};

struct settings {
    std::string font_dir = ".";
    std::optional<std::string> text;
    std::optional<std::string> table_set;
    preview_options preview;
    bool preview_option = false;  // --screen, --scale or --fallback, which need --text
    bool fallback = false;
    std::vector<std::string> catalogs;
    keyword_option keywords;
    bool keyword_given = false;  // which needs --catalog, as --languages and --source-language do
    std::optional<std::string> source_language;
    std::string out;
    int exit_now = -1;  // the status to exit with at once, or -1 to go on
};

// What is wrong with an option's argument, or an empty text.
std::string take_option(int option, const char *argument, settings &given)
{
    const bool names_something =
        option == 'f' || option == 't' || option == TEXT_OPTION || option == CATALOG_OPTION || option == KEYWORD_OPTION;
    if (names_something && argument != nullptr && *argument == '\0')
        return empty_name(LONG_OPTIONS, option);
    switch (option) {
    case 'f':
        given.font_dir = argument;
        break;
    case 't':
        given.table_set = argument;
        break;
    case TEXT_OPTION:
        given.text = argument;
        break;
    case SCREEN_OPTION: {
        given.preview_option = true;
        const auto size = screen_size(argument);
        if (!size)
            return "invalid --screen " + quote(argument) + ": WxH, each 1 to " +
                   std::to_string(LARGEST_SCREEN_SIDE) + " pixels";
        given.preview.screen_width = size->first;
        given.preview.screen_height = size->second;
        break;
    }
    case FALLBACK_OPTION:
        given.preview_option = true;
        given.fallback = true;
        break;
    case SCALE_OPTION: {
        given.preview_option = true;
        const auto scale = whole_number(argument, 1, LARGEST_SCALE);
        if (!scale)
            return "invalid --scale " + quote(argument) + ": 1 to " + std::to_string(LARGEST_SCALE);
        given.preview.scale = static_cast<std::size_t>(*scale);
        break;
    }
    case CATALOG_OPTION:
        return take_catalog_option(PROGRAM, argument, given.catalogs);
    case LANGUAGES_OPTION:
        given.preview.every_language = true;
        break;
    case SOURCE_LANGUAGE_OPTION:
        return take_source_language_option(argument, given.source_language);
    case KEYWORD_OPTION:
        given.keyword_given = true;
        return given.keywords.take(argument);
    }
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
    std::string error = operand_error("OUT.png", argc - optind, argv + optind);
    if (error.empty() && !given.text && (given.table_set || given.preview_option))
        error = "--table, --screen, --scale and --fallback go with --text";
    if (error.empty() && !given.text && !given.catalogs.empty())
        error = "--catalog goes with --text";
    if (error.empty() && (given.keyword_given || given.preview.every_language) && given.catalogs.empty())
        error = "--keyword and --languages go with --catalog";
    if (error.empty() && given.source_language && given.catalogs.size() < 2 && !given.preview.every_language)
        error = "--source-language goes with --languages or a second --catalog";
    if (error.empty() && !given.catalogs.empty() && !is_c_source(*given.text))
        error = "--catalog translates C and C++ sources, and " + quoted_name(*given.text) + " is text";
    if (error.empty() && !given.catalogs.empty()) {
        std::vector<std::string> inputs = given.catalogs;
        inputs.push_back(*given.text);
        error = standard_input_error(inputs);
    }
    if (!error.empty()) {
        report_usage_error(PROGRAM, error);
        given.exit_now = USAGE_STATUS;
    } else {
        given.out = argv[optind];
    }
    return given;
}

// Draws the text as the display shows it, naming what it cannot show;
// returns whether it could be drawn at all.
bool draw_text(const settings &given, const source_font &font, const recode_table &table, picture &image)
{
    const auto set = pair_table_set_reported(PROGRAM, given.font_dir, font, table, given.table_set);
    if (!set)
        return false;
    std::string text;
    if (const std::string reason = read_file(*given.text, text); !reason.empty()) {
        report_failure(PROGRAM, given.text->c_str(), reason.c_str());
        return false;
    }
    text_codes codes(set->characters, set->name, set->at_free_codes);
    codes.check_glyphs(font, table);
    if (given.fallback)
        codes.fall_back();
    preview_options options = given.preview;
    options.c_source = is_c_source(*given.text);
    options.source_code = given.source_language.value_or(options.source_code);
    options.keywords = given.keywords.keywords();
    std::vector<text_translations> catalogs(given.catalogs.size());
    for (std::size_t i = 0; i < catalogs.size(); ++i) {
        if (!load_catalog_reported(PROGRAM, given.catalogs[i], catalogs[i]))
            return false;
        options.catalogs.push_back(&catalogs[i]);
    }
    text_preview preview = draw_preview(text, codes, font, table, options);
    report_problems(PROGRAM, *given.text, preview.problems);
    if (!preview.refused.empty()) {
        report_failure(PROGRAM, given.text->c_str(), preview.refused.c_str());
        return false;
    }
    image = std::move(preview.image);
    return true;
}

}  // namespace

int main(int argc, char **argv)
{
    const settings given = parse(argc, argv);
    if (given.exit_now >= 0)
        return given.exit_now;

    std::vector<std::string> inputs = pair_files(given.font_dir);
    if (given.text)
        inputs.push_back(*given.text);
    inputs.insert(inputs.end(), given.catalogs.begin(), given.catalogs.end());
    source_font font;
    recode_table table;
    if (!writes_no_input_reported(PROGRAM, given.out, inputs) ||
        !load_inputs_reported(PROGRAM, given.font_dir, font, table))
        return EXIT_FAILURE;

    picture image;
    if (given.text) {
        if (!draw_text(given, font, table, image))
            return EXIT_FAILURE;
    } else {
        image = draw_sheet(font, table);
    }
    file_bytes png;
    std::optional<output_failure> failure;
    if (const std::string reason = encode_png(image, png); !reason.empty())
        failure = output_failure{given.out == STANDARD_STREAM ? STANDARD_OUTPUT_NAME : given.out, reason};
    else
        failure = write_output(given.out, png);
    if (failure) {
        report_failure(PROGRAM, failure->file.c_str(), failure->reason.c_str());
        return EXIT_FAILURE;
    }
    return EXIT_SUCCESS;
}
