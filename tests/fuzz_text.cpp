// libFuzzer target: font_text's scanner on any bytes, as a C source and as
// plain text. It never reads outside them, every problem it names has a
// place within them, and an encoded source keeps its lines.
#include <algorithm>
#include <cstdlib>
#include <string_view>

#include "ui_text/ui_text.h"

namespace {

const text_codes &koi8r_codes()
{
    // Made once, with spellings, and kept for every run.
    static const text_codes *const codes = [] {
        charset_table set;
        if (!load_charset("KOI8-R", set).empty())
            std::abort();
        auto *koi8r = new text_codes(set, "KOI8-R");
        koi8r->fall_back();
        return koi8r;
    }();
    return *codes;
}

// Lines as compilers and editors count them: CR, LF and CR LF each end one.
std::size_t line_ends(std::string_view text)
{
    std::size_t ends = 0;
    for (std::size_t i = 0; i < text.size(); ++i)
        ends += text[i] == '\n' || (text[i] == '\r' && (i + 1 == text.size() || text[i + 1] != '\n')) ? 1 : 0;
    return ends;
}

void check_places(const encoded_text &out, std::string_view text)
{
    const std::size_t lines = line_ends(text) + 1;
    for (const text_problem &problem : out.problems.shown)
        if (problem.line < 1 || problem.line > lines || problem.column < 1 || problem.column > text.size() + 1)
            std::abort();
}

// An encoded source keeps every line where it was, below its #line.
void check_lines(const encoded_text &out, std::string_view text)
{
    if (out.problems.empty() && line_ends(out.bytes) != line_ends(text) + 1)
        std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char *>(data), size);
    text_rules rules;
    rules.screen = screen_room(128, 64);
    rules.keep_strings = true;
    const encoded_text source = encode_c_source(text, "fuzz.c", koi8r_codes(), rules);
    check_places(source, text);
    check_lines(source, text);
    check_places(encode_plain_text(text, koi8r_codes(), rules), text);
    return 0;
}
