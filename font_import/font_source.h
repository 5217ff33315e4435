// A font file as the importer sees it: its bytes, plain or gzip'd, read by
// the reader of its format, which says which characters it has and draws
// their pictures at a pixel size.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "font_import/font_reader.h"

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
    std::string open(const std::string &path, const charset_table *encoding, const size_limits &limits);
    std::size_t error_line() const { return error_line_; }

    bool has(char32_t c) const { return reader_->glyph_index(c).has_value(); }
    // The set of bytes the font's codes are in, when they are bytes of a
    // set it names or that was given; has_code says which codes have glyphs.
    const charset_table *code_set() const { return reader_->code_set(); }
    bool has_code(unsigned code) const { return has(code_key(code)); }
    bool scalable() const { return reader_->scalable(); }
    std::string format() const { return reader_->format(); }
    // What is worth saying about the font.
    const std::vector<font_warning> &warnings() const { return reader_->warnings(); }

    std::string draw(const std::vector<char32_t> &chars, const size_limits &limits, drawn_font &drawn)
    {
        return reader_->draw(chars, limits, drawn);
    }
    const size_choice &size() const { return reader_->size(); }
    const std::vector<glyph_labels> &labels() const { return reader_->labels(); }

private:
    std::unique_ptr<font_file> file_;
    std::unique_ptr<font_reader> reader_;
    std::size_t error_line_ = 0;
};
