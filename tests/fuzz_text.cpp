// libFuzzer target: font_text's scanner on any bytes, as a C source and as
// plain text. It never reads outside them, and every problem it names has a
// place within them.
#include <algorithm>
#include <cstdlib>
#include <string_view>

#include "font_text/encoder.h"

namespace {

const text_codes &koi8r_codes()
{
    static const text_codes codes = [] {
        charset_table set;
        if (!load_charset("KOI8-R", set).empty())
            std::abort();
        return text_codes(set, "KOI8-R");
    }();
    return codes;
}

void check_places(const encoded_text &out, std::string_view text)
{
    const std::size_t lines = static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')) + 1;
    for (const text_problem &problem : out.problems)
        if (problem.line < 1 || problem.line > lines || problem.column < 1 || problem.column > text.size() + 1)
            std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char *>(data), size);
    check_places(encode_c_source(text, "fuzz.c", koi8r_codes()), text);
    check_places(encode_plain_text(text, koi8r_codes()), text);
    return 0;
}
