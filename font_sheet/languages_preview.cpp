// Every language of a program side by side, for a reviewer: a row a
// message, a column a language.
#include <algorithm>
#include <unordered_map>
#include <utility>

#include "charset/text_cursor.h"
#include "font_sheet/preview.h"
#include "font_sheet/sheet.h"
#include "messages/messages.h"
#include "plural_forms/plural_forms.h"
#include "ui_text/ui_text.h"

namespace {

constexpr std::size_t SWATCH_COLUMNS = 2;  // of a legend's sample of paper
constexpr char UNKNOWN_CODE = '?';         // a character without a code, as wide as one

// A message's forms in one language: a box each, and where it has several,
// a count each is for.
struct language_forms {
    std::vector<text_box> boxes;
    std::vector<std::string> counts;
};

// A count each form of a rule is for, from its Plural-Forms value; "?" for
// a form no count gets.
std::vector<std::string> counts_of(const std::string &plural_forms)
{
    std::vector<std::string> counts;
    for (const std::optional<plural_number> &n : plural_examples(plural_forms))
        counts.push_back(n ? std::to_string(*n) : "?");
    return counts;
}

// A message of the source: its first use, and its singular's (and plural's)
// box in the sources' language.
struct source_message {
    const message_use *use;
    std::vector<text_box> forms;

    // As the sources' language shows it: n == 1 chooses the singular.
    language_forms shown() const { return {forms, forms.size() > 1 ? counts_of("") : std::vector<std::string>{}}; }
};

// The tighter of two rooms (nothing, or 0 columns or lines: no bound).
std::optional<text_room> tighter(const std::optional<text_room> &a, const std::optional<text_room> &b)
{
    if (!a || !b)
        return a ? a : b;
    const auto least = [](std::size_t x, std::size_t y) { return x == 0 ? y : y == 0 ? x : std::min(x, y); };
    return text_room{least(a->columns, b->columns), least(a->lines, b->lines)};
}

// A translation's cells: each character its codes, one without a code a
// marked cell, the line feed code a new line (a last one opens none); what
// is wrong, at its line in the catalog.
std::vector<text_line> translation_lines(const std::string &text, const text_codes &codes, const std::string &catalog,
                                         std::size_t line, text_problems &problems)
{
    constexpr char LINE_FEED = '\n';
    std::vector<text_line> lines(1);
    bool after_line_feed = false;
    const std::size_t first_problem = problems.shown.size();
    std::string unread;  // the cursor copies nothing: each code is taken below
    text_cursor cursor(text, codes, unread, problems);
    while (!cursor.done()) {
        char32_t c = 0;
        std::string_view original;
        const std::string_view taken = cursor.take_character(c, original);
        const std::vector<text_cell> cells =
            taken.empty() ? std::vector<text_cell>{std::nullopt} : std::vector<text_cell>(taken.begin(), taken.end());
        for (const text_cell &cell : cells) {
            if (std::exchange(after_line_feed, false))
                lines.emplace_back();
            if (cell == static_cast<std::uint8_t>(LINE_FEED))
                after_line_feed = true;
            else
                lines.back().push_back(cell);
        }
    }
    for (auto problem = problems.shown.begin() + static_cast<std::ptrdiff_t>(first_problem);
         problem != problems.shown.end(); ++problem) {
        problem->file = catalog;
        problem->line = line;
        problem->column = 0;
    }
    return lines;
}

// What does not fit of a box, as font_text says it.
std::vector<std::string> box_faults(const text_box &box)
{
    std::string codes;
    for (const text_line &line : box.lines) {
        if (!codes.empty())
            codes += '\n';
        for (const text_cell &cell : line)
            codes += cell ? static_cast<char>(*cell) : UNKNOWN_CODE;
    }
    return fit_faults(codes, box.room);
}

// The messages of the source, each once, in the order of their first
// strings, but those never shown; the source's problems go to preview.
std::vector<source_message> messages_of(std::string_view text, const text_codes &codes,
                                        const preview_options &options, source_messages &found,
                                        text_preview &preview)
{
    text_rules rules;
    rules.keep_strings = true;
    rules.keywords = options.keywords;
    rules.messages = &found;
    if (options.screen_width && options.screen_height)
        rules.screen = screen_room(*options.screen_width, *options.screen_height);
    encoded_text read = encode_c_source(text, "", codes, rules);
    preview.problems = std::move(read.problems);
    std::vector<source_message> messages;
    std::unordered_map<std::string, std::size_t> numbers;
    for (ui_string &string : read.strings) {
        if (!string.use || !string.shown)
            continue;
        const message_use &use = found.found[*string.use];
        const auto [at, added] = numbers.emplace(use.id, messages.size());
        if (added)
            messages.push_back({&use, {}});
        if (source_message &message = messages[at->second]; message.use == &use)  // not a later use
            message.forms.push_back({std::move(string.cells), string.room});
    }
    return messages;
}

// A message in a catalog's language: its forms there, or the sources' on
// the paper that says why not, with a warning.
language_forms translated(const source_message &message, const text_codes &codes, const text_translations &catalog,
                          text_problems &problems, std::vector<colour> &papers_shown)
{
    const message_use &use = *message.use;
    const bool plural = use.plural_id.has_value();
    const std::string why = untranslated_why(catalog, use.id, plural);
    const auto entry = catalog.messages.find(use.id);
    if (!why.empty()) {
        problems.add({use.place.line, use.place.column, untranslated_note(why, false), true});
        const colour paper = entry != catalog.messages.end() && entry->second.fuzzy ? FUZZY_PAPER : UNTRANSLATED_PAPER;
        if (std::find(papers_shown.begin(), papers_shown.end(), paper) == papers_shown.end())
            papers_shown.push_back(paper);
        language_forms forms = message.shown();
        for (text_box &box : forms.boxes)
            box.paper = paper;
        return forms;
    }
    for (const text_problem &fault : entry->second.faults)
        problems.add(fault);
    const std::optional<text_room> room = plural ? tighter(use.room, use.plural_room) : use.room;
    language_forms forms;
    for (const std::string &form : plural ? entry->second.forms : std::vector<std::string>{entry->second.text}) {
        forms.boxes.push_back({translation_lines(form, codes, catalog.catalog, entry->second.line, problems), room});
        for (std::string &what : box_faults(forms.boxes.back()))
            problems.add({entry->second.line, 0, std::move(what), true, catalog.catalog});
    }
    if (plural)
        forms.counts = counts_of(catalog.plural_forms);
    return forms;
}

std::size_t forms_height(const language_forms &forms)
{
    std::size_t height = 0;
    for (const text_box &box : forms.boxes)
        height += box.height() + GAP;
    return height == 0 ? 0 : height - GAP;
}

// The room left of the boxes of a column for their counts, in font pixels.
std::size_t counts_width(const std::vector<std::vector<language_forms>> &rows, std::size_t language)
{
    std::size_t widest_count = 0;
    for (const std::vector<language_forms> &row : rows)
        for (const std::string &count : row[language].counts)
            widest_count = std::max(widest_count, count.size());
    return widest_count == 0 ? 0 : widest_count * GLYPH_WIDTH + GAP;
}

// The legend's entries: a sample of each paper shown, and what it means.
std::vector<std::pair<colour, std::string>> legend(const std::vector<colour> &papers_shown)
{
    std::vector<std::pair<colour, std::string>> entries;
    for (const auto &[paper, meaning] :
         {std::pair{UNTRANSLATED_PAPER, "untranslated"}, std::pair{FUZZY_PAPER, "fuzzy"}})
        if (std::find(papers_shown.begin(), papers_shown.end(), paper) != papers_shown.end())
            entries.emplace_back(paper, meaning);
    return entries;
}

std::size_t legend_width(const std::vector<std::pair<colour, std::string>> &entries)
{
    std::size_t width = GAP;
    for (const auto &[paper, meaning] : entries)
        width += (SWATCH_COLUMNS + 1 + meaning.size()) * GLYPH_WIDTH + 2 * FRAME + GAP;
    return width;
}

}  // namespace

text_preview draw_languages(std::string_view text, const text_codes &codes, const source_font &font,
                            const recode_table &table, const preview_options &options)
{
    text_preview preview;
    source_messages found;
    const std::vector<source_message> messages = messages_of(text, codes, options, found, preview);
    std::vector<std::string> labels = {options.source_code};
    std::vector<std::vector<language_forms>> rows(messages.size());  // by message, then by language
    for (std::size_t m = 0; m < messages.size(); ++m)
        rows[m].push_back(messages[m].shown());
    std::vector<colour> papers_shown;
    for (const text_translations *catalog : options.catalogs) {
        labels.push_back(catalog_language(*catalog));
        for (std::size_t m = 0; m < messages.size(); ++m)
            rows[m].push_back(translated(messages[m], codes, *catalog, preview.problems, papers_shown));
    }

    std::vector<std::size_t> widths(labels.size()), gutters(labels.size()), heights(rows.size());
    for (std::size_t l = 0; l < labels.size(); ++l) {
        gutters[l] = counts_width(rows, l);
        widths[l] = labels[l].size() * GLYPH_WIDTH;
        for (std::size_t m = 0; m < rows.size(); ++m) {
            for (const text_box &box : rows[m][l].boxes)
                widths[l] = std::max(widths[l], gutters[l] + box.width());
            heights[m] = std::max(heights[m], forms_height(rows[m][l]));
        }
    }
    const auto entries = legend(papers_shown);
    std::size_t width = GAP, height = GAP + GLYPH_LINES + GAP + (entries.empty() ? 0 : GLYPH_LINES + 2 * FRAME + GAP);
    for (const std::size_t each : widths)
        width += each + GAP;
    for (const std::size_t each : heights)
        height += each + GAP;
    width = std::max(width, legend_width(entries));
    if ((preview.refused = too_large(width, height, options.scale)).empty()) {
        const std::size_t scale = options.scale;
        picture &image = preview.image;
        image = {width * scale, height * scale, RGB_CHANNELS, {}};
        image.samples.assign(image.width * image.height * image.channels, PAPER);
        std::size_t x = GAP;
        for (std::size_t l = 0; l < labels.size(); ++l) {
            draw_line(ascii_line(labels[l]), x, GAP, SIZE_MAX, grey(PAPER), font, table, scale, image);
            std::size_t y = GAP + GLYPH_LINES + GAP;
            for (std::size_t m = 0; m < rows.size(); ++m) {
                const language_forms &forms = rows[m][l];
                std::size_t form_y = y;
                for (std::size_t f = 0; f < forms.boxes.size(); ++f) {
                    if (f < forms.counts.size()) {
                        const std::size_t count_x = x + gutters[l] - GAP - forms.counts[f].size() * GLYPH_WIDTH;
                        draw_line(ascii_line(forms.counts[f]), count_x, form_y + FRAME, SIZE_MAX, grey(PAPER), font,
                                  table, scale, image);
                    }
                    draw_box(forms.boxes[f], x + gutters[l], form_y, font, table, scale, image);
                    form_y += forms.boxes[f].height() + GAP;
                }
                y += heights[m] + GAP;
            }
            x += widths[l] + GAP;
        }
        x = GAP;
        const std::size_t y = height - GLYPH_LINES - 2 * FRAME - GAP;
        for (const auto &[paper, meaning] : entries) {
            draw_box({{}, text_room{SWATCH_COLUMNS, 1}, paper}, x, y, font, table, scale, image);
            x += (SWATCH_COLUMNS + 1) * GLYPH_WIDTH + 2 * FRAME;
            draw_line(ascii_line(meaning), x, y + FRAME, SIZE_MAX, grey(PAPER), font, table, scale, image);
            x += meaning.size() * GLYPH_WIDTH + GAP;
        }
    }
    preview.problems.sort();
    return preview;
}
