#include "charset/text_cursor.h"
#include "ui_text/ui_text.h"

encoded_text encode_plain_text(std::string_view text, const text_codes &codes, const text_rules &rules)
{
    encoded_text out;
    out.bytes.reserve(text.size());
    text_cursor in(without_bom(text), codes, out.bytes, out.problems);
    in.collect_missing(rules.missing != nullptr ? &rules.missing->in_text : nullptr);
    in.collect_codes(rules.missing != nullptr ? &rules.missing->codes_in_text : nullptr);
    // Each line is a string, when there is a screen to fit or a picture to draw.
    const bool strings = rules.screen || rules.keep_strings;
    fit_checker fits(rules, out);
    ui_string *line = strings && !in.done() ? &fits.open({}) : nullptr;
    while (!in.done()) {
        if (const std::size_t end = in.line_end(); end != 0) {
            if (line != nullptr)
                line->end_line = line->place.line;
            in.copy(end);
            fits.settle(in.line(), false);
            if (strings && !in.done())  // a last line end opens no line
                line = &fits.open(in.place());
            continue;
        }
        char32_t c = 0;
        std::string_view original;
        const std::string_view spelled = in.take_character(c, original);
        out.bytes += spelled;
        if (line != nullptr && spelled.empty())
            line->add(std::nullopt, rules.keep_strings);
        for (const char code : line != nullptr ? spelled : std::string_view())
            line->add(static_cast<std::uint8_t>(code), rules.keep_strings);
    }
    if (line != nullptr)
        line->end_line = line->place.line;
    fits.finish();
    out.problems.sort();
    return out;
}
