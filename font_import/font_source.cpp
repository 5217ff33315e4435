#include "font_import/font_source.h"

#include "font_import/font_file.h"
#include "font_import/freetype_reader.h"
#include "font_import/psf_reader.h"
#include "font_import/yaff_reader.h"

namespace {

// The formats read by readers of their own, tried in turn; FreeType takes
// whatever they do not.
constexpr struct {
    bool (*recognises)(const font_file &file, const std::string &path);
    font_opener open;
} OWN_FORMATS[] = {{is_psf_file, open_psf_font}, {is_yaff_file, open_yaff_font}};

}  // namespace

font_source::font_source() = default;
font_source::~font_source() = default;

std::string font_source::open(const std::string &path, const charset_table *encoding, const size_limits &limits)
{
    file_ = std::make_unique<font_file>();
    if (std::string reason = file_->open(path); !reason.empty())
        return reason;
    if (file_->size == 0)
        return "empty file";
    font_opener opener = open_freetype_font;
    for (const auto &format : OWN_FORMATS)
        if (format.recognises(*file_, path)) {
            opener = format.open;
            break;
        }
    opened_font opened = opener(*file_, encoding, limits);
    error_line_ = opened.line;
    reader_ = std::move(opened.reader);
    return opened.reason;
}
