// Pictures as the bytes of PNG files, through libpng.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "output_file/output_file.h"

constexpr std::size_t GREY_CHANNELS = 1, RGB_CHANNELS = 3;

// Red, green and blue; a grey picture takes the first.
using colour = std::array<std::uint8_t, RGB_CHANNELS>;
constexpr colour grey(std::uint8_t level)
{
    return {level, level, level};
}

// 8-bit samples, row after row: a grey level, or red, green and blue.
struct picture {
    std::size_t width = 0, height = 0;
    std::size_t channels = GREY_CHANNELS;
    std::vector<std::uint8_t> samples;
};

// The picture as the bytes of a PNG file. Returns why it could not be
// encoded, or an empty text.
std::string encode_png(const picture &image, file_bytes &png_file);
