#include "font_import/freetype_reader.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_ADVANCES_H
#include FT_BDF_H
#include FT_BITMAP_H
#include FT_FONT_FORMATS_H
#include FT_WINFONTS_H

#include <algorithm>
#include <climits>
#include <cmath>

#include "font_import/font_file.h"

namespace {

// The library and the face open in it, closed in turn.
struct freetype_face {
    FT_Library library = nullptr;
    FT_Face face = nullptr;

    freetype_face() = default;
    ~freetype_face()
    {
        if (face != nullptr)
            FT_Done_Face(face);
        if (library != nullptr)
            FT_Done_FreeType(library);
    }
    freetype_face(const freetype_face &) = delete;
    freetype_face &operator=(const freetype_face &) = delete;
};

constexpr double FREETYPE_UNITS_PER_PIXEL = 64;  // 26.6 fixed point
// A scalable font is never drawn larger than this many times the slot's height.
constexpr int SIZE_SEARCH_FACTOR = 4;
constexpr std::uint32_t LAST_BYTE_CODE = 0xFF;
// A glyph's picture may reach this many times the cell's size, to be cut.
constexpr int LARGEST_PICTURE_FACTOR = 4;

// Windows FNT charset bytes and the sets iconv knows them by.
struct fnt_charset {
    FT_Byte id;
    const char *name;
};
constexpr fnt_charset FNT_CHARSETS[] = {
    {FT_WinFNT_ID_CP1252, "CP1252"}, {FT_WinFNT_ID_MAC, "MACINTOSH"},
    {FT_WinFNT_ID_CP932, "CP932"},   {FT_WinFNT_ID_CP949, "CP949"},
    {FT_WinFNT_ID_CP1361, "CP1361"}, {FT_WinFNT_ID_CP936, "CP936"},
    {FT_WinFNT_ID_CP950, "CP950"},   {FT_WinFNT_ID_CP1253, "CP1253"},
    {FT_WinFNT_ID_CP1254, "CP1254"}, {FT_WinFNT_ID_CP1258, "CP1258"},
    {FT_WinFNT_ID_CP1255, "CP1255"}, {FT_WinFNT_ID_CP1256, "CP1256"},
    {FT_WinFNT_ID_CP1257, "CP1257"}, {FT_WinFNT_ID_CP1251, "CP1251"},
    {FT_WinFNT_ID_CP874, "CP874"},   {FT_WinFNT_ID_CP1250, "CP1250"},
    {FT_WinFNT_ID_OEM, "CP437"},
};

// FreeType's own texts for its errors, made as its fterrors.h describes.
#undef FTERRORS_H_
#define FT_ERRORDEF(e, v, s) {e, s},
#define FT_ERROR_START_LIST {
#define FT_ERROR_END_LIST {0, nullptr}};
const struct {
    int code;
    const char *text;
} FREETYPE_ERRORS[] =
#include FT_ERRORS_H

std::string freetype_reason(FT_Error error)
{
    for (const auto &known : FREETYPE_ERRORS)
        if (known.code == error && known.text != nullptr)
            return known.text;
    return "FreeType error " + std::to_string(error);
}

// A file no FreeType driver takes is no font, or a broken one.
std::string unreadable_font(FT_Error error)
{
    const std::string not_a_font = "not a font (BDF, PCF, PSF, FON, FNT, TrueType, OpenType or yaff)";
    return error == FT_Err_Unknown_File_Format ? not_a_font
                                               : not_a_font + ": " + freetype_reason(error);
}

int pixels_up(FT_Pos units)
{
    return static_cast<int>(std::ceil(static_cast<double>(units) / FREETYPE_UNITS_PER_PIXEL));
}

int pixels_down(FT_Pos units)
{
    return static_cast<int>(std::floor(static_cast<double>(units) / FREETYPE_UNITS_PER_PIXEL));
}

// The set a bitmap font says its codes are in, as iconv names it.
std::vector<std::string> charset_names(FT_Face face)
{
    const char *encoding = nullptr, *registry = nullptr;
    if (FT_Get_BDF_Charset_ID(face, &encoding, &registry) == 0 && encoding && registry)
        return {std::string(registry) + "-" + encoding, encoding, std::string(registry) + encoding};
    FT_WinFNT_HeaderRec header;
    if (FT_Get_WinFNT_Header(face, &header) == 0) {
        for (const fnt_charset &known : FNT_CHARSETS)
            if (known.id == header.charset)
                return {known.name};
        return {"Windows charset " + std::to_string(header.charset)};
    }
    return {};
}

// Ink where a pixel is at least half dark, whatever FreeType drew. A picture
// far larger than any cell is refused before it is copied.
std::string image_of(FT_Library library, FT_GlyphSlot slot, const size_limits &limits,
                     glyph_image &image)
{
    const FT_Bitmap &bitmap = slot->bitmap;
    // A BDF glyph may give a size and no bitmap: FreeType passes that on.
    if (bitmap.buffer == nullptr && bitmap.width != 0 && bitmap.rows != 0)
        return "no bitmap data";
    if (bitmap.width > static_cast<unsigned>(LARGEST_PICTURE_FACTOR * limits.max_width) ||
        bitmap.rows > static_cast<unsigned>(LARGEST_PICTURE_FACTOR * limits.max_height))
        return "a glyph of " + std::to_string(bitmap.width) + "x" + std::to_string(bitmap.rows) +
               " pixels, far larger than " + std::to_string(limits.max_width) + "x" +
               std::to_string(limits.max_height);
    FT_Bitmap bytes;
    FT_Bitmap_Init(&bytes);
    if (const FT_Error error = FT_Bitmap_Convert(library, &bitmap, &bytes, 1))
        return freetype_reason(error);
    image.left = slot->bitmap_left;
    image.top = slot->bitmap_top;
    image.width = static_cast<int>(bytes.width);
    image.height = static_cast<int>(bytes.rows);
    image.advance = pixels_up(slot->advance.x);
    image.ink.assign(static_cast<std::size_t>(image.width) * static_cast<std::size_t>(image.height), 0);
    for (unsigned row = 0; row < bytes.rows; ++row)
        for (unsigned column = 0; column < bytes.width; ++column) {
            const unsigned level = bytes.buffer[row * static_cast<unsigned>(bytes.pitch) + column];
            image.ink[row * bytes.width + column] = 2 * level >= bytes.num_grays ? 1 : 0;
        }
    FT_Bitmap_Done(library, &bytes);
    return "";
}

// How far the ink of some pictures reaches above and below the baseline,
// and their largest advance. Ink that overhangs the advance sideways, as
// italics and serifs do at every size, does not count: it is cut.
struct ink_reach {
    int above = INT_MIN, below = INT_MIN;
    int advance = 0;

    void take(const glyph_image &image)
    {
        advance = std::max(advance, image.advance);
        const auto box = image.inked();
        if (!box)
            return;
        above = std::max(above, image.top - box->first_row);
        below = std::max(below, box->last_row + 1 - image.top);
    }
    bool inked() const { return above != INT_MIN; }
    bool fits(const size_limits &limits) const
    {
        return advance <= limits.slot_width && (!inked() || above + below <= limits.slot_height);
    }
};

// The pixel size at which a scalable font's line, or the widest of the
// glyphs, just fits the slot; the search for the size starts there.
int first_guess(FT_Face face, const std::vector<FT_UInt> &glyphs, const size_limits &limits)
{
    const FT_Long line = face->ascender - face->descender;
    FT_Fixed widest = 0;
    for (const FT_UInt glyph : glyphs)
        if (FT_Fixed advance = 0; FT_Get_Advance(face, glyph, FT_LOAD_NO_SCALE, &advance) == 0)
            widest = std::max(widest, advance);
    long guess = SIZE_SEARCH_FACTOR * limits.slot_height;
    if (line > 0)
        guess = std::min(guess, long{limits.slot_height} * face->units_per_EM / line);
    if (widest > 0)
        guess = std::min(guess, long{limits.slot_width} * face->units_per_EM / widest);
    return static_cast<int>(std::max(guess, 1L));
}

// Puts first the characters whose pictures reach furthest, which are the
// ones most likely to break the fit at a larger size.
void reaching_first(const drawn_font &drawn, std::vector<char32_t> &order)
{
    ink_reach reach;
    for (const glyph_image &image : drawn.images)
        reach.take(image);
    std::stable_partition(order.begin(), order.end(), [&](char32_t c) {
        const glyph_image *image = drawn.find(c);
        if (image == nullptr)
            return false;
        ink_reach own;
        own.take(*image);
        return own.advance == reach.advance ||
               (own.inked() && (own.above == reach.above || own.below == reach.below));
    });
}
// Every other format FreeType reads: BDF, PCF, FON and FNT, TrueType and
// OpenType.
class freetype_reader : public font_reader {
public:
    explicit freetype_reader(const font_file &file) : file_(file) {}
    std::string open(const charset_table *encoding, const size_limits &limits);
    std::string format() const override;
    bool scalable() const override { return FT_IS_SCALABLE(face_.face); }
    std::optional<unsigned> glyph_index(char32_t c) const override;
    std::string draw(const std::vector<char32_t> &chars, const size_limits &limits, drawn_font &drawn) override;

private:
    std::string choose_bitmap_size(const size_limits &limits);
    std::string map_own_codes(const charset_table *encoding);
    void map_byte_codes();
    std::string draw_scalable(const std::vector<char32_t> &chars, const size_limits &limits, drawn_font &drawn);
    std::string draw_at_size(const std::vector<char32_t> &chars, const size_limits &limits, bool stop_outside,
                             drawn_font &drawn, bool &fits);

    const font_file &file_;  // FreeType reads the face from its bytes
    freetype_face face_;
    bool unicode_map_ = false;  // a Unicode font is asked character by character
};

std::string freetype_reader::format() const
{
    const char *name = FT_Get_Font_Format(face_.face);
    return name != nullptr ? name : "a font";
}

std::optional<unsigned> freetype_reader::glyph_index(char32_t c) const
{
    if (unicode_map_ && c < FIRST_CODE_KEY) {
        const FT_UInt glyph = FT_Get_Char_Index(face_.face, c);
        return glyph != 0 ? std::optional<unsigned>(glyph) : std::nullopt;
    }
    return font_reader::glyph_index(c);
}

std::string freetype_reader::open(const charset_table *encoding, const size_limits &limits)
{
    if (const FT_Error error = FT_Init_FreeType(&face_.library))
        return freetype_reason(error);
    if (const FT_Error error = FT_New_Memory_Face(face_.library, file_.data,
                                                  static_cast<FT_Long>(file_.size), 0, &face_.face))
        return unreadable_font(error);
    if (!FT_IS_SCALABLE(face_.face))
        if (std::string reason = choose_bitmap_size(limits); !reason.empty())
            return reason;
    return map_own_codes(encoding);
}

// A FON file holds one face per size, a BDF or PCF font one face of one
// size; the face already open is not read again.
std::string freetype_reader::choose_bitmap_size(const size_limits &limits)
{
    struct candidate {
        FT_Long face;
        FT_Int strike;
        int height;
    };
    std::vector<candidate> sizes;
    for (FT_Long index = 0; index < face_.face->num_faces; ++index) {
        FT_Face face = index == 0 ? face_.face : nullptr;
        if (face == nullptr && FT_New_Memory_Face(face_.library, file_.data,
                                                  static_cast<FT_Long>(file_.size), index, &face) != 0)
            continue;
        for (FT_Int strike = 0; strike < face->num_fixed_sizes; ++strike)
            sizes.push_back({index, strike, face->available_sizes[strike].height});
        if (face != face_.face)
            FT_Done_Face(face);
    }
    if (sizes.empty())
        return "has no bitmaps to draw";
    std::stable_sort(sizes.begin(), sizes.end(),
                     [](const candidate &a, const candidate &b) { return a.height < b.height; });
    const candidate *chosen = &sizes.front();
    for (const candidate &size : sizes)
        if (limits.pixel_size ? size.height == *limits.pixel_size : size.height <= limits.slot_height)
            chosen = &size;
    std::string known;
    for (const candidate &size : sizes)
        known += (known.empty() ? "" : ", ") + std::to_string(size.height);
    if (limits.pixel_size && chosen->height != *limits.pixel_size)
        return "has no " + std::to_string(*limits.pixel_size) + "-pixel size, only " + known;
    size_.pixels = chosen->height;
    size_.reason = limits.pixel_size ? "as asked"
                   : sizes.size() == 1 ? "its only size"
                   : chosen->height <= limits.slot_height
                       ? "the largest of " + known + " that fits " + std::to_string(limits.slot_height) + " rows"
                       : "the smallest of " + known;
    if (chosen->face != 0) {
        FT_Done_Face(face_.face);
        face_.face = nullptr;
        if (const FT_Error error = FT_New_Memory_Face(face_.library, file_.data,
                                                      static_cast<FT_Long>(file_.size),
                                                      chosen->face, &face_.face))
            return freetype_reason(error);
    }
    if (const FT_Error error = FT_Select_Size(face_.face, chosen->strike))
        return freetype_reason(error);
    return "";
}

// A Unicode font is asked for each character as it is needed; the codes of
// any other font are read once, through the set they are in.
std::string freetype_reader::map_own_codes(const charset_table *encoding)
{
    FT_Face face = face_.face;
    // FreeType makes only a Unicode map active by itself.
    if (face->charmap == nullptr && face->num_charmaps > 0)
        FT_Set_Charmap(face, face->charmaps[0]);
    if (face->charmap == nullptr)
        return "has no character map";

    charset_table own_codes;
    if (encoding == nullptr && face->charmap->encoding == FT_ENCODING_UNICODE) {
        unicode_map_ = true;
        map_byte_codes();
        return "";
    }
    if (encoding == nullptr) {
        const std::vector<std::string> names = charset_names(face);
        if (names.empty())
            return "has no Unicode map and names no character set: name the set of its codes with -e";
        std::string first_reason;
        for (const std::string &name : names) {
            const std::string reason = load_charset(name, own_codes);
            if (reason.empty()) {
                encoding = &own_codes;
                break;
            }
            if (first_reason.empty())
                first_reason = reason;
        }
        if (encoding == nullptr)
            return "codes are in " + names.front() + ", " + first_reason +
                   ": name the set they are in with -e";
    }
    code_set_ = *encoding;
    for (std::uint32_t code = 0; code <= LAST_BYTE_CODE; ++code) {
        const FT_UInt glyph = FT_Get_Char_Index(face, code);
        if (glyph != 0)
            map_code(code, glyph);
    }
    return "";
}

// FreeType gives a font of ISO 8859-1 bytes (or a FON file's) a Unicode
// map; where a byte and its character are one number, or the byte is a
// control, the byte is a code of the font too.
void freetype_reader::map_byte_codes()
{
    FT_Face face = face_.face;
    charset_table set;
    const std::vector<std::string> names = charset_names(face);
    if (names.empty() || !std::any_of(names.begin(), names.end(),
                                      [&set](const std::string &name) { return load_charset(name, set).empty(); }))
        return;
    code_set_ = set;
    for (std::uint32_t code = 0; code <= LAST_BYTE_CODE; ++code)
        if (set[code] == code || (is_control(code) && (set[code] == NO_CHARACTER || is_control(set[code]))))
            if (const FT_UInt glyph = FT_Get_Char_Index(face, code); glyph != 0)
                glyph_of_.emplace(code_key(code), glyph);
}

std::string freetype_reader::draw(const std::vector<char32_t> &chars, const size_limits &limits,
                                  drawn_font &drawn)
{
    drawn = drawn_font{};
    if (scalable())
        return draw_scalable(chars, limits, drawn);
    bool fits = false;
    return draw_at_size(chars, limits, false, drawn, fits);
}

// Tries sizes from a first guess, down until one fits, then up while the
// next one fits too; each glyph is drawn once per size tried, and the
// pictures of the size chosen are kept. The cell is where the ink reaches.
std::string freetype_reader::draw_scalable(const std::vector<char32_t> &chars, const size_limits &limits,
                                           drawn_font &drawn)
{
    FT_Face face = face_.face;
    const auto draw_at = [&](int pixels, const std::vector<char32_t> &order, bool stop_outside,
                             drawn_font &at, bool &fits) {
        at = drawn_font{};
        if (const FT_Error error = FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(pixels)))
            return freetype_reason(error);
        return draw_at_size(order, limits, stop_outside, at, fits);
    };
    bool fits = false;
    if (limits.pixel_size) {
        size_ = {*limits.pixel_size, "as asked"};
        if (std::string reason = draw_at(size_.pixels, chars, false, drawn, fits); !reason.empty())
            return reason;
    } else {
        std::vector<FT_UInt> glyphs;
        for (const char32_t c : chars)
            if (const auto glyph = glyph_index(c))
                glyphs.push_back(*glyph);
        const int largest = SIZE_SEARCH_FACTOR * limits.slot_height;
        int pixels = std::min(first_guess(face, glyphs, limits), largest);
        std::vector<char32_t> order = chars;
        // Down from the guess until a size fits; at 1 pixel whatever comes is
        // taken, and the cell check says why it fails ...
        for (;; --pixels) {
            if (std::string reason = draw_at(pixels, order, pixels > 1, drawn, fits); !reason.empty())
                return reason;
            if (fits || pixels == 1)
                break;
        }
        // ... then up while the next size fits too.
        while (fits && pixels < largest) {
            reaching_first(drawn, order);
            drawn_font larger;
            if (std::string reason = draw_at(pixels + 1, order, true, larger, fits); !reason.empty())
                return reason;
            if (fits) {
                drawn = std::move(larger);
                ++pixels;
            }
        }
        size_ = {pixels, "the largest at which the placed glyphs fit " +
                             std::to_string(limits.slot_width) + "x" + std::to_string(limits.slot_height)};
    }
    ink_reach reach;
    for (const glyph_image &image : drawn.images)
        reach.take(image);
    if (reach.inked()) {
        drawn.ascent = reach.above;
        drawn.descent = reach.below;
    }
    return "";
}

// Draws at the size set. With stop_outside, drawing stops as soon as the
// ink reaches out of the slot: that size does not fit.
std::string freetype_reader::draw_at_size(const std::vector<char32_t> &chars, const size_limits &limits,
                                       bool stop_outside, drawn_font &drawn, bool &fits)
{
    FT_Face face = face_.face;
    drawn.ascent = pixels_up(face->size->metrics.ascender);
    drawn.descent = -pixels_down(face->size->metrics.descender);
    ink_reach reach;
    fits = true;
    for (const char32_t c : chars) {
        const auto glyph = glyph_index(c);
        if (!glyph || drawn.find(c) != nullptr || drawn.share(c, *glyph))
            continue;
        if (const FT_Error error = FT_Load_Glyph(face, *glyph, FT_LOAD_RENDER | FT_LOAD_TARGET_MONO))
            return character_name(c) + ": " + freetype_reason(error);
        glyph_image image;
        if (std::string reason = image_of(face_.library, face->glyph, limits, image); !reason.empty()) {
            if (stop_outside) {  // far too large: not this size
                fits = false;
                return "";
            }
            return character_name(c) + ": " + reason;
        }
        reach.take(image);
        drawn.width = std::max(drawn.width, image.advance);
        drawn.add(c, *glyph, std::move(image));
        fits = reach.fits(limits);
        if (!fits && stop_outside)
            return "";
    }
    return "";
}

}  // namespace

opened_font open_freetype_font(const font_file &file, const charset_table *encoding, const size_limits &limits)
{
    auto reader = std::make_unique<freetype_reader>(file);
    opened_font opened{nullptr, reader->open(encoding, limits)};
    if (opened.reason.empty())
        opened.reader = std::move(reader);
    return opened;
}
