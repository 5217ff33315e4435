// yaff, the text font format of the monobit tools, read from untrusted
// bytes: line by line with a small state, every number and size checked
// before it is used, and each glyph's pixels kept once, in one array.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// The largest yaff read: far more than any bitmap font needs, and a bound
// on the memory its pixels take.
constexpr std::size_t MAX_YAFF_BYTES = std::size_t{256} << 20;

// Offsets of a glyph from its origin, in pixels.
struct yaff_metrics {
    int left_bearing = 0;   // from the origin to the raster's left edge
    int right_bearing = 0;  // from the raster's right edge to the next origin
    int shift_up = 0;       // from the baseline up to the raster's bottom
};

struct yaff_glyph {
    std::vector<char32_t> characters;  // its labels of one character each
    std::vector<std::uint32_t> codes;  // its code labels, as numbers
    int width = 0, height = 0;         // the empty glyph "-" has neither
    std::size_t first_pixel = 0;       // in yaff_font::pixels
    yaff_metrics metrics;              // its own, added to the font's
    std::size_t line = 0;              // of its first label
    std::size_t metrics_line = 0;      // of its first own metric; 0 if none
};

struct yaff_font {
    std::string encoding;  // as the file names it; empty if it names none
    std::optional<int> ascent, descent;
    std::optional<int> line_height;  // also the height of cell-size
    yaff_metrics metrics;            // for every glyph
    std::vector<yaff_glyph> glyphs;
    std::vector<std::uint8_t> pixels;  // glyph after glyph, row after row; 1 for ink
    bool more_fonts = false;           // a "---" line starts another font, not read

    bool ink(const yaff_glyph &glyph, int row, int column) const;
};

struct yaff_error {
    std::size_t line;
    std::string reason;
};

// Whether the bytes start like a yaff: after a byte order mark, blank and
// comment lines, a line of text holding a property or ending with a label's
// colon.
bool looks_like_yaff(const std::uint8_t *data, std::size_t size);

// Reads the first font of a yaff; returns where and why the bytes are none.
std::optional<yaff_error> parse_yaff(const std::uint8_t *data, std::size_t size, yaff_font &font);

// The name iconv knows the set of a yaff's "encoding" by ("mac-roman" is
// MACINTOSH, "latin-1" ISO-8859-1, "oem-437" CP437, ...), or the name as it
// is; UNICODE_CODES when the codes are Unicode's own.
constexpr char UNICODE_CODES[] = "unicode";
std::string iconv_set_name(const std::string &yaff_name);
