// Tests run the tools as users do: in a scratch directory holding inputs
// made by the test.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

using bytes = std::vector<std::uint8_t>;

struct tool_run {
    int status;  // -1 if the tool did not exit normally
    std::string out;
    std::string err;
};

// The bytes of a text.
inline bytes as_bytes(const std::string &text)
{
    return bytes(text.begin(), text.end());
}

// A word the shell takes as it stands, whatever characters it holds.
std::string quoted(const std::string &word);

// The lines of a text, without their line feeds.
std::vector<std::string> lines_of(const std::string &text);

// What the file holds; empty if it cannot be read.
std::string contents(const std::string &path);

// Inputs whose bytes vary with their position, so a misplaced byte shows.
bytes test_font();
bytes test_table();  // entries in both halves of the font, 255 among them

// Element r * 256 + c of the header array, worked out from the inputs directly.
bytes recoded_transpose(const bytes &font, const bytes &table);

// A fresh directory under TMPDIR holding font and table as "8x12.fnt" and
// "koi.bin"; a test may change them and call SetUp() again. What a run
// prints is kept outside it, so the directory holds only the tools' files.
struct ToolInputs : ::testing::Test {
    std::string root;
    std::string dir;
    bytes font = test_font();
    bytes table = test_table();

    ToolInputs();
    ~ToolInputs() override;
    void SetUp() override;

    std::string file(const std::string &name) const { return dir + "/" + name; }
    // Throws when the file cannot be made, so a test never runs on bad inputs.
    void write(const std::string &name, const bytes &content) const;
    std::string read(const std::string &name) const;
    // Runs a shell command in dir, catching its standard error and, unless
    // told another redirection, its standard output. Paths in the command go
    // through quoted().
    tool_run run(const std::string &command, const std::string &stdout_to = "") const;

    // Runs `command OUT` with OUT each of the files named (in dir), by its
    // name, through a symbolic link and through a hard link: each run must
    // fail with "PROGRAM: OUT: the same file as FILE" and leave every file
    // as it was.
    void expect_writes_over_none(const std::string &program, const std::string &command,
                                 const std::vector<std::string> &files) const;
};
