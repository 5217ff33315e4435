// font_import: makes "8x12.fnt" and "koi.bin", the inputs of make_h, from a
// BDF, PCF, PSF, FON, TrueType or yaff font, and "koi.sets", the record of
// the sets they are made for.
#include <getopt.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <algorithm>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "font_data/font_data.h"
#include "catalog/catalog.h"
#include "font_import/importer.h"
#include "ui_text/ui_text.h"
#include "messages/messages.h"
#include "command_line/command_line.h"
#include "set_record/set_record.h"
#include "output_file/output_file.h"

namespace {

constexpr char PROGRAM[] = "font_import";
constexpr int LARGEST_PIXEL_SIZE = 1000;
constexpr mode_t NEW_DIRECTORY_MODE = 0777;  // less the umask, as mkdir(1) makes them
// --crop takes cells up to twice the slot, whose top may then be cut by 12.
constexpr int LOWEST_TOP = static_cast<int>(GLYPH_LINES);

constexpr char HELP[] =
    "Usage: font_import [OPTION]... FONT\n"
    "Make \"8x12.fnt\" and \"koi.bin\", the inputs of make_h, from FONT: a BDF, PCF,\n"
    "PSF (1 or 2), Windows FON or FNT, TrueType, OpenType or yaff font, plain or\n"
    "gzip'd; FONT \"-\" is standard input. Beside them goes \"koi.sets\", which\n"
    "records the two sets below; font_text, font_sheet and font_export take the\n"
    "table set from it.\n"
    "\n"
    "  -o, --output=DIR         write the files into DIR, made if missing\n"
    "                           (default: .)\n"
    "  -g, --glyph-order=SET    the 8-bit set whose order the 256 glyph slots\n"
    "                           follow (default: CP866)\n"
    "  -t, --table=SET          the 8-bit set that codes 128-255 of the header\n"
    "                           show; \"koi.bin\" is made for it (default: KOI8-R)\n"
    "  -e, --font-encoding=SET  the 8-bit set the font's own codes are in, for a\n"
    "                           font without a Unicode map or with a wrong one\n"
    "  -s, --size=PX            the pixel size to draw a scalable font at, or to\n"
    "                           take of a bitmap font that has several\n"
    "      --top=ROWS           blank rows above the font's cell, from 0 to 12\n"
    "                           less its height (default: half the spare rows);\n"
    "                           with --crop, below 0 cuts the cell's top rows\n"
    "      --crop               take a cell larger than 8x12 (up to 16x24),\n"
    "                           cutting what falls outside the slot\n"
    "      --glyphs=FILE        pictures from the yaff FILE instead of the font's:\n"
    "                           a picture labelled with a character ('\u00b0':\n"
    "                           or u+00b0:) is that character's, one labelled\n"
    "                           with a code (0x01:) is what that code shows;\n"
    "                           each fills its slot from the top-left corner,\n"
    "                           at most 8 columns and 12 rows; a picture labelled\n"
    "                           with a code and a character puts the character\n"
    "                           at that code, which the table set must leave free\n"
    "      --text=FILE          give each character that FILE's UI text uses and\n"
    "                           the table set lacks a free code (see below), its\n"
    "                           picture from the font or --glyphs; repeatable\n"
    "  -x, --language=LANG      read every --text FILE as LANG, c or text,\n"
    "                           whatever its extension\n"
    "      --catalog=PO         take the --text sources' messages as the gettext\n"
    "                           catalog PO translates them, as font_text does;\n"
    "                           given again, every language in one program: the\n"
    "                           sources' and each PO's, one code a character\n"
    "      --languages          with one --catalog, the sources' language too,\n"
    "                           as font_text --languages holds it\n"
    "      --keep-codes=LIST    give no character of one's own the codes in LIST,\n"
    "                           a display driver's own controls: codes 0x1B or\n"
    "                           27, or runs 0x01-0x08, separated by commas\n"
    "      --keyword[=NAME]     NAME(\"...\") marks a message too, as for xgettext\n"
    "  -v, --verbose            say what was drawn: the format, the size and why,\n"
    "                           the cell, the top row, how many characters were\n"
    "                           placed, missing and cut, and how many pictures\n"
    "                           --glyphs gave\n"
    "  -h, --help               display this help and exit\n"
    "      --version            output version information and exit\n"
    "\n"
    "SET is a single-byte character set as 'iconv -l' names it (CP866, KOI8-R,\n"
    "KOI8-U, CP1251, ISO-8859-5, CP437, ...). Without --size, a scalable font is\n"
    "drawn at the largest pixel size at which the ink of the glyphs it places\n"
    "fits 12 rows and 8 columns and their advances fit 8 columns; a bitmap font\n"
    "with several sizes gives the largest that is at most 12 pixels high.\n"
    "\n"
    "Slots 0x20-0x7E and 0x80-0xFF show the characters of the glyph order, slots\n"
    "1-31 and 0x7F the symbols PC fonts put there. Characters of the table set\n"
    "that the glyph order lacks take those slots, then any the glyph order leaves\n"
    "free. Each character the header can show but the font lacks is named in a\n"
    "warning and left blank. Where a font's codes are bytes of a set (a yaff or\n"
    "BDF in KOI8-R, say, or any font read with -e), each code of the header that\n"
    "means the same there, or is a control character there, shows the font's\n"
    "glyph for that code.\n"
    "\n"
    "A code is free when the table set gives it no character (1-31 and 127, and\n"
    "the upper codes it leaves undefined); 0x00 and 0x0A, which end a string and a\n"
    "line, never are, nor a code a --text FILE writes itself (\\t, \\033, a typed\n"
    "tab) or --keep-codes names. Characters labelled with a free code keep it; the\n"
    "others take the free codes left, lowest first: those pictures alone need,\n"
    "then those the text alone needs, each in the order of their Unicode numbers.\n"
    "\"koi.sets\" lists what the free codes show; font_text, font_sheet and\n"
    "font_export follow it.\n"
    "\n"
    "Exit status: 0 when the files are written, 1 for any error, 2 for bad usage.\n";

enum long_only {
    TOP_OPTION = CHAR_MAX + 1,
    CROP_OPTION,
    GLYPHS_OPTION,
    TEXT_OPTION,
    CATALOG_OPTION,
    LANGUAGES_OPTION,
    KEYWORD_OPTION,
    KEEP_CODES_OPTION,
    VERSION_OPTION
};
constexpr char SHORT_OPTIONS[] = "o:g:t:e:s:x:vh";
const option LONG_OPTIONS[] = {{"output", required_argument, nullptr, 'o'},
                               {"glyph-order", required_argument, nullptr, 'g'},
                               {"table", required_argument, nullptr, 't'},
                               {"font-encoding", required_argument, nullptr, 'e'},
                               {"size", required_argument, nullptr, 's'},
                               {"top", required_argument, nullptr, TOP_OPTION},
                               {"crop", no_argument, nullptr, CROP_OPTION},
                               {"glyphs", required_argument, nullptr, GLYPHS_OPTION},
                               {"text", required_argument, nullptr, TEXT_OPTION},
                               {"language", required_argument, nullptr, 'x'},
                               {"catalog", required_argument, nullptr, CATALOG_OPTION},
                               {"languages", no_argument, nullptr, LANGUAGES_OPTION},
                               {"keyword", optional_argument, nullptr, KEYWORD_OPTION},
                               {"keep-codes", required_argument, nullptr, KEEP_CODES_OPTION},
                               {"verbose", no_argument, nullptr, 'v'},
                               {"help", no_argument, nullptr, 'h'},
                               {"version", no_argument, nullptr, VERSION_OPTION},
                               {nullptr, 0, nullptr, 0}};

struct parsed_line {
    import_options options;
    std::vector<std::string> text_paths;
    std::optional<bool> c_source;  // what --language says
    std::vector<std::string> catalogs;
    bool every_language = false;  // what --languages says
    keyword_option keywords;
    bool keyword_given = false;
    std::string output_dir = ".";
    bool verbose = false;
    int exit_now = -1;  // the status to exit with at once, or -1 to import
};

// Takes the name of a set; returns what is wrong with it, or an empty text.
std::string take_set_name(const char *argument, const char *option, std::string &name)
{
    if (*argument == '\0')
        return std::string("the ") + option + " set is an empty name";
    name = argument;
    return "";
}

// One code of --keep-codes: 0x1B, or 27.
std::optional<std::uint8_t> code_named(std::string_view text)
{
    constexpr unsigned HEX = 16, DECIMAL = 10, LARGEST = 0xFF;
    const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    const std::string_view digits = hex ? text.substr(2) : text;
    if (digits.empty() || digits.size() > (hex ? 2U : 3U))
        return std::nullopt;
    unsigned value = 0;
    for (const char c : digits) {
        const char lower = static_cast<char>(c | 0x20);
        const unsigned digit = c >= '0' && c <= '9'            ? static_cast<unsigned>(c - '0')
                               : hex && lower >= 'a' && lower <= 'f' ? static_cast<unsigned>(lower - 'a' + 10)
                                                                   : HEX;
        if (digit >= (hex ? HEX : DECIMAL))
            return std::nullopt;
        value = value * (hex ? HEX : DECIMAL) + digit;
    }
    if (value > LARGEST)
        return std::nullopt;
    return static_cast<std::uint8_t>(value);
}

// Takes --keep-codes=LIST: codes and runs of codes, separated by commas.
std::string take_keep_codes(const char *argument, std::set<std::uint8_t> &codes)
{
    const std::string_view list(argument);
    for (std::size_t start = 0;;) {
        const std::size_t comma = std::min(list.find(',', start), list.size());
        const std::string_view item = list.substr(start, comma - start);
        const std::size_t dash = item.find('-');
        const auto first = code_named(item.substr(0, dash));
        const auto last = dash == std::string_view::npos ? first : code_named(item.substr(dash + 1));
        if (!first || !last || *last < *first)
            return "invalid --keep-codes " + quote(argument) +
                   ": codes from 0x00 to 0xFF (0x1B or 27) and runs of them (0x01-0x08), separated by commas";
        for (unsigned code = *first; code <= *last; ++code)
            codes.insert(static_cast<std::uint8_t>(code));
        if (comma == list.size())
            return "";
        start = comma + 1;
    }
}

// What is wrong with an option's argument, or an empty text.
std::string invalid_argument(int option, const char *argument, parsed_line &line)
{
    import_options &options = line.options;
    switch (option) {
    case 'o':
        if (*argument == '\0')
            return "the --output directory is an empty name";
        if (argument == std::string(STANDARD_STREAM))
            return "--output names a directory: the pair is two files and their record, never standard output";
        line.output_dir = argument;
        break;
    case 'g':
        return take_set_name(argument, "--glyph-order", options.glyph_order);
    case 't':
        return take_set_name(argument, "--table", options.table_set);
    case 'e':
        return take_set_name(argument, "--font-encoding", options.font_encoding);
    case 's':
        if (!(options.pixel_size = whole_number(argument, 1, LARGEST_PIXEL_SIZE)))
            return "invalid --size " + quote(argument) + ": a pixel size is 1 to " +
                   std::to_string(LARGEST_PIXEL_SIZE);
        break;
    case TOP_OPTION:
        if (!(options.top = whole_number(argument, -LOWEST_TOP, static_cast<int>(GLYPH_LINES))))
            return "invalid --top " + quote(argument) + ": -12 to 12 rows";
        break;
    case CROP_OPTION:
        options.crop = true;
        break;
    case GLYPHS_OPTION:
        if (*argument == '\0')
            return "the --glyphs file is an empty name";
        options.glyphs_path = argument;
        break;
    case TEXT_OPTION:
        if (*argument == '\0')
            return "the --text file is an empty name";
        line.text_paths.emplace_back(argument);
        break;
    case 'x':
        if (!(line.c_source = language_named(argument)))
            return "invalid --language " + quote(argument) + ": c or text";
        break;
    case CATALOG_OPTION:
        if (*argument == '\0' && catalogs_available())
            return "the --catalog file is an empty name";
        return take_catalog_option(PROGRAM, argument, line.catalogs);
    case LANGUAGES_OPTION:
        line.every_language = true;
        break;
    case KEYWORD_OPTION:
        line.keyword_given = true;
        return line.keywords.take(argument);
    case KEEP_CODES_OPTION:
        return take_keep_codes(argument, options.keep_codes);
    case 'v':
        line.verbose = true;
        break;
    }
    return "";
}

parsed_line parse(int argc, char **argv)
{
    parsed_line line;
    const tool_options tool{PROGRAM, HELP, SHORT_OPTIONS, LONG_OPTIONS, VERSION_OPTION};
    if (const auto status = read_options(argc, argv, tool, [&line](int option, const char *argument) {
            return invalid_argument(option, argument, line);
        })) {
        line.exit_now = *status;
        return line;
    }
    std::string error = operand_error("FONT", argc - optind, argv + optind);
    if (error.empty() && (!line.catalogs.empty() || line.keyword_given) && line.text_paths.empty())
        error = "--catalog and --keyword go with --text";
    else if (error.empty() && (line.keyword_given || line.every_language) && line.catalogs.empty())
        error = "--keyword and --languages go with --catalog";
    if (error.empty()) {
        std::vector<std::string> inputs = line.text_paths;
        inputs.push_back(argv[optind]);
        inputs.push_back(line.options.glyphs_path);
        inputs.insert(inputs.end(), line.catalogs.begin(), line.catalogs.end());
        error = standard_input_error(inputs);
    }
    if (!error.empty()) {
        report_usage_error(PROGRAM, error);
        line.exit_now = USAGE_STATUS;
    } else {
        line.options.font_path = argv[optind];
    }
    return line;
}

// Makes dir and the parents it lacks, as mkdir -p does, listing those made
// so that a failed write can take them away again. Returns errno, or 0.
int make_directories(const std::string &dir, std::vector<std::string> &made)
{
    for (std::size_t slash = dir.find('/', 1);; slash = dir.find('/', slash + 1)) {
        const std::string part = dir.substr(0, slash);
        if (mkdir(part.c_str(), NEW_DIRECTORY_MODE) == 0)
            made.push_back(part);
        else if (errno != EEXIST)
            return errno;
        if (slash == std::string::npos)
            return 0;
    }
}

// Reads the --text files; returns whether all could be read.
bool read_texts(const parsed_line &line, std::vector<text_source> &texts)
{
    for (const std::string &path : line.text_paths) {
        text_source text{input_name(path), "", line.c_source.value_or(is_c_source(path))};
        if (const std::string reason = read_file(path, text.content); !reason.empty()) {
            report_failure(PROGRAM, text.name.c_str(), reason.c_str());
            return false;
        }
        texts.push_back(std::move(text));
    }
    return true;
}

// Writes both files, and the record of their sets, into dir, made if
// missing; returns whether they are there. A pair that is there already,
// byte for byte, is left as it is, so that a build sees nothing new.
bool write_pair(const std::string &dir, const imported_font &result, const set_record &sets)
{
    const std::string record = record_text(sets, result.font, result.table);
    // A record the other tools would refuse is never written.
    set_record read_back;
    charset_table set;
    if (const auto problem = read_record_text(record, result.font, result.table, read_back, set)) {
        const std::string reason = "a record that could not be read back (" + problem->reason + "): nothing is written";
        report_failure(PROGRAM, path_in(dir, SET_RECORD_FILE).c_str(), reason.c_str());
        return false;
    }
    std::vector<std::string> made;
    const std::vector<output_file> files = {
        {path_in(dir, SOURCE_FONT_FILE), file_bytes(result.font.begin(), result.font.end())},
        {path_in(dir, RECODE_TABLE_FILE), file_bytes(result.table.begin(), result.table.end())},
        {path_in(dir, SET_RECORD_FILE), record}};
    if (std::all_of(files.begin(), files.end(), [](const output_file &file) {
            std::string there;
            return read_file(file.path, there).empty() && there == file.content;
        }))
        return true;
    if (const int error = make_directories(dir, made); error != 0) {
        report_failure(PROGRAM, dir.c_str(), std::strerror(error));
        return false;
    }
    const auto failure = write_output_files(files);
    if (!failure)
        return true;
    report_failure(PROGRAM, failure->file.c_str(), failure->reason.c_str());
    for (auto directory = made.rbegin(); directory != made.rend(); ++directory)
        rmdir(directory->c_str());
    return false;
}

}  // namespace

int main(int argc, char **argv)
{
    const parsed_line line = parse(argc, argv);
    if (line.exit_now >= 0)
        return line.exit_now;

    std::vector<std::string> inputs = line.text_paths;
    inputs.push_back(line.options.font_path);
    inputs.insert(inputs.end(), line.catalogs.begin(), line.catalogs.end());
    if (!line.options.glyphs_path.empty())
        inputs.push_back(line.options.glyphs_path);
    for (const std::string &output : pair_files(line.output_dir))
        if (!writes_no_input_reported(PROGRAM, output, inputs))
            return EXIT_FAILURE;

    import_options options = line.options;
    if (!read_texts(line, options.texts))
        return EXIT_FAILURE;
    std::vector<text_translations> catalogs(line.catalogs.size());
    for (std::size_t i = 0; i < catalogs.size(); ++i) {
        if (!load_catalog_reported(PROGRAM, line.catalogs[i], catalogs[i]))
            return EXIT_FAILURE;
        options.catalogs.push_back(&catalogs[i]);
    }
    options.every_language = line.every_language;
    options.keywords = line.keywords.keywords();
    imported_font result;
    if (const auto errors = import_font(options, result); !errors.empty()) {
        for (const import_error &error : errors)
            report_failure(PROGRAM, error.subject.c_str(), error.reason.c_str());
        return EXIT_FAILURE;
    }
    const std::string font = input_name(line.options.font_path);
    for (const font_warning &warning : result.warnings) {
        const std::string place = warning.line == 0 ? font : font + ":" + std::to_string(warning.line);
        report_failure(PROGRAM, place.c_str(), warning.text.c_str());
    }
    if (line.verbose)
        report_failure(PROGRAM, font.c_str(), result.report.c_str());

    set_record sets;
    sets.table_set = line.options.table_set;
    sets.glyph_order = line.options.glyph_order;
    sets.characters = result.at_free_codes;
    return write_pair(line.output_dir, result, sets) ? EXIT_SUCCESS : EXIT_FAILURE;
}
