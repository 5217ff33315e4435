#include "charset/text_cursor.h"
#include "ui_text/ui_text.h"

encoded_text encode_plain_text(std::string_view text, const text_codes &codes, const text_rules &rules)
{
    encoded_text out;
    out.bytes.reserve(text.size());
    text_cursor in(without_bom(text), codes, out.bytes, out.problems);
    // Each line is a string, when there is a screen to fit or a picture to draw.
    const bool strings = rules.screen || rules.keep_strings;
    if (strings && !in.done())
        out.strings.emplace_back();
    while (!in.done()) {
        if (const std::size_t end = in.line_end(); end != 0) {
            in.copy(end);
            if (strings && !in.done())  // a last line end opens no line
                out.strings.emplace_back().place = in.place();
            continue;
        }
        char32_t c = 0;
        std::string_view original;
        const std::string_view spelled = in.take_character(c, original);
        out.bytes += spelled;
        if (strings && spelled.empty())
            out.strings.back().add(std::nullopt, rules.keep_strings);
        for (const char code : strings ? spelled : std::string_view())
            out.strings.back().add(static_cast<std::uint8_t>(code), rules.keep_strings);
    }
    for (ui_string &string : out.strings)
        string.end_line = string.place.line;
    check_fit(out.strings, {}, rules, out.problems);
    out.problems.sort();
    return out;
}
