// Messages of a C source written in their translations, as a catalog gives
// them: which literals are messages, how a translation takes their place
// and keeps every line, and what is named where when one is missing, cannot
// be shown or does not fit.
#include <gtest/gtest.h>

#include "ui_text/ui_text.h"

namespace {

constexpr char LINE_ONE[] = "#line 1 \"ui.c\"\n";

text_codes koi8r_codes()
{
    charset_table koi8r;
    EXPECT_EQ(load_charset("KOI8-R", koi8r), "");
    return text_codes(koi8r, "KOI8-R");
}

// A catalog as the catalog reader gives it; each msgstr on a line of its own.
text_translations russian()
{
    text_translations translations;
    translations.catalog = "ru.po";
    translations.keywords = {"_", "N_", "tr"};
    translations.messages = {
        {"Yes", {"Да", 7}},
        {"Two\nlines", {"Две\nстроки", 10}},
        {"\u0416", {"Zh", 12}},
        {"Quote", {"\"\\?", 14}},
        {"\\u{416}\\x{41}o{12}eq", {"Braces", 16}},
        {"Dots", {"Точки…", 20}},
        {"Long", {"Длинное слово", 24}},
        {"Fuzzy", {"Нечёткий", 30, true}},
        {"Empty", {"", 33}},
        {"File", {"Файл", 36, false, true}},
        {"%d%%", {"%d %%", 40, false, false, {{40, 0, "the conversions of 'msgid' and 'msgstr' differ", false,
                                                   "ru.po"}}}},
    };
    return translations;
}

struct translated {
    std::string bytes;                  // after the #line
    std::vector<std::string> problems;  // "ru.po:20: ..." or "ui.c:1:3: ..."
    std::size_t errors;
};

translated translate(const std::string &source, const text_translations &translations, text_rules rules = {})
{
    rules.translations = &translations;
    const encoded_text out = encode_c_source(source, "ui.c", koi8r_codes(), rules);
    translated result{out.bytes.substr(0, sizeof LINE_ONE - 1) == LINE_ONE ? out.bytes.substr(sizeof LINE_ONE - 1)
                                                                           : "no #line: " + out.bytes,
                      {}, out.problems.errors};
    for (const text_problem &problem : out.problems.shown)
        result.problems.push_back((problem.file.empty() ? "ui.c" : problem.file) + ":" + std::to_string(problem.line) +
                                  (problem.column != 0 ? ":" + std::to_string(problem.column) : "") + ": " +
                                  problem.what);
    return result;
}

}  // namespace

// The first argument of a keyword's call, a string literal with those it
// joins, is the message: its translation goes into the first literal and
// the others are left empty, so that each line stays where it was.
TEST(TranslateCSource, WritesEachMessageAsItsTranslationKeepingEveryLine)
{
    const struct {
        const char *source, *output;
    } cases[] = {
        {"_(\"Yes\")", "_(\"\\344\\301\")"},
        {"N_(\"Yes\"), tr(\"Yes\", 2)", "N_(\"\\344\\301\"), tr(\"\\344\\301\", 2)"},
        {"_ ( /* ( */ \"Y\" \"es\" )", "_ ( /* ( */ \"\\344\\301\" \"\" )"},
        {"_(\n  \"Y\" // y\n  \"es\")", "_(\n  \"\\344\\301\" // y\n  \"\")"},
        {"_(\"Y\\\nes\")", "_(\"\\344\\301\"\\\n)"},  // a splice stays
        {"_(R\"x(Yes)x\")", "_(\"\\344\\301\")"},
        {"_(R\"(Two\nlines)\")", "_(\"\\344\\327\\305\\012\\323\\324\\322\\317\\313\\311\"\n)"},
        // The msgid as xgettext takes it: escapes resolved, \u in UTF-8.
        {"_(\"Two\\nlines\") _(\"Two\\012lines\") _(\"Two\\x0a\" \"lines\")",
         "_(\"\\344\\327\\305\\012\\323\\324\\322\\317\\313\\311\") "
         "_(\"\\344\\327\\305\\012\\323\\324\\322\\317\\313\\311\") "
         "_(\"\\344\\327\\305\\012\\323\\324\\322\\317\\313\\311\" \"\")"},
        {"_(\"\\u0416\") _(\"Ж\")", "_(\"Zh\") _(\"Zh\")"},
        // xgettext knows no braces: \u{...} and \x{...} keep their backslash,
        // \o{...} and \e lose it as every escape it does not know; and a NUL
        // ends a msgid, joined literals and all.
        {"_(\"\\u{416}\\x{41}\\o{12}\\e\\q\")", "_(\"Braces\")"},
        {"_(\"Yes\\0No\") _(\"Y\" \"es\\x0\" \"No\") _(\"Yes\\u0000\")",
         "_(\"\\344\\301\") _(\"\\344\\301\" \"\" \"\") _(\"\\344\\301\")"},
        {"_(\"Quote\")", "_(\"\\\"\\\\\\?\")"},  // no quote, backslash or trigraph comes of it
        // None of these is a message: the literals stay as the scanner writes them.
        {"f(\"Yes\"); _(x, \"Yes\"); _(\"Yes\" x); _ = \"Yes\"; _(u8\"Yes\"); _('Y')",
         "f(\"Yes\"); _(x, \"Yes\"); _(\"Yes\" x); _ = \"Yes\"; _(u8\"Yes\"); _('Y')"},
        {"#define _(s) s\nstatic_assert(1, _(\"Yes\")); M(\"Yes\")", "#define _(s) s\nstatic_assert(1, _(\"Yes\")); M(\"Yes\")"},
        {"#define GREETING _(\"Yes\")", "#define GREETING _(\"\\344\\301\")"},
    };
    const text_translations translations = russian();
    for (const auto &row : cases) {
        const translated out = translate(row.source, translations);
        EXPECT_EQ(out.bytes, row.output) << row.source;
        EXPECT_EQ(out.problems, std::vector<std::string>{}) << row.source;
    }
}

// A translation's faults are the translator's: named at its line in the
// catalog (once, however often the source uses it). A message the catalog
// does not translate is the source's: named where it stands.
TEST(TranslateCSource, NamesEachFaultWhereItCanBeFixed)
{
    text_translations translations = russian();
    const struct {
        const char *source;
        std::vector<std::string> problems;
        std::size_t errors;
    } cases[] = {
        {"_(\"Dots\"); N_(\"Dots\")", {"ru.po:20: U+2026 \u2026: no code in KOI8-R"}, 2},
        {"f(_(\"Long\")); // fit: 8\n_(\"Long\") /* fit: 13 */", {"ru.po:24: 13 columns, 8 fit"}, 1},
        {"_(\"%d%%\")", {"ru.po:40: the conversions of 'msgid' and 'msgstr' differ"}, 1},
        {"_(\"Missing\"); _(\"Fuzzy\");\n  _(\"Empty\")",
         {"ui.c:1:3: untranslated: not in ru.po; kept as it is", "ui.c:1:17: untranslated: fuzzy in ru.po:30; kept as it is",
          "ui.c:2:5: untranslated: empty in ru.po:33; kept as it is"},
         0},
        {"_(\"File\")",
         {"ui.c:1:3: plural forms in ru.po:36: a translation made at build time has no count to choose a form by"}, 1},
        {"\"Dots…\"; _(\"Missing…\")", {"ui.c:1:6: U+2026 \u2026: no code in KOI8-R",
                                        "ui.c:1:12: untranslated: not in ru.po; kept as it is",
                                        "ui.c:1:20: U+2026 \u2026: no code in KOI8-R"}, 2},
    };
    text_rules rules;
    rules.screen = screen_room(128, 64);
    for (const auto &row : cases) {
        const translated out = translate(row.source, translations, rules);
        EXPECT_EQ(out.problems, row.problems) << row.source;
        EXPECT_EQ(out.errors, row.errors) << row.source;
    }
    // The untranslated text stays as it is, and is checked where it stands.
    EXPECT_EQ(translate("_(\"Fuzzy\")", translations).bytes, "_(\"Fuzzy\")");

    // For a release build, what is left untranslated is an error.
    translations.untranslated_error = true;
    const translated strict = translate("_(\"Missing\") _(\"Yes\")", translations);
    EXPECT_EQ(strict.problems, std::vector<std::string>{"ui.c:1:3: untranslated: not in ru.po"});
    EXPECT_EQ(strict.errors, 1u);
}

// What a pair must add for a source is what its build shows: a message's
// translation, named at its catalog line, or its own text where it has none;
// and the codes it writes itself, by escapes and control characters.
TEST(NeedsOfText, AreTheTranslationsWhereThereAreSome)
{
    text_translations translations = russian();
    translations.messages.emplace("Tab", translation{"\tТаб\v", 50});
    const std::string source = "f(_(\"Dots\"), _(\"Fuzzy\"), \"€\", _(\"Tab\"), \"\\001\\t\tx\", '\\033', L\"\\002\");";
    text_problems errors;
    const text_needs needs = needs_of_text(source, true, koi8r_codes(), &translations, errors);
    std::vector<std::string> needed;
    for (const needed_character &each : needs.characters)
        needed.push_back(character_name(each.c) + " " + (each.file.empty() ? "ui.c" : each.file) + ":" +
                         std::to_string(each.place.line) + ":" + std::to_string(each.place.column));
    EXPECT_EQ(needed, (std::vector<std::string>{"U+20AC € ui.c:1:27", "U+2026 … ru.po:20:0"}));  // no fuzzy ё
    std::vector<std::string> written;
    for (const written_code &each : needs.codes)
        written.push_back(code_name(each.code) + " " + (each.file.empty() ? "ui.c" : each.file) + ":" +
                          std::to_string(each.place.line) + ":" + std::to_string(each.place.column));
    // Each code once, at its first place: a tab in a translation is the
    // source's own where it writes one too; a wide literal's are not the font's.
    EXPECT_EQ(written, (std::vector<std::string>{"0x01 ui.c:1:42", "0x09 ui.c:1:46", "0x1B ui.c:1:54",
                                                 "0x0B ru.po:50:0"}));
    EXPECT_TRUE(errors.empty());  // the fuzzy message's warning is font_text's to give
}
