#include "font_import/psf.h"

#include "charset/utf8.h"

#include <cstdio>

namespace {

constexpr std::uint8_t PSF1_MAGIC[] = {0x36, 0x04};
constexpr std::uint8_t PSF2_MAGIC[] = {0x72, 0xb5, 0x4a, 0x86};
constexpr std::size_t PSF2_HEADER_SIZE = 32;

constexpr std::uint8_t PSF1_MODE512 = 0x01;
constexpr std::uint8_t PSF1_MODEHASTAB = 0x02;
constexpr std::uint8_t PSF1_MODESEQ = 0x04;
constexpr std::size_t PSF1_WIDTH = 8;
constexpr std::uint16_t PSF1_SEPARATOR = 0xFFFF;
constexpr std::uint16_t PSF1_START_SEQUENCE = 0xFFFE;

constexpr std::uint32_t PSF2_HAS_UNICODE_TABLE = 0x01;
constexpr std::uint8_t PSF2_SEPARATOR = 0xFF;
constexpr std::uint8_t PSF2_START_SEQUENCE = 0xFE;


constexpr unsigned BITS_PER_BYTE = 8;
constexpr std::uint8_t LEFTMOST_BIT = 0x80;

// The bytes not yet read; every read checks what is left.
struct reader {
    const std::uint8_t *at;
    std::size_t left;

    bool skip(std::size_t count)
    {
        if (count > left)
            return false;
        at += count;
        left -= count;
        return true;
    }
    bool peek(std::uint8_t &value) const
    {
        if (left < 1)
            return false;
        value = *at;
        return true;
    }
    bool byte(std::uint8_t &value)
    {
        return peek(value) && skip(1);
    }
    bool u16(std::uint16_t &value)
    {
        if (left < 2)
            return false;
        value = static_cast<std::uint16_t>(at[0] | at[1] << 8);
        return skip(2);
    }
    bool u32(std::uint32_t &value)
    {
        if (left < 4)
            return false;
        value = static_cast<std::uint32_t>(at[0]) | static_cast<std::uint32_t>(at[1]) << 8 |
                static_cast<std::uint32_t>(at[2]) << 16 | static_cast<std::uint32_t>(at[3]) << 24;
        return skip(4);
    }
};

bool starts_with(const std::uint8_t *data, std::size_t size, const std::uint8_t *magic,
                 std::size_t magic_size)
{
    if (size < magic_size)
        return false;
    for (std::size_t i = 0; i < magic_size; ++i)
        if (data[i] != magic[i])
            return false;
    return true;
}

std::string glyphs_overrun(std::size_t count, std::size_t glyph_bytes)
{
    char reason[96];
    std::snprintf(reason, sizeof reason, "%zu glyphs of %zu bytes run past the end of the file",
                  count, glyph_bytes);
    return reason;
}

// Takes the glyph bitmaps, once their sizes are known to be sane and usable.
std::string take_bitmaps(reader &in, const psf_limits &limits, psf_font &font)
{
    const std::size_t glyph_bytes = font.bytes_per_row * font.height;
    if (font.glyph_count == 0)
        return "has no glyphs";
    if (font.width == 0 || font.height == 0)
        return "has glyphs of no size";
    if (font.width > limits.width || font.height > limits.height)
        return "glyphs are " + std::to_string(font.width) + "x" + std::to_string(font.height) +
               ", at most " + std::to_string(limits.width) + "x" + std::to_string(limits.height) +
               " fit";
    if (glyph_bytes == 0 || font.glyph_count > in.left / glyph_bytes)
        return glyphs_overrun(font.glyph_count, glyph_bytes);
    font.bitmaps.assign(in.at, in.at + font.glyph_count * glyph_bytes);
    in.skip(font.bitmaps.size());
    return "";
}

void add_character(psf_font &font, char32_t c, std::size_t glyph)
{
    if (is_unicode_scalar(c))
        font.unicode.emplace_back(c, glyph);
}

// What the next entry of a Unicode table is.
enum class table_entry { character, start_sequence, separator, cut_short, not_utf8 };

// Each glyph's characters up to its separator. A sequence (combining
// characters) after the start mark names the glyph only as a whole, so its
// characters are skipped.
template <typename next_entry>
std::string read_table(reader &in, psf_font &font, next_entry next)
{
    for (std::size_t glyph = 0; glyph < font.glyph_count; ++glyph)
        for (bool in_sequence = false;;) {
            char32_t c = 0;
            const table_entry entry = next(in, c);
            if (entry == table_entry::cut_short)
                return "Unicode table cut short";
            if (entry == table_entry::not_utf8)
                return "Unicode table is not UTF-8";
            if (entry == table_entry::separator)
                break;
            if (entry == table_entry::start_sequence)
                in_sequence = true;
            else if (!in_sequence)
                add_character(font, c, glyph);
        }
    return "";
}

// PSF1 tables hold UCS-2 values.
table_entry psf1_entry(reader &in, char32_t &c)
{
    std::uint16_t value = 0;
    if (!in.u16(value))
        return table_entry::cut_short;
    if (value == PSF1_SEPARATOR)
        return table_entry::separator;
    if (value == PSF1_START_SEQUENCE)
        return table_entry::start_sequence;
    c = value;
    return table_entry::character;
}

std::string parse_psf1(reader in, const psf_limits &limits, psf_font &font)
{
    std::uint8_t mode = 0, height = 0;
    in.skip(sizeof PSF1_MAGIC);
    if (!in.byte(mode) || !in.byte(height))
        return "PSF1 header cut short";
    font.version = 1;
    font.width = PSF1_WIDTH;
    font.height = height;
    font.bytes_per_row = 1;
    font.glyph_count = mode & PSF1_MODE512 ? 512 : 256;
    if (std::string reason = take_bitmaps(in, limits, font); !reason.empty())
        return reason;
    font.has_unicode_table = (mode & (PSF1_MODEHASTAB | PSF1_MODESEQ)) != 0;
    return font.has_unicode_table ? read_table(in, font, psf1_entry) : "";
}

// PSF2 tables hold UTF-8, with two bytes UTF-8 never uses as marks.
table_entry psf2_entry(reader &in, char32_t &c)
{
    std::uint8_t mark = 0;
    if (!in.peek(mark))
        return table_entry::cut_short;
    if (mark == PSF2_SEPARATOR || mark == PSF2_START_SEQUENCE) {
        in.skip(1);
        return mark == PSF2_SEPARATOR ? table_entry::separator : table_entry::start_sequence;
    }
    const std::size_t length = decode_utf8(in.at, in.left, c);
    in.skip(length);
    return length != 0 ? table_entry::character : table_entry::not_utf8;
}

std::string parse_psf2(reader in, const psf_limits &limits, psf_font &font)
{
    const reader whole = in;
    std::uint32_t version = 0, header_size = 0, flags = 0, length = 0, glyph_bytes = 0,
                  height = 0, width = 0;
    in.skip(sizeof PSF2_MAGIC);
    if (!in.u32(version) || !in.u32(header_size) || !in.u32(flags) || !in.u32(length) ||
        !in.u32(glyph_bytes) || !in.u32(height) || !in.u32(width))
        return "PSF2 header cut short";
    if (header_size < PSF2_HEADER_SIZE || header_size > whole.left)
        return "PSF2 header size " + std::to_string(header_size) + " is past the end of the file";
    in = whole;
    in.skip(header_size);
    font.version = 2;
    font.width = width;
    font.height = height;
    font.glyph_count = length;
    // 64 bits hold any product of two 32-bit sizes.
    const std::uint64_t row_bytes = (std::uint64_t{width} + BITS_PER_BYTE - 1) / BITS_PER_BYTE;
    if (row_bytes * height != glyph_bytes)
        return "PSF2 glyphs of " + std::to_string(width) + "x" + std::to_string(height) +
               " cannot take " + std::to_string(glyph_bytes) + " bytes";
    font.bytes_per_row = static_cast<std::size_t>(row_bytes);
    if (std::string reason = take_bitmaps(in, limits, font); !reason.empty())
        return reason;
    font.has_unicode_table = (flags & PSF2_HAS_UNICODE_TABLE) != 0;
    return font.has_unicode_table ? read_table(in, font, psf2_entry) : "";
}

}  // namespace

bool psf_font::ink(std::size_t glyph, std::uint32_t row, std::uint32_t column) const
{
    const std::size_t at = (glyph * height + row) * bytes_per_row + column / BITS_PER_BYTE;
    return (bitmaps[at] & LEFTMOST_BIT >> column % BITS_PER_BYTE) != 0;
}

bool is_psf(const std::uint8_t *data, std::size_t size)
{
    return starts_with(data, size, PSF1_MAGIC, sizeof PSF1_MAGIC) ||
           starts_with(data, size, PSF2_MAGIC, sizeof PSF2_MAGIC);
}

std::string parse_psf(const std::uint8_t *data, std::size_t size, const psf_limits &limits,
                      psf_font &font)
{
    font = psf_font{};
    const reader in{data, size};
    if (starts_with(data, size, PSF2_MAGIC, sizeof PSF2_MAGIC))
        return parse_psf2(in, limits, font);
    if (starts_with(data, size, PSF1_MAGIC, sizeof PSF1_MAGIC))
        return parse_psf1(in, limits, font);
    return "not a PSF font";
}
