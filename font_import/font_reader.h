// What every reader of a font format gives the importer: which glyph shows
// each character, the characters' pictures at a size, and the cell's metrics.
// Each format is read in a file of its own (psf_reader, yaff_reader,
// freetype_reader); font_source chooses among them.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "charset/charset.h"

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

// The labels of a glyph that names its characters (a yaff's "0x01:" and
// "u+263a:"), and the line of the first.
struct glyph_labels {
    std::vector<std::uint32_t> codes;
    std::vector<char32_t> characters;
    std::size_t line = 0;
};

// Something worth saying about a font, at a line of a text font (0 for the
// whole file).
struct font_warning {
    std::size_t line = 0;
    std::string text;
};

class font_reader {
public:
    virtual ~font_reader() = default;

    // "PCF", "TrueType", "PSF2", ...
    virtual std::string format() const = 0;
    virtual bool scalable() const { return false; }
    // The glyph that shows c, a character or the key of a code, if any.
    virtual std::optional<unsigned> glyph_index(char32_t c) const;
    // Draws the characters the font has: a scalable font at the pixel size
    // asked for, else at the largest at which the ink of all of them fits
    // the slot and their advances fit its width. Returns why it cannot, or
    // an empty text.
    virtual std::string draw(const std::vector<char32_t> &chars, const size_limits &limits,
                             drawn_font &drawn) = 0;

    // The set of bytes the font's codes are in, when they are bytes of a set
    // it names or that was given.
    const charset_table *code_set() const { return code_set_ ? &*code_set_ : nullptr; }
    const size_choice &size() const { return size_; }
    // The labels of the glyphs that name their characters, in the file's
    // order; most formats have none.
    const std::vector<glyph_labels> &labels() const { return labels_; }
    // What is worth saying about the font.
    const std::vector<font_warning> &warnings() const { return warnings_; }

protected:
    // Takes the one size a font of `pixels` rows has; returns why not, when
    // another was asked for.
    std::string take_only_size(int pixels, const size_limits &limits);
    // Known by its code in the font's set of bytes, and by that code's
    // character in the set, if it has one.
    void map_code(unsigned code, unsigned glyph);

    std::optional<charset_table> code_set_;
    std::map<char32_t, unsigned> glyph_of_;  // the glyph of each character or code key
    std::vector<font_warning> warnings_;
    size_choice size_;
    std::vector<glyph_labels> labels_;
};

struct font_file;

// A reader of the font in a file, or why the file is none: with the line of a
// text font at fault, or 0. The file must outlive the reader.
struct opened_font {
    std::unique_ptr<font_reader> reader;
    std::string reason;
    std::size_t line = 0;
};

// With an encoding, a font's own codes 0-255 are taken as bytes in that set.
using font_opener = opened_font (*)(const font_file &file, const charset_table *encoding,
                                    const size_limits &limits);
