// Whether UI strings fit their place on the display.
#include <algorithm>
#include <cctype>

#include "font_data/font_data.h"
#include "ui_text/ui_text.h"

namespace {

constexpr std::size_t CELL_WIDTH = 8;  // pixels; GLYPH_LINES is the height
constexpr std::string_view NONE = "none";
constexpr char NOTE_FORM[] = "a fit: note is N, NxR or none";
constexpr std::size_t LARGEST_ROOM = 1000000;

bool word_byte(char c)
{
    return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '_';
}

// A whole number of at most LARGEST_ROOM at the start of text, and its end.
std::optional<std::size_t> number_at(std::string_view text, std::size_t &at)
{
    std::size_t value = 0;
    const std::size_t start = at;
    while (at < text.size() && text[at] >= '0' && text[at] <= '9' && value <= LARGEST_ROOM)
        value = value * 10 + static_cast<std::size_t>(text[at++] - '0');
    if (at == start || value == 0 || value > LARGEST_ROOM)
        return std::nullopt;
    return value;
}

std::string count_of(std::size_t count, const char *thing)
{
    return std::to_string(count) + " " + thing + (count == 1 ? "" : "s");
}

}  // namespace

std::optional<text_room> screen_room(std::size_t width, std::size_t height)
{
    if (width < CELL_WIDTH || height < GLYPH_LINES)
        return std::nullopt;
    return text_room{width / CELL_WIDTH, height / GLYPH_LINES};
}

void ui_string::open_line(bool keep)
{
    if (keep && cells.empty())
        cells.emplace_back();
    if (after_line_feed_) {
        ++lines;
        current_ = 0;
        after_line_feed_ = false;
        if (keep)
            cells.emplace_back();
    }
}

std::optional<text_room> read_fit_note(std::string_view note, bool &none, std::string &error)
{
    std::size_t at = 0;
    while (at < note.size() && (note[at] == ' ' || note[at] == '\t'))
        ++at;
    none = note.substr(at, NONE.size()) == NONE;
    text_room room;
    bool read = none;
    if (none) {
        at += NONE.size();
    } else if (const auto columns = number_at(note, at)) {
        room.columns = *columns;
        read = true;
        if (at < note.size() && note[at] == 'x') {
            ++at;
            const auto lines = number_at(note, at);
            read = lines.has_value();
            room.lines = lines.value_or(0);
        }
    }
    if (!read || (at < note.size() && word_byte(note[at]))) {
        error = NOTE_FORM;
        return std::nullopt;
    }
    return room;
}

void check_fit(std::vector<ui_string> &strings, const std::vector<fit_note> &notes, const text_rules &rules,
               text_problems &problems)
{
    for (ui_string &string : strings)
        string.room = rules.screen;
    // Strings are in the order they end, so those ending on a line are together.
    for (const fit_note &note : notes) {
        auto first = std::lower_bound(strings.begin(), strings.end(), note.line,
                                      [](const ui_string &s, std::size_t line) { return s.end_line < line; });
        if (first == strings.end() || first->end_line != note.line) {
            problems.add({note.place.line, note.place.column, "no string ends on the line of this fit: note"});
            continue;
        }
        for (; first != strings.end() && first->end_line == note.line; ++first) {
            first->room = note.room;
            first->shown = note.room.has_value();
        }
    }
    for (const ui_string &string : strings) {
        if (!string.room)
            continue;
        // A translation that does not fit is the translator's to shorten.
        const auto add = [&](std::string what) {
            if (string.catalog_line)
                problems.add({*string.catalog_line, 0, std::move(what), false, rules.translations->catalog});
            else
                problems.add({string.place.line, string.place.column, std::move(what)});
        };
        const text_room &room = *string.room;
        if (room.columns != 0 && string.width > room.columns)
            add(count_of(string.width, "column") + ", " + std::to_string(room.columns) + " fit");
        if (room.lines != 0 && string.lines > room.lines)
            add(count_of(string.lines, "line") + ", " + std::to_string(room.lines) + " fit");
    }
}
