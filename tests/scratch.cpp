#include "scratch.h"

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

scratch_dir::scratch_dir()
{
    const char *tmp = std::getenv("TMPDIR");
    std::string name = std::string(tmp != nullptr ? tmp : "/tmp") + "/make_h_test.XXXXXX";
    if (mkdtemp(name.data()) == nullptr)
        throw std::runtime_error("cannot make a scratch directory");
    path_ = name;
}

scratch_dir::~scratch_dir()
{
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

void scratch_dir::write(const std::string &name, const bytes &content) const
{
    std::ofstream out(file(name), std::ios::binary);
    out.write(reinterpret_cast<const char *>(content.data()),
              static_cast<std::streamsize>(content.size()));
}

bytes scratch_dir::read(const std::string &name) const
{
    std::ifstream in(file(name), std::ios::binary);
    return bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

tool_run run_in(const scratch_dir &dir, const std::string &command,
                const std::string &stdout_redirect)
{
    std::remove(dir.file(".stdout").c_str());
    const std::string line =
        "cd '" + dir.file("") + "' && " + command + " " + stdout_redirect + " 2>.stderr";
    const int wait_status = std::system(line.c_str());
    const int status = WIFEXITED(wait_status) ? WEXITSTATUS(wait_status) : -1;
    return {status, text(dir.read(".stdout")), text(dir.read(".stderr"))};
}

std::string text(const bytes &content)
{
    return std::string(content.begin(), content.end());
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
    // Entries in both halves of the font, 255 among them.
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
