#include "font_data/font_data.h"

#include <cerrno>
#include <cstdio>

namespace {

constexpr std::uint8_t RECODED_BIT = 0x80;

// One read request for the whole image. The size of the file is never asked
// for, so pipes and devices work as well as regular files.
load_status load_image(const char *file, std::uint8_t *image, std::size_t size)
{
    load_status status{file, 0, 0, size};
    std::FILE *stream = std::fopen(file, "rb");
    if (stream == nullptr) {
        status.error = errno;
        return status;
    }
    status.bytes_read = std::fread(image, 1, size, stream);
    if (std::ferror(stream))
        status.error = errno;  // a directory opens, but reading it fails
    std::fclose(stream);       // read-only: nothing to lose on close
    return status;
}

}  // namespace

load_status load_source_font(source_font &font, const char *path)
{
    return load_image(path, font.data(), font.size());
}

load_status load_recode_table(recode_table &table, const char *path)
{
    return load_image(path, table.data(), table.size());
}

std::uint8_t glyph_for_code(const recode_table &table, std::uint8_t code)
{
    if ((code & RECODED_BIT) == 0)
        return code;
    return table[code - RECODED_BIT];
}

std::uint8_t font_byte(const source_font &font, std::uint8_t glyph, std::size_t line)
{
    return font[glyph * GLYPH_LINES + line];
}
