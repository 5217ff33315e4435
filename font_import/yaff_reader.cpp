#include "font_import/yaff_reader.h"

#include <algorithm>

#include "charset/utf8.h"
#include "messages/messages.h"
#include "font_import/font_file.h"
#include "font_import/yaff.h"

namespace {

// The rows a yaff's glyph rasters reach above the baseline and below it.
struct raster_reach {
    int above = 0, below = 0;
};

raster_reach reach_of(const yaff_font &font)
{
    std::optional<raster_reach> reach;
    for (const yaff_glyph &glyph : font.glyphs) {
        if (glyph.height == 0)
            continue;
        const int bottom = font.metrics.shift_up + glyph.metrics.shift_up;
        const raster_reach own{bottom + glyph.height, -bottom};
        reach = reach ? raster_reach{std::max(reach->above, own.above), std::max(reach->below, own.below)} : own;
    }
    return reach.value_or(raster_reach{});
}


// The labels given so far, each with the line of the glyph it was given to:
// a second glyph under one label is left out, with a warning naming both
// lines, as monobit keeps the first.
template <typename label_type> class labels_taken {
public:
    bool take(label_type label, std::size_t line, const std::string &name, std::vector<font_warning> &warnings)
    {
        const auto [at, added] = line_of_.emplace(label, line);
        if (!added)
            warnings.push_back({line, "a second glyph for " + name + ", after line " + std::to_string(at->second) +
                                          ": the first is kept"});
        return added;
    }

private:
    std::map<label_type, std::size_t> line_of_;
};

class yaff_reader : public font_reader {
public:
    // Returns why the font cannot be read, with the line at fault or 0.
    std::string open(const font_file &file, const charset_table *encoding, const size_limits &limits,
                     std::size_t &line);
    std::string format() const override { return "yaff"; }
    std::string draw(const std::vector<char32_t> &chars, const size_limits &limits, drawn_font &drawn) override;

private:
    void map_glyphs(const charset_table *encoding);

    yaff_font yaff_;
    int ascent_ = 0, descent_ = 0;
};

// A yaff's cell reaches from its descent below the baseline to its ascent
// above, as the file gives them; without them, its line height (or cell
// size) up from the descent, or else where its glyphs reach.
std::string yaff_reader::open(const font_file &file, const charset_table *encoding, const size_limits &limits,
                              std::size_t &line)
{
    if (const auto error = parse_yaff(file.data, file.size, yaff_)) {
        line = error->line;
        return error->reason;
    }
    if (yaff_.glyphs.empty())
        return "has no glyphs";
    if (yaff_.more_fonts)
        warnings_.push_back({0, "holds more than one font: the first is read"});
    const raster_reach reach = reach_of(yaff_);
    descent_ = yaff_.descent.value_or(std::max(reach.below, 0));
    ascent_ = yaff_.ascent        ? *yaff_.ascent
              : yaff_.line_height ? *yaff_.line_height - descent_
                                  : std::max(reach.above, 0);
    if (std::string reason = take_only_size(ascent_ + descent_, limits); !reason.empty())
        return reason;
    map_glyphs(encoding);
    return "";
}

// A glyph's characters are its character labels, or else its codes read in
// the file's encoding; with an encoding given, only its codes, read in that.
// Codes of a set of bytes also stand for themselves.
void yaff_reader::map_glyphs(const charset_table *encoding)
{
    const std::string set_name = encoding != nullptr ? "" : iconv_set_name(yaff_.encoding);
    const bool unicode = set_name == UNICODE_CODES;
    if (encoding != nullptr)
        code_set_ = *encoding;
    else if (charset_table own_codes; !unicode && !set_name.empty() && load_charset(set_name, own_codes).empty())
        code_set_ = own_codes;

    std::size_t left_out = 0;
    labels_taken<char32_t> characters_taken;
    labels_taken<std::uint32_t> codes_taken;
    for (std::size_t glyph = 0; glyph < yaff_.glyphs.size(); ++glyph) {
        const yaff_glyph &labels = yaff_.glyphs[glyph];
        const auto index = static_cast<unsigned>(glyph);
        const bool by_character = encoding == nullptr && !labels.characters.empty();
        if (by_character) {
            labels_.push_back({labels.codes, labels.characters, labels.line});
            for (const char32_t c : labels.characters)
                if (characters_taken.take(c, labels.line, character_name(c), warnings_))
                    glyph_of_.emplace(c, index);
        }
        for (const std::uint32_t code : labels.codes) {
            const bool byte_code = code_set_ && code < BYTE_VALUES;
            if ((byte_code || (!by_character && unicode)) &&
                !codes_taken.take(code, labels.line, "code " + code_name(code), warnings_))
                continue;
            if (byte_code && by_character)
                glyph_of_.emplace(code_key(code), index);
            else if (byte_code)
                map_code(code, index);
            else if (!by_character && unicode && is_unicode_scalar(code))
                glyph_of_.emplace(static_cast<char32_t>(code), index);
        }
        if (!by_character && !code_set_ && !unicode && !labels.codes.empty())
            ++left_out;
    }
    if (left_out == 0)
        return;
    const std::string glyphs = std::to_string(left_out) + (left_out == 1 ? " glyph" : " glyphs");
    warnings_.push_back({0, yaff_.encoding.empty()
                                ? glyphs + " known only by a code, and no encoding named: left out; name the set "
                                           "of the codes with -e"
                                : glyphs + " known only by a code in " + excerpt(yaff_.encoding) +
                                      ", a set iconv does not know: left out; name a set it knows with -e"});
}

// A yaff's glyph stands at its bearings and shift, its own added to the
// font's; the cell is as wide as the largest advance.
std::string yaff_reader::draw(const std::vector<char32_t> &chars, const size_limits &, drawn_font &drawn)
{
    drawn = drawn_font{};
    drawn.ascent = ascent_;
    drawn.descent = descent_;
    for (const char32_t c : chars) {
        const auto glyph = glyph_index(c);
        if (!glyph || drawn.share(c, *glyph))
            continue;
        const yaff_glyph &raster = yaff_.glyphs[*glyph];
        const yaff_metrics &font = yaff_.metrics, &own = raster.metrics;
        glyph_image image;
        image.left = font.left_bearing + own.left_bearing;
        image.top = font.shift_up + own.shift_up + raster.height;
        image.width = raster.width;
        image.height = raster.height;
        image.advance = image.left + raster.width + font.right_bearing + own.right_bearing;
        for (int row = 0; row < raster.height; ++row)
            for (int column = 0; column < raster.width; ++column)
                image.ink.push_back(yaff_.ink(raster, row, column) ? 1 : 0);
        drawn.width = std::max(drawn.width, image.advance);
        drawn.add(c, *glyph, std::move(image));
    }
    return "";
}

// Whether a name says yaff, gzip'd or not, in any case.
bool named_yaff(const std::string &path)
{
    std::string lower;
    for (const char c : path)
        lower += c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    const auto ends_with = [&lower](const std::string &end) {
        return lower.size() >= end.size() && lower.compare(lower.size() - end.size(), end.size(), end) == 0;
    };
    return ends_with(".yaff") || ends_with(".yaff.gz");
}

}  // namespace

bool is_yaff_file(const font_file &file, const std::string &path)
{
    return named_yaff(path) || looks_like_yaff(file.data, file.size);
}

opened_font open_yaff_font(const font_file &file, const charset_table *encoding, const size_limits &limits)
{
    auto reader = std::make_unique<yaff_reader>();
    opened_font opened;
    opened.reason = reader->open(file, encoding, limits, opened.line);
    if (opened.reason.empty())
        opened.reader = std::move(reader);
    return opened;
}
