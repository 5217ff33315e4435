#include "font_import/font_reader.h"

#include <algorithm>

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

std::optional<unsigned> font_reader::glyph_index(char32_t c) const
{
    const auto found = glyph_of_.find(c);
    return found != glyph_of_.end() ? std::optional<unsigned>(found->second) : std::nullopt;
}

std::string font_reader::take_only_size(int pixels, const size_limits &limits)
{
    if (limits.pixel_size && *limits.pixel_size != pixels)
        return "has no " + std::to_string(*limits.pixel_size) + "-pixel size, only " + std::to_string(pixels);
    size_ = {pixels, limits.pixel_size ? "as asked" : "its only size"};
    return "";
}

void font_reader::map_code(unsigned code, unsigned glyph)
{
    glyph_of_.emplace(code_key(code), glyph);
    if ((*code_set_)[code] != NO_CHARACTER)
        glyph_of_.emplace((*code_set_)[code], glyph);
}
