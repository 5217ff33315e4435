// Gettext catalogs: the line of each message, catalogs read as msgfmt reads
// them, and font_text and font_sheet translating a source with one as a
// translator's workflow runs them.
#include <algorithm>
#include <fstream>

#include "catalog/catalog.h"
#include "catalog/po_lines.h"
#include "tool_inputs.h"

namespace {

const std::string FONT_TEXT = quoted(FONT_TEXT_PATH);

// A catalog with a bit of every form, and the line of each message's msgstr.
constexpr char FORMS[] = "# A comment that says msgstr \"x\"\n"      // 1
                         "msgid \"\"\n"                                // 2
                         "msgstr \"Content-Type: text/plain; charset=UTF-8\\nPlural-Forms: nplurals=2; plural=(n != 1);\\n\"\n"
                         "\n"
                         "#: ui.c:3\n"                                 // 5
                         "msgid \"One\"\n"
                         "msgstr \"Один\"\n"                           // 7
                         "\n"
                         "msgid \"\"\n"
                         "\"Two \"\n"                                  // 10
                         "\"lines\\n\"\n"
                         "msgstr \"\"\n"                               // 12
                         "\"Две \"\n"
                         "\"строки\\n\"\n"
                         "\n"                                          // 15
                         "msgctxt \"menu\"\n"
                         "msgid \"One\"\n"
                         "msgstr \"Раз\"\n"
                         "\n"
                         "#| msgid \"Old\"\n"                          // 20
                         "msgid \"Escapes \\\"\\t\\101\\x42\\\\\"\n"
                         "msgstr \"x\"\n"                              // 22
                         "\n"
                         "msgid \"File\"\n"
                         "msgid_plural \"Files\"\n"                    // 25
                         "msgstr[0] \"Файл\"\n"                        // 26
                         "msgstr[1] \"Файлы\"\n"
                         "\n"
                         "#~ msgid \"Gone\"\n"
                         "#~ msgstr \"Нет\"\n"                         // 30
                         "msgctxt \"only\" msgid \"Context\" msgstr \"x\"\n"
                         "msgid \"Same line\" msgstr \"y\"\n";         // 32

struct read_result {
    bool read;
    text_translations translations;
    std::vector<std::string> problems;  // "12: reason"
    std::string failure;
};

read_result read(const std::string &catalog)
{
    read_result result;
    text_problems problems;
    result.read = read_catalog("ru.po", catalog, result.translations, problems, result.failure);
    for (const text_problem &problem : problems.shown)
        result.problems.push_back(std::to_string(problem.line) +
                                  (problem.column != 0 ? ":" + std::to_string(problem.column) : "") + ": " +
                                  problem.what);
    return result;
}

constexpr char HEADER[] = "msgid \"\"\nmsgstr \"Content-Type: text/plain; charset=UTF-8\\n\"\n\n";

std::string key(std::string_view id, std::optional<std::string_view> context = std::nullopt,
                std::string_view domain = DEFAULT_DOMAIN)
{
    return message_key(domain, context, id);
}

}  // namespace

TEST(MsgstrLines, FindsTheLineOfEachMessagesMsgstr)
{
    const auto lines = msgstr_lines(FORMS);
    const std::unordered_map<std::string, std::size_t> expected = {
        {key(""), 3},         {key("One"), 7},  {key("Two lines\n"), 12},           {key("One", "menu"), 18},
        {key("Escapes \"\tAB\\"), 22}, {key("File"), 26}, {key("Gone"), 30}, {key("Context", "only"), 31},
        {key("Same line"), 32}};
    EXPECT_EQ(lines, expected);
    // A msgstr without a msgid, or a msgid without a msgstr, is no message.
    EXPECT_EQ(msgstr_lines("msgstr \"x\"\nmsgid \"a\"\nmsgid \"b\"\nmsgstr \"y\"\n"),
              (std::unordered_map<std::string, std::size_t>{{key("b"), 4}}));
    // What is no catalog, or is cut short, gives what it can, and no more.
    for (const char *broken : {"msgid \"a\\", "msgid \"a\nmsgstr \"b\"", "msgstr \"x\" msgid", "\"\\x", "#~"})
        EXPECT_LE(msgstr_lines(broken).size(), 1u) << broken;
}

// Lines as gettext's own lexer counts them, and strings as it reads them,
// in the charset the header names from the message after it on.
TEST(MsgstrLines, ReadsTheCatalogAsGettextsLexerDoes)
{
    const auto header = [](const char *charset) {
        return std::string("msgid \"\"\nmsgstr \"Content-Type: text/plain; charset=") + charset + "\\n\"\n";
    };
    const struct {
        std::string catalog;
        std::string id;  // of the message looked for
        std::size_t line;
        std::optional<std::string_view> context = std::nullopt;
        std::string_view domain = DEFAULT_DOMAIN;
    } cases[] = {
        {"msg\\\nid \"a\"\nmsgstr\\\n \"b\"\n", "a", 4},  // a splice is read first, and counted
        {"msgid \"a\\0b\" \"c\"\nmsgstr \"x\"\n", "ac", 2},  // a NUL ends a string
        {"msgid \"a\\x141\\101\"\nmsgstr \"x\"\n", "aAA", 2},
        {"msgid \"\\xaA\\xBb\\xcC\\xDd\\xeE\\xFf\\x41@\"\nmsgstr \"x\"\n", "\xAA\xBB\xCC\xDD\xEE\xFF" "A@", 2},  // either case
        {"msgid \"\\x0041\\1012\"\nmsgstr \"x\"\n", "AA2", 2},  // \x from 0, \ooo of three digits at most
        {"#| msgid \"old\"\n#~| msgid \"older\"\nmsgid \"new\"\nmsgstr \"x\"\n", "new", 4},
        {"#~ msgctxt \"c\"\n#~ msgid \"gone\"\n#~ msgstr \"x\"\n", "gone", 3, "c"},
        {"domain \"other\"\nmsgid \"a\"\nmsgstr \"x\"\n", "a", 3, std::nullopt, "other"},
        {"msgid \"a\"\nmsgstr \"x\"\n\nmsgid \"a\"\nmsgstr \"y\"\n", "a", 2},  // the first definition
        // BIG5's 許 and Shift_JIS's 表 end in 0x5C, which is no backslash
        // there; a KOI8-R byte 0xB3 is a character of its own.
        {header("BIG5") + "\nmsgid \"\xB3\x5C\"\nmsgstr \"x\"\n", "\xB3\x5C", 5},
        {header("big5") + "\nmsgid \"\xB3\x5C\" \"\xB3\x5C\"\nmsgstr \"x\"\n", "\xB3\x5C\xB3\x5C", 5},
        {header("SHIFT_JIS") + "msgid \"\x95\x5C\"\nmsgstr \"x\"\n", "\x95\x5C", 4},
        {header("GB18030") + "msgid \"\x81\x30\x81\x30\x81\x5C\"\nmsgstr \"x\"\n", "\x81\x30\x81\x30\x81\x5C", 4},
        {header("KOI8-R") + "msgid \"\xB3\\\"\"\nmsgstr \"x\"\n", "\xB3\"", 4},
        // Before the header's charset is read, and where iconv finds no
        // character, a byte is a character.
        {"msgid \"\xB3\\\"\"\nmsgstr \"x\"\n" + header("BIG5"), "\xB3\"", 2},
        {header("BIG5") + "msgid \"\x80\\\\\"\nmsgstr \"x\"\n", "\x80\\", 4},
    };
    for (const auto &row : cases) {
        const auto lines = msgstr_lines(row.catalog);
        const auto found = lines.find(key(row.id, row.context, row.domain));
        ASSERT_NE(found, lines.end()) << row.catalog;
        EXPECT_EQ(found->second, row.line) << row.catalog;
    }
}

// The messages as the source looks them up: in UTF-8, whatever the
// catalog's charset, with the line msgfmt names them at, the same as
// msgstr_lines finds.
TEST(ReadCatalog, TakesEachMessageInUtf8WithItsLine)
{
    const read_result forms = read(FORMS);
    ASSERT_TRUE(forms.read) << forms.failure;
    EXPECT_EQ(forms.translations.catalog, "ru.po");
    std::map<std::string, std::size_t> lines;
    for (const auto &[id, entry] : forms.translations.messages)
        lines.emplace(id, entry.line);
    EXPECT_EQ(lines, (std::map<std::string, std::size_t>{
                         {"One", 7}, {"Two lines\n", 12}, {"Escapes \"\tAB\\", 22}, {"File", 26}, {"Same line", 32}}));
    EXPECT_EQ(forms.translations.messages.at("Two lines\n").text, "Две строки\n");
    EXPECT_EQ(forms.translations.messages.at("One").text, "Один");  // not the one with a context
    EXPECT_TRUE(forms.translations.messages.at("File").plural);
    // A plural message's forms, and the header's fields at its line.
    EXPECT_EQ(forms.translations.messages.at("File").forms, (std::vector<std::string>{"Файл", "Файлы"}));
    EXPECT_EQ(forms.translations.messages.at("File").text, "Файл");
    EXPECT_EQ(forms.translations.messages.at("One").forms, std::vector<std::string>{});
    EXPECT_EQ(forms.translations.plural_forms, "nplurals=2; plural=(n != 1);");
    EXPECT_EQ(forms.translations.language, "");
    EXPECT_EQ(forms.translations.header_line, 3u);

    // KOI8-R, as its header says: Д is 0xE4, а 0xC1; and a fuzzy and an
    // untranslated message.
    const read_result koi8 = read("msgid \"\"\nmsgstr \"Content-Type: text/plain; charset=KOI8-R\\n\"\n\n"
                                  "msgid \"Yes\"\nmsgstr \"\xE4\xC1\"\n\n"
                                  "#, fuzzy\nmsgid \"No\"\nmsgstr \"\xEE\xC5\xD4\"\n\nmsgid \"Later\"\nmsgstr \"\"\n");
    ASSERT_TRUE(koi8.read) << koi8.failure;
    const auto &messages = koi8.translations.messages;
    EXPECT_EQ(messages.at("Yes").text, "Да");
    EXPECT_FALSE(messages.at("Yes").fuzzy);
    EXPECT_TRUE(messages.at("No").fuzzy);
    EXPECT_EQ(messages.at("Later").text, "");
    // Plural forms in KOI8-R, in UTF-8 too; the header's language.
    const read_result plural = read("msgid \"\"\nmsgstr \"\"\n\"Language: ru\\n\"\n"
                                    "\"Content-Type: text/plain; charset=KOI8-R\\n\"\n"
                                    "\"Plural-Forms: nplurals=2; plural=n>1;\\n\"\n\n"
                                    "msgid \"File\"\nmsgid_plural \"Files\"\nmsgstr[0] \"\xE4\xC1\"\nmsgstr[1] \"\xEE\xC5\xD4\"\n");
    ASSERT_TRUE(plural.read) << plural.failure;
    EXPECT_EQ(plural.translations.language, "ru");
    EXPECT_EQ(plural.translations.header_line, 2u);
    EXPECT_EQ(plural.translations.messages.at("File").forms, (std::vector<std::string>{"Да", "Нет"}));
    // One byte of TSCII is four characters, 12 bytes of UTF-8; in BIG5, 許's
    // second byte is no backslash.
    const read_result tscii = read("msgid \"\"\nmsgstr \"Content-Type: text/plain; charset=TSCII\\n\"\n\n"
                                   "msgid \"Sri\"\nmsgstr \"\x82\"\n");
    ASSERT_TRUE(tscii.read) << tscii.failure;
    EXPECT_EQ(tscii.translations.messages.at("Sri").text, "\u0BB8\u0BCD\u0BB0\u0BC0");
    const read_result big5 = read("msgid \"\"\nmsgstr \"Content-Type: text/plain; charset=BIG5\\n\"\n\n"
                                  "msgid \"\xB3\x5C\"\nmsgstr \"\xB3\x5C\"\n");
    ASSERT_TRUE(big5.read) << big5.failure;
    EXPECT_EQ(big5.translations.messages.at("\u8A31").line, 5u);
    // A msgid in ISO-8859-1 is looked up as the source, in UTF-8, has it.
    const read_result latin1 = read("msgid \"\"\nmsgstr \"Content-Type: text/plain; charset=ISO-8859-1\\n\"\n\n"
                                    "msgid \"Gr\xFC\xDF\x65\"\nmsgstr \"Hallo\"\n");
    ASSERT_TRUE(latin1.read) << latin1.failure;
    EXPECT_EQ(latin1.translations.messages.at("Grüße").text, "Hallo");
}

// A catalog msgfmt refuses is refused, with what msgfmt says at the line it
// names; what msgfmt --check finds in a message is kept with it, named only
// where a source uses it.
TEST(ReadCatalog, RefusesWhatMsgfmtRefusesAndKeepsWhatItsCheckFinds)
{
    const struct {
        std::string catalog;
        std::vector<std::string> problems;
        const char *failure;
    } refused[] = {
        {std::string(HEADER) + "msgid \"a\"\nmsgstr \"open\n\nmsgid \"b\"\nmsgstr \"c\"\n",
         {"6: end-of-line within string"}, ""},
        {std::string(HEADER) + "msgid \"a\"\n\nmsgid \"b\"\nmsgstr \"c\"\n", {"4: missing 'msgstr' section"}, ""},
        {std::string(HEADER) + "msgid \"a\\q\"\nmsgstr \"b\"\n", {"4:10: invalid control sequence"}, ""},
        {std::string(HEADER) + "msgid \"a\"\nmsgstr \"b\"\n\nmsgid \"a\"\nmsgstr \"c\"\n",
         {"5: this is the location of the first definition", "7: duplicate message definition"}, ""},
        {"msgid \"\"\nmsgstr \"Plural-Forms: nplurals=2; plural=n/0;\\n\"\n", {"2: plural expression can produce division by zero"}, ""},
        // Where the first definition stands, obsolete, with a context, in
        // another domain.
        {std::string(HEADER) + "#~ msgid \"a\"\n#~ msgstr \"b\"\n\nmsgid \"a\"\nmsgstr \"c\"\n",
         {"5: this is the location of the first definition", "7: duplicate message definition"}, ""},
        {std::string(HEADER) + "msgctxt \"m\"\nmsgid \"a\"\nmsgstr \"b\"\nmsgctxt \"m\"\nmsgid \"a\"\nmsgstr \"c\"\n",
         {"6: this is the location of the first definition", "8: duplicate message definition"}, ""},
        {std::string(HEADER) + "domain \"d\"\nmsgid \"a\"\nmsgstr \"b\"\nmsgid \"a\"\nmsgstr \"c\"\n",
         {"6: this is the location of the first definition", "7: duplicate message definition"}, ""},
        // gettext says this in two parts, each at its place: both are said.
        {std::string(HEADER) + "msgid \"a\"\nmsgid_plural \"as\"\nmsgstr[0] \"b\"\nmsgstr[1] \"c\"\n",
         {"2: but header entry lacks a \"nplurals=INTEGER\" attribute",
          "2: but header entry lacks a \"plural=EXPRESSION\" attribute", "6: message catalog has plural form translations",
          "6: message catalog has plural form translations"},
         ""},
        {"msgid \"\"\nmsgstr \"Content-Type: text/plain; charset=NO-SUCH-SET\\n\"\n", {},
         "charset 'NO-SUCH-SET' is not one iconv knows"},
    };
    for (const auto &row : refused) {
        const read_result result = read(row.catalog);
        EXPECT_FALSE(result.read) << row.catalog;
        std::vector<std::string> problems = result.problems;
        std::sort(problems.begin(), problems.end());
        EXPECT_EQ(problems, row.problems) << row.catalog;
        EXPECT_EQ(result.failure, row.failure) << row.catalog;
    }

    // A catalog of faults stops being read after the first few.
    std::string garbage(HEADER);
    for (std::size_t line = 0; line < 10 * MOST_PROBLEMS_SHOWN; ++line)
        garbage += "x\n";
    const read_result many = read(garbage);
    EXPECT_FALSE(many.read);
    EXPECT_EQ(many.problems.size(), MOST_PROBLEMS_SHOWN);
    EXPECT_EQ(many.problems.at(1), "4:1: syntax error");  // and then one a line, as msgfmt says
    EXPECT_EQ(many.problems.back(), std::to_string(2 + MOST_PROBLEMS_SHOWN) + ": keyword \"x\" unknown");
    EXPECT_EQ(many.failure, "more problems than these: the rest is not read");

    const read_result checked = read(std::string(HEADER) +
                                     "#, c-format\nmsgid \"%d of %s\"\nmsgstr \"%s из %d\"\n\n"    // 4-6
                                     "#, c-format\nmsgid \"%d%%\"\nmsgstr \"%d %%\"\n\n"           // 8-10
                                     "msgid \"Line\\n\"\nmsgstr \"Строка\"\n\n"                    // 12-13
                                     "#, fuzzy, c-format\nmsgid \"%d\"\nmsgstr \"%s\"\n");         // 15-17
    ASSERT_TRUE(checked.read) << checked.failure;
    const auto faults = [&checked](const char *id) {
        std::vector<std::string> found;
        for (const text_problem &fault : checked.translations.messages.at(id).faults)
            found.push_back(fault.file + ":" + std::to_string(fault.line) + ": " + fault.what);
        return found;
    };
    // msgfmt's own words, for each argument whose conversion differs.
    const std::vector<std::string> conversions = faults("%d of %s");
    ASSERT_EQ(conversions.size(), 2u);
    for (std::size_t argument = 1; argument <= conversions.size(); ++argument) {
        EXPECT_EQ(conversions[argument - 1].rfind("ru.po:6: format ", 0), 0u) << conversions[argument - 1];
        EXPECT_NE(conversions[argument - 1].find("'msgid' and 'msgstr' for argument " + std::to_string(argument) +
                                                 " are not the same"),
                  std::string::npos);
    }
    EXPECT_EQ(faults("%d%%"), std::vector<std::string>{});
    EXPECT_EQ(faults("Line\n"),
              std::vector<std::string>{"ru.po:13: 'msgid' and 'msgstr' entries do not both end with '\\n'"});
    EXPECT_EQ(faults("%d"), std::vector<std::string>{});  // fuzzy: msgfmt leaves it out, as the source does
}

TEST(KeywordOption, TakesNamesAsXgettextDoes)
{
    using keywords = std::vector<message_keyword>;
    keyword_option defaults;
    EXPECT_EQ(defaults.keywords(), (keywords{{"_", false}, {"N_", false}, {"ui_ntext", true}}));
    keyword_option more;
    EXPECT_EQ(more.take("tr"), "");
    EXPECT_EQ(more.take("gettext_noop:1"), "");
    EXPECT_EQ(more.take("ngettext:1,2"), "");
    EXPECT_EQ(more.keywords(), (keywords{{"_", false}, {"N_", false}, {"ui_ntext", true}, {"tr", false},
                                         {"gettext_noop", false}, {"ngettext", true}}));
    keyword_option only;
    EXPECT_EQ(only.take("T"), "");
    EXPECT_EQ(only.take(nullptr), "");
    EXPECT_EQ(only.keywords(), (keywords{{"T", false}}));
    for (const char *wrong : {"ngettext:2,1", "ngettext:1,3", "pgettext:1c,2", "2x", "a-b", ":1", ":1,2", "n:1,2,3"})
        EXPECT_NE(keyword_option().take(wrong), "") << wrong;
}

using CatalogTools = ToolInputs;

// font_text writes the program's messages in the catalog's language; what
// is wrong with a translation is named at its line in the catalog, and
// nothing is written.
TEST_F(CatalogTools, TranslateASourceAndNameEachFaultAtItsCatalogLine)
{
    std::ofstream(file("ui.c")) << "#include <stdio.h>\n"
                                   "#define _(text) text\n"
                                   "#define tr(text) text\n"
                                   "static const char *const items[] = {\n"
                                   "    _(\"Settings\"), // fit: 9\n"
                                   "    tr(\"Sound \"\n"
                                   "       \"volume\"),\n"
                                   "};\n"
                                   "int main(void) { puts(items[0]); puts(items[1]); return 0; }\n";
    const auto write_catalog = [this](const std::string &settings, const std::string &volume) {
        std::ofstream(file("ru.po")) << HEADER << "#. fit: 9\nmsgid \"Settings\"\nmsgstr \"" << settings
                                     << "\"\n\nmsgid \"Sound volume\"\nmsgstr \"\"\n\"" << volume << "\"\n";
    };
    write_catalog("Настройки", "Громкость");
    const tool_run translated = run(FONT_TEXT + " -f . --catalog=ru.po --keyword=tr -o koi.c ui.c");
    ASSERT_EQ(translated.status, 0) << translated.err;
    EXPECT_EQ(translated.err, "");
    const tool_run built = run(quoted(C_COMPILER) + " -Wall -Werror -o ui koi.c && ./ui");
    ASSERT_EQ(built.status, 0) << built.err;
    EXPECT_EQ(built.out, run("printf 'Настройки\\nГромкость\\n' | iconv -f UTF-8 -t KOI8-R").out);

    const struct {
        const char *settings, *volume, *options;
        int status;
        const char *err;
    } cases[] = {
        {"Настройки", "Громкость…", "--keyword=tr", 1, "font_text: ru.po:9: U+2026 \u2026: no code in KOI8-R\n"},
        {"Настройки звука", "Громкость", "--keyword=tr", 1, "font_text: ru.po:6: 15 columns, 9 fit\n"},
        {"", "Громкость", "--keyword=tr --untranslated=error", 1, "font_text: ui.c:5:7: untranslated: empty in ru.po:6\n"},
        {"Настройки", "Громкость\\", "--keyword=tr", 1, "font_text: ru.po:11: end-of-line within string\n"},
        {"", "Громкость", "--keyword=tr", 0, "font_text: ui.c:5:7: untranslated: empty in ru.po:6; kept as it is\n"},
        {"Настройки", "Громкость", "--keyword=tr --languages=tables --catalog=missing.po", 1,
         "font_text: missing.po: No such file or directory\n"},
        // A second catalog is a second language, never one in place of the first.
        {"Настройки", "Громкость", "--keyword=tr --catalog=de.po", 2,
         "font_text: --catalog is given twice: one program of every language needs --languages=DIR\n"},
        {"Настройки", "Громкость", "--keyword=tr --untranslated=sometimes", 2,
         "font_text: invalid --untranslated 'sometimes': warning or error\n"},
        // The source's text stays where there is no translation: tr() is no
        // keyword after --keyword alone, and is left as it is.
        {"Настройки", "Громкость", "--keyword", 0, ""},
        {"Настройки", "Громкость", "--keyword=_", 0, ""},
    };
    for (const auto &row : cases) {
        write_catalog(row.settings, row.volume);
        write("koi.c", bytes{'o', 'l', 'd'});
        const tool_run result = run(FONT_TEXT + " --catalog=ru.po " + row.options + " -o koi.c ui.c");
        EXPECT_EQ(result.status, row.status) << row.settings << row.volume << row.options;
        EXPECT_EQ(lines_of(result.err).empty() ? "" : lines_of(result.err)[0] + "\n", row.err)
            << row.settings << row.volume << row.options;
        if (row.status != 0) {
            EXPECT_EQ(read("koi.c"), "old") << row.settings << row.volume << row.options;
        }
    }
    EXPECT_NE(read("koi.c").find("tr(\"Sound \"\n       \"volume\")"), std::string::npos);

    std::ofstream(file("menu.txt")) << "Settings\n";
    const tool_run text = run(FONT_TEXT + " --catalog=ru.po menu.txt");
    EXPECT_EQ(text.status, 2);
    EXPECT_EQ(lines_of(text.err).at(0), "font_text: --catalog translates C and C++ sources, and menu.txt is read as text");
    EXPECT_EQ(run(FONT_TEXT + " --keyword=tr ui.c").status, 2);

    // The translator's catalog written over is a translation lost.
    write_catalog("Настройки", "Громкость");
    expect_writes_over_none("font_text", FONT_TEXT + " --catalog=ru.po ui.c -o", {"ru.po", "ui.c"});
}

// Each message is looked up by the msgid xgettext extracts for it, escapes
// and all: a catalog made from the source by xgettext translates every one.
TEST_F(CatalogTools, LookUpEachMessageAsXgettextExtractsIt)
{
    if (run("xgettext --version && msgen --version").status != 0)
        GTEST_SKIP() << "no xgettext and msgen";
    std::ofstream(file("ui.c")) << "#define _(text) text\n"
                                   "const char *m[] = {\n"
                                   "    _(\"A\\0B\"), _(\"C\" \"\\0\" \"D\"), _(\"E\\x00F\"), _(\"G\\u0000H\"),\n"
                                   "    _(\"I\\x{41}J\"), _(\"K\\o{102}L\"), _(\"M\\u{263a}N\"), _(\"O\\x41P\\x0041Q\"),\n"
                                   "    _(\"R\\eS\\qT\\(U\"), _(\"V\\101\\1012W\"), _(\"X\\u0416\\U00000416Y\"),\n"
                                   "    _(\"Z\\a\\b\\f\\n\\r\\t\\v\\\\\\'\\\"\\?\"), _(\"\\x\\u12\\U1234567\"),\n"
                                   "};\n";
    const tool_run extracted = run("xgettext --keyword=_ --from-code=UTF-8 -o ui.pot ui.c && msgen -o - ui.pot | "
                                   "sed 's/charset=CHARSET/charset=UTF-8/' > ru.po");
    ASSERT_EQ(extracted.status, 0) << extracted.err;
    const tool_run translated = run(FONT_TEXT + " --catalog=ru.po -o koi.c ui.c");
    EXPECT_EQ(translated.status, 0);
    EXPECT_EQ(translated.err, "");  // no message left untranslated
}

// The lines a run names in the catalog c.po, in order, warnings aside.
std::vector<std::size_t> catalog_lines(const std::string &err, const std::string &prefix)
{
    std::vector<std::size_t> lines;
    for (const std::string &line : lines_of(err))
        if (line.rfind(prefix + "c.po:", 0) == 0 && line.find(": warning:") == std::string::npos)
            lines.push_back(std::stoul(line.substr(prefix.size() + 5)));
    std::sort(lines.begin(), lines.end());
    return lines;
}

// A fault is named at the line msgfmt --check names, whatever the catalog's
// charset and wherever the message it is about stands.
TEST_F(CatalogTools, NameEachFaultAtTheLineMsgfmtNames)
{
    if (run("msgfmt --version").status != 0)
        GTEST_SKIP() << "no msgfmt";
    const auto header = [](const char *charset) {
        return std::string("msgid \"\"\nmsgstr \"Content-Type: text/plain; charset=") + charset + "\\n\"\n\n";
    };
    const std::string catalogs[] = {
        header("UTF-8") + "#~ msgid \"a\"\n#~ msgstr \"b\"\n\nmsgid \"a\"\nmsgstr \"c\"\n",
        header("UTF-8") + "#~ msgid \"a\"\n#~ msgstr \"b\"\n\n#~ msgid \"a\"\n#~ msgstr \"c\"\n",
        header("UTF-8") + "msgctxt \"m\"\nmsgid \"a\"\nmsgstr \"b\"\n\nmsgctxt \"m\"\nmsgid \"a\"\nmsgstr \"c\"\n",
        header("UTF-8") + "msgid \"a\"\nmsgid_plural \"as\"\nmsgstr[0] \"b\"\nmsgstr[1] \"c\"\n",
        header("UTF-8") + "msg\\\nid \"a\"\nmsgstr\\\n \"b\"\n\nmsgid \"a\"\nmsgstr \"c\"\n",
        header("BIG5") + "#, c-format\nmsgid \"\xB3\x5C%d\"\nmsgstr \"x%s\"\n",
        header("SHIFT_JIS") + "msgid \"\x95\x5C\"\nmsgstr \"\x95\x5C\\n\"\n\nmsgid \"\x95\x5C\"\nmsgstr \"x\"\n",
    };
    std::ofstream(file("ui.c")) << "#define _(text) text\n"
                                   "const char *m[] = {_(\"a\"), _(\"\u8A31%d\"), _(\"\u8868\")};\n";
    for (const std::string &catalog : catalogs) {
        std::ofstream(file("c.po")) << catalog;
        const tool_run msgfmt = run("msgfmt --check -o /dev/null c.po");
        const tool_run font_text = run(FONT_TEXT + " --catalog=c.po ui.c");
        EXPECT_EQ(msgfmt.status, 1) << catalog;
        EXPECT_EQ(font_text.status, 1) << catalog;
        EXPECT_NE(catalog_lines(msgfmt.err, ""), std::vector<std::size_t>{}) << catalog;
        EXPECT_EQ(catalog_lines(font_text.err, "font_text: "), catalog_lines(msgfmt.err, "")) << catalog << font_text.err;
    }
}

#ifdef FONT_IMPORT_PATH
// A code a translation writes, as an escape, is the text's own, as the
// source's are: a pair made for the source and catalog gives it no
// character; one made for the source alone is refused at the catalog's line.
TEST_F(CatalogTools, KeepTheCodesATranslationWritesFree)
{
    const std::string font_import = quoted(FONT_IMPORT_PATH), sample = quoted(SOURCE_DIR "/sample/6x12.pcf.gz");
    std::ofstream(file("ui.c")) << "#define _(text) text\nconst char *m[] = {_(\"Tab\"), \"Straße\"};\n";
    std::ofstream(file("ru.po")) << HEADER << "msgid \"Tab\"\nmsgstr \"\\tТаб\\x1e\\001\"\n";
    const tool_run made = run(font_import + " -o pair --text=ui.c --catalog=ru.po " + sample);
    ASSERT_EQ(made.status, 0) << made.err;
    const std::string record = read("pair/koi.sets");
    EXPECT_NE(record.find("\n0x02: U+00DF \u00DF\n"), std::string::npos) << record;
    for (const char *written : {"\n0x01:", "\n0x09:", "\n0x1E:"})
        EXPECT_EQ(record.find(written), std::string::npos) << written;
    EXPECT_EQ(run(FONT_TEXT + " -f pair --catalog=ru.po ui.c").status, 0);

    ASSERT_EQ(run(font_import + " -o source --text=ui.c " + sample).status, 0);
    const tool_run refused = run(FONT_TEXT + " -f source --catalog=ru.po ui.c");
    EXPECT_EQ(refused.status, 1);
    EXPECT_EQ(refused.err, "font_text: ru.po:5: U+0001: code 0x01 shows U+00DF \u00DF, a character of one's own: "
                           "font_import --text keeps the codes a text writes free\n");
}
#endif

#ifdef FONT_IMPORT_PATH
// Catalogs for the texts below: the message, a plural one in each's forms.
std::string language_catalog(const std::string &code, const std::string &plural_forms,
                             const std::string &settings, const std::vector<std::string> &forms)
{
    std::string po = "msgid \"\"\nmsgstr \"Content-Type: text/plain; charset=UTF-8\\nLanguage: " + code +
                     "\\nPlural-Forms: " + plural_forms + "\\n\"\n\nmsgid \"Param\u00e8tres\"\nmsgstr \"" +
                     settings + "\"\n\n#, c-format\nmsgid \"%lu file\"\nmsgid_plural \"%lu files\"\n";
    for (std::size_t i = 0; i < forms.size(); ++i)
        po += "msgstr[" + std::to_string(i) + "] \"%lu " + forms[i] + "\"\n";
    return po;
}

// The characters of one's own font_import puts at free codes, each line of
// the record once.
std::vector<std::string> own_characters(const std::string &record)
{
    std::vector<std::string> own;
    for (const std::string &line : lines_of(record))
        if (line.rfind("0x", 0) == 0)
            own.push_back(line.substr(line.find(' ') + 1));
    return own;
}

// Every language's characters get a code, each one code, every plural form's
// too: font_text then finds every language of the program shown; with one
// catalog, the sources' text of a translated message needs none, unless
// --languages puts the sources' language in the program too.
TEST_F(CatalogTools, GiveEveryLanguagesCharactersOneCodeEach)
{
    const std::string font_import = quoted(FONT_IMPORT_PATH), sample = quoted(SOURCE_DIR "/sample/6x12.pcf.gz");
    std::ofstream(file("ui.c")) << "const char *title = _(\"Param\u00e8tres\"), *street = \"Stra\u00dfe\";\n"
                                   "const char *files(unsigned long n) { return ui_ntext(\"%lu file\", \"%lu files\", n); }\n";
    std::ofstream(file("de.po")) << language_catalog("de", "nplurals=2; plural=n != 1;", "Einstellungen \u00e4",
                                                     {"Datei \u00f6", "Dateien \u00dc"});
    std::ofstream(file("pl.po")) << language_catalog(
        "pl", "nplurals=3; plural=(n==1 ? 0 : n%10>=2 && n%10<=4 && (n%100<10 || n%100>=20) ? 1 : 2);",
        "Ustawienia \u0105", {"plik \u0119", "pliki \u0142", "plik\u00f3w \u0144"});
    ASSERT_EQ(run("msgfmt --check -o /dev/null de.po && msgfmt --check -o /dev/null pl.po").status, 0);

    const tool_run every = run(font_import + " -o every --text=ui.c --catalog=de.po --catalog=pl.po " + sample);
    ASSERT_EQ(every.status, 0) << every.err;
    std::vector<std::string> own = own_characters(read("every/koi.sets"));
    for (const char *c : {"\u00e8", "\u00df", "\u00e4", "\u00f6", "\u00dc", "\u0105", "\u0119", "\u0142", "\u00f3",
                          "\u0144"})
        EXPECT_EQ(std::count_if(own.begin(), own.end(),
                                [c](const std::string &each) { return each.substr(each.find(' ') + 1) == c; }),
                  1)
            << c;
    std::sort(own.begin(), own.end());
    EXPECT_EQ(std::adjacent_find(own.begin(), own.end()), own.end());
    const tool_run shown = run(FONT_TEXT + " -f every --languages=. --catalog=de.po --catalog=pl.po -o out.c ui.c");
    EXPECT_EQ(shown.status, 0) << shown.err;

    ASSERT_EQ(run(font_import + " -o polish --text=ui.c --catalog=pl.po " + sample).status, 0);
    const std::string polish = read("polish/koi.sets");
    EXPECT_EQ(polish.find("\u00e8"), std::string::npos);
    EXPECT_NE(polish.find("\u0144"), std::string::npos);
    EXPECT_EQ(run(FONT_TEXT + " -f polish --catalog=pl.po --tables=. -o out.c ui.c").status, 0);
    ASSERT_EQ(run(font_import + " -o both --languages --text=ui.c --catalog=pl.po " + sample).status, 0);
    EXPECT_NE(read("both/koi.sets").find("\u00e8"), std::string::npos);
    EXPECT_EQ(run(FONT_TEXT + " -f both --languages=. --catalog=pl.po -o out.c ui.c").status, 0);
    EXPECT_EQ(run(font_import + " -o both --languages --text=ui.c " + sample).status, 2);
}

// When the codes run out, one message says how many are needed and free,
// and what each language needs: the sources', then each catalog's beyond.
TEST_F(CatalogTools, SayWhatEachLanguageNeedsWhenTheCodesRunOut)
{
    std::ofstream(file("ui.c")) << "const char *title = _(\"Settings\"), *icons = \"\u00df \u2194\";\n";
    const auto catalog = [](const char *settings) {
        return std::string(HEADER) + "msgid \"Settings\"\nmsgstr \"" + settings + "\"\n";
    };
    std::ofstream(file("de.po")) << catalog("\u00c4\u00df\u00e4");
    std::ofstream(file("fr.po")) << catalog("Param\u00e8tres");
    std::ofstream(file("pl.po")) << catalog("\u0104\u0106\u0118\u0141\u0143\u00d3\u015a\u0179\u017b\u0105\u0107\u0119"
                                            "\u0142\u0144\u00f3\u015b\u017a\u017c");
    std::ofstream(file("cs.po")) << catalog("\u00c1\u010c\u010e\u00c9\u011a\u00cd\u0147\u0158\u0160\u0164\u00da\u016e"
                                            "\u00dd\u017d");
    const tool_run refused = run(quoted(FONT_IMPORT_PATH) + " -o out --text=ui.c --catalog=de.po --catalog=fr.po "
                                 "--catalog=pl.po --catalog=cs.po " + quoted(SOURCE_DIR "/sample/6x12.pcf.gz"));
    EXPECT_EQ(refused.status, 1);
    ASSERT_EQ(lines_of(refused.err).size(), 1u) << refused.err;
    const std::string message = refused.err;
    const std::string needs =
        ": the sources need U+00DF \u00df and U+2194 \u2194; de.po adds U+00C4 \u00c4 and U+00E4 \u00e4; "
        "fr.po adds U+00E8 \u00e8; pl.po adds U+00D3 \u00d3, U+00F3 \u00f3, U+0104 \u0104, U+0105 \u0105, "
        "U+0106 \u0106, U+0107 \u0107, U+0118 \u0118, U+0119 \u0119, U+0141 \u0141, U+0142 \u0142, U+0143 \u0143, "
        "U+0144 \u0144, U+015A \u015a, U+015B \u015b, U+0179 \u0179, U+017A \u017a, U+017B \u017b and U+017C \u017c; "
        "cs.po adds U+00C1 \u00c1, U+00C9 \u00c9, U+00CD \u00cd, U+00DA \u00da, U+00DD \u00dd, U+010C \u010c, "
        "U+010E \u010e, U+011A \u011a, U+0147 \u0147, U+0158 \u0158, U+0160 \u0160, U+0164 \u0164, U+016E \u016e "
        "and U+017D \u017d; -t ";
    EXPECT_NE(message.find(" 37 characters need a free code and "), std::string::npos) << message;
    EXPECT_NE(message.find(" are free in KOI8-R" + needs), std::string::npos) << message;
    EXPECT_NE(message.find(" gives every one a code\n"), std::string::npos) << message;
    EXPECT_EQ(run("ls out").status, 2);
}
#endif

#ifdef FONT_SHEET_PATH
// font_sheet draws each message as the device will show it: translated.
TEST_F(CatalogTools, DrawTheTranslationAsFontTextWritesIt)
{
    const std::string font_sheet = quoted(FONT_SHEET_PATH);
    std::ofstream(file("ui.c")) << "const char *title = _(\"Settings\"); // fit: 12\n";
    std::ofstream(file("ru.c")) << "const char *title = _(\"Настройки\"); // fit: 12\n";
    std::ofstream(file("ru.po")) << HEADER << "msgid \"Settings\"\nmsgstr \"Настройки\"\n";
    for (const char *drawn : {"--text=ui.c --catalog=ru.po translated.png", "--text=ru.c ru.png",
                              "--text=ui.c untranslated.png"})
        ASSERT_EQ(run(font_sheet + " -f . " + drawn).status, 0) << drawn;
    EXPECT_EQ(read("translated.png"), read("ru.png"));
    EXPECT_NE(read("translated.png"), read("untranslated.png"));
    EXPECT_EQ(run(font_sheet + " -f . --catalog=ru.po out.png").status, 2);  // without --text
    expect_writes_over_none("font_sheet", font_sheet + " --text=ui.c --catalog=ru.po", {"ru.po", "ui.c"});
}
#endif

// The tools that draw on catalogs take every one given, each a language of
// the program: none is dropped.
TEST_F(CatalogTools, TakeEveryCatalogGivenAsALanguage)
{
    std::ofstream(file("ui.c")) << "const char *title = _(\"Settings\");\n";
    std::ofstream(file("pl.po")) << HEADER << "msgid \"Settings\"\nmsgstr \"Ustawienia \u0105\"\n";
    std::ofstream(file("de.po")) << HEADER << "msgid \"Settings\"\nmsgstr \"Einstellungen \u00e4\"\n";
#ifdef FONT_SHEET_PATH
    const std::string font_sheet = quoted(FONT_SHEET_PATH) + " -f . --text=ui.c ";
    for (const char *drawn : {"--catalog=pl.po --catalog=de.po both.png", "--languages --catalog=pl.po pl.png",
                              "--languages --catalog=de.po de.png"})
        ASSERT_EQ(run(font_sheet + drawn).status, 0) << drawn;
    EXPECT_NE(read("both.png"), read("pl.png"));
    EXPECT_NE(read("both.png"), read("de.png"));
#endif
#ifdef FONT_IMPORT_PATH
    const tool_run made = run(quoted(FONT_IMPORT_PATH) + " --text=ui.c --catalog=pl.po --catalog=de.po -o pair " +
                              quoted(SOURCE_DIR "/sample/6x12.pcf.gz"));
    ASSERT_EQ(made.status, 0) << made.err;
    const std::vector<std::string> own = own_characters(read("pair/koi.sets"));
    for (const char *c : {"U+0105 \u0105", "U+00E4 \u00e4"})
        EXPECT_NE(std::find(own.begin(), own.end(), c), own.end()) << c;
#endif
}
