// font_text: puts UI text into the 8-bit codes that a font made for make_h
// shows, and checks it against the font; with catalogs, in every language
// of the program.
#include <getopt.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "catalog/catalog.h"
#include "charset/text_codes.h"
#include "command_line/command_line.h"
#include "set_record/set_record.h"
#include "font_data/font_data.h"
#include "messages/messages.h"
#include "program_languages/program_languages.h"
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
    "  -o, --output=OUT     write the encoded FILE to OUT; given once for each\n"
    "                       FILE, the i-th OUT is the i-th FILE's; a C source\n"
    "                       keeps its lines and names FILE in #line\n"
    "  -x, --language=LANG  read every FILE as LANG, c or text, whatever its\n"
    "                       extension, or none: by its extension; given once\n"
    "                       for each FILE, the i-th LANG is the i-th FILE's\n"
    "      --screen=WxH     the display's size in pixels: every string must\n"
    "                       fit its W/8 columns and H/12 lines, unless a fit:\n"
    "                       note gives it its own room\n"
    "      --fallback       write a character that has no code as iconv spells\n"
    "                       it in SET (\"<<\" for \u00ab), with a warning\n"
    "      --catalog=PO     write each message of a C or C++ source, a string\n"
    "                       literal that is the first argument of a call of _,\n"
    "                       N_ or a --keyword, as the gettext catalog PO\n"
    "                       translates it, checked as the literal would be;\n"
    "                       a translation's faults are named at its line in PO;\n"
    "                       with --languages, given once for each language\n"
    "      --languages=DIR  one program of every language: the sources' and\n"
    "                       each --catalog's, in order; each message is written\n"
    "                       as a pointer into the tables DIR/ui_languages.c and\n"
    "                       DIR/ui_languages.h, which switch language at run\n"
    "                       time, and what each language adds is printed\n"
    "      --tables=DIR     with one --catalog, where the tables of the messages\n"
    "                       with plural forms go (ui_ntext)\n"
    "      --source-language=CODE  the sources' language (default: en)\n"
    "      --language-budget=BYTES  refuse a language that adds more\n"
    "      --keyword[=NAME] NAME(\"...\") marks a message too, as for xgettext;\n"
    "                       NAME:1,2 a message with plural forms, whose second\n"
    "                       argument is its plural; --keyword alone leaves out\n"
    "                       _, N_ and ui_ntext:1,2\n"
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
    "usage. Nothing is written when any FILE or language has a problem.\n";

enum long_only {
    SCREEN_OPTION = CHAR_MAX + 1,
    FALLBACK_OPTION,
    CATALOG_OPTION,
    LANGUAGES_OPTION,
    TABLES_OPTION,
    SOURCE_LANGUAGE_OPTION,
    BUDGET_OPTION,
    KEYWORD_OPTION,
    UNTRANSLATED_OPTION,
    VERSION_OPTION
};
constexpr char SHORT_OPTIONS[] = "t:f:o:x:h";
constexpr char STANDARD_INPUT_LINE_NAME[] = "<stdin>";  // as compilers name it
constexpr char DEFAULT_SOURCE_LANGUAGE[] = "en";
constexpr char BY_EXTENSION[] = "none";  // as gcc -x none
const option LONG_OPTIONS[] = {{"table", required_argument, nullptr, 't'},
                               {"font", required_argument, nullptr, 'f'},
                               {"output", required_argument, nullptr, 'o'},
                               {"language", required_argument, nullptr, 'x'},
                               {"screen", required_argument, nullptr, SCREEN_OPTION},
                               {"fallback", no_argument, nullptr, FALLBACK_OPTION},
                               {"catalog", required_argument, nullptr, CATALOG_OPTION},
                               {"languages", required_argument, nullptr, LANGUAGES_OPTION},
                               {"tables", required_argument, nullptr, TABLES_OPTION},
                               {"source-language", required_argument, nullptr, SOURCE_LANGUAGE_OPTION},
                               {"language-budget", required_argument, nullptr, BUDGET_OPTION},
                               {"keyword", optional_argument, nullptr, KEYWORD_OPTION},
                               {"untranslated", required_argument, nullptr, UNTRANSLATED_OPTION},
                               {"help", no_argument, nullptr, 'h'},
                               {"version", no_argument, nullptr, VERSION_OPTION},
                               {nullptr, 0, nullptr, 0}};

struct settings {
    std::optional<std::string> table_set;
    std::optional<std::string> font_dir;
    std::vector<std::string> outputs;
    // What each --language says: a C or C++ source, or text; nothing: by
    // its extension.
    std::vector<std::optional<bool>> languages;
    text_rules rules;
    bool fallback = false;
    std::vector<std::string> catalogs;
    std::optional<std::string> languages_dir, tables_dir, source_language;
    std::optional<std::size_t> budget;
    keyword_option keywords;
    bool catalog_option = false;  // --keyword or --untranslated, which need catalogs
    bool untranslated_error = false;
    std::vector<std::string> files;
    int exit_now = -1;  // the status to exit with at once, or -1 to go on

    // The directory the tables go to, if any.
    const std::optional<std::string> &tables() const { return languages_dir ? languages_dir : tables_dir; }
};

// What is wrong with an option's argument, or an empty text.
std::string take_option(int option, const char *argument, settings &given)
{
    if (argument != nullptr && *argument == '\0' && option != 'x' && option != SCREEN_OPTION &&
        option != UNTRANSLATED_OPTION && option != SOURCE_LANGUAGE_OPTION && option != BUDGET_OPTION)
        return empty_name(LONG_OPTIONS, option);
    switch (option) {
    case 't':
        given.table_set = argument;
        break;
    case 'f':
        given.font_dir = argument;
        break;
    case 'o':
        given.outputs.emplace_back(argument);
        break;
    case 'x':
        if (std::strcmp(argument, BY_EXTENSION) == 0)
            given.languages.emplace_back();
        else if (const auto c_source = language_named(argument))
            given.languages.emplace_back(c_source);
        else
            return "invalid --language " + quote(argument) + ": c, text or none";
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
        return take_catalog_option(PROGRAM, argument, given.catalogs);
    case LANGUAGES_OPTION:
    case TABLES_OPTION:
        if (std::strcmp(argument, STANDARD_STREAM) == 0)
            return std::string(option == TABLES_OPTION ? "--tables" : "--languages") +
                   " names a directory, never standard output";
        (option == TABLES_OPTION ? given.tables_dir : given.languages_dir) = argument;
        break;
    case SOURCE_LANGUAGE_OPTION:
        return take_source_language_option(argument, given.source_language);
    case BUDGET_OPTION:
        if (const auto bytes = whole_number(argument, 0, INT_MAX))
            given.budget = static_cast<std::size_t>(*bytes);
        else
            return "invalid --language-budget " + quote(argument) + ": a number of bytes";
        break;
    case KEYWORD_OPTION:
        given.catalog_option = true;
        return given.keywords.take(argument);
    case UNTRANSLATED_OPTION:
        given.catalog_option = true;
        if (std::strcmp(argument, "warning") != 0 && std::strcmp(argument, "error") != 0)
            return "invalid --untranslated " + quote(argument) + ": warning or error";
        given.untranslated_error = std::strcmp(argument, "error") == 0;
        break;
    }
    return "";
}

// Whether the i-th FILE is read as a C or C++ source.
bool read_as_c(const settings &given, std::size_t i)
{
    if (given.languages.empty())
        return is_c_source(given.files[i]);
    const std::optional<bool> &language = given.languages[given.languages.size() == 1 ? 0 : i];
    return language ? *language : is_c_source(given.files[i]);
}

// "once", "twice", "3 times".
std::string times(std::size_t count)
{
    return count == 1 ? "once" : count == 2 ? "twice" : std::to_string(count) + " times";
}

// What is wrong with the options together and the operands, or an empty text.
std::string usage_error(const settings &given)
{
    if (given.files.empty())
        return "missing FILE operand";
    const std::string files = std::to_string(given.files.size()) + (given.files.size() == 1 ? " FILE" : " FILEs");
    if (!given.outputs.empty() && given.outputs.size() != given.files.size())
        return "--output is given " + times(given.outputs.size()) + " for " + files +
               ": once for each FILE, or not at all";
    if (given.languages.size() > 1 && given.languages.size() != given.files.size())
        return "--language is given " + times(given.languages.size()) + " for " + files +
               ": once for each FILE, or once for all";
    if (given.catalogs.size() > 1 && !given.languages_dir)
        return "--catalog is given " + times(given.catalogs.size()) +
               ": one program of every language needs --languages=DIR";
    if (given.tables_dir && given.languages_dir)
        return "--tables goes without --languages, which writes the tables";
    if (given.tables_dir && given.catalogs.empty())
        return "--tables goes with --catalog";
    if (given.source_language && !given.languages_dir)
        return "--source-language goes with --languages";
    if (given.budget && !given.tables())
        return "--language-budget goes with --languages or --tables";
    if (given.catalog_option && given.catalogs.empty() && !given.languages_dir)
        return "--keyword and --untranslated go with --catalog or --languages";
    std::set<std::string> outputs;
    for (const std::string &out : given.outputs) {
        if (!outputs.insert(out).second)
            return "--output " + quote(out) + " is given twice";
        if (out == STANDARD_STREAM && given.tables())
            return "--output - goes without --languages and --tables, whose report is standard output";
    }
    std::vector<std::string> inputs = given.files;
    inputs.insert(inputs.end(), given.catalogs.begin(), given.catalogs.end());
    if (std::string error = standard_input_error(inputs); !error.empty())
        return error;
    bool any_c = false;
    for (std::size_t i = 0; i < given.files.size(); ++i) {
        if (given.files[i].empty())
            return "FILE is an empty name";
        any_c = any_c || read_as_c(given, i);
    }
    if (!given.catalogs.empty() && !any_c)
        return "--catalog translates C and C++ sources, and " +
               (given.files.size() == 1 ? quoted_name(given.files[0]) + " is read as text" : "no FILE is read as one");
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
    given.files.assign(argv + optind, argv + argc);
    if (const std::string error = usage_error(given); !error.empty()) {
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

// What the run writes: each FILE's OUT, then the tables.
std::vector<std::string> outputs_of(const settings &given)
{
    std::vector<std::string> outputs = given.outputs;
    if (given.tables()) {
        outputs.push_back(path_in(*given.tables(), TABLES_HEADER_NAME));
        outputs.push_back(path_in(*given.tables(), TABLES_SOURCE_NAME));
    }
    return outputs;
}

// Whether no output is an input, by any name; each is reported.
bool writes_no_input(const settings &given)
{
    std::vector<std::string> inputs = given.files;
    inputs.insert(inputs.end(), given.catalogs.begin(), given.catalogs.end());
    if (given.font_dir)
        for (const std::string &pair_file : pair_files(*given.font_dir))
            inputs.push_back(pair_file);
    bool none = true;
    for (const std::string &out : outputs_of(given))
        none = writes_no_input_reported(PROGRAM, out, inputs) && none;
    return none;
}

// A FILE, as it is read and encoded.
struct source_file {
    std::string path, name;  // as given, and as messages name it
    bool c_source = false;
    std::string content;
    source_messages messages;
    encoded_text encoded;
};

encoded_text encode(const source_file &file, const text_codes &codes, const text_rules &rules)
{
    if (!file.c_source)
        return encode_plain_text(file.content, codes, rules);
    return encode_c_source(file.content, file.path == STANDARD_STREAM ? STANDARD_INPUT_LINE_NAME : file.path, codes,
                           rules);
}

// Reads and encodes each FILE, reporting what is wrong with it, and finds
// its messages where there are catalogs or languages; returns whether all
// is well.
bool encode_files(const settings &given, const text_codes &codes, std::vector<source_file> &files)
{
    bool all_well = true;
    files.resize(given.files.size());
    for (std::size_t i = 0; i < given.files.size(); ++i) {
        source_file &file = files[i];
        file.path = given.files[i];
        file.name = input_name(file.path);
        file.c_source = read_as_c(given, i);
        if (const std::string reason = read_file(file.path, file.content); !reason.empty()) {
            report_failure(PROGRAM, file.name.c_str(), reason.c_str());
            all_well = false;
            continue;
        }
        text_rules rules = given.rules;
        if (given.languages_dir || !given.catalogs.empty())
            rules.messages = &file.messages;
        file.encoded = encode(file, codes, rules);
        report_problems(PROGRAM, file.name, file.encoded.problems);
        all_well = file.encoded.problems.errors == 0 && all_well;
    }
    return all_well;
}

// Where a message with plural forms is used first, when there are no
// tables to choose its forms: an error there.
bool plurals_have_tables(const settings &given, const std::vector<source_file> &files)
{
    for (const source_file &file : files)
        if (!given.tables() && !file.messages.found.empty()) {
            const text_place &place = file.messages.found[0].place;
            text_problems problems;
            problems.add({place.line, place.column,
                          "a message with plural forms: --tables=DIR writes the tables that choose its forms"});
            report_problems(PROGRAM, file.name, problems);
            return false;
        }
    return true;
}

// Every language of the program, its faults reported; nothing when one has
// a fault.
std::optional<program_languages> make_languages(const settings &given, const text_codes &codes,
                                                const std::vector<source_file> &files,
                                                const std::vector<text_translations> &catalogs)
{
    std::vector<source_uses> sources;
    for (const source_file &file : files)
        sources.push_back({file.name, &file.messages.found});
    std::vector<const text_translations *> languages;
    for (const text_translations &catalog : catalogs)
        languages.push_back(&catalog);
    program_settings wanted;
    wanted.source_code = given.source_language.value_or(DEFAULT_SOURCE_LANGUAGE);
    wanted.sources_chosen = given.languages_dir.has_value();
    wanted.budget = given.budget;
    program_languages made = make_program_languages(sources, languages, codes, wanted);
    std::size_t errors = 0;
    for (const file_problems &each : made.problems) {
        report_problems(PROGRAM, each.file, each.problems);
        errors += each.problems.errors;
    }
    if (!made.tables && errors == 0)
        report_failure(PROGRAM, path_in(*given.tables(), TABLES_SOURCE_NAME).c_str(), made.tables_error.c_str());
    if (!made.tables || errors != 0)
        return std::nullopt;
    return made;
}

// Writes each C source's messages as pointers into the tables.
void point_into(const settings &given, const text_codes &codes, const program_languages &languages,
                std::vector<source_file> &files)
{
    for (source_file &file : files) {
        if (file.messages.found.empty())
            continue;
        source_messages pointing;
        pointing.pointers = &languages.pointers;
        pointing.declaration = MESSAGE_TEXTS_DECLARATION;
        text_rules rules = given.rules;
        rules.messages = &pointing;
        file.encoded = encode(file, codes, rules);
    }
}

// Writes every OUT and the tables, all or none; then prints what each
// language adds. Returns whether all got out.
bool write_outputs(const settings &given, std::vector<source_file> &files,
                   const std::optional<program_languages> &languages)
{
    std::vector<output_file> written;
    std::optional<std::size_t> to_standard_output;
    for (std::size_t i = 0; i < given.outputs.size(); ++i) {
        if (given.outputs[i] == STANDARD_STREAM)
            to_standard_output = i;
        else
            written.push_back({given.outputs[i], std::move(files[i].encoded.bytes)});
    }
    if (languages) {
        written.push_back({path_in(*given.tables(), TABLES_HEADER_NAME), languages->tables->header});
        written.push_back({path_in(*given.tables(), TABLES_SOURCE_NAME), languages->tables->source});
    }
    std::optional<output_failure> failure = write_output_files(written);
    if (!failure && to_standard_output)
        failure = write_output(STANDARD_STREAM, std::move(files[*to_standard_output].encoded.bytes));
    if (failure) {
        report_failure(PROGRAM, failure->file.c_str(), failure->reason.c_str());
        return false;
    }
    return !languages || print_reported(PROGRAM, size_report(languages->tables->sizes)) == EXIT_SUCCESS;
}

}  // namespace

int main(int argc, char **argv)
{
    settings given = parse(argc, argv);
    if (given.exit_now >= 0)
        return given.exit_now;

    std::optional<text_codes> codes;
    if (!make_codes(given, codes) || !writes_no_input(given))
        return EXIT_FAILURE;
    std::vector<text_translations> catalogs(given.catalogs.size());
    for (std::size_t i = 0; i < catalogs.size(); ++i) {
        if (!load_catalog_reported(PROGRAM, given.catalogs[i], catalogs[i]))
            return EXIT_FAILURE;
        catalogs[i].untranslated_error = given.untranslated_error;
    }
    given.rules.keywords = given.keywords.keywords();
    if (!given.languages_dir && !catalogs.empty())
        given.rules.translations = &catalogs[0];

    std::vector<source_file> files;
    bool all_well = encode_files(given, *codes, files) && plurals_have_tables(given, files);
    std::optional<program_languages> languages;
    if (all_well && given.tables() && !(languages = make_languages(given, *codes, files, catalogs)))
        all_well = false;
    if (!all_well)
        return EXIT_FAILURE;
    if (languages)
        point_into(given, *codes, *languages, files);
    return write_outputs(given, files, languages) ? EXIT_SUCCESS : EXIT_FAILURE;
}
