// Writes the tests' PSF and BDF fonts, a C source and a record of sets into
// a directory, as seeds for the fuzzers.
#include <cstdio>
#include <fstream>

#include "font_files.h"

namespace {

// A bit of each thing the C scanner tells apart.
constexpr char C_SEED[] = "#include \"a.h\" /* \"Ж\" */\n#define G \"\\x41Ж\" 'Ж'\n"
                          "// it's \\\nu8\"Ж\" R\"d(Ж\n)d\" 1'000 \"раз\\\nдва\"_s '\\''\n";
constexpr char RECORD_SEED[] = "# sets\ntable-set: KOI8-R\r\nglyph-order: CP866\ntable-sum: 5f701cc8c0f08211\n";

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
    const std::string bdf = bdf_text(sample_bdf_font());
    const std::string c = C_SEED, record = RECORD_SEED;
    return write_seed(dir + "/seed.bdf", bytes(bdf.begin(), bdf.end())) &&
                   write_seed(dir + "/seed.c", bytes(c.begin(), c.end())) &&
                   write_seed(dir + "/seed.sets", bytes(record.begin(), record.end()))
               ? 0
               : 1;
}
