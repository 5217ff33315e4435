// Every language of one program, from the messages its sources use and the
// catalogs as the catalog reader gives them: numbered once, each form
// checked where the translator can fix it, laid out, held to a budget.
#include <gtest/gtest.h>

#include "program_languages/program_languages.h"

namespace {

text_codes koi8r_codes()
{
    charset_table koi8r;
    EXPECT_EQ(load_charset("KOI8-R", koi8r), "");
    return text_codes(koi8r, "KOI8-R");
}

const std::vector<message_keyword> KEYWORDS = {{"_", false}, {"N_", false}, {"ui_ntext", true}};

// The messages a source uses, as encode_c_source finds them.
std::vector<message_use> uses_of(const std::string &source, const text_codes &codes, const std::string &name = "ui.c")
{
    source_messages messages;
    text_rules rules;
    rules.keywords = KEYWORDS;
    rules.messages = &messages;
    rules.screen = screen_room(128, 64);
    const encoded_text out = encode_c_source(source, name, codes, rules);
    EXPECT_EQ(out.problems.errors, 0u) << source;
    return messages.found;
}

text_translations catalog(const std::string &name, const std::string &language)
{
    text_translations made;
    made.catalog = name;
    made.language = language;
    made.header_line = 2;
    return made;
}

// Every problem, "file:line:column: what", in the order reported.
std::vector<std::string> problems_of(const program_languages &made)
{
    std::vector<std::string> all;
    for (const file_problems &each : made.problems)
        for (const text_problem &problem : each.problems.shown)
            all.push_back(problem_place(each.file, problem) + ": " + problem.what + (problem.warning ? " (warning)" : ""));
    return all;
}

struct program {
    text_codes codes = koi8r_codes();
    std::vector<std::vector<message_use>> uses;
    std::vector<text_translations> catalogs;
    program_settings settings;

    program_languages make()
    {
        std::vector<source_uses> sources;
        for (std::size_t i = 0; i < uses.size(); ++i)
            sources.push_back({"ui" + std::to_string(i) + ".c", &uses[i]});
        std::vector<const text_translations *> languages;
        for (const text_translations &each : catalogs)
            languages.push_back(&each);
        return make_program_languages(sources, languages, codes, settings);
    }
};

}  // namespace

// Messages are numbered once for the whole program, in the order of their
// first uses, those with plural forms last; each is laid out once however
// many sources use it, and each gets the pointers its literals become.
TEST(ProgramLanguages, NumberEachMessageOnceForTheWholeProgram)
{
    program p;
    p.uses.push_back(uses_of("f(ui_ntext(\"%d file\", \"%d files\", n)); _(\"Exit\"); N_(\"Save\");", p.codes));
    p.uses.push_back(uses_of("_(\"Save\"); _(\"%d file\"); _(\"Open\"); ui_ntext(\"%d dot\", \"%d dots\", 2);", p.codes));
    const program_languages made = p.make();
    ASSERT_TRUE(made.tables) << made.tables_error;
    EXPECT_EQ(problems_of(made), std::vector<std::string>{});
    std::vector<std::pair<std::size_t, std::string>> laid_out;
    for (const auto &[id, pointers] : made.pointers)
        laid_out.emplace_back(std::stoul(pointers.text.substr(pointers.text.find('+') + 2)), id);
    std::sort(laid_out.begin(), laid_out.end());
    std::vector<std::string> order;
    for (const auto &[offset, id] : laid_out)
        order.push_back(id);
    EXPECT_EQ(order, (std::vector<std::string>{"Exit", "Save", "Open", "%d file", "%d dot"}));
    // The sources' texts hold each message once, after its number.
    const std::string &texts = made.tables->source;
    EXPECT_NE(texts.find("\"\\001\\001Exit\\000\""), std::string::npos);
    EXPECT_NE(texts.find("\"\\001\\004%d file\\000\"\n    \"\\377%d files\\000\""), std::string::npos);
    const std::string &file = made.pointers.at("%d file").text;
    EXPECT_EQ(made.pointers.at("%d file").plural,
              message_pointer(std::stoul(file.substr(file.find("+ ") + 2)) + sizeof "%d file" + 1));
}

// A translation's faults are the translator's, named at its catalog line:
// a character without a code, a form that does not fit a use's room, what
// msgfmt -c found; a message a catalog leaves untranslated is named where
// the sources use it first, a warning unless the catalog is strict.
TEST(ProgramLanguages, NameEachFaultWhereItCanBeFixed)
{
    program p;
    p.uses.push_back(uses_of("_(\"Exit\"); // fit: 6\n_(\"Exit\"); // fit: 20x1\n"
                             "ui_ntext(\"%d file\", \"%d files\", n); /* fit: 9 */ _(\"Missing\")\n"
                             "_(\"Fuzzy\") _(\"Empty\") ui_ntext(\"Only\", \"Onlys\", 2) _(\"Printf %d\")",
                             p.codes));
    text_translations ru = catalog("ru.po", "ru");
    ru.plural_forms = "nplurals=3; plural=(n%10==1 && n%100!=11 ? 0 : n%10>=2 && n%10<=4 && (n%100<10 || n%100>=20) ? 1 : 2);";
    ru.messages = {
        {"Exit", {"Выход\nсейчас", 10}},
        {"%d file", {"%d файл", 20, false, true, {}, {"%d файл", "%d файла", "%d файлов…"}}},
        {"Fuzzy", {"Нечётко", 30, true}},
        {"Empty", {"", 40}},
        {"Only", {"Один", 50}},
        {"Printf %d", {"Печать %s", 60, false, false, {{60, 0, "the conversions of 'msgid' and 'msgstr' differ", false, "ru.po"}}}},
    };
    p.catalogs.push_back(ru);
    const std::vector<std::string> expected = {
        "ru.po:10: 2 lines, 1 fit",
        "ru.po:20: U+2026 …: no code in KOI8-R",
        "ru.po:60: the conversions of 'msgid' and 'msgstr' differ",
        "ui0.c:3:52: untranslated: not in ru.po; kept as it is (warning)",
        "ui0.c:4:3: untranslated: fuzzy in ru.po:30; kept as it is (warning)",
        "ui0.c:4:14: untranslated: empty in ru.po:40; kept as it is (warning)",
        "ui0.c:4:32: untranslated: no plural forms in ru.po:50; kept as it is (warning)",
    };
    EXPECT_EQ(problems_of(p.make()), expected);

    // For a release build, what is left untranslated is an error.
    p.catalogs[0].untranslated_error = true;
    const program_languages strict = p.make();
    EXPECT_EQ(problems_of(strict).at(3), "ui0.c:3:52: untranslated: not in ru.po");
    std::size_t errors = 0;
    for (const file_problems &each : strict.problems)
        errors += each.problems.errors;
    EXPECT_EQ(errors, 3u + 4u);

    // One message, two plurals: the second is named, with the first's place.
    p.uses.push_back(uses_of("\n  ui_ntext(\"%d file\", \"%d filez\", 3)", p.codes));
    const std::vector<std::string> two = problems_of(p.make());
    EXPECT_NE(std::find(two.begin(), two.end(), "ui1.c:2:23: the message '%d file' has the plural '%d files' at ui0.c:3:21"),
              two.end());
}

// A language over budget is named with its size, the budget and its
// costliest messages at their catalog lines (the sources' at their uses).
TEST(ProgramLanguages, HoldEachLanguageToTheBudget)
{
    program p;
    p.uses.push_back(uses_of("_(\"Exit\"); _(\"Settings\"); _(\"Sound volume\"); _(\"Yes\")", p.codes));
    text_translations ru = catalog("ru.po", "ru");
    ru.messages = {{"Exit", {"Выход", 7}}, {"Settings", {"Настройки", 9}}, {"Sound volume", {"Громкость звука", 11}},
                   {"Yes", {"Да", 13}}};
    p.catalogs.push_back(ru);
    const program_languages unbounded = p.make();
    ASSERT_TRUE(unbounded.tables);
    const std::size_t sources = unbounded.tables->sizes[0].bytes, russian = unbounded.tables->sizes[1].bytes;
    ASSERT_GT(russian, sources);

    p.settings.budget = russian;
    EXPECT_EQ(problems_of(p.make()), std::vector<std::string>{});
    p.settings.budget = russian - 1;
    EXPECT_EQ(problems_of(p.make()),
              (std::vector<std::string>{
                  "ru.po: ru: " + std::to_string(russian) + " bytes, over the budget of " + std::to_string(russian - 1),
                  "ru.po:7: one of ru's largest messages, 8 bytes: 'Exit'",
                  "ru.po:9: one of ru's largest messages, 12 bytes: 'Settings'",
                  "ru.po:11: one of ru's largest messages, 18 bytes: 'Sound volume'",
              }));
    p.settings.budget = sources - 1;
    const std::vector<std::string> both = problems_of(p.make());
    ASSERT_EQ(both.size(), 8u);
    EXPECT_EQ(both[0], "ui0.c: en: " + std::to_string(sources) + " bytes, over the budget of " + std::to_string(sources - 1));
    EXPECT_EQ(both[1], "ui0.c:1:3: one of en's largest messages, 7 bytes: 'Exit'");
    EXPECT_EQ(both[2], "ui0.c:1:14: one of en's largest messages, 11 bytes: 'Settings'");
    EXPECT_EQ(both[3], "ui0.c:1:29: one of en's largest messages, 15 bytes: 'Sound volume'");
}

// Each catalog is a language: its code from its Language: header (or its
// file's name, with a warning), its plural rule from its Plural-Forms; what
// the tables cannot tell apart, or msgfmt refuses, is an error at the
// catalog's header.
TEST(ProgramLanguages, TakeEachCatalogsLanguageFromItsHeader)
{
    const struct {
        std::string language, plural_forms;
        std::vector<std::string> problems;
    } cases[] = {
        {"de_AT", "nplurals=2; plural=n != 1;", {}},
        {"", "", {"po/de_AT.po:2: no Language: in the header; the language is taken as 'de_AT', from the file's name (warning)"}},
        {"de AT", "", {"po/de_AT.po:2: 'de AT' is no language code: letters, digits, '_', '-', '@' and '.'"}},
        {"en", "", {"po/de_AT.po:2: the language en is the sources' (--source-language)"}},
        {"ru", "", {"po/de_AT.po:2: the language ru is ru.po's too"}},
        {"de", "nplurals=2; plural=n != 1 ?;", {"po/de_AT.po:2: invalid plural expression"}},
        {"de", "nplurals=2; plural=n / 0;", {"po/de_AT.po:2: plural expression can produce division by zero"}},
        {"de", "nplurals=70000; plural=n;", {"po/de_AT.po:2: nplurals = 70000: the tables take at most 65535 forms"}},
    };
    for (const auto &row : cases) {
        program p;
        p.uses.push_back(uses_of("_(\"Exit\")", p.codes));
        p.catalogs.push_back(catalog("ru.po", "ru"));
        text_translations second = catalog("po/de_AT.po", row.language);
        second.plural_forms = row.plural_forms;
        p.catalogs.push_back(second);
        std::vector<std::string> expected = row.problems;
        expected.insert(expected.begin(), "ui0.c:1:3: untranslated: not in ru.po; kept as it is (warning)");
        expected.push_back("ui0.c:1:3: untranslated: not in po/de_AT.po; kept as it is (warning)");
        const program_languages made = p.make();
        EXPECT_EQ(problems_of(made), expected) << row.language << " " << row.plural_forms;
    }
}
