// What font_sheet and font_import put out: their files, standard output and
// the messages of their command lines. A file is written beside its final
// name and renamed into place only when complete, so a failed or interrupted
// run leaves what was there before and no temporary file behind.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

using file_bytes = std::vector<std::uint8_t>;

struct output_file {
    std::string path;
    file_bytes content;
};

struct output_failure {
    std::string file;
    std::string reason;
};

// Writes every file beside its path and syncs it to disk; only when all are
// written do they take their final names, all or none: a rename that fails
// puts back what the earlier ones replaced. Writers of one directory take
// turns, by an advisory lock on it. A file that replaces another keeps that
// one's permission bits; a new one gets what a plain create would give. A
// pipe or device already at a path is written to as it is. Until the files
// are in place, SIGINT, SIGTERM, SIGHUP and SIGXFSZ remove the temporary
// files before the process dies of them; while they are renamed, those
// signals wait. Returns what failed, or nothing when all are in place.
std::optional<output_failure> write_output_files(const std::vector<output_file> &files);

// Writes content to standard output, then flushes and closes it. Returns why
// it did not all get out, or an empty text.
std::string write_standard_output(const file_bytes &content);

// Prints text (a tool's help or version) on standard output; returns the exit
// status, EXIT_FAILURE with a message if the text did not get out.
int print_reported(const char *program, const std::string &text);

// What is wrong with the operands when exactly one, NAME, is wanted, e.g.
// "missing FONT operand"; an empty text when nothing is.
std::string operand_error(const char *name, int count, char *const *operands);

// A usage error: "PROGRAM: reason" (unless reason is empty, when the option
// parser has said it), then how to get help.
void report_usage_error(const char *program, const std::string &reason);
