// Writes the tests' PSF, BDF and yaff fonts, a C source, a record of sets and
// a plural rule into a directory, as seeds for the fuzzers.
#include <cstdio>
#include <fstream>

#include "font_files.h"

namespace {

// A bit of each thing the C scanner tells apart.
constexpr char C_SEED[] = "#include \"a.h\" /* \"Ж\" */\n#define G \"\\x41Ж\" 'Ж'\n"
                          "// it's \\\nu8\"Ж\" R\"d(Ж\n)d\" 1'000 \"раз\\\nдва\"_s '\\''\n"
                          "\"\\u{416}\\x{41}\\o{101}\\N{X}\\u{}\\x{4\"\n";
// Messages under keywords, and a catalog with a bit of each form.
constexpr char MESSAGES_SEED[] = "_(\"a\") N_ ( /* m */ \"b\"\n\"\") f(R\"(c)\", 1) _(\"\\x64\" x) _(\"e\\\nf\") _(\"\\u{64}\\x{41}\")\n";
constexpr char CATALOG_SEED[] = "msgid \"\"\nmsgstr \"Content-Type: text/plain; charset=UTF-8\\n\"\n\n"
                                "#, fuzzy\nmsgid \"a\\\"\\x41\\101\"\nmsgstr \"\"\n\"b\"\n\n"
                                "msgctxt \"c\" msgid \"d\" msgid_plural \"e\" msgstr[0] \"f\"\n#~ msgid \"g\"\n";
// A plural rule with every operator, and a division that may be by zero.
constexpr char PLURAL_SEED[] = "nplurals=4; plural=!(n%10==1 && n%100!=11) ? n>=2 || n<=4 ? 1 : 2 : "
                               "n/(n+1)*3-1 > 0 != (n<5) && n>=0 ? 3 : 0;";
constexpr char RECORD_SEED[] =
    "# sets\ntable-set: KOI8-R\r\nglyph-order: CP866\n0x01: U+263A \u263a\ntable-sum: 82e4d32d312efc93\n";

bool write_seed(const std::string &path, const bytes &content)
{
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char *>(content.data()),
              static_cast<std::streamsize>(content.size()));
    if (out.flush())
        return true;
    std::perror(path.c_str());
    return false;
}

}  // namespace

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fputs("usage: write_fuzz_seeds DIR\n", stderr);
        return 2;
    }
    const std::string dir = argv[1];
    const std::vector<bytes> fonts = sample_psf_fonts();
    for (std::size_t i = 0; i < fonts.size(); ++i)
        if (!write_seed(dir + "/seed-" + std::to_string(i) + ".psf", fonts[i]))
            return 1;
    bdf_font koi8 = sample_bdf_font();
    koi8.registry = "KOI8";
    koi8.encoding = "R";
    for (const auto &[name, text] : {std::pair<std::string, std::string>{"seed.bdf", bdf_text(sample_bdf_font())},
                                     {"seed.yaff", yaff_text(sample_bdf_font())},
                                     {"seed-koi8.yaff", yaff_text(koi8)},
                                     {"seed-forms.yaff", sample_yaff_text()},
                                     {"seed.c", C_SEED},
                                     {"seed-messages.c", MESSAGES_SEED},
                                     {"seed.po", CATALOG_SEED},
                                     {"seed.sets", RECORD_SEED},
                                     {"seed.plural", PLURAL_SEED}})
        if (!write_seed(dir + "/" + name, bytes(text.begin(), text.end())))
            return 1;
    return 0;
}
