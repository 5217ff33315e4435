// Plural rules: read as msgfmt reads them, refused in msgfmt's words where
// msgfmt refuses them, and compiled into C that chooses the form gettext
// chooses, checked against msgfmt and Python's gettext run here.
#include <fstream>

#include "plural_forms/plural_forms.h"
#include "tool_inputs.h"

namespace {

// gettext's rules of the common languages, and some that count with truth values.
const std::vector<std::string> COMMON_RULES = {
    "nplurals=1; plural=0;",  // Japanese
    "nplurals=2; plural=n != 1;",
    "nplurals=2; plural=n>1;",  // French
    "nplurals=3; plural=n%10==1 && n%100!=11 ? 0 : n != 0 ? 1 : 2;",  // Latvian
    "nplurals=3; plural=n==1 ? 0 : n==2 ? 1 : 2;",  // Irish
    "nplurals=3; plural=n==1 ? 0 : (n==0 || (n%100 > 0 && n%100 < 20)) ? 1 : 2;",  // Romanian
    "nplurals=3; plural=n%10==1 && n%100!=11 ? 0 : n%10>=2 && (n%100<10 || n%100>=20) ? 1 : 2;",  // Lithuanian
    "nplurals=3; plural=(n%10==1 && n%100!=11 ? 0 : n%10>=2 && n%10<=4 && (n%100<10 || n%100>=20) ? 1 : 2);",  // Russian
    "nplurals=3; plural=(n==1) ? 0 : (n>=2 && n<=4) ? 1 : 2;",  // Czech
    "nplurals=3; plural=(n==1 ? 0 : n%10>=2 && n%10<=4 && (n%100<10 || n%100>=20) ? 1 : 2);",  // Polish
    "nplurals=4; plural=n%100==1 ? 0 : n%100==2 ? 1 : n%100==3 || n%100==4 ? 2 : 3;",  // Slovenian
    "nplurals=6; plural=n==0 ? 0 : n==1 ? 1 : n==2 ? 2 : n%100>=3 && n%100<=10 ? 3 : n%100>=11 ? 4 : 5;",  // Arabic
    "nplurals=3;plural=(n%10==1)+(n%10==2)*2",
    // Comparisons of an unsigned number with 0 that are always true or
    // false, of which a compiler warns, a division by n in one of them.
    "nplurals=2; plural=n>=0 && n != 1;",
    "nplurals=3; plural=(n<0) + (0>n) + (0<=n)*(n/(n+1) >= 1-1) + (n%(n+1) < 0*1) + (n>1);",
};
constexpr unsigned long LAST_N = 200;

// A catalog with one plural message whose form i is "i".
std::string catalog(const std::string &plural_forms, std::size_t forms)
{
    std::string po = "msgid \"\"\nmsgstr \"Content-Type: text/plain; charset=UTF-8\\nPlural-Forms: " + plural_forms +
                     "\\n\"\n\nmsgid \"one\"\nmsgid_plural \"many\"\n";
    for (std::size_t i = 0; i < forms; ++i)
        po += "msgstr[" + std::to_string(i) + "] \"" + std::to_string(i) + "\"\n";
    return po;
}

using PluralForms = ToolInputs;

}  // namespace

// Each rule, compiled as C and as C++, chooses for n = 0..200 the form that
// Python's gettext chooses from the .mo msgfmt makes of the same catalog.
TEST_F(PluralForms, ChooseTheFormGettextChooses)
{
    std::string functions, calls, formats, oracle_files;
    for (std::size_t i = 0; i < COMMON_RULES.size(); ++i) {
        const plural_reading read = read_plural_forms(COMMON_RULES[i]);
        ASSERT_TRUE(read.rule) << COMMON_RULES[i] << ": " << read.error;
        const std::string po = "rule" + std::to_string(i) + ".po";
        std::ofstream(file(po)) << catalog(COMMON_RULES[i], read.rule->forms);
        const tool_run made = run("msgfmt --check -o rule" + std::to_string(i) + ".mo " + po);
        ASSERT_EQ(made.status, 0) << made.err;
        functions += plural_function(*read.rule, "form" + std::to_string(i));
        calls += ", form" + std::to_string(i) + "(n)";
        formats += " %lu";
        oracle_files += (i == 0 ? "'" : ", '") + ("rule" + std::to_string(i) + ".mo'");
    }
    // gettext's rule where a catalog gives none is English's.
    EXPECT_EQ(germanic_plural(), *read_plural_forms(COMMON_RULES[1]).rule);

    std::ofstream(file("oracle.py")) << "import gettext\n"
                                        "rules = [gettext.GNUTranslations(open(f, 'rb')) for f in ["
                                     << oracle_files << "]]\n"
                                        "for n in range("
                                     << LAST_N + 1 << "):\n    print(n, *[r.ngettext('one', 'many', n) for r in rules])\n";
    const tool_run oracle = run("python3 oracle.py");
    ASSERT_EQ(oracle.status, 0) << oracle.err;
    ASSERT_EQ(lines_of(oracle.out).size(), LAST_N + 1);

    std::ofstream(file("forms.c")) << "#include <stdio.h>\n"
                                   << functions
                                   << "int main(void)\n{\n    unsigned long n;\n    for (n = 0; n <= " << LAST_N
                                   << "; ++n)\n        printf(\"%lu" << formats << "\\n\", n" << calls
                                   << ");\n    return 0;\n}\n";
    const std::string warnings = " -Wall -Wextra -Wpedantic -Wconversion -Wsign-conversion -Wshadow -Werror ";
    for (const std::string &compile : {quoted(C_COMPILER) + " -std=c99" + warnings + "-o forms forms.c",
                                       quoted(CXX_COMPILER) + " -x c++ -std=c++17" + warnings + "-o forms forms.c"}) {
        const tool_run built = run(compile + " && ./forms");
        ASSERT_EQ(built.status, 0) << compile << "\n" << built.err;
        EXPECT_EQ(built.out, oracle.out) << compile;
    }
}

// What msgfmt --check refuses is refused, in the words msgfmt says it in.
TEST_F(PluralForms, RefuseWhatMsgfmtRefusesInItsWords)
{
    const struct {
        const char *value, *error;
    } refused[] = {
        {"nplurals=; plural=n != 1;", "invalid nplurals value"},
        {"nplurals=-2; plural=n != 1;", "invalid nplurals value"},
        {"nplurals=2; plural=n = 1;", "invalid plural expression"},
        {"nplurals=2; plural=n != 1 x;", "invalid plural expression"},
        {"nplurals=2; plural=(n != 1;", "invalid plural expression"},
        {"nplurals=2; plural=n != 1);", "invalid plural expression"},
        {"nplurals=2; plural=n ? 1;", "invalid plural expression"},
        {"nplurals=2; plural=n : 1;", "invalid plural expression"},
        {"nplurals=2; plural=(n ? 1) : 0;", "invalid plural expression"},
        {"nplurals=2; plural=n ? 1 : 0 : 1;", "invalid plural expression"},
        {"nplurals=2; plural=-n;", "invalid plural expression"},
        {"nplurals=2; plural=n & 1;", "invalid plural expression"},
        {"nplurals=2; plural=n n;", "invalid plural expression"},
        {"nplurals=2; plural=!;", "invalid plural expression"},
        {"nplurals=2; plural=;", "invalid plural expression"},
        {"nplurals=2; plural=n % (n - 7) > 100;", "plural expression can produce division by zero"},
        {"nplurals=2; plural=n / 0;", "plural expression can produce division by zero"},
        {"nplurals=2; plural=n - 1 > 5 ? 3 : 0;", "nplurals = 2 but plural expression can produce values as large as 3"},
        {"nplurals=2; plural=n;", "nplurals = 2 but plural expression can produce values as large as 2"},
        {"nplurals=2; plural=n == 3 ? 0 - 1 : 0;", "plural expression can produce negative values"},
    };
    for (const auto &row : refused) {
        const plural_reading read = read_plural_forms(row.value);
        EXPECT_FALSE(read.rule) << row.value;
        EXPECT_EQ(read.error, row.error) << row.value;
        std::ofstream(file("refused.po")) << catalog(row.value, 2);
        const tool_run msgfmt = run("msgfmt --check -o /dev/null refused.po");
        EXPECT_NE(msgfmt.status, 0) << row.value;
        EXPECT_NE(msgfmt.err.find(row.error), std::string::npos) << row.value << "\n" << msgfmt.err;
    }
    // What names no rule is no error: gettext goes without.
    for (const char *none : {"", "nplurals=2;", "plural=n != 1;", "nplurals 2; plural n"}) {
        const plural_reading read = read_plural_forms(none);
        EXPECT_FALSE(read.rule) << none;
        EXPECT_EQ(read.error, "") << none;
    }
    // What follows the expression's end is not read, as gettext reads it.
    EXPECT_TRUE(read_plural_forms("plural=n != 1\n; nplurals= 2 junk").rule);
}

// A rule nested deeper than gettext evaluates is refused; parentheses alone
// cost no depth, and any nesting costs time in proportion to its length.
TEST_F(PluralForms, BoundTheirDepthAndTheirCost)
{
    const auto nested = [](std::size_t depth, const char *open, const char *close) {
        std::string expression;
        for (std::size_t i = 0; i < depth; ++i)
            expression += open;
        expression += "n";
        for (std::size_t i = 0; i < depth; ++i)
            expression += close;
        return "nplurals=2; plural=" + expression + " > 100;";
    };
    EXPECT_TRUE(read_plural_forms(nested(90, "(0+", ")")).rule);
    EXPECT_EQ(read_plural_forms(nested(120, "(0+", ")")).error, "plural expression can produce stack overflow");
    EXPECT_TRUE(read_plural_forms(nested(200000, "(", ")")).rule);
    EXPECT_EQ(read_plural_forms(nested(200000, "!(", ")")).error, "plural expression can produce stack overflow");
    EXPECT_EQ(read_plural_forms(nested(200000, "(", "")).error, "invalid plural expression");
}

// Past 1000, where msgfmt does not look, a division by zero (two at once
// too) and a value beyond the forms give form 0 on the device.
TEST_F(PluralForms, GiveFormZeroWhereGettextHasNoForm)
{
    const plural_reading read = read_plural_forms(
        "nplurals=3; plural=n < 1500 ? 1 : n < 2500 ? 2 - 2 / (n - 2000) - 1 % (n - 2000) : n - 2998;");
    ASSERT_TRUE(read.rule) << read.error;
    std::ofstream(file("edge.c")) << "#include <stdio.h>\n"
                                  << plural_function(*read.rule, "form")
                                  << "int main(void)\n{\n    printf(\"%lu %lu %lu %lu %lu\\n\", form(1000), "
                                     "form(2000), form(2001), form(2999), form(3001));\n    return 0;\n}\n";
    for (const std::string &compiler : {quoted(C_COMPILER) + " -std=c99", quoted(CXX_COMPILER) + " -x c++"}) {
        const tool_run built = run(compiler + " -Wall -Wextra -Wconversion -Werror -o edge edge.c && ./edge");
        ASSERT_EQ(built.status, 0) << compiler << "\n" << built.err;
        EXPECT_EQ(built.out, "1 0 0 1 0\n") << compiler;
    }
}

// A count for each form, to show it by: the smallest from 1, else 0;
// nothing for a form no count gets, nothing at all for a refused rule.
TEST(PluralExamples, GiveEachFormTheSmallestCountItIsFor)
{
    using counts = std::vector<std::optional<plural_number>>;
    EXPECT_EQ(plural_examples(""), (counts{1, 2}));  // gettext's n != 1
    EXPECT_EQ(plural_examples(COMMON_RULES[0]), (counts{1}));
    EXPECT_EQ(plural_examples(COMMON_RULES[7]), (counts{1, 2, 5}));  // Russian
    EXPECT_EQ(plural_examples(COMMON_RULES[11]), (counts{0, 1, 2, 3, 11, 100}));  // Arabic
    EXPECT_EQ(plural_examples("nplurals=3; plural=n != 1;"), (counts{1, 2, std::nullopt}));
    EXPECT_EQ(plural_examples("nplurals=2; plural=n / 0;"), counts{});
}
