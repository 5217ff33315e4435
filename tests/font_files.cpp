#include "font_files.h"

#include <cstdio>

namespace {

constexpr std::size_t PSF1_GLYPHS = 256, PSF1_MORE_GLYPHS = 512;
constexpr std::uint8_t PSF1_MODE512 = 0x01, PSF1_MODEHASTAB = 0x02;

// A row of 4-bit grey levels, one hex digit a pixel, padded to whole bytes.
std::string grey_row(const std::string &row)
{
    return row.size() % 2 ? row + "0" : row;
}

std::string hex_row(const std::string &row)
{
    unsigned value = 0;
    const std::size_t bits = (row.size() + 7) / 8 * 8;
    for (std::size_t i = 0; i < bits; ++i)
        value = value << 1 | (i < row.size() && row[i] == '#' ? 1u : 0u);
    char text[16];
    std::snprintf(text, sizeof text, "%0*X", static_cast<int>(bits / 4), value);
    return text;
}

void append_le(bytes &out, std::uint32_t value, int count)
{
    for (int i = 0; i < count; ++i)
        out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

void append_utf8(bytes &out, char32_t c)
{
    if (c < 0x80) {
        out.push_back(static_cast<std::uint8_t>(c));
    } else if (c < 0x800) {
        out.push_back(static_cast<std::uint8_t>(0xC0 | c >> 6));
        out.push_back(static_cast<std::uint8_t>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
        out.push_back(static_cast<std::uint8_t>(0xE0 | c >> 12));
        out.push_back(static_cast<std::uint8_t>(0x80 | (c >> 6 & 0x3F)));
        out.push_back(static_cast<std::uint8_t>(0x80 | (c & 0x3F)));
    } else {
        out.push_back(static_cast<std::uint8_t>(0xF0 | c >> 18));
        out.push_back(static_cast<std::uint8_t>(0x80 | (c >> 12 & 0x3F)));
        out.push_back(static_cast<std::uint8_t>(0x80 | (c >> 6 & 0x3F)));
        out.push_back(static_cast<std::uint8_t>(0x80 | (c & 0x3F)));
    }
}

}  // namespace

std::string bdf_text(const bdf_font &font)
{
    const int height = font.ascent + font.descent;
    const std::string bits = font.grey ? " 4" : "";
    std::string text = "STARTFONT 2.1\nFONT -test-fixed-medium-r-normal--" + std::to_string(height) +
                       "-120-75-75-c-60-" + font.registry + "-" + font.encoding +
                       "\nSIZE " + std::to_string(height) + " 75 75" + bits + "\nFONTBOUNDINGBOX 8 " +
                       std::to_string(height) + " 0 -" + std::to_string(font.descent) +
                       "\nSTARTPROPERTIES 4\nFONT_ASCENT " + std::to_string(font.ascent) +
                       "\nFONT_DESCENT " + std::to_string(font.descent) +
                       "\nCHARSET_REGISTRY \"" + font.registry + "\"\nCHARSET_ENCODING \"" +
                       font.encoding + "\"\nENDPROPERTIES\nCHARS " +
                       std::to_string(font.glyphs.size()) + "\n";
    for (const bdf_glyph &glyph : font.glyphs) {
        const int width = glyph.rows.empty() ? 0 : static_cast<int>(glyph.rows[0].size());
        const int advance = glyph.advance != 0 ? glyph.advance : width;
        text += "STARTCHAR c" + std::to_string(glyph.code) + "\nENCODING " +
                std::to_string(glyph.code) + "\nSWIDTH 500 0\nDWIDTH " + std::to_string(advance) +
                " 0\nBBX " + std::to_string(width) + " " + std::to_string(glyph.rows.size()) + " " +
                std::to_string(glyph.left) + " " + std::to_string(glyph.bottom) + "\nBITMAP\n";
        for (const std::string &row : glyph.rows)
            text += (font.grey ? grey_row(row) : hex_row(row)) + "\n";
        text += "ENDCHAR\n";
    }
    return text + "ENDFONT\n";
}

bdf_font sample_bdf_font()
{
    return {6, 2, "ISO10646", "1",
            {{U' ', {"....."}, 0, 0, 5},
             {U'A', {".#.", "#.#", "###", "#.#"}, 1, 0, 5},
             {U'g', {"###", "#.#", "###", "..#", "##."}, 1, -2, 5},
             {U'\u00C5', {".#.", "...", ".#.", "#.#", "###", "#.#"}, 1, 3, 5},
             {U'\u2502', {"..#..", "..#..", "..#..", "..#..", "..#..", "..#..", "..#..", "..#.."}, 0, -2, 5}}};
}

bytes psf_bytes(const psf_spec &font)
{
    const bool psf1_512 = font.version == 1 && font.glyphs.size() > PSF1_GLYPHS;
    const std::size_t count = font.version != 1 ? font.glyphs.size() : psf1_512 ? PSF1_MORE_GLYPHS : PSF1_GLYPHS;
    const std::size_t row_bytes = (font.width + 7) / 8;
    bytes out;
    if (font.version == 1) {
        const auto mode = static_cast<std::uint8_t>((font.unicode_table ? PSF1_MODEHASTAB : 0) |
                                                    (psf1_512 ? PSF1_MODE512 : 0));
        out = {0x36, 0x04, mode, static_cast<std::uint8_t>(font.height)};
    } else {
        out = {0x72, 0xb5, 0x4a, 0x86};
        for (const std::size_t field : {std::size_t{0}, std::size_t{32},
                                        std::size_t{font.unicode_table ? 1u : 0u}, count,
                                        row_bytes * font.height, std::size_t{font.height},
                                        std::size_t{font.width}})
            append_le(out, static_cast<std::uint32_t>(field), 4);
    }
    for (std::size_t g = 0; g < count; ++g)
        for (std::size_t row = 0; row < font.height; ++row) {
            const std::string pixels = g < font.glyphs.size() && row < font.glyphs[g].rows.size()
                                           ? font.glyphs[g].rows[row]
                                           : "";
            for (std::size_t byte = 0; byte < row_bytes; ++byte) {
                unsigned value = 0;
                for (std::size_t bit = 0; bit < 8; ++bit) {
                    const std::size_t column = byte * 8 + bit;
                    value = value << 1 | (column < pixels.size() && pixels[column] == '#' ? 1u : 0u);
                }
                out.push_back(static_cast<std::uint8_t>(value));
            }
        }
    if (!font.unicode_table)
        return out;
    for (std::size_t g = 0; g < count; ++g) {
        const std::u32string none;
        for (const char32_t c : g < font.glyphs.size() ? font.glyphs[g].characters : none)
            if (font.version == 1)
                append_le(out, c, 2);
            else
                append_utf8(out, c);
        if (font.version == 1)
            append_le(out, 0xFFFF, 2);
        else
            out.push_back(0xFF);
    }
    return out;
}

std::string yaff_text(const bdf_font &font)
{
    const bool unicode = font.registry == "ISO10646";
    std::string text = "# " + font.registry + "-" + font.encoding + "\nascent: " + std::to_string(font.ascent) +
                       "\ndescent: " + std::to_string(font.descent) + "\n";
    if (!unicode)
        text += "encoding: " + font.registry + "-" + font.encoding + "\n";
    for (const bdf_glyph &glyph : font.glyphs) {
        char label[16];
        std::snprintf(label, sizeof label, unicode ? "\nu+%04X:\n" : "\n0x%02X:\n", static_cast<unsigned>(glyph.code));
        text += label;
        for (const std::string &row : glyph.rows) {
            text += "    ";
            for (const char pixel : row)
                text += pixel == '#' ? '@' : '.';
            text += "\n";
        }
        const int width = glyph.rows.empty() ? 0 : static_cast<int>(glyph.rows[0].size());
        const int advance = glyph.advance != 0 ? glyph.advance : width;
        text += "\n    left-bearing: " + std::to_string(glyph.left) + "\n    shift-up: " +
                std::to_string(glyph.bottom) + "\n    right-bearing: " +
                std::to_string(advance - glyph.left - width) + "\n";
    }
    return text;
}

std::string pair_yaff_text(const bytes &font, const bytes &table, const std::string &encoding,
                           const std::u32string &characters)
{
    std::string text = "encoding: " + encoding + "\ncell-size: 8x12\n";
    for (unsigned code = 0; code < 256; ++code) {
        char label[32];
        std::snprintf(label, sizeof label, "\n0x%02X:\n", code);
        text += label;
        if (characters[code] != 0) {
            std::snprintf(label, sizeof label, "u+%04X:\n", static_cast<unsigned>(characters[code]));
            text += label;
        }
        const std::size_t slot = code < 128 ? code : table[code - 128];
        for (std::size_t row = 0; row < 12; ++row) {
            text += "    ";
            for (int bit = 7; bit >= 0; --bit)
                text += (font[slot * 12 + row] >> bit & 1) ? '@' : '.';
            text += "\n";
        }
    }
    return text;
}

std::string sample_yaff_text()
{
    return "# A test font\n#\n"
           "yaff: 1.0\n"
           "notice:\n    Free to use.\n    \"Quoted: kept\"\n"
           "encoding: koi8-r\n"
           "ascent: 6\n"
           "descent: 2\n"
           "shift-up: -2\n"
           "\n# The capital A\n"
           "u+0041:\n0x41:\n\"capital_a\":\n"
           "    .@..\n    @.@.\n    @@@.\n    @.@.\n    ....\n    ....\n    ....\n    ....\n"
           "\n    left-bearing: 1\n    right-bearing: 0\n"
           "\n0xC1 :  \n"
           "    @@@.\n    ....\n    ....\n    ....\n    ....\n    ....\n    ....\n    ....\n"
           "\n    shift-up: 1\n    right-kerning:\n        u+0041 -1\n"
           "\nspace:\n    -\n\n    right-bearing: 5\n"
           "\n'\u0416':\n\t@.@.@\n\t.@@@.\n\t@.@.@\n";
}

psf_glyph sample_glyph_a()
{
    return {{"..##..", ".#..#.", "#....#", "######", "#....#"}, U"A\u0410"};
}

psf_glyph sample_glyph_zhe()
{
    return {{"#.#.#.", ".###..", "#.#.#."}, U"\u0416"};
}

std::vector<bytes> sample_psf_fonts()
{
    const psf_glyph a = sample_glyph_a(), zhe = sample_glyph_zhe();
    std::vector<bytes> fonts;
    for (const int version : {1, 2})
        for (const bool table : {true, false})
            fonts.push_back(psf_bytes({version, version == 1 ? 8u : 6u, 8, table, {a, zhe}}));
    return fonts;
}
