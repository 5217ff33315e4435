// A font file as the importer sees it: which characters it has, and their
// pictures at a pixel size. PSF and yaff fonts are read here; everything else
// through FreeType. Any of them may be gzip'd.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "charset/charset.h"
#include "font_import/psf.h"
#include "font_import/yaff.h"

// One character's picture, placed against the baseline.
struct glyph_image {
    int left = 0;     // columns from the cell's left edge to the first column
    int top = 0;      // rows from the baseline up to the first row
    int width = 0, height = 0;
    int advance = 0;  // columns to the next character's cell
    std::vector<std::uint8_t> ink;  // width * height, row after row, 1 for ink

    // The first and last row and column that hold ink.
    struct ink_box {
        int first_row, last_row, first_column, last_column;
    };
    std::optional<ink_box> inked() const;  // nothing for a blank picture
};

// The pictures of some characters at one size, and the size's cell: its
// ascent and descent from the baseline, and its width. Characters that show
// the same glyph share its picture.
struct drawn_font {
    int ascent = 0, descent = 0, width = 0;
    std::vector<glyph_image> images;
    std::map<char32_t, std::size_t> image_of;  // each character's picture in images

    // c's picture, or nullptr if it was not drawn.
    const glyph_image *find(char32_t c) const;
    // Gives c the picture of the font's glyph, if it is drawn already.
    bool share(char32_t c, unsigned glyph);
    void add(char32_t c, unsigned glyph, glyph_image image);

private:
    std::map<unsigned, std::size_t> image_of_glyph_;
};

// The cell a font should fit (sizes are chosen for it), the largest cell
// taken at all, and the pixel size asked for, if any.
struct size_limits {
    int slot_width = 0, slot_height = 0;
    int max_width = 0, max_height = 0;
    std::optional<int> pixel_size;
};

// The size a font was drawn at, and why that one.
struct size_choice {
    int pixels = 0;
    std::string reason;  // e.g. "its only size"
};

// Keys past Unicode stand for a font's own codes 0-255, for a font whose
// codes are bytes of a set: its glyphs are known by their codes too.
constexpr char32_t FIRST_CODE_KEY = 0x110000;
constexpr char32_t code_key(unsigned code)
{
    return FIRST_CODE_KEY + code;
}

struct font_file;
struct freetype_face;

class font_source {
public:
    font_source();
    ~font_source();
    font_source(const font_source &) = delete;
    font_source &operator=(const font_source &) = delete;

    // Reads the font at path; of a bitmap font with several sizes, takes the
    // one of the pixel size asked for, else the largest whose height fits the
    // slot. With an encoding, the font's own codes 0-255 (its first 256
    // glyphs, for PSF) are taken as bytes in that set, and a yaff's glyphs
    // without a code are left out. Returns why it cannot, or an empty text;
    // error_line() is then the line of a text font at fault, or 0.
    std::string open(const std::string &path, const charset_table *encoding,
                     const size_limits &limits);
    std::size_t error_line() const { return error_line_; }
    // What is worth saying about a font that could be opened.
    const std::vector<std::string> &warnings() const { return warnings_; }

    bool has(char32_t c) const { return glyph_index(c).has_value(); }
    // The set of bytes the font's codes are in, when they are bytes of a
    // set it names or that was given; has_code says which codes have glyphs.
    const charset_table *code_set() const { return code_set_ ? &*code_set_ : nullptr; }
    bool has_code(unsigned code) const { return has(code_key(code)); }
    bool scalable() const;
    // "PCF", "TrueType", "PSF2", ...
    std::string format() const;

    // Draws the characters the font has. A scalable font is drawn at the
    // pixel size asked for, else at the largest at which the ink of all
    // these characters fits the slot and their advances fit its width.
    std::string draw(const std::vector<char32_t> &chars, const size_limits &limits,
                     drawn_font &drawn);
    const size_choice &size() const { return size_; }

private:
    std::optional<unsigned> glyph_index(char32_t c) const;
    std::string open_psf(const charset_table *encoding, const size_limits &limits);
    std::string open_freetype(const charset_table *encoding, const size_limits &limits);
    std::string open_yaff(const charset_table *encoding, const size_limits &limits);
    void map_yaff_glyphs(const charset_table *encoding);
    void draw_yaff(const std::vector<char32_t> &chars, drawn_font &drawn) const;
    std::string choose_bitmap_size(const size_limits &limits);
    std::string map_own_codes(const charset_table *encoding);
    void map_byte_codes();
    void draw_psf(const std::vector<char32_t> &chars, drawn_font &drawn) const;
    std::string draw_scalable(const std::vector<char32_t> &chars, const size_limits &limits,
                              drawn_font &drawn);
    std::string draw_freetype(const std::vector<char32_t> &chars, const size_limits &limits,
                              bool stop_outside, drawn_font &drawn, bool &fits);

    std::unique_ptr<font_file> file_;  // FreeType reads the face from here
    bool is_psf_ = false;
    psf_font psf_;
    bool is_yaff_ = false;
    yaff_font yaff_;
    int yaff_ascent_ = 0, yaff_descent_ = 0;
    std::optional<charset_table> code_set_;
    std::vector<std::string> warnings_;
    std::size_t error_line_ = 0;
    std::unique_ptr<freetype_face> face_;
    // The glyph of each character, for fonts whose codes are not Unicode;
    // a Unicode font is asked character by character.
    std::map<char32_t, unsigned> glyph_of_;
    bool unicode_map_ = false;
    size_choice size_;
};
