// font_text making one program of every language from catalogs as Poedit
// and Weblate write them: the program, built as C and as C++, switches
// through every language and prints every message and plural form, which
// must be what gettext gives from msgfmt's .mo of the same catalogs.
#include <fstream>

#include "tool_inputs.h"

namespace {

const std::string FONT_TEXT = quoted(FONT_TEXT_PATH);

constexpr char MENU_C[] = "#include \"ui_languages.h\"\n"
                          "#define N_(text) text\n"
                          "#define _(text) ui_text(text)\n"
                          "extern const char *const menu_items[];\n"
                          "const char *const menu_items[] = {\n"
                          "    N_(\"Settings\"),  // fit: 14\n"
                          "    N_(\"Sound \"\n"
                          "       \"volume\"),\n"
                          "    N_(\"Exit\"),\n"
                          "};\n"
                          "const char *menu_title(void) { return _(\"Main menu\"); }\n";

constexpr char MAIN_C[] = "#include <stdio.h>\n"
                          "#include \"ui_languages.h\"\n"
                          "#define _(text) ui_text(text)\n"
                          "extern const char *const menu_items[];\n"
                          "const char *menu_title(void);\n"
                          "static void show(const char *text)\n"
                          "{\n"
                          "    for (; *text; ++text)\n"
                          "        printf(\"%02x\", (unsigned)(unsigned char)*text);\n"
                          "    putchar('\\n');\n"
                          "}\n"
                          "int main(void)\n"
                          "{\n"
                          "    unsigned language, i;\n"
                          "    unsigned long n;\n"
                          "    for (language = 0; language < ui_language_count(); ++language) {\n"
                          "        ui_set_language(language);\n"
                          "        show(ui_language_code(ui_language()));\n"
                          "        show(menu_title());\n"
                          "        for (i = 0; i < 3; ++i)\n"
                          "            show(_(menu_items[i]));\n"
                          "        show(_(\"Exit\"));\n"
                          "        show(_(\"Battery low\"));\n"
                          "        for (n = 0; n <= 200; ++n) {\n"
                          "            show(ui_ntext(\"%lu file\", \"%lu files\", n));\n"
                          "            show(ui_ntext(\"%lu minute left\", \"%lu minutes left\", n));  /* fit: 24 */\n"
                          "        }\n"
                          "    }\n"
                          "    return 0;\n"
                          "}\n";

// What the program prints, from gettext: Python's, on the .mo msgfmt makes.
constexpr char ORACLE_PY[] = "import gettext, sys\n"
                             "codec, languages = sys.argv[1], sys.argv[2:]\n"
                             "def show(text):\n"
                             "    print(text.encode(codec).hex())\n"
                             "for language in languages:\n"
                             "    code, _, mo = language.partition('=')\n"
                             "    t = gettext.GNUTranslations(open(mo, 'rb')) if mo else gettext.NullTranslations()\n"
                             "    show(code)\n"
                             "    for m in ['Main menu', 'Settings', 'Sound volume', 'Exit', 'Exit', 'Battery low']:\n"
                             "        show(t.gettext(m))\n"
                             "    for n in range(201):\n"
                             "        show(t.ngettext('%lu file', '%lu files', n))\n"
                             "        show(t.ngettext('%lu minute left', '%lu minutes left', n))\n";

std::string header(const char *language, const char *plural_forms, const char *generator)
{
    return std::string("# Translation of the firmware.\n"
                       "# Copyright (C) 2026 The firmware's authors\n"
                       "msgid \"\"\n"
                       "msgstr \"\"\n"
                       "\"Project-Id-Version: firmware 1.0\\n\"\n"
                       "\"Report-Msgid-Bugs-To: \\n\"\n"
                       "\"POT-Creation-Date: 2026-11-02 10:00+0100\\n\"\n"
                       "\"PO-Revision-Date: 2026-11-20 18:31+0000\\n\"\n"
                       "\"Last-Translator: A Translator <a@example.org>\\n\"\n"
                       "\"Language-Team: Team <team@example.org>\\n\"\n"
                       "\"Language: ") +
           language + "\\n\"\n\"MIME-Version: 1.0\\n\"\n\"Content-Type: text/plain; charset=UTF-8\\n\"\n"
                      "\"Content-Transfer-Encoding: 8bit\\n\"\n\"Plural-Forms: " +
           plural_forms + "\\n\"\n\"X-Generator: " + generator + "\\n\"\n\n";
}

std::string message(const char *reference, const char *id, const char *text, const char *flags = "")
{
    return std::string("#: ") + reference + "\n" + (*flags ? std::string("#, ") + flags + "\n" : "") + "msgid \"" + id +
           "\"\nmsgstr \"" + text + "\"\n\n";
}

std::string plural(const char *reference, const char *id, const char *plural_id, std::vector<const char *> forms,
                   const char *flags = "c-format")
{
    std::string text = std::string("#: ") + reference + "\n#, " + flags + "\nmsgid \"" + id + "\"\nmsgid_plural \"" +
                       plural_id + "\"\n";
    for (std::size_t i = 0; i < forms.size(); ++i)
        text += "msgstr[" + std::to_string(i) + "] \"" + forms[i] + "\"\n";
    return text + "\n";
}

constexpr char SLAVIC[] = "nplurals=3; plural=(n%10==1 && n%100!=11 ? 0 : n%10>=2 && n%10<=4 && (n%100<10 || n%100>=20) ? 1 : 2);";

// Where two outputs first differ, as "line N: A, not B"; empty where they
// are the same.
std::string first_difference(const std::string &printed, const std::string &expected)
{
    const std::vector<std::string> a = lines_of(printed), b = lines_of(expected);
    for (std::size_t i = 0; i < std::max(a.size(), b.size()); ++i)
        if (i >= a.size() || i >= b.size() || a[i] != b[i])
            return "line " + std::to_string(i + 1) + ": " + (i < a.size() ? a[i] : "(none)") + ", not " +
                   (i < b.size() ? b[i] : "(none)");
    return "";
}

struct Languages : ToolInputs {
    void SetUp() override
    {
        ToolInputs::SetUp();
        std::ofstream(file("menu.c")) << MENU_C;
        std::ofstream(file("main.c")) << MAIN_C;
        std::ofstream(file("oracle.py")) << ORACLE_PY;
        // Poedit's: one message left empty.
        std::ofstream(file("de.po")) << header("de", "nplurals=2; plural=(n != 1);", "Poedit 3.4.2")
                                     << message("menu.c:10", "Main menu", "Hauptmen\u00fc")
                                     << message("menu.c:5", "Settings", "Einstellungen")
                                     << message("menu.c:6", "Sound volume", "Lautst\u00e4rke")
                                     << message("menu.c:8 main.c:22", "Exit", "Beenden")
                                     << message("main.c:23", "Battery low", "Batterie schwach")
                                     << plural("main.c:25", "%lu file", "%lu files", {"%lu Datei", "%lu Dateien"})
                                     << plural("main.c:26", "%lu minute left", "%lu minutes left", {"", ""});
        // Weblate's: Polish's rule as it writes it, an obsolete message.
        std::ofstream(file("pl.po"))
            << header("pl",
                      "nplurals=3; plural=n==1 ? 0 : n%10>=2 && n%10<=4 && (n%100<10 || n%100>=20) ? 1 : 2;",
                      "Weblate 5.8")
            << message("menu.c:10", "Main menu", "Menu g\u0142\u00f3wne")
            << message("menu.c:5", "Settings", "Ustawienia")
            << message("menu.c:6", "Sound volume", "G\u0142o\u015bno\u015b\u0107")
            << message("menu.c:8 main.c:22", "Exit", "Wyj\u015bcie")
            << message("main.c:23", "Battery low", "Niski poziom baterii")
            << plural("main.c:25", "%lu file", "%lu files", {"%lu plik", "%lu pliki", "%lu plik\u00f3w"})
            << plural("main.c:26", "%lu minute left", "%lu minutes left",
                      {"Pozosta\u0142a %lu minuta", "Pozosta\u0142y %lu minuty", "Pozosta\u0142o %lu minut"})
            << "#~ msgid \"Old\"\n#~ msgstr \"Stare\"\n";
        // A fuzzy plural message, falling back on the sources' forms.
        std::ofstream(file("cs.po")) << header("cs", "nplurals=3; plural=(n==1) ? 0 : (n>=2 && n<=4) ? 1 : 2;", "Weblate 5.8")
                                     << message("menu.c:10", "Main menu", "Hlavn\u00ed nab\u00eddka")
                                     << message("menu.c:5", "Settings", "Nastaven\u00ed")
                                     << message("menu.c:8 main.c:22", "Exit", "Konec")
                                     << plural("main.c:25", "%lu file", "%lu files",
                                               {"%lu soubor", "%lu soubory", "%lu soubor\u016f"})
                                     << plural("main.c:26", "%lu minute left", "%lu minutes left",
                                               {"Zb\u00fdv\u00e1 %lu minuta", "Zb\u00fdvaj\u00ed %lu minuty",
                                                "Zb\u00fdv\u00e1 %lu minut"},
                                               "fuzzy, c-format");
        std::ofstream(file("ru.po")) << header("ru", SLAVIC, "Poedit 3.4.2")
                                     << message("menu.c:10", "Main menu", "Главное меню")
                                     << message("menu.c:5", "Settings", "Настройки")
                                     << message("menu.c:6", "Sound volume", "Громкость")
                                     << message("menu.c:8 main.c:22", "Exit", "Выход")
                                     << message("main.c:23", "Battery low", "Батарея разряжена")
                                     << plural("main.c:25", "%lu file", "%lu files",
                                               {"%lu файл", "%lu файла", "%lu файлов"})
                                     << plural("main.c:26", "%lu minute left", "%lu minutes left",
                                               {"Осталась %lu минута", "Осталось %lu минуты", "Осталось %lu минут"});
        for (const char *language : {"de", "pl", "cs", "ru"}) {
            const tool_run made = run(std::string("msgfmt -o ") + language + ".mo " + language + ".po");
            ASSERT_EQ(made.status, 0) << made.err;
        }
    }

    // What gettext gives, in the codec's bytes, for the languages given as
    // CODE=MO (CODE alone: the sources').
    std::string oracle(const std::string &codec, const std::string &languages)
    {
        const tool_run told = run("python3 oracle.py " + codec + " " + languages);
        EXPECT_EQ(told.status, 0) << told.err;
        return told.out;
    }

    // Builds the encoded sources with the tables as C and as C++, runs them
    // and returns what each printed.
    std::vector<std::string> program_outputs()
    {
        std::vector<std::string> printed;
        const std::string sources = " -Igen -o program enc_menu.c enc_main.c gen/ui_languages.c && ./program";
        const std::string warnings = " -Wall -Wextra -Werror ";
        for (const std::string &compile : {quoted(C_COMPILER) + " -std=c99" + warnings + sources,
                                           quoted(CXX_COMPILER) + " -x c++ -std=c++17" + warnings + sources}) {
            const tool_run built = run(compile);
            EXPECT_EQ(built.status, 0) << compile << "\n" << built.err;
            printed.push_back(built.out);
        }
        return printed;
    }
};

// msgfmt's words for a conversion that differs, by their parts: the place,
// "format", and the fields and argument that differ.
std::string conversion_by_parts(const std::string &line)
{
    const std::size_t format = line.find(": format "), fields = line.find(" in '");
    if (format == std::string::npos || fields == std::string::npos || fields < format)
        return line;
    return line.substr(0, format) + ": format ..." + line.substr(fields);
}

}  // namespace

// One program of every language: each message and each plural form for
// n = 0..200 of every language is what gettext gives; what a catalog
// leaves untranslated is the sources' text, with a warning at its use.
TEST_F(Languages, MakeOneProgramThatGivesEveryLanguageAsGettextDoes)
{
    run("mkdir gen");
    const tool_run made = run(FONT_TEXT + " -t ISO-8859-2 --languages=gen --catalog=de.po --catalog=pl.po "
                                          "--catalog=cs.po -o enc_menu.c -o enc_main.c menu.c main.c");
    ASSERT_EQ(made.status, 0) << made.err;
    EXPECT_EQ(made.err, "font_text: main.c:26:27: untranslated: empty in de.po:49; kept as it is\n"
                        "font_text: main.c:23:16: untranslated: not in cs.po; kept as it is\n"
                        "font_text: main.c:26:27: untranslated: fuzzy in cs.po:42; kept as it is\n"
                        "font_text: menu.c:7:8: untranslated: not in cs.po; kept as it is\n");
    const std::vector<std::string> report = lines_of(made.out);
    ASSERT_EQ(report.size(), 5u) << made.out;
    EXPECT_EQ(report[1].substr(0, report[1].find(',')), "de: 7 messages");
    EXPECT_NE(report[3].find(", 3 untranslated"), std::string::npos) << report[3];
    const std::string expected = oracle("iso8859_2", "en de=de.mo pl=pl.mo cs=cs.mo");
    for (const std::string &printed : program_outputs())
        EXPECT_EQ(first_difference(printed, expected), "");

    // Russian in KOI8-R, the sources' language named.
    const tool_run russian = run(FONT_TEXT + " --languages=gen --source-language=en_GB --catalog=ru.po "
                                             "-o enc_menu.c -o enc_main.c menu.c main.c");
    ASSERT_EQ(russian.status, 0) << russian.err;
    EXPECT_EQ(russian.err, "");
    const std::string expected_russian = oracle("koi8_r", "en_GB ru=ru.mo");
    for (const std::string &printed : program_outputs())
        EXPECT_EQ(first_difference(printed, expected_russian), "");
}

// Building without a language takes its figure out of the read-only data
// of the tables built for a Cortex-M0, to within alignment.
TEST_F(Languages, TakeEachLanguagesFigureFromACortexM0Build)
{
    if (run("arm-none-eabi-gcc --version").status != 0)
        GTEST_SKIP() << "no arm-none-eabi-gcc";
    constexpr long ALIGNMENT = 4;
    run("mkdir gen");
    const auto rodata = [this](const std::string &catalogs, std::string &report) {
        const tool_run made = run(FONT_TEXT + " -t ISO-8859-2 --languages=gen " + catalogs + " menu.c main.c");
        EXPECT_EQ(made.status, 0) << made.err;
        report = made.out;
        const tool_run size = run("arm-none-eabi-gcc -mcpu=cortex-m0 -mthumb -Os -Wall -Wextra -Werror -ffreestanding "
                                  "-c -o tables.o gen/ui_languages.c && arm-none-eabi-size -A tables.o | "
                                  "awk '/^\\.rodata/ { s += $2 } END { print s + 0 }'");
        EXPECT_EQ(size.status, 0) << size.err;
        return std::stol(size.out);
    };
    std::string all_report, report;
    const long all = rodata("--catalog=de.po --catalog=pl.po --catalog=cs.po", all_report);
    const std::vector<std::string> figures = lines_of(all_report);
    for (const auto &[catalogs, dropped] : {std::pair<const char *, std::size_t>{"--catalog=pl.po --catalog=cs.po", 1},
                                            {"--catalog=de.po --catalog=cs.po", 2},
                                            {"--catalog=de.po --catalog=pl.po", 3}}) {
        const std::string &line = figures.at(dropped);
        const long figure = std::stol(line.substr(line.find(", ") + 2));
        const long fewer = rodata(catalogs, report);
        EXPECT_LE(all - fewer, figure + ALIGNMENT) << line;
        EXPECT_GE(all - fewer + ALIGNMENT, figure) << line;
    }
    const std::string total = figures.back();
    EXPECT_LE(std::stol(total.substr(total.find(", ") + 2)), all);
}

// Every language is checked before anything is written: a form without a
// code, a form past its message's fit: note, a form whose printf
// conversions differ, each at its catalog line; a language over budget,
// with its largest messages.
TEST_F(Languages, WriteNothingWhileAnyLanguageHasAFault)
{
    run("mkdir gen && echo old > gen/ui_languages.c && echo old > gen/ui_languages.h && echo old > enc_main.c");
    std::ofstream(file("ru2.po")) << header("ru", SLAVIC, "Poedit 3.4.2")
                                  << plural("main.c:25", "%lu file", "%lu files", {"%lu файл", "%lu файла", "%s файлов"})
                                  << plural("main.c:26", "%lu minute left", "%lu minutes left",
                                            {"Осталась %lu минута", "Осталось %lu минуты", "Осталось %lu минут до конца"});
    const std::string all = FONT_TEXT + " --languages=gen -o enc_menu.c -o enc_main.c menu.c main.c ";
    // Below what both languages add, as they tell it.
    run("mkdir sizes");
    const std::vector<std::string> report =
        lines_of(run(FONT_TEXT + " --languages=sizes --catalog=ru.po menu.c main.c").out);
    constexpr std::size_t BUDGET = 100;
    ASSERT_EQ(report.size(), 3u);
    for (const std::string &line : report)
        ASSERT_GT(std::stoul(line.substr(line.find(", ") + 2)), BUDGET) << line;
    // "ru: 7 messages, 183 bytes" over budget: "ru: 183 bytes, over the budget of 100".
    const auto over_budget = [](const std::string &line) {
        const std::size_t figure = line.find(", ") + 2;
        return line.substr(0, line.find(':') + 2) + line.substr(figure, line.find(',', figure) - figure) +
               ", over the budget of " + std::to_string(BUDGET);
    };
    const struct {
        std::string catalogs;
        std::vector<std::string> errors;
    } refused[] = {
        // KOI8-R has no ł, ó, ś, ć.
        {"--catalog=ru.po --catalog=pl.po",
         {"font_text: pl.po:20: U+0142 \u0142: no code in KOI8-R", "font_text: pl.po:20: U+00F3 \u00f3: no code in KOI8-R",
          "font_text: pl.po:28: U+0142 \u0142: no code in KOI8-R", "font_text: pl.po:28: U+015B \u015b: no code in KOI8-R",
          "font_text: pl.po:28: U+0107 \u0107: no code in KOI8-R", "font_text: pl.po:32: U+015B \u015b: no code in KOI8-R",
          "font_text: pl.po:42: U+00F3 \u00f3: no code in KOI8-R", "font_text: pl.po:50: U+0142 \u0142: no code in KOI8-R"}},
        {"--catalog=ru2.po",
         {"font_text: ru2.po:22: format ... in 'msgid_plural' and 'msgstr[2]' for argument 1 are not the same",
          "font_text: ru2.po:30: 27 columns, 24 fit"}},
        {"--language-budget=" + std::to_string(BUDGET) + " --catalog=ru.po",
         {"font_text: menu.c: " + over_budget(report.at(0)), "font_text: ru.po: " + over_budget(report.at(1))}},
    };
    for (const auto &row : refused) {
        const tool_run result = run(all + row.catalogs);
        EXPECT_EQ(result.status, 1) << row.catalogs;
        std::vector<std::string> errors;
        for (const std::string &line : lines_of(result.err))
            if (line.find("untranslated") == std::string::npos && line.find("largest") == std::string::npos)
                errors.push_back(conversion_by_parts(line));
        EXPECT_EQ(errors, row.errors) << row.catalogs;
        EXPECT_EQ(read("gen/ui_languages.c") + read("gen/ui_languages.h") + read("enc_main.c"), "old\nold\nold\n");
        EXPECT_EQ(result.out, "");
    }
}

// With one catalog at build time, its messages are written in its
// language and those with plural forms choose theirs from the tables
// --tables writes, as gettext chooses them.
TEST_F(Languages, ChoosePluralFormsAtBuildTimeFromTheTables)
{
    run("mkdir gen");
    const std::string build_time = FONT_TEXT + " --catalog=ru.po -o enc_menu.c -o enc_main.c menu.c main.c";
    const tool_run without = run(build_time);
    EXPECT_EQ(without.status, 1);
    EXPECT_EQ(without.err, "font_text: main.c:25:27: a message with plural forms: --tables=DIR writes the tables "
                           "that choose its forms\n");
    const tool_run made = run(build_time + " --tables=gen");
    ASSERT_EQ(made.status, 0) << made.err;
    EXPECT_EQ(lines_of(made.out).at(1).substr(0, 15), "ru: 2 messages,");
    std::string settings;  // "Настройки", as the encoded source writes it
    for (const char c : run("printf '\\320\\235\\320\\260\\321\\201\\321\\202\\321\\200\\320\\276\\320\\271\\320\\272\\320\\270' | iconv -t KOI8-R").out)
        for (int shift = 6; shift >= 0; shift -= 3)
            settings += (shift == 6 ? "\\" : "") + std::to_string(static_cast<unsigned char>(c) >> shift & 7);
    EXPECT_NE(read("enc_menu.c").find("N_(\"" + settings + "\")"), std::string::npos) << settings;
    const std::string expected = oracle("koi8_r", "ru=ru.mo");
    for (const std::string &printed : program_outputs())
        EXPECT_EQ(first_difference(printed, expected), "");
}

// Options that do not go together, or say one thing twice, are bad usage.
TEST_F(Languages, RefuseOptionsThatDoNotGoTogether)
{
    const struct {
        const char *arguments, *error;
    } misuses[] = {
        {"--catalog=de.po --catalog=pl.po main.c",
         "--catalog is given twice: one program of every language needs --languages=DIR"},
        {"--languages=gen --tables=gen main.c", "--tables goes without --languages, which writes the tables"},
        {"--tables=gen main.c", "--tables goes with --catalog"},
        {"--source-language=de main.c", "--source-language goes with --languages"},
        {"--languages=gen --source-language='d e' main.c",
         "invalid --source-language 'd e': letters, digits, '_', '-', '@' and '.'"},
        {"--language-budget=100 main.c", "--language-budget goes with --languages or --tables"},
        {"--languages=gen --language-budget=lots main.c", "invalid --language-budget 'lots': a number of bytes"},
        {"--languages=- main.c", "--languages names a directory, never standard output"},
        {"--languages=gen -o - main.c", "--output - goes without --languages and --tables, whose report is standard output"},
        {"-o a.c -o a.c main.c menu.c", "--output 'a.c' is given twice"},
        {"-o a.c main.c menu.c", "--output is given once for 2 FILEs: once for each FILE, or not at all"},
        {"--keyword=ngettext:1,3 --languages=gen main.c",
         "invalid --keyword 'ngettext:1,3': a function's name, whose first argument is the message (NAME or NAME:1), "
         "and whose second is its plural (NAME:1,2)"},
        {"--keyword=P:1,2 main.c", "--keyword and --untranslated go with --catalog or --languages"},
    };
    for (const auto &misuse : misuses) {
        const tool_run result = run(FONT_TEXT + " " + misuse.arguments);
        EXPECT_EQ(result.status, 2) << misuse.arguments;
        EXPECT_EQ(lines_of(result.err).at(0), std::string("font_text: ") + misuse.error) << misuse.arguments;
    }
    // The tables are outputs, which no input may be.
    run("mkdir gen && cp main.c gen/ui_languages.c");
    const tool_run over = run(FONT_TEXT + " --languages=gen gen/ui_languages.c");
    EXPECT_EQ(over.status, 1);
    EXPECT_EQ(over.err, "font_text: gen/ui_languages.c: the same file as gen/ui_languages.c\n");
}
