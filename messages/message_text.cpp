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

std::string quoted_name(const std::string &name)
{
    return has_control_byte(name.data(), name.size()) ? quote(name) : name;
}
