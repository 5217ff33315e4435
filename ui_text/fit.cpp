// Whether UI strings fit their place on the display.
#include <algorithm>
#include <climits>
#include <cstdint>
#include <iterator>

#include "font_data/font_data.h"
#include "ui_text/ui_text.h"

namespace {

constexpr std::size_t CELL_WIDTH = 8;  // pixels; GLYPH_LINES is the height
constexpr std::string_view NONE = "none";
constexpr char NOTE_FORM[] = "a fit: note is N, NxR or none";
constexpr std::size_t LARGEST_ROOM = 1000000;

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

// What does not fit of a string so wide and of so many lines.
std::vector<std::string> misfits(std::size_t width, std::size_t lines, const std::optional<text_room> &room)
{
    std::vector<std::string> faults;
    if (room && room->columns != 0 && width > room->columns)
        faults.push_back(count_of(width, "column") + ", " + std::to_string(room->columns) + " fit");
    if (room && room->lines != 0 && lines > room->lines)
        faults.push_back(count_of(lines, "line") + ", " + std::to_string(room->lines) + " fit");
    return faults;
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
    while (at < note.size() && (note[at] == ' ' || note[at] == '\t'))
        ++at;
    if (!read || at != note.size()) {
        error = NOTE_FORM;
        return std::nullopt;
    }
    return room;
}

ui_string &fit_checker::open(const text_place &place)
{
    end_current();
    current_ = ui_string{};
    current_.place = place;
    current_open_ = true;
    return current_;
}

void fit_checker::end_current()
{
    if (!current_open_)
        return;
    current_open_ = false;
    const auto small = [](std::size_t n) { return static_cast<std::uint32_t>(std::min<std::size_t>(n, UINT32_MAX)); };
    if (ended_lines_.empty() || ended_lines_.back() != small(current_.end_line))
        ended_lines_.push_back(small(current_.end_line));
    // A string of one line and at most one code fits any room there is,
    // but a message's room is kept for its translations.
    const bool may_not_fit = current_.width > 1 || current_.lines > 1;
    if (may_not_fit || rules_.keep_strings || current_.use)
        ended_.push_back({small(current_.place.line), small(current_.place.column), small(current_.end_line),
                          small(current_.width), small(current_.lines), small(current_.catalog_line.value_or(0)),
                          current_.use ? small(*current_.use) : NO_USE, current_.plural_use});
    if (rules_.keep_strings)
        kept_.push_back(std::move(current_));
}

void fit_checker::settle(std::size_t line, bool last_goes_on)
{
    if (!last_goes_on)
        end_current();
    const auto notes_end = std::find_if(notes_.begin(), notes_.end(),
                                        [line](const fit_note &note) { return note.line >= line; });
    for (auto note = notes_.begin(); note != notes_end; ++note)
        if (!std::binary_search(ended_lines_.begin(), ended_lines_.end(), note->line))
            out_.problems.add(
                {note->place.line, note->place.column, "no string ends on the line of this fit: note"});
    // Strings end in order, and notes come in order: the last note on the
    // line where a string ends gives its room.
    auto note = notes_.begin();
    for (std::size_t i = 0; i < ended_.size(); ++i) {
        const ended_string &string = ended_[i];
        std::optional<text_room> room = rules_.screen;
        bool shown = true;
        while (note != notes_end && note->line < string.end_line)
            ++note;
        for (auto beside = note; beside != notes_end && beside->line == string.end_line; ++beside) {
            room = beside->room;
            shown = beside->room.has_value();
        }
        if (rules_.keep_strings) {
            kept_[i].room = room;
            kept_[i].shown = shown;
        }
        if (string.use != NO_USE) {
            message_use &use = rules_.messages->found[string.use];
            (string.plural_use ? use.plural_room : use.room) = room;
        }
        check(string, room);
    }
    notes_.erase(notes_.begin(), notes_end);
    ended_.clear();
    ended_lines_.clear();
    std::move(kept_.begin(), kept_.end(), std::back_inserter(out_.strings));
    kept_.clear();
}

void fit_checker::check(const ended_string &string, const std::optional<text_room> &room)
{
    // A translation that does not fit is the translator's to shorten.
    for (std::string &what : misfits(string.width, string.lines, room)) {
        if (string.catalog_line != 0)
            out_.problems.add({string.catalog_line, 0, std::move(what), false, rules_.translations->catalog});
        else
            out_.problems.add({string.line, string.column, std::move(what)});
    }
}

std::vector<std::string> fit_faults(std::string_view codes, const std::optional<text_room> &room)
{
    ui_string string;
    for (const char code : codes)
        string.add(static_cast<std::uint8_t>(code), false);
    return misfits(string.width, string.lines, room);
}
