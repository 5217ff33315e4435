#include "font_sheet/png_file.h"

#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <new>

namespace {

constexpr std::size_t PNG_REASON_SIZE = 128;
constexpr int BITS_PER_SAMPLE = 8;

// What libpng said when it gave up; it reports by longjmp, never by return.
struct png_failure {
    char reason[PNG_REASON_SIZE];
};

[[noreturn]] void on_png_error(png_structp png, png_const_charp message)
{
    auto *failure = static_cast<png_failure *>(png_get_error_ptr(png));
    std::snprintf(failure->reason, sizeof failure->reason, "%s", message);
    png_longjmp(png, 1);
}

// Warnings cannot arise for a plain greyscale picture; none may reach stderr.
void on_png_warning(png_structp, png_const_charp) {}

void append_to_buffer(png_structp png, png_bytep data, png_size_t size)
{
    auto *buffer = static_cast<file_bytes *>(png_get_io_ptr(png));
    bool appended = true;
    try {
        buffer->append(reinterpret_cast<const char *>(data), size);
    } catch (const std::bad_alloc &) {
        appended = false;
    }
    if (!appended)  // never longjmp out of a handler
        png_error(png, "out of memory");
}

void flush_nothing(png_structp) {}

// The failure lives in the caller's frame: after the longjmp, what this frame
// changed since setjmp would be indeterminate.
bool encode(const picture &image, file_bytes &png_file, png_failure &failure)
{
    png_structp png =
        png_create_write_struct(PNG_LIBPNG_VER_STRING, &failure, on_png_error, on_png_warning);
    png_infop info = png != nullptr ? png_create_info_struct(png) : nullptr;
    if (info == nullptr) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_set_write_fn(png, &png_file, append_to_buffer, flush_nothing);
    png_set_IHDR(png, info, static_cast<png_uint_32>(image.width), static_cast<png_uint_32>(image.height),
                 BITS_PER_SAMPLE, image.channels == RGB_CHANNELS ? PNG_COLOR_TYPE_RGB : PNG_COLOR_TYPE_GRAY,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    const std::size_t row_bytes = image.width * image.channels;
    for (std::size_t row = 0; row < image.height; ++row)
        png_write_row(png, &image.samples[row * row_bytes]);
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}

}  // namespace

std::string encode_png(const picture &image, file_bytes &png_file)
{
    png_failure failure{"out of memory"};
    return encode(image, png_file, failure) ? "" : failure.reason;
}
