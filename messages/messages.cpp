// The messages make_h shares with the tools, with stdio alone: make_h links
// nothing of the C++ library for them.
#include "messages/messages.h"

#include <cstdio>
#include <cstring>

#include "messages/quoting.h"

namespace {

constexpr unsigned char FIRST_PRINTING = 0x20, DELETE = 0x7F;
// Characters that C writes as a backslash and a letter, and those letters.
constexpr char ESCAPED[] = "\a\b\t\n\v\f\r\\'";
constexpr char ESCAPE_LETTERS[] = "abtnvfr\\'";

bool is_control_byte(char c)
{
    const auto byte = static_cast<unsigned char>(c);
    return byte < FIRST_PRINTING || byte == DELETE;
}

}  // namespace

bool has_control_byte(const char *text, std::size_t size)
{
    for (std::size_t i = 0; i < size; ++i)
        if (is_control_byte(text[i]))
            return true;
    return false;
}

const char *escaped(char c, char (&buffer)[ESCAPE_SIZE])
{
    if (const char *at = std::strchr(ESCAPED, c); at != nullptr && c != '\0')
        std::snprintf(buffer, sizeof buffer, "\\%c", ESCAPE_LETTERS[at - ESCAPED]);
    else if (is_control_byte(c))
        std::snprintf(buffer, sizeof buffer, "\\%03o", static_cast<unsigned char>(c));
    else
        std::snprintf(buffer, sizeof buffer, "%c", c);
    return buffer;
}

void report_failure(const char *program, const char *file, const char *reason)
{
    if (!has_control_byte(file, std::strlen(file))) {
        std::fprintf(stderr, "%s: %s: %s\n", program, file, reason);
        return;
    }
    // Rare enough that writing the quoted name piece by piece costs nothing.
    flockfile(stderr);
    std::fprintf(stderr, "%s: '", program);
    char buffer[ESCAPE_SIZE];
    for (const char *c = file; *c != '\0'; ++c)
        std::fputs(escaped(*c, buffer), stderr);
    std::fprintf(stderr, "': %s\n", reason);
    funlockfile(stderr);
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
