// The pieces of the tools' messages that are built as strings.
#include <cerrno>
#include <cstring>

#include "messages/messages.h"
#include "messages/quoting.h"

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
    char buffer[ESCAPE_SIZE];
    for (const char c : text)
        quoted += escaped(c, buffer);
    return quoted + "'";
}

namespace {

// Where a text is cut after EXCERPT_CHARACTERS characters: before the first
// byte of a character, never inside one.
std::size_t excerpt_end(std::string_view text)
{
    std::size_t characters = 0, cut = 0;
    while (cut < text.size() && !(characters == EXCERPT_CHARACTERS && (text[cut] & 0xC0) != 0x80)) {
        characters += (text[cut] & 0xC0) != 0x80 ? 1U : 0U;
        ++cut;
    }
    return cut;
}

constexpr char CUT_MARK[] = "...";

}  // namespace

std::string excerpt(const std::string &text)
{
    const std::size_t cut = excerpt_end(text);
    const std::string quoted = quote(text.substr(0, cut));
    return cut < text.size() ? quoted.substr(0, quoted.size() - 1) + CUT_MARK + "'" : quoted;
}

std::string shortened(std::string_view text)
{
    const std::size_t cut = excerpt_end(text);
    return std::string(text.substr(0, cut)) + (cut < text.size() ? CUT_MARK : "");
}

std::string quoted_name(const std::string &name)
{
    return has_control_byte(name.data(), name.size()) ? quote(name) : name;
}
