#include "font_export/exported_font.h"

#include <algorithm>

#include "font_export/writers.h"

namespace {

constexpr std::size_t FIRST_ASCII = 0x20, DELETE_CODE = 0x7F, FIRST_UPPER = 0x80;

constexpr struct {
    std::string_view name;
    export_format format;
} FORMAT_NAMES[] = {{"yaff", export_format::yaff}, {"bdf", export_format::bdf}, {"psf", export_format::psf}};

constexpr struct {
    std::string_view extension;
    export_format format;
} EXTENSIONS[] = {{".yaff", export_format::yaff},
                  {".bdf", export_format::bdf},
                  {".psf", export_format::psf},
                  {".psfu", export_format::psf}};

}  // namespace

exported_font export_font(const source_font &font, const recode_table &table, const table_set &set)
{
    exported_font out;
    out.set_name = set.name;
    out.characters.fill(NO_CHARACTER);
    const auto &taken = out.characters;
    const auto untaken = [&taken](char32_t c) { return std::find(taken.begin(), taken.end(), c) == taken.end(); };
    for (std::size_t code = 0; code < GLYPH_COUNT; ++code) {
        const std::uint8_t glyph = glyph_for_code(table, static_cast<std::uint8_t>(code));
        for (std::size_t line = 0; line < GLYPH_LINES; ++line)
            out.pictures[code][line] = font_byte(font, glyph, line);
        const char32_t c = set.characters[code];
        if (code >= FIRST_ASCII && code < DELETE_CODE)
            out.characters[code] = static_cast<char32_t>(code);
        else if (code >= FIRST_UPPER && is_printable(c) && untaken(c))
            out.characters[code] = c;
    }
    for (const auto &[code, c] : set.at_free_codes)
        if (untaken(c))
            out.characters[code] = c;
    return out;
}

std::optional<export_format> format_named(std::string_view name)
{
    for (const auto &known : FORMAT_NAMES)
        if (name == known.name)
            return known.format;
    return std::nullopt;
}

std::optional<export_format> format_of_file(std::string_view path)
{
    for (const auto &known : EXTENSIONS)
        if (path.size() > known.extension.size() &&
            path.substr(path.size() - known.extension.size()) == known.extension)
            return known.format;
    return std::nullopt;
}

std::string exported_file(const exported_font &font, export_format format)
{
    switch (format) {
    case export_format::yaff:
        return yaff_file(font);
    case export_format::bdf:
        return bdf_file(font);
    case export_format::psf:
        break;
    }
    return psf2_file(font);
}
