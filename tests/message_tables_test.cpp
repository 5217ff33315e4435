// The message tables compiled into a program, as C and as C++, that
// switches through every language and prints every message and plural
// form; what each language adds, checked against a Cortex-M0 build.
#include <fstream>
#include <map>
#include <set>
#include <sstream>

#include "message_tables/message_tables.h"
#include "tool_inputs.h"

namespace {

constexpr unsigned long LAST_N = 200;
constexpr std::size_t DESCRIPTOR = 12, NUMBER = 2, NARROW = 2, WIDE = 4;
const std::string WARNINGS = " -Wall -Wextra -Wpedantic -Wconversion -Wsign-conversion -Wshadow -Werror ";
const std::string CORTEX_M0 = "arm-none-eabi-gcc -mcpu=cortex-m0 -mthumb -Os -Wall -Wextra -Werror -ffreestanding";

struct rule_text {
    const char *forms, *expression;
};
const rule_text GERMAN{"2", "n != 1"};
const rule_text RUSSIAN{"3", "n%10==1 && n%100!=11 ? 0 : n%10>=2 && n%10<=4 && (n%100<10 || n%100>=20) ? 1 : 2"};
const rule_text POLISH{"3", "n==1 ? 0 : n%10>=2 && n%10<=4 && (n%100<10 || n%100>=20) ? 1 : 2"};
const rule_text CZECH{"3", "(n==1) ? 0 : (n>=2 && n<=4) ? 1 : 2"};

plural_rule rule_of(const rule_text &text)
{
    const plural_reading read =
        read_plural_forms(std::string("nplurals=") + text.forms + "; plural=" + text.expression + ";");
    EXPECT_TRUE(read.rule) << read.error;
    return read.rule.value_or(germanic_plural());
}

// Messages whose texts hold what a literal escapes, codes above 0x7F, a
// line feed; two plural messages.
table_program sample_program()
{
    table_program program;
    program.messages = {{"Exit", {}},
                        {"Save \"a\\b\"?\?/", {}},
                        {"Two\nlines", {}},
                        {"Volume \xE4\xC1", {}},
                        {"Quit", {}},
                        {"%d file", std::string("%d files")},
                        {"%d dot", std::string("\001\002%d dots")}};  // as a number would be
    const auto language = [](const char *code, const rule_text &rule, std::vector<table_translation> messages) {
        table_language made;
        made.code = code;
        made.rule = rule_of(rule);
        made.messages = std::move(messages);
        return made;
    };
    program.languages = {
        language("de", GERMAN,
                 {{{"Beenden"}}, {{"Speichern?"}}, {{}}, {{"Lautst\xE4rke"}}, {{"Beenden"}},
                  {{"%d Datei", "%d Dateien"}}, {{}}}),
        language("ru", RUSSIAN,
                 {{{"\xF7\xD9\xC8\xCF\xC4"}}, {{}}, {{"\xE4\xD7\xC5\n\xD3\xD4\xD2\xCF\xCB\xC9"}}, {{"\"?\\"}}, {{}},
                  {{"%d \xC6\xC1\xCA\xCC", "%d \xC6\xC1\xCA\xCC\xC1", "%d \xC6\xC1\xCA\xCC\xCF\xD7"}},
                  {{"%d a", "%d b", "%d c"}}}),
        language("pl", POLISH, {{{"Wyj"}}, {{"Zapisz"}}, {{"Dwie"}}, {{"G"}}, {{"Wyj"}}, {{"%d plik", "%d pliki", "%d plik\xF3w"}}, {{}}}),
        language("cs_CZ", CZECH, {{{}}, {{}}, {{}}, {{}}, {{}}, {{"%d soubor", "%d soubory", "%d soubor\xF9"}}, {{"x", "y", "z"}}}),
    };
    return program;
}

// The bytes as hex, as the test program prints them.
std::string hex(const std::string &bytes)
{
    static const char DIGITS[] = "0123456789abcdef";
    std::string text;
    for (const char c : bytes) {
        text += DIGITS[static_cast<unsigned char>(c) >> 4];
        text += DIGITS[static_cast<unsigned char>(c) & 15];
    }
    return text;
}

// What a language's figure must be: its code and each distinct text with
// their NULs, an entry a message and one a plural form past the first, and
// the descriptor.
std::size_t expected_bytes(const table_program &program, std::size_t language)
{
    if (language == 0) {
        std::size_t bytes = program.source_code.size() + 1 + DESCRIPTOR;
        for (const table_message &message : program.messages)
            bytes += NUMBER + message.text.size() + 1 + (message.plural ? 1 + message.plural->size() + 1 : 0);
        return bytes;
    }
    const table_language &catalog = program.languages[language - 1];
    std::set<std::string> texts{catalog.code};
    std::size_t entries = program.messages.size(), text_bytes = 0;
    for (std::size_t m = 0; m < program.messages.size(); ++m) {
        texts.insert(catalog.messages[m].forms.begin(), catalog.messages[m].forms.end());
        entries += program.messages[m].plural ? static_cast<std::size_t>(catalog.rule.forms) - 1 : 0;
    }
    for (const std::string &text : texts)
        text_bytes += text.size() + 1;
    return text_bytes + entries * (text_bytes > 0xFFFF ? WIDE : NARROW) + DESCRIPTOR;
}

struct TablesProgram : ToolInputs {
    // Writes the tables of program and a main that prints, for each
    // language, its code and each message's text, and each plural message's
    // form for n = 0..LAST_N, in hex, and the offsets in the sources' texts
    // where ui_text() gives another text; then tries what must change nothing.
    void write_program(const table_program &program, const message_tables &tables)
    {
        write("ui_languages.h", as_bytes(tables.header));
        write("ui_languages.c", as_bytes(tables.source));
        std::string messages, plurals;
        for (std::size_t m = 0; m < program.messages.size(); ++m) {
            messages += "    " + message_pointer(tables.offsets[m]) + ",\n";
            plurals += "    " + message_pointer(tables.plural_offsets[m]) + ",\n";
        }
        std::ofstream(file("main.c"))
            << "#include <stdio.h>\n#include \"ui_languages.h\"\n"
               "static const char *const messages[] = {\n" << messages << "};\n"
            << "static const char *const plurals[] = {\n" << plurals << "};\n"
            << "static const unsigned count = sizeof messages / sizeof messages[0];\n"
               "static void show(const char *text)\n{\n"
               "    for (; *text; ++text)\n        printf(\"%02x\", (unsigned)(unsigned char)*text);\n"
               "    putchar('\\n');\n}\n"
               "int main(void)\n{\n    unsigned language, m;\n    unsigned long n;\n"
               "    for (language = 0; language < ui_language_count(); ++language) {\n"
               "        ui_set_language(language);\n"
               "        printf(\"%u %s\\n\", ui_language(), ui_language_code(language));\n"
               "        for (m = 0; m < count; ++m)\n            show(ui_text(messages[m]));\n"
               "        for (m = " << plural_start(program) << "; m < count; ++m)\n"
               "            for (n = 0; n <= " << LAST_N << "; ++n)\n"
               "                show(ui_ntext(messages[m], plurals[m], n));\n"
               "        for (n = 0; n < " << tables.sizes[0].bytes - DESCRIPTOR << "; ++n)\n"
               "            if (ui_text(ui_message_texts + n) != ui_message_texts + n)\n"
               "                printf(\"%lu \", n);\n"
               "        putchar('\\n');\n"
               "    }\n"
               "    ui_set_language(ui_language_count());\n"
               "    printf(\"%u %d\\n\", ui_language(), ui_language_code(ui_language_count()) == NULL);\n"
               "    printf(\"%s|%s|%s\\n\", ui_text(\"Exit\"), ui_text(messages[0] + 1), ui_ntext(\"a\", \"b\", 2));\n"
               "    return ui_text(NULL) != NULL;\n}\n";
    }

    static std::size_t plural_start(const table_program &program)
    {
        std::size_t m = 0;
        while (m < program.messages.size() && !program.messages[m].plural)
            ++m;
        return m;
    }

    // What the program must print, from the program's data and Python's
    // gettext choosing each rule's forms: each language's texts, its forms,
    // and the offsets where ui_text() knows a message it translates.
    std::string expected_output(const table_program &program, const message_tables &tables,
                                const std::vector<rule_text> &rules)
    {
        const std::vector<std::size_t> &offsets = tables.offsets;
        std::string script = "import gettext\nfor rule in [";
        for (const rule_text &rule : rules)
            script += "'" + std::string(rule.expression) + "', ";
        script += "]:\n    f = gettext.c2py(rule)\n    print(*[f(n) for n in range(" + std::to_string(LAST_N + 1) +
                  ")])\n";
        std::ofstream(file("forms.py")) << script;
        const tool_run forms = run("python3 forms.py");
        EXPECT_EQ(forms.status, 0) << forms.err;
        const std::vector<std::string> form_lines = lines_of(forms.out);
        std::string out;
        const std::size_t first = program.sources_chosen ? 0 : 1;
        for (std::size_t l = first; l <= program.languages.size(); ++l) {
            out += std::to_string(l - first) + " " + (l == 0 ? program.source_code : program.languages[l - 1].code) + "\n";
            const auto translated = [&](std::size_t m) -> const std::vector<std::string> & {
                static const std::vector<std::string> none;
                return l == 0 ? none : program.languages[l - 1].messages[m].forms;
            };
            for (std::size_t m = 0; m < program.messages.size(); ++m)
                out += hex(translated(m).empty() ? program.messages[m].text : translated(m)[0]) + "\n";
            for (std::size_t m = plural_start(program); m < program.messages.size(); ++m)
                for (unsigned long n = 0; n <= LAST_N; ++n) {
                    const table_message &message = program.messages[m];
                    std::string text = n == 1 ? message.text : *message.plural;
                    if (!translated(m).empty()) {
                        std::istringstream choices(form_lines.at(l - 1));
                        std::size_t form = 0;
                        for (unsigned long k = 0; k <= n; ++k)
                            choices >> form;
                        text = translated(m).at(form);
                    }
                    out += hex(text) + "\n";
                }
            for (std::size_t m = 0; m < program.messages.size(); ++m)
                if (!translated(m).empty())
                    out += std::to_string(offsets[m]) + " ";
            out += "\n";
        }
        const std::size_t last = program.languages.size() - first;
        return out + std::to_string(last) + " 1\nExit|" + program.messages[0].text.substr(1) + "|b\n";
    }

    // Builds and runs the program as C and as C++; returns what each printed.
    std::vector<std::string> outputs()
    {
        std::vector<std::string> printed;
        for (const std::string &compile :
             {quoted(C_COMPILER) + " -std=c99" + WARNINGS + "-o tables main.c ui_languages.c",
              quoted(CXX_COMPILER) + " -x c++ -std=c++17" + WARNINGS + "-o tables main.c ui_languages.c"}) {
            const tool_run built = run(compile + " && ./tables");
            EXPECT_EQ(built.status, 0) << compile << "\n" << built.err;
            printed.push_back(built.out);
        }
        return printed;
    }

    // The read-only data of the tables built for a Cortex-M0, and the
    // sizes of its data symbols.
    std::size_t cortex_m0_rodata(const message_tables &tables, std::size_t &symbols)
    {
        write("ui_languages.h", as_bytes(tables.header));
        write("ui_languages.c", as_bytes(tables.source));
        const tool_run built = run(CORTEX_M0 + " -c -o tables.o ui_languages.c && arm-none-eabi-size -A tables.o | "
                                   "awk '/^\\.rodata/ { s += $2 } END { print s + 0 }' && arm-none-eabi-nm -S tables.o");
        EXPECT_EQ(built.status, 0) << built.err;
        const std::vector<std::string> lines = lines_of(built.out);
        symbols = 0;
        for (std::size_t i = 1; i < lines.size(); ++i) {
            std::istringstream symbol(lines[i]);
            std::string address, size, kind, name;
            if (symbol >> address >> size >> kind >> name && (kind == "R" || kind == "r"))
                symbols += std::stoul(size, nullptr, 16);
        }
        return lines.empty() ? 0 : std::stoul(lines[0]);
    }
};

message_tables made(const table_program &program)
{
    std::string error;
    const std::optional<message_tables> tables = make_message_tables(program, error);
    EXPECT_TRUE(tables) << error;
    return tables.value_or(message_tables{});
}

}  // namespace

// Every language gives every message its text, or the sources' where it
// has none, and every plural form the one gettext chooses; a pointer that
// is no message's comes back as it is.
TEST_F(TablesProgram, GiveEveryLanguagesTextOfEveryMessage)
{
    const table_program program = sample_program();
    const message_tables tables = made(program);
    write_program(program, tables);
    const std::string expected = expected_output(program, tables, {GERMAN, RUSSIAN, POLISH, CZECH});
    for (const std::string &printed : outputs())
        EXPECT_EQ(printed, expected);
}

// With one catalog at build time, its language is the only one, and a
// message it leaves untranslated falls back on the sources' text.
TEST_F(TablesProgram, MakeTheCatalogsLanguageTheOnlyOneAtBuildTime)
{
    table_program program = sample_program();
    program.sources_chosen = false;
    program.languages.erase(program.languages.begin(), program.languages.begin() + 1);
    program.languages.resize(1);
    const message_tables tables = made(program);
    EXPECT_NE(tables.header.find("#define UI_LANGUAGE_COUNT 1\n"), std::string::npos);
    EXPECT_NE(tables.header.find("UI_LANGUAGE_RU = 0"), std::string::npos);
    write_program(program, tables);
    const std::string expected = expected_output(program, tables, {RUSSIAN});
    for (const std::string &printed : outputs())
        EXPECT_EQ(printed, expected);
}

// A language whose texts outgrow 16-bit entries gets 32-bit ones, and still
// gives every text; the sources' language alone needs no index.
TEST_F(TablesProgram, WidenTheEntriesOfALanguageThatOutgrowsThem)
{
    table_program program = sample_program();
    table_language big = program.languages[0];
    big.code = "fi";
    for (std::size_t m = 0; m < 300; ++m) {
        program.messages.insert(program.messages.begin() + 1, {"Message " + std::to_string(m), {}});
        for (table_language &language : program.languages)
            language.messages.insert(language.messages.begin() + 1, table_translation{});
        big.messages.insert(big.messages.begin() + 1, {{std::string(250, 'a') + std::to_string(m)}});
    }
    program.languages.push_back(big);
    const message_tables tables = made(program);
    EXPECT_TRUE(tables.sizes.back().wide);
    EXPECT_NE(size_report(tables.sizes).find("fi: 307 messages, " + std::to_string(tables.sizes.back().bytes) +
                                             " bytes, 2 untranslated, 32-bit index\n"),
              std::string::npos);
    write_program(program, tables);
    const std::string expected = expected_output(program, tables, {GERMAN, RUSSIAN, POLISH, CZECH, GERMAN});
    for (const std::string &printed : outputs())
        EXPECT_EQ(printed, expected);

    table_program alone;
    alone.source_code = "en_GB";
    alone.messages = {{"Exit", {}}, {"%d file", std::string("%d files")}};
    const message_tables sources = made(alone);
    EXPECT_EQ(sources.source.find("uint16_t ui_index"), std::string::npos);
    write_program(alone, sources);
    const std::string expected_alone = expected_output(alone, sources, {});
    for (const std::string &printed : outputs())
        EXPECT_EQ(printed, expected_alone);
}

// Each language's figure is its texts, each stored once, with their NULs,
// its index entries and its descriptor: at most 2 bytes a message beyond
// its text and NUL; the report gives them a line each, then the whole.
TEST(MessageTables, CountWhatEachLanguageAdds)
{
    const table_program program = sample_program();
    const message_tables tables = made(program);
    ASSERT_EQ(tables.sizes.size(), program.languages.size() + 1);
    std::size_t total = 0;
    for (std::size_t l = 0; l < tables.sizes.size(); ++l) {
        EXPECT_EQ(tables.sizes[l].bytes, expected_bytes(program, l)) << tables.sizes[l].code;
        total += tables.sizes[l].bytes;
    }
    // "Beenden" is stored once for two messages.
    EXPECT_EQ(tables.source.find("\"Beenden\\000\"", tables.source.find("\"Beenden\\000\"") + 1), std::string::npos);
    const std::string report = size_report(tables.sizes);
    EXPECT_EQ(lines_of(report).front(), "en: 7 messages, " + std::to_string(expected_bytes(program, 0)) + " bytes");
    EXPECT_EQ(lines_of(report).at(1),
              "de: 7 messages, " + std::to_string(expected_bytes(program, 1)) + " bytes, 2 untranslated");
    EXPECT_EQ(lines_of(report).back(), "total: 5 languages, " + std::to_string(total) + " bytes");
    // The costliest messages, to name when a language is over budget.
    const language_size &russian = tables.sizes[2];
    ASSERT_EQ(russian.largest.size(), LARGEST_NAMED);
    EXPECT_EQ(russian.largest[0].message, 5u);
    EXPECT_EQ(russian.largest[0].bytes, (7 + 1) + (8 + 1) + (9 + 1) + 3 * NARROW);
    EXPECT_EQ(russian.largest[1].message, 6u);
    EXPECT_EQ(russian.largest[1].bytes, 3 * (4 + 1) + 3 * NARROW);
    EXPECT_EQ(budget_excess(russian, russian.bytes), "");
    EXPECT_EQ(budget_excess(russian, 10), "ru: " + std::to_string(russian.bytes) + " bytes, over the budget of 10");
}

// What the tables cannot number or name is refused, and says why.
TEST(MessageTables, RefuseWhatTheyCannotNumberOrName)
{
    std::string error;
    table_program many;
    many.messages.assign(MOST_MESSAGES + 1, {"x", {}});
    EXPECT_FALSE(make_message_tables(many, error));
    EXPECT_EQ(error, "64771 messages: the tables number at most 64770");
    many.messages.pop_back();
    EXPECT_TRUE(make_message_tables(many, error)) << error;

    table_program program = sample_program();
    program.languages[1].code = "DE";
    EXPECT_FALSE(make_message_tables(program, error));
    EXPECT_EQ(error, "languages de and DE are one name in C, UI_LANGUAGE_DE");
    program.languages[1].code = "ru RU";
    EXPECT_FALSE(make_message_tables(program, error));
    EXPECT_EQ(error, "'ru RU' is no language code: letters, digits, '_', '-', '@' and '.'");
    program = sample_program();
    program.source_code = "";
    EXPECT_FALSE(make_message_tables(program, error));
    program = sample_program();
    program.languages[0].messages.pop_back();
    EXPECT_FALSE(make_message_tables(program, error));
    EXPECT_EQ(error, "de: 6 translations of 7 messages");
    program = sample_program();
    program.languages[0].rule.forms = MOST_FORMS + 1;
    EXPECT_FALSE(make_message_tables(program, error));
    EXPECT_EQ(error, "de: nplurals = 65536: the tables take at most 65535 forms");
}

// Built for a Cortex-M0, the tables' read-only data is the languages'
// figures, and building without a language takes away its figure (to
// within alignment).
TEST_F(TablesProgram, AddToACortexM0TheirFiguresAndNoMore)
{
    if (run("arm-none-eabi-gcc --version").status != 0)
        GTEST_SKIP() << "no arm-none-eabi-gcc";
    constexpr std::size_t ALIGNMENT = 4;
    const table_program program = sample_program();
    const message_tables tables = made(program);
    std::size_t total = 0, symbols = 0;
    for (const language_size &size : tables.sizes)
        total += size.bytes;
    const std::size_t rodata = cortex_m0_rodata(tables, symbols);
    EXPECT_EQ(symbols, total);
    EXPECT_GE(rodata, total);
    EXPECT_LT(rodata, total + 2 * ALIGNMENT);
    for (std::size_t dropped = 0; dropped < program.languages.size(); ++dropped) {
        table_program without = program;
        without.languages.erase(without.languages.begin() + static_cast<std::ptrdiff_t>(dropped));
        std::size_t fewer_symbols = 0;
        const std::size_t smaller = cortex_m0_rodata(made(without), fewer_symbols);
        const std::size_t figure = tables.sizes[dropped + 1].bytes;
        EXPECT_EQ(symbols - fewer_symbols, figure) << program.languages[dropped].code;
        EXPECT_LE(rodata - smaller, figure + ALIGNMENT) << program.languages[dropped].code;
        EXPECT_GE(rodata - smaller + ALIGNMENT, figure) << program.languages[dropped].code;
    }
}
