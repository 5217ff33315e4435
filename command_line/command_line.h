// What the tools around make_h share on their command lines: GNU-style
// usage errors, operand checks, numbers, and help and version texts on a
// standard output that is checked when it is closed.
#pragma once

#include <getopt.h>

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "font_data/font_data.h"
#include "output_file/output_file.h"

constexpr int USAGE_STATUS = 2;  // bad usage, as GNU tools exit

// A tool's options, for getopt_long: 'h' is --help, version_option --version.
struct tool_options {
    const char *program;
    const char *help;
    const char *short_options;
    const option *long_options;
    int version_option;
};

// Reads the options: help and version are printed here, and every other
// option goes to take, which returns what is wrong with its argument, or an
// empty text. Returns the status to exit with at once, or nothing: then
// optind is the first operand.
std::optional<int> read_options(int argc, char **argv, const tool_options &tool,
                                const std::function<std::string(int option, const char *argument)> &take);

// Writes size bytes to standard output, then flushes and closes it. Returns
// why they did not all get out, or an empty text.
std::string write_standard_output(const void *data, std::size_t size);

// Writes content to out: to standard output for "-", else beside out and
// renamed into place by write_output_files. Returns what failed ("standard
// output", the file or the directory that refused it) and why, or nothing.
std::optional<output_failure> write_output(const std::string &out, file_bytes content);

// Whether out is none of a tool's inputs, by any name (through a link, or a
// hard link): writing it would destroy what is being read. Reports "PROGRAM:
// OUT: the same file as INPUT" when it is one. "-" is standard output for
// out, standard input for an input: a file the shell opened counts too.
bool writes_no_input_reported(const char *program, const std::string &out, const std::vector<std::string> &inputs);

// Prints text (a tool's help) on standard output; returns the exit status,
// EXIT_FAILURE with a message if the text did not get out.
int print_reported(const char *program, const std::string &text);

// Prints "PROGRAM VERSION" the same way.
int print_version(const char *program);

// What is wrong with the operands when exactly one, NAME, is wanted, e.g.
// "missing FONT operand"; an empty text when nothing is.
std::string operand_error(const char *name, int count, char *const *operands);

// What is wrong when more than one of a tool's inputs is "-": standard
// input can be read once. An empty text when at most one is.
std::string standard_input_error(const std::vector<std::string> &inputs);

// "--NAME is given an empty name", for an option of long_options whose
// argument names a file, a directory or a set.
std::string empty_name(const option *long_options, int option);

// A usage error: "PROGRAM: reason" (unless reason is empty, when the option
// parser has said it), then how to get help.
void report_usage_error(const char *program, const std::string &reason);

// The most bytes a text read whole may have: far more than any UI text, and
// few enough that a device without end (/dev/zero) is refused in time.
constexpr std::size_t MAX_TEXT_BYTES = std::size_t{64} << 20;

// Reads a file named on the command line whole, as it is, up to
// MAX_TEXT_BYTES; "-" is standard input. Returns why it cannot, or an empty
// text.
std::string read_file(const std::string &path, std::string &content);

// A whole number from least to most, or nothing.
std::optional<int> whole_number(const char *text, int least, int most);

// The largest side of a display --screen=WxH takes, in pixels.
constexpr int LARGEST_SCREEN_SIDE = 4096;

// "WxH", two whole numbers from 1 to LARGEST_SCREEN_SIDE, or nothing.
std::optional<std::pair<std::size_t, std::size_t>> screen_size(const std::string &text);

// Where one of the two files is in a directory, as the tools name it: the
// name alone for ".".
std::string path_in(const std::string &dir, const char *name);

// Loads both inputs from dir, reporting a failure as load_reported does;
// returns whether both are loaded.
bool load_inputs_reported(const char *program, const std::string &dir, source_font &font,
                          recode_table &table);
