#include "command_line/command_line.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "messages/messages.h"

namespace {

constexpr std::size_t READ_CHUNK = std::size_t{1} << 16;

}  // namespace

std::optional<int> read_options(int argc, char **argv, const tool_options &tool,
                                const std::function<std::string(int option, const char *argument)> &take)
{
    argv[0] = const_cast<char *>(tool.program);  // getopt's messages name the tool, not its path
    for (int option; (option = getopt_long(argc, argv, tool.short_options, tool.long_options, nullptr)) != -1;) {
        if (option == 'h')
            return print_reported(tool.program, tool.help);
        if (option == tool.version_option)
            return print_version(tool.program);
        const std::string error = option == '?' ? "" : take(option, optarg);
        if (option == '?' || !error.empty()) {
            report_usage_error(tool.program, error);  // for '?', getopt has said what is wrong
            return USAGE_STATUS;
        }
    }
    return std::nullopt;
}

std::string write_standard_output(const void *data, std::size_t size)
{
    // Only the flush and the close tell whether the buffered bytes got out.
    errno = 0;
    const bool written = std::fwrite(data, 1, size, stdout) == size && std::fflush(stdout) == 0;
    std::string reason = written ? "" : error_text(errno);
    if (std::fclose(stdout) != 0 && reason.empty())
        reason = error_text(errno);
    return reason;
}

std::optional<output_failure> write_output(const std::string &out, file_bytes content)
{
    if (out != STANDARD_STREAM) {
        std::vector<output_file> file;
        file.push_back({out, std::move(content)});
        return write_output_files(file);
    }
    const std::string reason = write_standard_output(content.data(), content.size());
    if (reason.empty())
        return std::nullopt;
    return output_failure{STANDARD_OUTPUT_NAME, reason};
}

int print_reported(const char *program, const std::string &text)
{
    const std::string reason = write_standard_output(text.data(), text.size());
    if (reason.empty())
        return EXIT_SUCCESS;
    report_failure(program, STANDARD_OUTPUT_NAME, reason.c_str());
    return EXIT_FAILURE;
}

int print_version(const char *program)
{
    return print_reported(program, std::string(program) + " " + MAKE_H_VERSION + "\n");
}

namespace {

// What a name stands for: a file, or for "-" the standard stream given.
bool stat_of(const std::string &name, int standard_stream, struct stat &found)
{
    return name == STANDARD_STREAM ? fstat(standard_stream, &found) == 0 : stat(name.c_str(), &found) == 0;
}

}  // namespace

bool writes_no_input_reported(const char *program, const std::string &out, const std::vector<std::string> &inputs)
{
    // Only a file can be overwritten: a terminal or a pipe may well be both
    // what is read and what is written.
    struct stat written {};
    if (!stat_of(out, STDOUT_FILENO, written) || !S_ISREG(written.st_mode))
        return true;
    for (const std::string &input : inputs) {
        struct stat read {};
        if (stat_of(input, STDIN_FILENO, read) && read.st_dev == written.st_dev && read.st_ino == written.st_ino) {
            const std::string out_name = out == STANDARD_STREAM ? STANDARD_OUTPUT_NAME : out;
            report_failure(program, out_name.c_str(), ("the same file as " + quoted_name(input_name(input))).c_str());
            return false;
        }
    }
    return true;
}

std::string operand_error(const char *name, int count, char *const *operands)
{
    if (count == 0)
        return std::string("missing ") + name + " operand";
    if (count > 1)
        return "extra operand " + quote(operands[1]);
    if (operands[0][0] == '\0')
        return std::string(name) + " is an empty name";
    return "";
}

std::string standard_input_error(const std::vector<std::string> &inputs)
{
    if (std::count(inputs.begin(), inputs.end(), STANDARD_STREAM) < 2)
        return "";
    return "standard input ('-') is given for more than one input";
}

std::string empty_name(const option *long_options, int value)
{
    const option *found = long_options;
    while (found->name != nullptr && found->val != value)
        ++found;
    return std::string("--") + (found->name != nullptr ? found->name : "?") + " is given an empty name";
}

void report_usage_error(const char *program, const std::string &reason)
{
    if (!reason.empty())
        std::fprintf(stderr, "%s: %s\n", program, reason.c_str());
    std::fprintf(stderr, "Try '%s --help'.\n", program);
}

std::optional<int> whole_number(const char *text, int least, int most)
{
    errno = 0;
    char *end = nullptr;
    const long value = std::strtol(text, &end, 10);
    if (errno != 0 || end == text || *end != '\0' || value < least || value > most)
        return std::nullopt;
    return static_cast<int>(value);
}

std::optional<std::pair<std::size_t, std::size_t>> screen_size(const std::string &text)
{
    const std::size_t x = text.find('x');
    if (x == std::string::npos)
        return std::nullopt;
    const auto width = whole_number(text.substr(0, x).c_str(), 1, LARGEST_SCREEN_SIDE);
    const auto height = whole_number(text.substr(x + 1).c_str(), 1, LARGEST_SCREEN_SIDE);
    if (!width || !height)
        return std::nullopt;
    return std::make_pair(static_cast<std::size_t>(*width), static_cast<std::size_t>(*height));
}

std::string read_file(const std::string &path, std::string &content)
{
    const bool standard_input = path == STANDARD_STREAM;
    std::FILE *file = standard_input ? stdin : std::fopen(path.c_str(), "rb");
    if (file == nullptr)
        return std::strerror(errno);
    const std::string too_large = "larger than " + std::to_string(MAX_TEXT_BYTES >> 20) + " MiB";
    struct stat status {};
    const bool regular = fstat(fileno(file), &status) == 0 && S_ISREG(status.st_mode);
    if (regular && static_cast<std::uintmax_t>(status.st_size) > MAX_TEXT_BYTES) {
        if (!standard_input)
            std::fclose(file);
        return too_large;
    }
    // Room for all at once: growing by doubling would hold two copies at the
    // bound. Pages of a pipe's room are spent only as it fills them.
    content.reserve(regular ? static_cast<std::size_t>(status.st_size) + READ_CHUNK : MAX_TEXT_BYTES + READ_CHUNK);
    std::string reason;
    for (std::size_t got = READ_CHUNK; got == READ_CHUNK && reason.empty();) {
        const std::size_t had = content.size();
        content.resize(had + READ_CHUNK);
        got = std::fread(content.data() + had, 1, READ_CHUNK, file);
        content.resize(had + got);
        if (content.size() > MAX_TEXT_BYTES)
            reason = too_large;  // a pipe or a device
    }
    // A directory opens, but reading it fails.
    if (reason.empty() && std::ferror(file))
        reason = error_text(errno);
    if (!standard_input)
        std::fclose(file);
    return reason;
}

std::string path_in(const std::string &dir, const char *name)
{
    if (dir == ".")
        return name;
    return dir.back() == '/' ? dir + name : dir + "/" + name;
}

bool load_inputs_reported(const char *program, const std::string &dir, source_font &font,
                          recode_table &table)
{
    const std::string font_path = path_in(dir, SOURCE_FONT_FILE);
    const std::string table_path = path_in(dir, RECODE_TABLE_FILE);
    return load_reported(program, load_source_font(font, font_path.c_str())) &&
           load_reported(program, load_recode_table(table, table_path.c_str()));
}
