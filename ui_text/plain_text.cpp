#include "ui_text/ui_text.h"

#include "charset/text_cursor.h"

encoded_text encode_plain_text(std::string_view text, const text_codes &codes)
{
    encoded_text out;
    out.bytes.reserve(text.size());
    text_cursor in(without_bom(text), codes, out.bytes, out.problems);
    while (!in.done()) {
        if (const std::size_t end = in.line_end(); end != 0) {
            in.copy(end);
            continue;
        }
        char32_t c = 0;
        std::string_view original;
        if (const auto code = in.take_character(c, original))
            out.bytes += static_cast<char>(*code);
    }
    return out;
}
