#include "tool_inputs.h"

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

std::string quoted(const std::string &word)
{
    std::string text = "'";
    for (const char c : word)
        text += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return text + "'";
}

std::vector<std::string> lines_of(const std::string &text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

bytes test_font()
{
    bytes font(3072);
    for (std::size_t i = 0; i < font.size(); ++i)
        font[i] = static_cast<std::uint8_t>(i * 151 + i / 256 * 7 + 13);
    return font;
}

bytes test_table()
{
    bytes table(128);
    for (std::size_t k = 0; k < table.size(); ++k)
        table[k] = static_cast<std::uint8_t>(k * 37 + 200);
    return table;
}

bytes recoded_transpose(const bytes &font, const bytes &table)
{
    bytes array(3072);
    for (std::size_t r = 0; r < 12; ++r)
        for (std::size_t c = 0; c < 256; ++c)
            array[r * 256 + c] = font[(c < 128 ? c : table[c - 128]) * 12 + r];
    return array;
}

ToolInputs::ToolInputs()
{
    const char *tmp = std::getenv("TMPDIR");
    root = std::string(tmp != nullptr ? tmp : "/tmp") + "/make_h_test.XXXXXX";
    if (mkdtemp(root.data()) == nullptr)
        throw std::runtime_error("cannot make a scratch directory");
    dir = root + "/run";
    if (!std::filesystem::create_directory(dir))
        throw std::runtime_error("cannot make " + dir);
}

ToolInputs::~ToolInputs()
{
    std::error_code ignored;
    std::filesystem::remove_all(root, ignored);
}

void ToolInputs::SetUp()
{
    write("8x12.fnt", font);
    write("koi.bin", table);
}

void ToolInputs::write(const std::string &name, const bytes &content) const
{
    std::ofstream out(file(name), std::ios::binary);
    out.write(reinterpret_cast<const char *>(content.data()),
              static_cast<std::streamsize>(content.size()));
    out.close();
    if (!out)
        throw std::runtime_error("cannot write the test input " + file(name));
}

std::string contents(const std::string &path)
{
    std::ostringstream content;
    content << std::ifstream(path, std::ios::binary).rdbuf();
    return content.str();
}

std::string ToolInputs::read(const std::string &name) const
{
    return contents(file(name));
}

tool_run ToolInputs::run(const std::string &command, const std::string &stdout_to) const
{
    const std::string out = root + "/stdout", err = root + "/stderr";
    std::remove(out.c_str());
    const std::string redirections = (stdout_to.empty() ? ">" + quoted(out) : stdout_to) + " 2>" + quoted(err);
    // The subshell keeps a cd inside the command from moving the redirections.
    const std::string line = "cd " + quoted(dir) + " && (" + command + ") " + redirections;
    const int wait_status = std::system(line.c_str());
    return {WIFEXITED(wait_status) ? WEXITSTATUS(wait_status) : -1, contents(out), contents(err)};
}

void ToolInputs::expect_writes_over_none(const std::string &program, const std::string &command,
                                         const std::vector<std::string> &files) const
{
    std::vector<std::string> before;
    for (const std::string &name : files)
        before.push_back(read(name));
    for (const std::string &name : files)
        for (const char *link : {"", "ln -s ", "ln "}) {
            const std::string out = *link == '\0' ? name : "out-link";
            run("rm -f out-link" + (*link == '\0' ? "" : " && " + std::string(link) + quoted(name) + " out-link"));
            const tool_run refused = run(command + " " + quoted(out));
            EXPECT_EQ(refused.status, 1) << command << " " << out << " (" << link << name << ")";
            EXPECT_EQ(refused.err, program + ": " + out + ": the same file as " + name + "\n") << command;
            for (std::size_t i = 0; i < files.size(); ++i)
                EXPECT_TRUE(read(files[i]) == before[i]) << command << " " << out << " changed " << files[i];
        }
    run("rm -f out-link");
}
