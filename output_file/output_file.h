// The files the tools around make_h write. A file is written beside its
// final name and renamed into place only when complete, so a failed or
// interrupted run leaves what was there before and no temporary file behind.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// A file's bytes, as they are: a text, such as an encoded source, is one
// without a copy.
using file_bytes = std::string;

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
// pipe or device already at a path is written to as it is, and a symbolic
// link is followed to the file it names, which is replaced. Until the files
// are in place, SIGINT, SIGTERM, SIGHUP and SIGXFSZ remove the temporary
// files before the process dies of them; while they are renamed, those
// signals wait. Returns what failed, or nothing when all are in place.
std::optional<output_failure> write_output_files(const std::vector<output_file> &files);
