// font_text: puts UI text into the 8-bit codes that a font made for make_h
// shows, and checks it against the font.
#include <getopt.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "catalog/catalog.h"
#include "charset/text_codes.h"
#include "command_line/command_line.h"
#include "set_record/set_record.h"
#include "font_data/font_data.h"
#include "messages/messages.h"
#include "ui_text/ui_text.h"
#include "output_file/output_file.h"

namespace {

constexpr char PROGRAM[] = "font_text";

constexpr char HELP[] =
    "Usage: font_text [OPTION]... FILE...\n"
    "Put the UI text of each FILE into the 8-bit codes of a font made for make_h,\n"
    "and check it: every character that has no code, or whose code shows a blank\n"
    "glyph, is named with its place. In a C or C++ source (.c .h .cc .cpp .cxx\n"
    ".hh .hpp .hxx .ino and the rest CMake compiles as C or C++) only ordinary\n"
    "string and character literals are text; in any other file, every character\n"
    "but the line ends is.\n"
    "\n"
    "  -t, --table=SET      the 8-bit set that codes 128-255 show, as for\n"
    "                       font_import (default: what DIR's \"koi.sets\" says,\n"
    "                       else KOI8-R)\n"
    "  -f, --font=DIR       also check against the font in DIR (\"8x12.fnt\" and\n"
    "                       \"koi.bin\"), whose \"koi.sets\" -t must agree with\n"
    "  -o, --output=OUT     write the encoded FILE to OUT (one FILE only); a C\n"
    "                       source keeps its lines and names FILE in #line\n"
    "  -x, --language=LANG  read every FILE as LANG, c or text, whatever its\n"
    "                       extension\n"
    "      --screen=WxH     the display's size in pixels: every string must\n"
    "                       fit its W/8 columns and H/12 lines, unless a fit:\n"
    "                       note gives it its own room\n"
    "      --fallback       write a character that has no code as iconv spells\n"
    "                       it in SET (\"<<\" for \u00ab), with a warning\n"
    "      --catalog=PO     write each message of a C or C++ source, a string\n"
    "                       literal that is the first argument of a call of _,\n"
    "                       N_ or a --keyword, as the gettext catalog PO\n"
    "                       translates it, checked as the literal would be;\n"
    "                       a translation's faults are named at its line in PO\n"
    "      --keyword[=NAME] NAME(\"...\") marks a message too, as for xgettext;\n"
    "                       --keyword alone leaves out _ and N_\n"
    "      --untranslated=error  a message PO does not translate (absent, empty\n"
    "                       or fuzzy) is an error; by default, a warning, and\n"
    "                       the source's text is kept\n"
    "  -h, --help           display this help and exit\n"
    "      --version        output version information and exit\n"
    "\n"
    "FILE \"-\" is standard input, and OUT \"-\" standard output. In a C or C++\n"
    "source a string is a literal with those it joins, counted in codes; a\n"
    "comment on the line where it ends may give it its own room: \"fit: 16\"\n"
    "(columns), \"fit: 16x2\" (and lines) or \"fit: none\". In any other file\n"
    "each line is a string.\n"
    "\n"
    "U+0000-U+007F keep their ASCII codes; any other character gets the byte\n"
    "0x80-0xFF that SET gives it, or has no code. Space characters, NUL and the\n"
    "line feed may show a blank glyph. A FILE over 64 MiB is refused.\n"
    "\n"
    "Exit status: 0 when all is well, 1 for any problem or I/O error, 2 for bad\n"
    "usage. OUT is written only when FILE has no problem.\n";

enum long_only {
    SCREEN_OPTION = CHAR_MAX + 1,
    FALLBACK_OPTION,
    CATALOG_OPTION,
    KEYWORD_OPTION,
    UNTRANSLATED_OPTION,
    VERSION_OPTION
};
constexpr char SHORT_OPTIONS[] = "t:f:o:x:h";
constexpr char STANDARD_INPUT_LINE_NAME[] = "<stdin>";  // as compilers name it
const option LONG_OPTIONS[] = {{"table", required_argument, nullptr, 't'},
                               {"font", required_argument, nullptr, 'f'},
                               {"output", required_argument, nullptr, 'o'},
                               {"language", required_argument, nullptr, 'x'},
                               {"screen", required_argument, nullptr, SCREEN_OPTION},
                               {"fallback", no_argument, nullptr, FALLBACK_OPTION},
                               {"catalog", required_argument, nullptr, CATALOG_OPTION},
                               {"keyword", optional_argument, nullptr, KEYWORD_OPTION},
                               {"untranslated", required_argument, nullptr, UNTRANSLATED_OPTION},
                               {"help", no_argument, nullptr, 'h'},
                               {"version", no_argument, nullptr, VERSION_OPTION},
                               {nullptr, 0, nullptr, 0}};

struct settings {
    std::optional<std::string> table_set;
    std::optional<std::string> font_dir;
    std::optional<std::string> output;
    std::optional<bool> c_source;  // what --language says
    text_rules rules;
    bool fallback = false;
    std::optional<std::string> catalog;
    keyword_option keywords;
    bool catalog_option = false;  // --keyword or --untranslated, which need --catalog
    text_translations translations;
    std::vector<std::string> files;
    int exit_now = -1;             // the status to exit with at once, or -1 to go on
};

// What is wrong with an option's argument, or an empty text.
std::string take_option(int option, const char *argument, settings &given)
{
    if (argument != nullptr && *argument == '\0' && option != 'x' && option != SCREEN_OPTION &&
        option != UNTRANSLATED_OPTION)
        return empty_name(LONG_OPTIONS, option);
    switch (option) {
    case 't':
        given.table_set = argument;
        break;
    case 'f':
        given.font_dir = argument;
        break;
    case 'o':
        given.output = argument;
        break;
    case 'x':
        if (!(given.c_source = language_named(argument)))
            return "invalid --language " + quote(argument) + ": c or text";
        break;
    case SCREEN_OPTION: {
        const auto size = screen_size(argument);
        if (!size || !(given.rules.screen = screen_room(size->first, size->second)))
            return "invalid --screen " + quote(argument) + ": WxH pixels, from 8x12 (one cell) to " +
                   std::to_string(LARGEST_SCREEN_SIDE) + "x" + std::to_string(LARGEST_SCREEN_SIDE);
        break;
    }
    case FALLBACK_OPTION:
        given.fallback = true;
        break;
    case CATALOG_OPTION:
        return take_catalog_option(PROGRAM, argument, given.catalog);
    case KEYWORD_OPTION:
        given.catalog_option = true;
        return given.keywords.take(argument);
    case UNTRANSLATED_OPTION:
        given.catalog_option = true;
        if (std::strcmp(argument, "warning") != 0 && std::strcmp(argument, "error") != 0)
            return "invalid --untranslated " + quote(argument) + ": warning or error";
        given.translations.untranslated_error = std::strcmp(argument, "error") == 0;
        break;
    }
    return "";
}

// Whether FILE is read as a C or C++ source.
bool read_as_c(const settings &given, const std::string &file)
{
    return given.c_source.value_or(is_c_source(file));
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
    given.files.assign(argv + optind, argv + argc);
    std::string error;
    if (given.files.empty())
        error = "missing FILE operand";
    else if (given.output && given.files.size() > 1)
        error = "--output takes one FILE, not " + std::to_string(given.files.size());
    else if (given.catalog_option && !given.catalog)
        error = "--keyword and --untranslated go with --catalog";
    std::vector<std::string> inputs = given.files;
    if (given.catalog)
        inputs.push_back(*given.catalog);
    if (error.empty())
        error = standard_input_error(inputs);
    for (const std::string &file : given.files)
        if (error.empty() && file.empty())
            error = "FILE is an empty name";
        else if (error.empty() && given.catalog && !read_as_c(given, file))
            error = "--catalog translates C and C++ sources, and " + quoted_name(file) + " is read as text";
    if (!error.empty()) {
        report_usage_error(PROGRAM, error);
        given.exit_now = USAGE_STATUS;
    }
    return given;
}

// Makes the codes of the table set, checked against the font in -f DIR,
// whose record of sets the set must agree with, and spelled with
// --fallback; returns false when a failure has been reported.
bool make_codes(const settings &given, std::optional<text_codes> &codes)
{
    if (!given.font_dir) {
        const auto set = table_set_reported(PROGRAM, given.table_set.value_or(DEFAULT_TABLE_SET));
        if (!set)
            return false;
        codes.emplace(set->characters, set->name);
    } else {
        source_font font;
        recode_table table;
        if (!load_inputs_reported(PROGRAM, *given.font_dir, font, table))
            return false;
        const auto set = pair_table_set_reported(PROGRAM, *given.font_dir, font, table, given.table_set);
        if (!set)
            return false;
        codes.emplace(set->characters, set->name, set->at_free_codes);
        codes->check_glyphs(font, table);
    }
    if (given.fallback)
        codes->fall_back();
    return true;
}

// Encodes one file and writes it where asked; returns whether all was well.
bool encode_file(const std::string &file, const settings &given, const text_codes &codes)
{
    const bool standard_input = file == STANDARD_STREAM;
    const std::string name = input_name(file);
    std::vector<std::string> inputs{file};
    if (given.catalog)
        inputs.push_back(*given.catalog);
    if (given.font_dir)
        for (const std::string &pair_file : pair_files(*given.font_dir))
            inputs.push_back(pair_file);
    if (given.output && !writes_no_input_reported(PROGRAM, *given.output, inputs))
        return false;
    std::string content;
    if (const std::string reason = read_file(file, content); !reason.empty()) {
        report_failure(PROGRAM, name.c_str(), reason.c_str());
        return false;
    }
    encoded_text encoded =
        read_as_c(given, file)
            ? encode_c_source(content, standard_input ? STANDARD_INPUT_LINE_NAME : file, codes, given.rules)
            : encode_plain_text(content, codes, given.rules);
    report_problems(PROGRAM, name, encoded.problems);
    if (encoded.problems.errors != 0 || !given.output)
        return encoded.problems.errors == 0;
    const auto failure = write_output(*given.output, std::move(encoded.bytes));
    if (failure)
        report_failure(PROGRAM, failure->file.c_str(), failure->reason.c_str());
    return !failure;
}

}  // namespace

int main(int argc, char **argv)
{
    settings given = parse(argc, argv);
    if (given.exit_now >= 0)
        return given.exit_now;

    std::optional<text_codes> codes;
    if (!make_codes(given, codes))
        return EXIT_FAILURE;
    if (given.catalog) {
        if (!load_catalog_reported(PROGRAM, *given.catalog, given.translations))
            return EXIT_FAILURE;
        given.translations.keywords = given.keywords.keywords();
        given.rules.translations = &given.translations;
    }

    bool all_well = true;
    for (const std::string &file : given.files)
        all_well = encode_file(file, given, *codes) && all_well;
    return all_well ? EXIT_SUCCESS : EXIT_FAILURE;
}
