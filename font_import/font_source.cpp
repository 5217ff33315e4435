#include "font_import/font_source.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_BDF_H
#include FT_BITMAP_H
#include FT_WINFONTS_H
#include <zlib.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>

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

// Far above any font this tool can use, yet a bound on what a gzip'd file
// may make us hold.
constexpr std::size_t MAX_FONT_FILE_BYTES = std::size_t{64} << 20;
constexpr unsigned READ_CHUNK = 1 << 16;
constexpr double FREETYPE_UNITS_PER_PIXEL = 64;  // 26.6 fixed point
// A scalable font is tried from this many times the line height down.
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

// Reads the whole file, unpacking it if it is gzip'd (zlib passes other
// files through as they are).
std::string read_font_file(const std::string &path, std::vector<std::uint8_t> &content)
{
    errno = 0;
    gzFile file = gzopen(path.c_str(), "rb");
    if (file == nullptr)
        return std::strerror(errno != 0 ? errno : ENOMEM);
    std::string reason;
    std::vector<std::uint8_t> chunk(READ_CHUNK);
    for (;;) {
        const int got = gzread(file, chunk.data(), READ_CHUNK);
        if (got < 0) {
            int error = Z_OK;
            const char *message = gzerror(file, &error);
            reason = error == Z_ERRNO ? std::strerror(errno) : message;
            break;
        }
        if (got == 0)
            break;
        if (content.size() + static_cast<std::size_t>(got) > MAX_FONT_FILE_BYTES) {
            reason = "larger than " + std::to_string(MAX_FONT_FILE_BYTES >> 20) + " MiB";
            break;
        }
        content.insert(content.end(), chunk.begin(), chunk.begin() + got);
    }
    gzclose(file);
    return reason;
}

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
    const std::string not_a_font = "not a font (BDF, PCF, PSF, FON, FNT, TrueType or OpenType)";
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

int line_height(FT_Face face)
{
    return pixels_up(face->size->metrics.ascender) - pixels_down(face->size->metrics.descender);
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
    if (const FT_Error error = FT_Bitmap_Convert(library, &slot->bitmap, &bytes, 1))
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

}  // namespace

bool glyph_image::operator==(const glyph_image &other) const
{
    return left == other.left && top == other.top && width == other.width &&
           height == other.height && advance == other.advance && ink == other.ink;
}

const glyph_image *drawn_font::find(char32_t c) const
{
    const auto found = image_of.find(c);
    return found == image_of.end() ? nullptr : &images[found->second];
}

font_source::font_source() = default;
font_source::~font_source() = default;

std::string font_source::open(const std::string &path, const charset_table *encoding,
                              const size_limits &limits)
{
    if (std::string reason = read_font_file(path, file_); !reason.empty())
        return reason;
    if (file_.empty())
        return "empty file";
    is_psf_ = is_psf(file_.data(), file_.size());
    return is_psf_ ? open_psf(encoding, limits) : open_freetype(encoding, limits);
}

bool font_source::scalable() const
{
    return !is_psf_ && FT_IS_SCALABLE(face_->face);
}

std::string font_source::open_psf(const charset_table *encoding, const size_limits &limits)
{
    const psf_limits cell_limits{static_cast<std::uint32_t>(limits.max_width),
                                 static_cast<std::uint32_t>(limits.max_height)};
    if (std::string reason = parse_psf(file_.data(), file_.size(), cell_limits, psf_); !reason.empty())
        return reason;
    if (limits.pixel_size && *limits.pixel_size != static_cast<int>(psf_.height))
        return "has no " + std::to_string(*limits.pixel_size) + "-pixel size, only " +
               std::to_string(psf_.height);
    if (encoding != nullptr) {
        for (std::size_t glyph = 0; glyph < std::min(psf_.glyph_count, BYTE_VALUES); ++glyph)
            if ((*encoding)[glyph] != NO_CHARACTER)
                glyph_of_.emplace((*encoding)[glyph], glyph);
        return "";
    }
    if (!psf_.has_unicode_table)
        return "has no Unicode table";
    for (const auto &[c, glyph] : psf_.unicode)
        glyph_of_.emplace(c, glyph);
    return "";
}

std::string font_source::open_freetype(const charset_table *encoding, const size_limits &limits)
{
    face_ = std::make_unique<freetype_face>();
    if (const FT_Error error = FT_Init_FreeType(&face_->library))
        return freetype_reason(error);
    if (const FT_Error error = FT_New_Memory_Face(face_->library, file_.data(),
                                                  static_cast<FT_Long>(file_.size()), 0, &face_->face))
        return unreadable_font(error);
    if (!FT_IS_SCALABLE(face_->face))
        if (std::string reason = choose_bitmap_size(limits); !reason.empty())
            return reason;
    return map_freetype_codes(encoding);
}

// A FON file holds one face per size, a BDF or PCF font one face of one size.
std::string font_source::choose_bitmap_size(const size_limits &limits)
{
    struct candidate {
        FT_Long face;
        FT_Int strike;
        int height;
    };
    std::vector<candidate> sizes;
    for (FT_Long index = 0; index < face_->face->num_faces; ++index) {
        FT_Face face = nullptr;
        if (FT_New_Memory_Face(face_->library, file_.data(), static_cast<FT_Long>(file_.size()),
                               index, &face) != 0)
            continue;
        for (FT_Int strike = 0; strike < face->num_fixed_sizes; ++strike)
            sizes.push_back({index, strike, face->available_sizes[strike].height});
        FT_Done_Face(face);
    }
    if (sizes.empty())
        return "has no bitmaps to draw";
    std::sort(sizes.begin(), sizes.end(),
              [](const candidate &a, const candidate &b) { return a.height < b.height; });
    const candidate *chosen = &sizes.front();
    for (const candidate &size : sizes)
        if (limits.pixel_size ? size.height == *limits.pixel_size : size.height <= limits.max_height)
            chosen = &size;
    if (limits.pixel_size && chosen->height != *limits.pixel_size) {
        std::string known;
        for (const candidate &size : sizes)
            known += (known.empty() ? "" : ", ") + std::to_string(size.height);
        return "has no " + std::to_string(*limits.pixel_size) + "-pixel size, only " + known;
    }
    if (chosen->face != 0) {
        FT_Done_Face(face_->face);
        face_->face = nullptr;
        if (const FT_Error error = FT_New_Memory_Face(face_->library, file_.data(),
                                                      static_cast<FT_Long>(file_.size()),
                                                      chosen->face, &face_->face))
            return freetype_reason(error);
    }
    if (const FT_Error error = FT_Select_Size(face_->face, chosen->strike))
        return freetype_reason(error);
    return "";
}

std::string font_source::map_freetype_codes(const charset_table *encoding)
{
    FT_Face face = face_->face;
    // FreeType makes only a Unicode map active by itself.
    if (face->charmap == nullptr && face->num_charmaps > 0)
        FT_Set_Charmap(face, face->charmaps[0]);
    if (face->charmap == nullptr)
        return "has no character map";

    charset_table own_codes;
    if (encoding == nullptr && face->charmap->encoding == FT_ENCODING_UNICODE) {
        FT_UInt glyph = 0;
        for (FT_ULong c = FT_Get_First_Char(face, &glyph); glyph != 0;
             c = FT_Get_Next_Char(face, c, &glyph))
            glyph_of_.emplace(static_cast<char32_t>(c), glyph);
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
    for (std::uint32_t code = 0; code <= LAST_BYTE_CODE; ++code)
        if (const FT_UInt glyph = FT_Get_Char_Index(face, code);
            glyph != 0 && (*encoding)[code] != NO_CHARACTER)
            glyph_of_.emplace((*encoding)[code], glyph);
    return "";
}

std::string font_source::draw(const std::vector<char32_t> &chars, const size_limits &limits,
                              drawn_font &drawn)
{
    drawn = drawn_font{};
    if (is_psf_) {
        draw_psf(chars, drawn);
        return "";
    }
    if (scalable())
        if (std::string reason = choose_scalable_size(chars, limits); !reason.empty())
            return reason;
    return draw_freetype(chars, limits, drawn);
}

// A PSF glyph fills its cell, which stands on the baseline. Each glyph is
// drawn once, however many characters show it.
void font_source::draw_psf(const std::vector<char32_t> &chars, drawn_font &drawn) const
{
    drawn.ascent = static_cast<int>(psf_.height);
    drawn.width = static_cast<int>(psf_.width);
    std::map<unsigned, std::size_t> image_of_glyph;
    for (const char32_t c : chars) {
        const auto found = glyph_of_.find(c);
        if (found == glyph_of_.end())
            continue;
        const unsigned glyph = found->second;
        if (const auto drawn_already = image_of_glyph.find(glyph); drawn_already != image_of_glyph.end()) {
            drawn.image_of.emplace(c, drawn_already->second);
            continue;
        }
        glyph_image image;
        image.top = drawn.ascent;
        image.width = drawn.width;
        image.height = drawn.ascent;
        image.advance = drawn.width;
        for (std::uint32_t row = 0; row < psf_.height; ++row)
            for (std::uint32_t column = 0; column < psf_.width; ++column)
                image.ink.push_back(psf_.ink(glyph, row, column) ? 1 : 0);
        image_of_glyph.emplace(glyph, drawn.images.size());
        drawn.image_of.emplace(c, drawn.images.size());
        drawn.images.push_back(std::move(image));
    }
}

std::string font_source::choose_scalable_size(const std::vector<char32_t> &chars,
                                              const size_limits &limits)
{
    FT_Face face = face_->face;
    const auto set_size = [face](int pixels) {
        return FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(pixels));
    };
    if (limits.pixel_size) {
        const FT_Error error = set_size(*limits.pixel_size);
        return error ? freetype_reason(error) : "";
    }
    // Down to 1 pixel, which is kept when nothing fits: the cell check says why.
    for (int pixels = SIZE_SEARCH_FACTOR * limits.max_height; pixels >= 1; --pixels) {
        if (set_size(pixels) != 0 || (line_height(face) > limits.max_height && pixels > 1))
            continue;
        int widest = 0;
        for (const char32_t c : chars)
            if (const auto found = glyph_of_.find(c); found != glyph_of_.end() &&
                FT_Load_Glyph(face, found->second, FT_LOAD_TARGET_MONO) == 0)
                widest = std::max(widest, pixels_up(face->glyph->advance.x));
        if (widest <= limits.max_width || pixels == 1)
            return "";
    }
    return "cannot be set to any pixel size";
}

std::string font_source::draw_freetype(const std::vector<char32_t> &chars, const size_limits &limits,
                                       drawn_font &drawn)
{
    FT_Face face = face_->face;
    drawn.ascent = pixels_up(face->size->metrics.ascender);
    drawn.descent = -pixels_down(face->size->metrics.descender);
    for (const char32_t c : chars) {
        const auto found = glyph_of_.find(c);
        if (found == glyph_of_.end())
            continue;
        if (const FT_Error error =
                FT_Load_Glyph(face, found->second, FT_LOAD_RENDER | FT_LOAD_TARGET_MONO))
            return character_name(c) + ": " + freetype_reason(error);
        glyph_image image;
        if (std::string reason = image_of(face_->library, face->glyph, limits, image); !reason.empty())
            return character_name(c) + ": " + reason;
        drawn.width = std::max(drawn.width, image.advance);
        drawn.image_of.emplace(c, drawn.images.size());
        drawn.images.push_back(std::move(image));
    }
    return "";
}
