// libFuzzer target: the line index of a catalog (as it stands, and after a
// header naming a charset whose characters may end in a backslash), and
// font_text's scanner writing messages in their translations and as
// pointers into the tables of every language, on any bytes. None reads
// outside them; every line the index gives is one of the catalog's; an
// encoded source keeps its lines, and names its problems within it or at a
// translation's line; each message found is at a place of the source.
#include <algorithm>
#include <cstdlib>
#include <string>
#include <string_view>

#include "catalog/po_lines.h"
#include "ui_text/ui_text.h"

namespace {

const text_codes &koi8r_codes()
{
    static const text_codes *const codes = [] {
        charset_table set;
        if (!load_charset("KOI8-R", set).empty())
            std::abort();
        return new text_codes(set, "KOI8-R");
    }();
    return *codes;
}

// Messages whose translations hold what a literal must escape, a line
// feed, and a character KOI8-R lacks; keywords that are common words too.
const text_translations &translations()
{
    static const text_translations *const given = [] {
        auto *made = new text_translations;
        made->catalog = "ru.po";
        made->messages = {{"a", {"Ж\"\\?\n?\?=", 3}}, {"b", {"…", 5}}, {"", {"пусто", 7}},
                          {"c", {"Нечётко", 9, true}}, {"d", {"", 11}}, {"e", {"Файл", 13, false, true}}};
        return made;
    }();
    return *given;
}

std::size_t line_feeds(std::string_view text)
{
    return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
}

// Lines as compilers count them: CR, LF and CR LF each end one.
std::size_t line_ends(std::string_view text)
{
    std::size_t ends = 0;
    for (std::size_t i = 0; i < text.size(); ++i)
        ends += text[i] == '\n' || (text[i] == '\r' && (i + 1 == text.size() || text[i + 1] != '\n')) ? 1 : 0;
    return ends;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char *>(data), size);
    for (const char *charset : {"", "BIG5", "SHIFT_JIS", "GB18030"}) {
        const std::string catalog =
            (*charset == '\0' ? "" : "msgid \"\"\nmsgstr \"Content-Type: text/plain; charset=" + std::string(charset) +
                                         "\\n\"\n") +
            std::string(text);
        for (const auto &[key, line] : msgstr_lines(catalog))
            if (line < 1 || line > line_feeds(catalog) + 1 || key.size() > catalog.size())
                std::abort();
    }

    text_rules rules;
    rules.screen = screen_room(64, 24);
    rules.keep_strings = true;
    rules.translations = &translations();
    rules.keywords = {{"_", false}, {"N_", false}, {"f", false}, {"R", false}};
    const encoded_text out = encode_c_source(text, "ui.c", koi8r_codes(), rules);
    for (const text_problem &problem : out.problems.shown) {
        const bool in_catalog = problem.file == "ru.po" && problem.line % 2 == 1 && problem.line <= 13;
        const bool in_source = problem.file.empty() && problem.line >= 1 && problem.line <= line_ends(text) + 1;
        if (!in_catalog && !in_source)
            std::abort();
    }
    if (out.problems.errors == 0 && line_ends(out.bytes) != line_ends(text) + 1)
        std::abort();

    // Every language in one program: messages found, then written as pointers.
    source_messages found;
    rules.translations = nullptr;
    rules.keywords.push_back({"P", true});
    rules.messages = &found;
    const encoded_text finding = encode_c_source(text, "ui.c", koi8r_codes(), rules);
    std::unordered_map<std::string, message_pointers> pointers;
    for (const message_use &use : found.found) {
        if (use.place.line < 1 || use.place.line > line_ends(text) + 1 ||
            (use.plural_id && use.plural_place.line < use.place.line))
            std::abort();
        pointers.emplace(use.id, message_pointers{"(T + 1)", "(T + 2)"});
    }
    source_messages pointing;
    pointing.pointers = &pointers;
    pointing.declaration = "extern const char T[];\n";
    rules.messages = &pointing;
    const encoded_text pointed = encode_c_source(text, "ui.c", koi8r_codes(), rules);
    if (finding.problems.errors == 0 && line_ends(pointed.bytes) != line_ends(text) + 2)
        std::abort();
    return 0;
}
