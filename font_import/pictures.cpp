#include "font_import/pictures.h"


#include "charset/charset.h"

namespace {

constexpr std::size_t LAST_CODE = 0xFF;
constexpr std::uint8_t LEFTMOST_PIXEL = 0x80;


// What makes a glyph no picture for a slot, if anything.
std::string not_a_picture(const yaff_glyph &glyph)
{
    if (glyph.width > SLOT_WIDTH || glyph.height > SLOT_HEIGHT)
        return "a picture of " + std::to_string(glyph.width) + "x" + std::to_string(glyph.height) +
               ": at most " + std::to_string(SLOT_WIDTH) + "x" + std::to_string(SLOT_HEIGHT);
    if (glyph.characters.empty() && glyph.codes.empty())
        return "a picture needs a character or a code label";
    for (const std::uint32_t code : glyph.codes)
        if (code > LAST_CODE)
            return "code " + code_name(code) + ": codes are 0x00 to 0xFF";
    for (const char32_t c : glyph.characters)
        if (const std::string reason = no_code_holds(c); !reason.empty())
            return character_name(c) + " is " + reason + ": no code may hold it";
    return "";
}

// Files the picture under a label; a second picture for it is refused.
template <typename label>
std::string file_under(std::map<label, std::size_t> &index, label key, std::size_t picture,
                       const own_pictures &pictures, const std::string &name)
{
    const auto [at, added] = index.emplace(key, picture);
    return added ? "" : "a second picture for " + name + ", after line " + std::to_string(pictures.pictures[at->second].line);
}

}  // namespace

const glyph_lines *own_pictures::find(char32_t c) const
{
    const auto found = of_character.find(c);
    return found == of_character.end() ? nullptr : &pictures[found->second].lines;
}

std::optional<yaff_error> read_pictures(const std::uint8_t *data, std::size_t size, own_pictures &pictures)
{
    pictures = own_pictures{};
    yaff_font font;
    if (auto error = parse_yaff(data, size, font))
        return error;
    if (font.glyphs.empty())
        return yaff_error{0, "has no pictures"};
    for (const yaff_glyph &glyph : font.glyphs) {
        if (glyph.metrics_line != 0)
            return yaff_error{glyph.metrics_line, "a picture has no metrics: it fills its slot from the top-left corner"};
        if (std::string reason = not_a_picture(glyph); !reason.empty())
            return yaff_error{glyph.line, reason};
        own_picture picture;
        picture.line = glyph.line;
        picture.characters = glyph.characters;
        picture.codes.assign(glyph.codes.begin(), glyph.codes.end());
        for (int row = 0; row < glyph.height; ++row)
            for (int column = 0; column < glyph.width; ++column)
                if (font.ink(glyph, row, column)) {
                    std::uint8_t &line = picture.lines[static_cast<std::size_t>(row)];
                    line = static_cast<std::uint8_t>(line | LEFTMOST_PIXEL >> column);
                }
        const std::size_t index = pictures.pictures.size();
        pictures.pictures.push_back(picture);
        for (const char32_t c : glyph.characters)
            if (std::string reason = file_under(pictures.of_character, c, index, pictures, character_name(c));
                !reason.empty())
                return yaff_error{glyph.line, reason};
        for (const unsigned code : picture.codes)
            if (std::string reason = file_under(pictures.of_code, code, index, pictures, "code " + code_name(code));
                !reason.empty())
                return yaff_error{glyph.line, reason};
    }
    return std::nullopt;
}
