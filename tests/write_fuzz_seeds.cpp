// Writes the tests' PSF fonts into a directory, as seeds for the fuzzer.
#include <cstdio>
#include <fstream>

#include "font_files.h"

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fputs("usage: write_psf_seeds DIR\n", stderr);
        return 2;
    }
    const std::vector<bytes> fonts = sample_psf_fonts();
    for (std::size_t i = 0; i < fonts.size(); ++i) {
        const std::string path = std::string(argv[1]) + "/seed-" + std::to_string(i) + ".psf";
        std::ofstream out(path, std::ios::binary);
        out.write(reinterpret_cast<const char *>(fonts[i].data()),
                  static_cast<std::streamsize>(fonts[i].size()));
        if (!out.flush()) {
            std::perror(path.c_str());
            return 1;
        }
    }
    return 0;
}
