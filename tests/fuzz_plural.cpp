// libFuzzer target: Plural-Forms values of any bytes. Reading one ends with
// a rule, msgfmt's refusal or neither; a rule is C of n alone, its
// parentheses balanced, its length in proportion to the value's.
#include <cstdlib>
#include <string_view>

#include "plural_forms/plural_forms.h"

namespace {

// Numbers, n, dK, casts to unsigned long and to void, and the operators.
constexpr std::string_view C_BYTES = "0123456789nd()!=<>&|?:+-*/% ,unsigedlov";
constexpr std::size_t MOST_GROWTH = 40, MOST_OVERHEAD = 100;  // C bytes per byte of the value

bool well_formed(const std::string &expression)
{
    long depth = 0;
    for (const char c : expression) {
        if (C_BYTES.find(c) == std::string_view::npos)
            return false;
        depth += c == '(' ? 1 : c == ')' ? -1 : 0;
        if (depth < 0)
            return false;
    }
    return depth == 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string_view value(reinterpret_cast<const char *>(data), size);
    const plural_reading read = read_plural_forms(value);
    if (read.rule && !read.error.empty())
        std::abort();
    if (read.rule && (!well_formed(read.rule->expression) ||
                      read.rule->expression.size() > MOST_GROWTH * size + MOST_OVERHEAD ||
                      plural_function(*read.rule, "form").find(read.rule->expression) == std::string::npos))
        std::abort();
    return 0;
}
