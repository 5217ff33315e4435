#include "font_import/font_source.h"

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

struct freetype_face {
    FT_Library library = nullptr;
    FT_Face face = nullptr;

    ~freetype_face()
    {
        if (face != nullptr)
            FT_Done_Face(face);
        if (library != nullptr)
            FT_Done_FreeType(library);
    }
};

namespace {

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

// Whether a name says yaff, gzip'd or not, in any case.
bool named_yaff(const std::string &path)
{
    std::string lower;
    for (const char c : path)
        lower += c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    const auto ends_with = [&lower](const std::string &end) {
        return lower.size() >= end.size() && lower.compare(lower.size() - end.size(), end.size(), end) == 0;
    };
    return ends_with(".yaff") || ends_with(".yaff.gz");
}

bool unicode_value(std::uint32_t code)
{
    constexpr std::uint32_t LAST_UNICODE = 0x10FFFF, FIRST_SURROGATE = 0xD800, LAST_SURROGATE = 0xDFFF;
    return code <= LAST_UNICODE && (code < FIRST_SURROGATE || code > LAST_SURROGATE);
}

// The rows a yaff's glyph rasters reach above the baseline and below it.
struct raster_reach {
    int above = 0, below = 0;
};

raster_reach reach_of(const yaff_font &font)
{
    std::optional<raster_reach> reach;
    for (const yaff_glyph &glyph : font.glyphs) {
        if (glyph.height == 0)
            continue;
        const int bottom = font.metrics.shift_up + glyph.metrics.shift_up;
        const raster_reach own{bottom + glyph.height, -bottom};
        reach = reach ? raster_reach{std::max(reach->above, own.above), std::max(reach->below, own.below)} : own;
    }
    return reach.value_or(raster_reach{});
}

}  // namespace

std::optional<glyph_image::ink_box> glyph_image::inked() const
{
    std::optional<ink_box> box;
    for (int row = 0; row < height; ++row)
        for (int column = 0; column < width; ++column) {
            if (!ink[static_cast<std::size_t>(row * width + column)])
                continue;
            if (!box)
                box = ink_box{row, row, column, column};
            box->last_row = row;
            box->first_column = std::min(box->first_column, column);
            box->last_column = std::max(box->last_column, column);
        }
    return box;
}

const glyph_image *drawn_font::find(char32_t c) const
{
    const auto found = image_of.find(c);
    return found == image_of.end() ? nullptr : &images[found->second];
}

bool drawn_font::share(char32_t c, unsigned glyph)
{
    const auto drawn = image_of_glyph_.find(glyph);
    if (drawn == image_of_glyph_.end())
        return false;
    image_of.emplace(c, drawn->second);
    return true;
}

void drawn_font::add(char32_t c, unsigned glyph, glyph_image image)
{
    image_of_glyph_.emplace(glyph, images.size());
    image_of[c] = images.size();
    images.push_back(std::move(image));
}

font_source::font_source() = default;
font_source::~font_source() = default;

std::string font_source::open(const std::string &path, const charset_table *encoding,
                              const size_limits &limits)
{
    file_ = std::make_unique<font_file>();
    if (std::string reason = file_->open(path); !reason.empty())
        return reason;
    if (file_->size == 0)
        return "empty file";
    is_psf_ = is_psf(file_->data, file_->size);
    is_yaff_ = !is_psf_ && (named_yaff(path) || looks_like_yaff(file_->data, file_->size));
    if (is_psf_)
        return open_psf(encoding, limits);
    return is_yaff_ ? open_yaff(encoding, limits) : open_freetype(encoding, limits);
}

bool font_source::scalable() const
{
    return !is_psf_ && !is_yaff_ && FT_IS_SCALABLE(face_->face);
}

std::string font_source::format() const
{
    if (is_yaff_)
        return "yaff";
    if (is_psf_)
        return "PSF" + std::to_string(psf_.version);
    const char *name = FT_Get_Font_Format(face_->face);
    return name != nullptr ? name : "a font";
}

std::optional<unsigned> font_source::glyph_index(char32_t c) const
{
    if (unicode_map_ && c < FIRST_CODE_KEY) {
        const FT_UInt glyph = FT_Get_Char_Index(face_->face, c);
        return glyph != 0 ? std::optional<unsigned>(glyph) : std::nullopt;
    }
    const auto found = glyph_of_.find(c);
    return found != glyph_of_.end() ? std::optional<unsigned>(found->second) : std::nullopt;
}

std::string font_source::open_psf(const charset_table *encoding, const size_limits &limits)
{
    const psf_limits cell_limits{static_cast<std::uint32_t>(limits.max_width),
                                 static_cast<std::uint32_t>(limits.max_height)};
    if (std::string reason = parse_psf(file_->data, file_->size, cell_limits, psf_); !reason.empty())
        return reason;
    if (limits.pixel_size && *limits.pixel_size != static_cast<int>(psf_.height))
        return "has no " + std::to_string(*limits.pixel_size) + "-pixel size, only " +
               std::to_string(psf_.height);
    size_ = {static_cast<int>(psf_.height), limits.pixel_size ? "as asked" : "its only size"};
    if (encoding != nullptr) {
        code_set_ = *encoding;
        for (std::size_t glyph = 0; glyph < std::min(psf_.glyph_count, BYTE_VALUES); ++glyph) {
            glyph_of_.emplace(code_key(static_cast<unsigned>(glyph)), glyph);
            if ((*encoding)[glyph] != NO_CHARACTER)
                glyph_of_.emplace((*encoding)[glyph], glyph);
        }
        return "";
    }
    if (!psf_.has_unicode_table)
        return "has no Unicode table";
    for (const auto &[c, glyph] : psf_.unicode)
        glyph_of_.emplace(c, glyph);
    return "";
}

// A yaff's cell reaches from its descent below the baseline to its ascent
// above, as the file gives them; without them, its line height (or cell
// size) up from the descent, or else where its glyphs reach.
std::string font_source::open_yaff(const charset_table *encoding, const size_limits &limits)
{
    if (const auto error = parse_yaff(file_->data, file_->size, yaff_)) {
        error_line_ = error->line;
        return error->reason;
    }
    if (yaff_.glyphs.empty())
        return "has no glyphs";
    if (yaff_.more_fonts)
        warnings_.emplace_back("holds more than one font: the first is read");
    const raster_reach reach = reach_of(yaff_);
    yaff_descent_ = yaff_.descent.value_or(std::max(reach.below, 0));
    yaff_ascent_ = yaff_.ascent ? *yaff_.ascent
                   : yaff_.line_height ? *yaff_.line_height - yaff_descent_
                                       : std::max(reach.above, 0);
    const int pixels = yaff_ascent_ + yaff_descent_;
    if (limits.pixel_size && *limits.pixel_size != pixels)
        return "has no " + std::to_string(*limits.pixel_size) + "-pixel size, only " + std::to_string(pixels);
    size_ = {pixels, limits.pixel_size ? "as asked" : "its only size"};
    map_yaff_glyphs(encoding);
    return "";
}

// A glyph's characters are its character labels, or else its codes read in
// the file's encoding; with an encoding given, only its codes, read in that.
// Codes of a set of bytes also stand for themselves.
void font_source::map_yaff_glyphs(const charset_table *encoding)
{
    const std::string set_name = encoding != nullptr ? "" : iconv_set_name(yaff_.encoding);
    const bool unicode = set_name == UNICODE_CODES;
    if (encoding != nullptr)
        code_set_ = *encoding;
    else if (charset_table own_codes; !unicode && !set_name.empty() && load_charset(set_name, own_codes).empty())
        code_set_ = own_codes;

    std::size_t left_out = 0;
    for (std::size_t glyph = 0; glyph < yaff_.glyphs.size(); ++glyph) {
        const yaff_glyph &labels = yaff_.glyphs[glyph];
        const bool by_character = encoding == nullptr && !labels.characters.empty();
        if (by_character)
            for (const char32_t c : labels.characters)
                glyph_of_.emplace(c, glyph);
        for (const std::uint32_t code : labels.codes) {
            if (code_set_ && code < BYTE_VALUES) {
                glyph_of_.emplace(code_key(code), glyph);
                if (!by_character && (*code_set_)[code] != NO_CHARACTER)
                    glyph_of_.emplace((*code_set_)[code], glyph);
            } else if (!by_character && unicode && unicode_value(code)) {
                glyph_of_.emplace(static_cast<char32_t>(code), glyph);
            }
        }
        if (!by_character && !code_set_ && !unicode && !labels.codes.empty())
            ++left_out;
    }
    if (left_out == 0)
        return;
    const std::string glyphs = std::to_string(left_out) + (left_out == 1 ? " glyph" : " glyphs");
    warnings_.push_back(yaff_.encoding.empty()
                            ? glyphs + " known only by a code, and no encoding named: left out; name the set "
                                       "of the codes with -e"
                            : glyphs + " known only by a code in " + yaff_.encoding +
                                  ", a set iconv does not know: left out; name a set it knows with -e");
}

std::string font_source::open_freetype(const charset_table *encoding, const size_limits &limits)
{
    face_ = std::make_unique<freetype_face>();
    if (const FT_Error error = FT_Init_FreeType(&face_->library))
        return freetype_reason(error);
    if (const FT_Error error = FT_New_Memory_Face(face_->library, file_->data,
                                                  static_cast<FT_Long>(file_->size), 0, &face_->face))
        return unreadable_font(error);
    if (!FT_IS_SCALABLE(face_->face))
        if (std::string reason = choose_bitmap_size(limits); !reason.empty())
            return reason;
    return map_own_codes(encoding);
}

// A FON file holds one face per size, a BDF or PCF font one face of one
// size; the face already open is not read again.
std::string font_source::choose_bitmap_size(const size_limits &limits)
{
    struct candidate {
        FT_Long face;
        FT_Int strike;
        int height;
    };
    std::vector<candidate> sizes;
    for (FT_Long index = 0; index < face_->face->num_faces; ++index) {
        FT_Face face = index == 0 ? face_->face : nullptr;
        if (face == nullptr && FT_New_Memory_Face(face_->library, file_->data,
                                                  static_cast<FT_Long>(file_->size), index, &face) != 0)
            continue;
        for (FT_Int strike = 0; strike < face->num_fixed_sizes; ++strike)
            sizes.push_back({index, strike, face->available_sizes[strike].height});
        if (face != face_->face)
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
        FT_Done_Face(face_->face);
        face_->face = nullptr;
        if (const FT_Error error = FT_New_Memory_Face(face_->library, file_->data,
                                                      static_cast<FT_Long>(file_->size),
                                                      chosen->face, &face_->face))
            return freetype_reason(error);
    }
    if (const FT_Error error = FT_Select_Size(face_->face, chosen->strike))
        return freetype_reason(error);
    return "";
}

// A Unicode font is asked for each character as it is needed; the codes of
// any other font are read once, through the set they are in.
std::string font_source::map_own_codes(const charset_table *encoding)
{
    FT_Face face = face_->face;
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
        if (glyph == 0)
            continue;
        glyph_of_.emplace(code_key(code), glyph);
        if ((*encoding)[code] != NO_CHARACTER)
            glyph_of_.emplace((*encoding)[code], glyph);
    }
    return "";
}

// FreeType gives a font of ISO 8859-1 bytes (or a FON file's) a Unicode
// map; where a byte and its character are one number, or the byte is a
// control, the byte is a code of the font too.
void font_source::map_byte_codes()
{
    FT_Face face = face_->face;
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

std::string font_source::draw(const std::vector<char32_t> &chars, const size_limits &limits,
                              drawn_font &drawn)
{
    drawn = drawn_font{};
    if (is_psf_) {
        draw_psf(chars, drawn);
        return "";
    }
    if (is_yaff_) {
        draw_yaff(chars, drawn);
        return "";
    }
    if (scalable())
        return draw_scalable(chars, limits, drawn);
    bool fits = false;
    return draw_freetype(chars, limits, false, drawn, fits);
}

// A PSF glyph fills its cell, which stands on the baseline. Each glyph is
// drawn once, however many characters show it.
void font_source::draw_psf(const std::vector<char32_t> &chars, drawn_font &drawn) const
{
    drawn.ascent = static_cast<int>(psf_.height);
    drawn.width = static_cast<int>(psf_.width);
    for (const char32_t c : chars) {
        const auto glyph = glyph_index(c);
        if (!glyph || drawn.share(c, *glyph))
            continue;
        glyph_image image;
        image.top = drawn.ascent;
        image.width = drawn.width;
        image.height = drawn.ascent;
        image.advance = drawn.width;
        for (std::uint32_t row = 0; row < psf_.height; ++row)
            for (std::uint32_t column = 0; column < psf_.width; ++column)
                image.ink.push_back(psf_.ink(*glyph, row, column) ? 1 : 0);
        drawn.add(c, *glyph, std::move(image));
    }
}

// A yaff's glyph stands at its bearings and shift, its own added to the
// font's; the cell is as wide as the largest advance.
void font_source::draw_yaff(const std::vector<char32_t> &chars, drawn_font &drawn) const
{
    drawn.ascent = yaff_ascent_;
    drawn.descent = yaff_descent_;
    for (const char32_t c : chars) {
        const auto glyph = glyph_index(c);
        if (!glyph || drawn.share(c, *glyph))
            continue;
        const yaff_glyph &raster = yaff_.glyphs[*glyph];
        const yaff_metrics &font = yaff_.metrics, &own = raster.metrics;
        glyph_image image;
        image.left = font.left_bearing + own.left_bearing;
        image.top = font.shift_up + own.shift_up + raster.height;
        image.width = raster.width;
        image.height = raster.height;
        image.advance = image.left + raster.width + font.right_bearing + own.right_bearing;
        for (int row = 0; row < raster.height; ++row)
            for (int column = 0; column < raster.width; ++column)
                image.ink.push_back(yaff_.ink(raster, row, column) ? 1 : 0);
        drawn.width = std::max(drawn.width, image.advance);
        drawn.add(c, *glyph, std::move(image));
    }
}

// Tries sizes from a first guess, down until one fits, then up while the
// next one fits too; each glyph is drawn once per size tried, and the
// pictures of the size chosen are kept. The cell is where the ink reaches.
std::string font_source::draw_scalable(const std::vector<char32_t> &chars,
                                       const size_limits &limits, drawn_font &drawn)
{
    FT_Face face = face_->face;
    const auto draw_at = [&](int pixels, const std::vector<char32_t> &order, bool stop_outside,
                             drawn_font &at, bool &fits) {
        at = drawn_font{};
        if (const FT_Error error = FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(pixels)))
            return freetype_reason(error);
        return draw_freetype(order, limits, stop_outside, at, fits);
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
std::string font_source::draw_freetype(const std::vector<char32_t> &chars, const size_limits &limits,
                                       bool stop_outside, drawn_font &drawn, bool &fits)
{
    FT_Face face = face_->face;
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
        if (std::string reason = image_of(face_->library, face->glyph, limits, image); !reason.empty()) {
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
