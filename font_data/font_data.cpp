#include "font_data/font_data.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

constexpr std::uint8_t RECODED_BIT = 0x80;
constexpr unsigned char FIRST_PRINTING = 0x20, DELETE = 0x7F;

bool is_control_byte(char c)
{
    const auto byte = static_cast<unsigned char>(c);
    return byte < FIRST_PRINTING || byte == DELETE;
}

// Characters that C writes as a backslash and a letter, and those letters.
constexpr char ESCAPED[] = "\a\b\t\n\v\f\r\\'";
constexpr char ESCAPE_LETTERS[] = "abtnvfr\\'";

// The C escape of a byte inside quotes, or the byte itself.
std::string escaped(char c)
{
    if (const char *at = std::strchr(ESCAPED, c); at != nullptr && c != '\0')
        return std::string("\\") + ESCAPE_LETTERS[at - ESCAPED];
    if (!is_control_byte(c))
        return std::string(1, c);
    char octal[8];
    std::snprintf(octal, sizeof octal, "\\%03o", static_cast<unsigned char>(c));
    return octal;
}

// One read request for the whole image. The size of the file is never asked
// for, so pipes and devices work as well as regular files.
load_status load_image(const char *file, std::uint8_t *image, std::size_t size)
{
    load_status status{file, 0, 0, size};
    std::FILE *stream = std::fopen(file, "rb");
    if (stream == nullptr) {
        status.error = errno;
        return status;
    }
    status.bytes_read = std::fread(image, 1, size, stream);
    if (std::ferror(stream))
        status.error = errno;  // a directory opens, but reading it fails
    std::fclose(stream);       // read-only: nothing to lose on close
    return status;
}

}  // namespace

std::string error_text(int error)
{
    return std::strerror(error != 0 ? error : EIO);
}

std::string characters(std::size_t count)
{
    return std::to_string(count) + (count == 1 ? " character" : " characters");
}

std::string quote(const std::string &text)
{
    std::string quoted = "'";
    for (const char c : text)
        quoted += escaped(c);
    return quoted + "'";
}

std::string quoted_name(const std::string &name)
{
    for (const char c : name)
        if (is_control_byte(c))
            return quote(name);
    return name;
}

void report_failure(const char *program, const char *file, const char *reason)
{
    std::fprintf(stderr, "%s: %s: %s\n", program, quoted_name(file).c_str(), reason);
}

bool load_reported(const char *program, const load_status &status)
{
    if (status.error != 0) {
        report_failure(program, status.file, std::strerror(status.error));
        return false;
    }
    if (status.bytes_read < status.bytes_needed) {
        char reason[64];
        std::snprintf(reason, sizeof reason, "%zu bytes, %zu needed", status.bytes_read,
                      status.bytes_needed);
        report_failure(program, status.file, reason);
        return false;
    }
    return true;
}

load_status load_source_font(source_font &font, const char *path)
{
    return load_image(path, font.data(), font.size());
}

load_status load_recode_table(recode_table &table, const char *path)
{
    return load_image(path, table.data(), table.size());
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

std::uint8_t glyph_for_code(const recode_table &table, std::uint8_t code)
{
    if ((code & RECODED_BIT) == 0)
        return code;
    return table[code - RECODED_BIT];
}

std::uint8_t font_byte(const source_font &font, std::uint8_t glyph, std::size_t line)
{
    return font[glyph * GLYPH_LINES + line];
}
