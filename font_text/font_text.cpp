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

#include "charset/text_codes.h"
#include "command_line/command_line.h"
#include "command_line/set_record.h"
#include "font_data/font_data.h"
#include "messages/messages.h"
#include "font_text/encoder.h"
#include "output_file/output_file.h"

namespace {

constexpr char PROGRAM[] = "font_text";

constexpr char HELP[] =
    "Usage: font_text [OPTION]... FILE...\n"
    "Put the UI text of each FILE into the 8-bit codes of a font made for make_h,\n"
    "and check it: every character that has no code, or whose code shows a blank\n"
    "glyph, is named with its place. In a C or C++ source (.c .h .cc .cpp .cxx\n"
    ".hh .hpp .hxx .ino) only ordinary string and character literals are text;\n"
    "in any other file, every character but the line ends is.\n"
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
    "  -h, --help           display this help and exit\n"
    "      --version        output version information and exit\n"
    "\n"
    "U+0020-U+007E keep their ASCII codes; any other character gets the byte\n"
    "0x80-0xFF that SET gives it, or has no code. Space characters may show a\n"
    "blank glyph.\n"
    "\n"
    "Exit status: 0 when all is well, 1 for any problem or I/O error, 2 for bad\n"
    "usage. OUT is written only when FILE has no problem.\n";

enum long_only { VERSION_OPTION = CHAR_MAX + 1 };
constexpr char SHORT_OPTIONS[] = "t:f:o:x:h";
const option LONG_OPTIONS[] = {{"table", required_argument, nullptr, 't'},
                               {"font", required_argument, nullptr, 'f'},
                               {"output", required_argument, nullptr, 'o'},
                               {"language", required_argument, nullptr, 'x'},
                               {"help", no_argument, nullptr, 'h'},
                               {"version", no_argument, nullptr, VERSION_OPTION},
                               {nullptr, 0, nullptr, 0}};

struct settings {
    std::optional<std::string> table_set;
    std::optional<std::string> font_dir;
    std::optional<std::string> output;
    std::optional<bool> c_source;  // what --language says
    std::vector<std::string> files;
    int exit_now = -1;             // the status to exit with at once, or -1 to go on
};

// What is wrong with an option's argument, or an empty text.
std::string take_option(int option, const char *argument, settings &given)
{
    if (*argument == '\0')
        return std::string("-") + static_cast<char>(option) + " is given an empty name";
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
        if (std::strcmp(argument, "c") != 0 && std::strcmp(argument, "text") != 0)
            return "invalid --language " + quote(argument) + ": c or text";
        given.c_source = std::strcmp(argument, "c") == 0;
        break;
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
    given.files.assign(argv + optind, argv + argc);
    std::string error;
    if (given.files.empty())
        error = "missing FILE operand";
    else if (given.output && given.files.size() > 1)
        error = "--output takes one FILE, not " + std::to_string(given.files.size());
    else
        for (const std::string &file : given.files)
            if (file.empty())
                error = "FILE is an empty name";
    if (!error.empty()) {
        report_usage_error(PROGRAM, error);
        given.exit_now = USAGE_STATUS;
    }
    return given;
}

// The codes of the table set, checked against the font in -f DIR, whose
// record of sets the set must agree with; nothing when a failure has been
// reported.
std::optional<text_codes> codes_to_use(const settings &given)
{
    if (!given.font_dir) {
        const auto set = table_set_reported(PROGRAM, given.table_set.value_or(DEFAULT_TABLE_SET));
        return set ? std::optional<text_codes>(std::in_place, set->characters, set->name) : std::nullopt;
    }
    source_font font;
    recode_table table;
    if (!load_inputs_reported(PROGRAM, *given.font_dir, font, table))
        return std::nullopt;
    const auto set = pair_table_set_reported(PROGRAM, *given.font_dir, table, given.table_set);
    if (!set)
        return std::nullopt;
    text_codes codes(set->characters, set->name);
    codes.check_glyphs(font, table);
    return codes;
}

// Encodes one file and writes it where asked; returns whether all was well.
bool encode_file(const std::string &file, const settings &given, const text_codes &codes)
{
    std::string content;
    if (const std::string reason = read_file(file, content); !reason.empty()) {
        report_failure(PROGRAM, file.c_str(), reason.c_str());
        return false;
    }
    const encoded_text encoded = given.c_source.value_or(is_c_source(file))
                                     ? encode_c_source(content, file, codes)
                                     : encode_plain_text(content, codes);
    for (const text_problem &problem : encoded.problems)
        std::fprintf(stderr, "%s: %s:%zu:%zu: %s\n", PROGRAM, quoted_name(file).c_str(), problem.line,
                     problem.column, problem.what.c_str());
    if (!encoded.problems.empty() || !given.output)
        return encoded.problems.empty();
    const auto *bytes = reinterpret_cast<const std::uint8_t *>(encoded.bytes.data());
    const auto failure = write_output_files({{*given.output, file_bytes(bytes, bytes + encoded.bytes.size())}});
    if (failure)
        report_failure(PROGRAM, failure->file.c_str(), failure->reason.c_str());
    return !failure;
}

}  // namespace

int main(int argc, char **argv)
{
    const settings given = parse(argc, argv);
    if (given.exit_now >= 0)
        return given.exit_now;

    const std::optional<text_codes> codes = codes_to_use(given);
    if (!codes)
        return EXIT_FAILURE;

    bool all_well = true;
    for (const std::string &file : given.files)
        all_well = encode_file(file, given, *codes) && all_well;
    return all_well ? EXIT_SUCCESS : EXIT_FAILURE;
}
