#include "font_import/psf_reader.h"

#include <algorithm>

#include "font_import/font_file.h"
#include "font_import/psf.h"

namespace {

class psf_reader : public font_reader {
public:
    std::string open(const font_file &file, const charset_table *encoding, const size_limits &limits);
    std::string format() const override { return "PSF" + std::to_string(psf_.version); }
    std::string draw(const std::vector<char32_t> &chars, const size_limits &limits, drawn_font &drawn) override;

private:
    psf_font psf_;
};

std::string psf_reader::open(const font_file &file, const charset_table *encoding, const size_limits &limits)
{
    const psf_limits cell_limits{static_cast<std::uint32_t>(limits.max_width),
                                 static_cast<std::uint32_t>(limits.max_height)};
    if (std::string reason = parse_psf(file.data, file.size, cell_limits, psf_); !reason.empty())
        return reason;
    if (std::string reason = take_only_size(static_cast<int>(psf_.height), limits); !reason.empty())
        return reason;
    if (encoding != nullptr) {
        // Its first 256 glyphs are its codes.
        code_set_ = *encoding;
        for (std::size_t glyph = 0; glyph < std::min(psf_.glyph_count, BYTE_VALUES); ++glyph)
            map_code(static_cast<unsigned>(glyph), static_cast<unsigned>(glyph));
        return "";
    }
    if (!psf_.has_unicode_table)
        return "has no Unicode table";
    for (const auto &[c, glyph] : psf_.unicode)
        glyph_of_.emplace(c, glyph);
    return "";
}

// A PSF glyph fills its cell, which stands on the baseline. Each glyph is
// drawn once, however many characters show it.
std::string psf_reader::draw(const std::vector<char32_t> &chars, const size_limits &, drawn_font &drawn)
{
    drawn = drawn_font{};
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
    return "";
}

}  // namespace

bool is_psf_file(const font_file &file, const std::string &)
{
    return is_psf(file.data, file.size);
}

opened_font open_psf_font(const font_file &file, const charset_table *encoding, const size_limits &limits)
{
    auto reader = std::make_unique<psf_reader>();
    opened_font opened{nullptr, reader->open(file, encoding, limits)};
    if (opened.reason.empty())
        opened.reader = std::move(reader);
    return opened;
}
