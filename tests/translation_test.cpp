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
    rules.keywords = {{"_", false}, {"N_", false}, {"tr", false}};
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
        {"_(\"Two\\n\" \"lines\")", "_(\"\\344\\327\\305\\012\\323\\324\\322\\317\\313\\311\" \"\")"},
        {"_(\"\\131es\") _(\"\\x59\\x65s\")", "_(\"\\344\\301\") _(\"\\344\\301\")"},
        {"_(\"\\u0416\") _(\"Ж\")", "_(\"Zh\") _(\"Zh\")"},
        // xgettext knows no braces: \u{...} and \x{...} keep their backslash,
        // \o{...} and \e lose it as every escape it does not know; and a NUL
        // ends a msgid, joined literals and all.
        {"_(\"\\u{416}\\x{41}\\o{12}\\e\\q\")", "_(\"Braces\")"},
        {"_(\"Yes\\0No\") _(\"Y\" \"es\\x0\" \"No\") _(\"Yes\\u0000\")",
         "_(\"\\344\\301\") _(\"\\344\\301\" \"\" \"\") _(\"\\344\\301\")"},
        {"_(\"Quote\")", "_(\"\\\"\\\\\\?\")"},  // no quote, backslash or trigraph comes of it
        // A message with plural forms in the catalog gives its first, as gettext() does.
        {"_(\"File\")", "_(\"\\346\\301\\312\\314\")"},
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
    const text_needs needs = needs_of_text(source, true, koi8r_codes(), &translations, {{"_", false}}, errors);
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

namespace {

const std::vector<message_keyword> RUN_TIME_KEYWORDS = {{"_", false}, {"N_", false}, {"ui_ntext", true}, {"P", true}};

// What finding the messages of a source gives: "id|plural|codes in hex|line:column|room", a use each.
std::vector<std::string> found_in(const std::string &source, std::size_t &errors, text_rules rules = {})
{
    source_messages messages;
    rules.keywords = RUN_TIME_KEYWORDS;
    rules.messages = &messages;
    const encoded_text out = encode_c_source(source, "ui.c", koi8r_codes(), rules);
    errors = out.problems.errors;
    const auto room = [](const std::optional<text_room> &r) {
        return r ? std::to_string(r->columns) + "x" + std::to_string(r->lines) : std::string("none");
    };
    std::vector<std::string> found;
    for (const message_use &use : messages.found) {
        std::string codes;
        for (const char c : use.codes + "|" + use.plural_codes)
            codes += c == '|' || (c >= 'a' && c <= 'z') ? std::string(1, c)
                                                          : std::to_string(static_cast<unsigned char>(c)) + ".";
        found.push_back(use.id + "|" + use.plural_id.value_or("-") + "|" + codes + "|" +
                        std::to_string(use.place.line) + ":" + std::to_string(use.place.column) + "|" + room(use.room) +
                        (use.plural_id ? "|" + std::to_string(use.plural_place.line) + ":" +
                                             std::to_string(use.plural_place.column) + "|" + room(use.plural_room)
                                       : ""));
    }
    return found;
}

}  // namespace

// For the tables of every language, each message is found with its
// plural, the codes of their texts, their places and the rooms their
// strings must fit, whatever the source does around them.
TEST(FindMessages, FindsEachMessageAndItsPluralWithTheirRooms)
{
    text_rules rules;
    rules.screen = screen_room(128, 64);
    const struct {
        const char *source;
        std::vector<std::string> found;
    } cases[] = {
        {"_(\"yes\"); N_ ( \"no\" )", {"yes|-|yes||1:3|16x5", "no|-|no||1:16|16x5"}},
        {"_(\"Да\") // fit: 3", {"Да|-|228.193.||1:3|3x0"}},
        {"P(\"a\"\n  \"b\", /* , */ \"cs\", n) // fit: none", {"ab|cs|ab|cs|1:3|none|2:16|none"}},
        {"ui_ntext(\"%d file\", R\"(%d files)\", n)", {"%d file|%d files|37.d32.file|37.d32.files|1:10|16x5|1:22|16x5"}},
        // None of these is one: not the whole argument, a fixed encoding, not a keyword.
        {"_(\"x\" y) _(u8\"x\") f(\"x\") P(x, \"y\", n) _(\"\\n\" u\"x\")", {}},
    };
    for (const auto &row : cases) {
        std::size_t errors = 0;
        EXPECT_EQ(found_in(row.source, errors, rules), row.found) << row.source;
        EXPECT_EQ(errors, 0u) << row.source;
    }
    // A plural keyword's message whose plural is no string literal.
    std::size_t errors = 0;
    for (const char *broken : {"P(\"a\", b, n)", "P(\"a\")", "P(\"a\", u8\"b\", n)", "P(\"a\", \"b\" c, n)"}) {
        EXPECT_EQ(found_in(broken, errors), std::vector<std::string>{}) << broken;
        EXPECT_EQ(errors, 1u) << broken;
    }
    text_codes codes = koi8r_codes();
    source_messages messages;
    text_rules strict;
    strict.keywords = RUN_TIME_KEYWORDS;
    strict.messages = &messages;
    EXPECT_EQ(encode_c_source("P(\"a\", b, n)", "ui.c", codes, strict).problems.shown.at(0).what,
              "the message's plural, the second argument, is no string literal");
}

// Once the tables are laid out, each message is written as its pointer in
// place of its first literal, the others gone but for their line ends, so
// that every line stays; what needs it is declared before the #line.
TEST(FindMessages, WritesEachMessageAsItsPointerKeepingEveryLine)
{
    const std::unordered_map<std::string, message_pointers> pointers = {
        {"Exit", {"(T + 1)", "(T + 6)"}},
        {"ab", {"(T + 10)", "(T + 13)"}},
        {"%d file", {"(T + 20)", "(T + 28)"}},
        {"a\nb", {"(T + 40)", "(T + 44)"}}};
    const struct {
        const char *source, *output;
    } cases[] = {
        {"_(\"Exit\")", "_((T + 1))"},
        {"static const char *const m[] = {N_(\"Exit\"), N_(\"a\" \"b\")};",
         "static const char *const m[] = {N_((T + 1)), N_((T + 10) )};"},
        {"_(\"a\" // a\n  \"b\")", "_((T + 10) // a\n  )"},
        {"_(\"a\\\nb\")", "_((T + 10)\\\n)"},
        {"_(R\"(a\nb)\")", "_((T + 40)\n)"},
        {"ui_ntext(\"%d file\",\n \"%d files\", n)", "ui_ntext((T + 20),\n (T + 28), n)"},
        {"#define Q _(\"Exit\")", "#define Q _((T + 1))"},
        // Not laid out, or not a message: written as any literal.
        {"_(\"Open\") f(\"Exit\")", "_(\"Open\") f(\"Exit\")"},
    };
    text_codes codes = koi8r_codes();
    for (const auto &row : cases) {
        source_messages messages;
        messages.pointers = &pointers;
        messages.declaration = "extern const char T[];\n";
        text_rules rules;
        rules.keywords = RUN_TIME_KEYWORDS;
        rules.messages = &messages;
        const encoded_text out = encode_c_source(row.source, "ui.c", codes, rules);
        EXPECT_EQ(out.bytes, std::string("extern const char T[];\n") + LINE_ONE + row.output) << row.source;
    }
}

// At build time, the catalog translates the messages without plural forms
// in place; those with plural forms are found for the tables.
TEST(FindMessages, LeavesTheCatalogItsMessagesWithoutPluralFormsAtBuildTime)
{
    const text_translations translations = russian();
    source_messages messages;
    text_rules rules;
    rules.keywords = RUN_TIME_KEYWORDS;
    rules.translations = &translations;
    rules.messages = &messages;
    const encoded_text out = encode_c_source("_(\"Yes\") ui_ntext(\"File\", \"Files\", n)", "ui.c", koi8r_codes(), rules);
    EXPECT_EQ(out.bytes, std::string(LINE_ONE) + "_(\"\\344\\301\") ui_ntext(\"File\", \"Files\", n)");
    ASSERT_EQ(messages.found.size(), 1u);
    EXPECT_EQ(messages.found[0].id, "File");
    EXPECT_EQ(messages.found[0].plural_id, "Files");

    // Without tables (font_sheet's and font_import's reading), a message
    // with plural forms stays as it is.
    rules.messages = nullptr;
    const encoded_text alone = encode_c_source("ui_ntext(\"File\", \"Files\", n)", "ui.c", koi8r_codes(), rules);
    EXPECT_EQ(alone.bytes, std::string(LINE_ONE) + "ui_ntext(\"File\", \"Files\", n)");
    EXPECT_EQ(alone.problems.errors, 0u);
}
