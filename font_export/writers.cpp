#include "font_export/writers.h"

#include <cstdio>

namespace {

// The cell in the other formats' terms: the baseline 2 rows above its
// bottom, as the X and console fonts of 12 rows have it.
constexpr int CELL_WIDTH = 8, CELL_HEIGHT = static_cast<int>(GLYPH_LINES);
constexpr int DESCENT = 2, ASCENT = CELL_HEIGHT - DESCENT;
constexpr int TOP_BIT = 0x80;

constexpr char YAFF_VERSION[] = "1.0.4";
constexpr char YAFF_INDENT[] = "    ";
constexpr char YAFF_INK = '@', YAFF_PAPER = '.';

// BDF at 72 dots an inch, so that a point is a pixel; SWIDTH is the advance
// in thousandths of the size.
constexpr int BDF_RESOLUTION = 72, DECIPOINTS = 10, SWIDTH_UNITS = 1000;
constexpr int BDF_SWIDTH = (CELL_WIDTH * SWIDTH_UNITS + CELL_HEIGHT / 2) / CELL_HEIGHT;
// A glyph of no character is unencoded, with no second number: readers
// take that for the glyph's character.
constexpr int BDF_UNENCODED = -1;
// What a reader shows for a character the font lacks: the space, which code
// 0x20 always shows.
constexpr char32_t DEFAULT_CHARACTER = U' ';

constexpr std::uint32_t PSF2_MAGIC = 0x864ab572, PSF2_VERSION = 0, PSF2_HEADER_SIZE = 32;
constexpr std::uint32_t PSF2_HAS_UNICODE_TABLE = 0x01;
constexpr char PSF2_SEPARATOR = '\xFF';  // ends each glyph's entry in the Unicode table

template <typename... Values>
std::string formatted(const char *format, Values... values)
{
    std::string text(static_cast<std::size_t>(std::snprintf(nullptr, 0, format, values...)), '\0');
    std::snprintf(text.data(), text.size() + 1, format, values...);
    return text;
}

std::string yaff_labels(const exported_font &font, std::size_t code)
{
    std::string labels = formatted("0x%02zx:\n", code);
    if (font.characters[code] != NO_CHARACTER)
        labels += formatted("u+%04x:\n", static_cast<unsigned>(font.characters[code]));
    return labels;
}

std::string yaff_picture(const glyph_picture &picture)
{
    std::string rows;
    for (const std::uint8_t line : picture) {
        rows += YAFF_INDENT;
        for (int bit = TOP_BIT; bit != 0; bit >>= 1)
            rows += (line & bit) != 0 ? YAFF_INK : YAFF_PAPER;
        rows += '\n';
    }
    return rows;
}

std::string bdf_header(const exported_font &font)
{
    const int point_size = CELL_HEIGHT * DECIPOINTS;
    std::string text = "STARTFONT 2.1\n"
                       "COMMENT The font as the header made by make_h shows it, codes 128-255 in " +
                       font.set_name + "\n";
    text += formatted("FONT -make_h-8x12-Medium-R-Normal--%d-%d-%d-%d-C-%d-ISO10646-1\n", CELL_HEIGHT,
                      point_size, BDF_RESOLUTION, BDF_RESOLUTION, CELL_WIDTH * DECIPOINTS);
    text += formatted("SIZE %d %d %d\n", CELL_HEIGHT, BDF_RESOLUTION, BDF_RESOLUTION);
    text += formatted("FONTBOUNDINGBOX %d %d 0 %d\n", CELL_WIDTH, CELL_HEIGHT, -DESCENT);
    const std::string properties[] = {
        "FOUNDRY \"make_h\"",
        "FAMILY_NAME \"8x12\"",
        "WEIGHT_NAME \"Medium\"",
        "SLANT \"R\"",
        "SETWIDTH_NAME \"Normal\"",
        "ADD_STYLE_NAME \"\"",
        formatted("PIXEL_SIZE %d", CELL_HEIGHT),
        formatted("POINT_SIZE %d", point_size),
        formatted("RESOLUTION_X %d", BDF_RESOLUTION),
        formatted("RESOLUTION_Y %d", BDF_RESOLUTION),
        "SPACING \"C\"",
        formatted("AVERAGE_WIDTH %d", CELL_WIDTH * DECIPOINTS),
        "CHARSET_REGISTRY \"ISO10646\"",
        "CHARSET_ENCODING \"1\"",
        formatted("FONT_ASCENT %d", ASCENT),
        formatted("FONT_DESCENT %d", DESCENT),
        formatted("DEFAULT_CHAR %u", static_cast<unsigned>(DEFAULT_CHARACTER)),
    };
    text += formatted("STARTPROPERTIES %zu\n", std::size(properties));
    for (const std::string &property : properties)
        text += property + "\n";
    return text + "ENDPROPERTIES\n" + formatted("CHARS %zu\n", GLYPH_COUNT);
}

std::string bdf_glyph(const exported_font &font, std::size_t code)
{
    const char32_t c = font.characters[code];
    std::string text = c != NO_CHARACTER
                           ? formatted("STARTCHAR uni%04X\nENCODING %u\n", static_cast<unsigned>(c),
                                       static_cast<unsigned>(c))
                           : formatted("STARTCHAR code%02zX\nENCODING %d\n", code, BDF_UNENCODED);
    text += formatted("SWIDTH %d 0\nDWIDTH %d 0\nBBX %d %d 0 %d\nBITMAP\n", BDF_SWIDTH, CELL_WIDTH, CELL_WIDTH,
                      CELL_HEIGHT, -DESCENT);
    for (const std::uint8_t line : font.pictures[code])
        text += formatted("%02X\n", line);
    return text + "ENDCHAR\n";
}

void append_le32(std::string &out, std::uint32_t value)
{
    for (int byte = 0; byte < 4; ++byte)
        out.push_back(static_cast<char>(value >> (8 * byte) & 0xFF));
}

}  // namespace

std::string yaff_file(const exported_font &font)
{
    std::string text = "# The font as the header made by make_h shows it: the glyph labelled 0xNN\n"
                       "# is the picture code 0xNN shows, codes 0x80-0xff through the table.\n\n";
    text += std::string("yaff: ") + YAFF_VERSION + "\n";
    text += "encoding: " + font.set_name + "\n";
    text += "spacing: character-cell\n";
    text += formatted("cell-size: %d %d\n", CELL_WIDTH, CELL_HEIGHT);
    text += formatted("line-height: %d\n", CELL_HEIGHT);
    text += formatted("ascent: %d\ndescent: %d\nshift-up: %d\n", ASCENT, DESCENT, -DESCENT);
    for (std::size_t code = 0; code < GLYPH_COUNT; ++code)
        text += "\n" + yaff_labels(font, code) + yaff_picture(font.pictures[code]);
    return text;
}

std::string bdf_file(const exported_font &font)
{
    std::string text = bdf_header(font);
    for (std::size_t code = 0; code < GLYPH_COUNT; ++code)
        text += bdf_glyph(font, code);
    return text + "ENDFONT\n";
}

std::string psf2_file(const exported_font &font)
{
    std::string bytes;
    for (const std::uint32_t field : {PSF2_MAGIC, PSF2_VERSION, PSF2_HEADER_SIZE, PSF2_HAS_UNICODE_TABLE,
                                      static_cast<std::uint32_t>(GLYPH_COUNT), static_cast<std::uint32_t>(GLYPH_LINES),
                                      static_cast<std::uint32_t>(CELL_HEIGHT), static_cast<std::uint32_t>(CELL_WIDTH)})
        append_le32(bytes, field);
    for (const glyph_picture &picture : font.pictures)
        bytes.append(picture.begin(), picture.end());
    for (const char32_t c : font.characters) {
        if (c != NO_CHARACTER)
            bytes += utf8(c);
        bytes += PSF2_SEPARATOR;
    }
    return bytes;
}
