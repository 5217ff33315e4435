// Test helpers: a scratch directory for inputs, and running a tool in it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

using bytes = std::vector<std::uint8_t>;

// A fresh directory under TMPDIR, removed with its contents at the end.
class scratch_dir {
public:
    scratch_dir();
    ~scratch_dir();
    scratch_dir(const scratch_dir &) = delete;
    scratch_dir &operator=(const scratch_dir &) = delete;

    std::string file(const std::string &name) const { return path_ + "/" + name; }
    void write(const std::string &name, const bytes &content) const;
    bytes read(const std::string &name) const;

private:
    std::string path_;
};

struct tool_run {
    int status;  // exit status, -1 if the tool did not exit normally
    std::string out;
    std::string err;
};

// Runs a shell command inside dir. Standard error is always caught; standard
// output is caught unless the command redirects it itself (pass "").
tool_run run_in(const scratch_dir &dir, const std::string &command,
                const std::string &stdout_redirect = ">.stdout");

std::string text(const bytes &content);

// Inputs whose bytes vary with their position, so a misplaced byte shows.
bytes test_font();
bytes test_table();

// Element r * 256 + c of the header array, worked out from the inputs directly.
bytes recoded_transpose(const bytes &font, const bytes &table);
