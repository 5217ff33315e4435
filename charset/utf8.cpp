#include "charset/utf8.h"

namespace {

constexpr char32_t LAST_UNICODE = 0x10FFFF;
constexpr char32_t FIRST_SURROGATE = 0xD800, LAST_SURROGATE = 0xDFFF;
constexpr std::uint8_t CONTINUATION_MASK = 0xC0, CONTINUATION = 0x80;
constexpr std::uint8_t CONTINUATION_VALUE = 0x3F;
constexpr unsigned CONTINUATION_BITS = 6;

// The forms of a lead byte: its marker bits, the bits of the character it
// keeps, how many bytes follow, and the least character that needs them.
struct lead_form {
    std::uint8_t mask, marker, bits;
    std::size_t more;
    char32_t least;
};
constexpr lead_form LEAD_FORMS[] = {
    {0xE0, 0xC0, 0x1F, 1, 0x80},
    {0xF0, 0xE0, 0x0F, 2, 0x800},
    {0xF8, 0xF0, 0x07, 3, 0x10000},
};

bool continuation(std::uint8_t byte)
{
    return (byte & CONTINUATION_MASK) == CONTINUATION;
}

}  // namespace

bool is_unicode_scalar(std::uint64_t value)
{
    return value <= LAST_UNICODE && (value < FIRST_SURROGATE || value > LAST_SURROGATE);
}

std::size_t decode_utf8(const std::uint8_t *bytes, std::size_t size, char32_t &c)
{
    if (size == 0)
        return 0;
    if (bytes[0] < CONTINUATION) {
        c = bytes[0];
        return 1;
    }
    for (const lead_form &form : LEAD_FORMS) {
        if ((bytes[0] & form.mask) != form.marker)
            continue;
        if (size <= form.more)
            return 0;
        char32_t decoded = bytes[0] & form.bits;
        for (std::size_t i = 1; i <= form.more; ++i) {
            if (!continuation(bytes[i]))
                return 0;
            decoded = decoded << CONTINUATION_BITS | (bytes[i] & CONTINUATION_VALUE);
        }
        if (decoded < form.least || !is_unicode_scalar(decoded))
            return 0;
        c = decoded;
        return form.more + 1;
    }
    return 0;
}

std::size_t column_of(const std::uint8_t *line, const std::uint8_t *at)
{
    std::size_t column = 1;
    for (const std::uint8_t *byte = line; byte < at; ++byte)
        column += continuation(*byte) ? 0U : 1U;
    return column;
}
