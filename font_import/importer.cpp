#include "font_import/importer.h"

#include <algorithm>
#include <map>
#include <set>

#include "font_import/additions.h"
#include "font_import/cell.h"
#include "charset/charset.h"
#include "charset/text_codes.h"
#include "messages/messages.h"
#include "font_import/font_file.h"
#include "font_import/font_source.h"
#include "font_import/pictures.h"
#include "font_import/set_suggestion.h"
#include "font_import/slots.h"
#include "ui_text/ui_text.h"

namespace {

constexpr unsigned FIRST_UPPER = 0x80;

// A file, or a line in it.
std::string place(const std::string &path, std::size_t line)
{
    return line == 0 ? path : path + ":" + std::to_string(line);
}

std::optional<import_error> load_pictures(const std::string &path, own_pictures &pictures)
{
    font_file file;
    if (std::string reason = file.open(path); !reason.empty())
        return import_error{path, reason};
    if (const auto error = read_pictures(file.data, file.size, pictures))
        return import_error{place(path, error->line), error->reason};
    return std::nullopt;
}

// The header codes that show c.
std::vector<unsigned> codes_showing(char32_t c, const slot_plan &plan, const charset_table &table_set)
{
    std::vector<unsigned> codes;
    for (unsigned code = 0; code < GLYPH_COUNT; ++code)
        if (code < FIRST_UPPER ? plan.shown[code] == c : table_set[code] == c)
            codes.push_back(code);
    return codes;
}

// A picture for a code that a picture of its character shows too leaves no
// telling which of the two the code shows.
std::optional<import_error> check_pictures(const import_options &options, const own_pictures &pictures,
                                           const slot_plan &plan, const charset_table &table_set)
{
    for (std::size_t index = 0; index < pictures.pictures.size(); ++index) {
        const own_picture &picture = pictures.pictures[index];
        for (const char32_t c : picture.characters)
            for (const unsigned code : codes_showing(c, plan, table_set)) {
                const auto by_code = pictures.of_code.find(code);
                if (by_code == pictures.of_code.end() || by_code->second == index)
                    continue;
                const std::size_t other = pictures.pictures[by_code->second].line;
                return import_error{place(options.glyphs_path, std::max(other, picture.line)),
                                    "a second picture for code " + code_name(code) + " (" + character_name(c) +
                                        "), after line " + std::to_string(std::min(other, picture.line))};
            }
    }
    return std::nullopt;
}

// The header codes that show the font's glyph labelled with that code: a
// code below 128 whose character in the font's set is none or the code's
// own, and one above whose character is the table set's, or none in both.
// A picture of one's own for the code or its character comes first.
std::vector<unsigned> codes_by_label(const font_source &font, const slot_plan &plan,
                                     const charset_table &table_set, const own_pictures &pictures)
{
    std::vector<unsigned> codes;
    const charset_table *set = font.code_set();
    for (unsigned code = 0; set != nullptr && code < GLYPH_COUNT; ++code) {
        const bool lower = code < FIRST_UPPER;
        const char32_t own = is_printable((*set)[code]) ? (*set)[code] : NO_CHARACTER;
        const char32_t header = lower ? code : is_printable(table_set[code]) ? table_set[code] : NO_CHARACTER;
        const bool same = own == header || (lower && own == NO_CHARACTER);
        if (same && font.has_code(code) && pictures.of_code.count(code) == 0 &&
            pictures.find(lower ? plan.shown[code] : header) == nullptr)
            codes.push_back(code);
    }
    return codes;
}

std::string cell_size(int width, int height)
{
    return std::to_string(width) + "x" + std::to_string(height);
}

// The characters the slots show from the font, each once.
std::vector<char32_t> placed_characters(const slot_plan &plan, const font_source &font,
                                        const own_pictures &pictures)
{
    std::vector<char32_t> placed;
    for (const char32_t c : plan.shown)
        if (c != NO_CHARACTER && font.has(c) && pictures.find(c) == nullptr &&
            std::find(placed.begin(), placed.end(), c) == placed.end())
            placed.push_back(c);
    return placed;
}

std::string too_few_spares(const import_options &options, const slot_plan &plan)
{
    return "-t " + options.table_set + " needs " + std::to_string(plan.spares_needed) +
           " spare slots, -g " + options.glyph_order + " leaves " +
           std::to_string(plan.spares_free) + ": choose a glyph order closer to " +
           options.table_set + " (e.g. -g " + options.table_set + ")";
}

// Half the spare rows, rounded down also when they are fewer than none.
int half_rounded_down(int rows)
{
    return rows >= 0 ? rows / 2 : -((1 - rows) / 2);
}

// Why a cell is refused, and what could help.
std::string too_large(const cell_layout &cell, const size_limits &limits, bool crop, bool scalable)
{
    const bool croppable = !crop && cell.width <= CROP_LIMIT_FACTOR * SLOT_WIDTH &&
                           cell.height <= CROP_LIMIT_FACTOR * SLOT_HEIGHT;
    std::vector<std::string> remedies;
    if (scalable)
        remedies.emplace_back("choose a smaller --size");
    if (croppable)
        remedies.emplace_back("--crop cuts them to fit");
    std::string text = "glyphs are " + cell_size(cell.width, cell.height) + ", at most " +
                       cell_size(limits.max_width, limits.max_height) + " fit" + (crop ? " with --crop" : "");
    for (std::size_t i = 0; i < remedies.size(); ++i)
        text += (i == 0 ? ": " : ", or ") + remedies[i];
    return text;
}

// The cell of the drawn font in its slot, or why it does not fit.
std::string lay_out(const drawn_font &drawn, const import_options &options, const size_limits &limits,
                    bool scalable, cell_layout &cell)
{
    cell.width = drawn.width;
    cell.height = drawn.ascent + drawn.descent;
    cell.ascent = drawn.ascent;
    if (cell.height < 1)
        return "ascent " + std::to_string(drawn.ascent) + " and descent " +
               std::to_string(drawn.descent) + " leave the cell no rows";
    if (cell.width > limits.max_width || cell.height > limits.max_height)
        return too_large(cell, limits, options.crop, scalable);
    // Rows above the cell; with --crop, fewer than none cut its top.
    const int spare_rows = SLOT_HEIGHT - cell.height;
    const int lowest = std::min(spare_rows, 0), highest = std::max(spare_rows, 0);
    cell.top = options.top.value_or(half_rounded_down(spare_rows));
    if (cell.top > highest)
        return "--top=" + std::to_string(cell.top) + " leaves no room for glyphs " +
               cell_size(cell.width, cell.height) + ": at most " + std::to_string(highest);
    if (cell.top < lowest)
        return "--top=" + std::to_string(cell.top) + " cuts glyphs " + cell_size(cell.width, cell.height) +
               (options.crop ? "" : " without --crop") + ": at least " + std::to_string(lowest);
    return "";
}

constexpr char32_t BOX_VERTICAL = U'\u2502';  // │, which spans the rows box lines join at

// A scalable font's box lines end where its │ does, which may be inside
// the cell that its accents make.
void find_box_rows(const font_source &font, const drawn_font &drawn, cell_layout &cell)
{
    const glyph_image *line = font.scalable() ? drawn.find(BOX_VERTICAL) : nullptr;
    if (const auto box = line != nullptr ? line->inked() : std::nullopt)
        cell.box_rows = row_span{cell.ascent - line->top + box->first_row,
                                 cell.ascent - line->top + box->last_row};
}

// Places the picture of c, or of a code: each picture cut is named once.
glyph_lines placed(char32_t c, const glyph_image &image, const cell_layout &cell, const std::string &name,
                   std::set<const glyph_image *> &cut_warned, imported_font &result)
{
    bool cut = false;
    const glyph_lines lines = place_glyph(c, image, cell, cut);
    if (cut && cut_warned.insert(&image).second)
        result.warnings.push_back({0, name + ": pixels outside 8x12 cut"});
    return lines;
}

// Fills the slots, pictures of one's own first.
void fill_slots(const slot_plan &plan, const drawn_font &drawn, const cell_layout &cell,
                       const own_pictures &pictures, std::set<const glyph_image *> &cut_warned,
                       imported_font &result)
{
    for (std::size_t slot = 0; slot < GLYPH_COUNT; ++slot) {
        const char32_t c = plan.shown[slot];
        const glyph_image *image = drawn.find(c);
        const glyph_lines *own = pictures.find(c);
        if (own == nullptr && image == nullptr)
            continue;
        const glyph_lines lines = own != nullptr ? *own : placed(c, *image, cell, character_name(c), cut_warned, result);
        std::copy(lines.begin(), lines.end(), result.font.begin() + static_cast<std::ptrdiff_t>(slot * GLYPH_LINES));
    }
}

// What the codes that show a picture by their label want: the font's
// glyphs, placed in the cell, and pictures of one's own for codes.
wanted_pictures wanted_by_label(const std::vector<unsigned> &codes, const font_source &font, const drawn_font &drawn,
                                const cell_layout &cell, const own_pictures &pictures,
                                std::set<const glyph_image *> &cut_warned, imported_font &result)
{
    wanted_pictures wanted;
    for (const unsigned code : codes)
        wanted[code] = placed((*font.code_set())[code], *drawn.find(code_key(code)), cell,
                              "code " + code_name(code), cut_warned, result);
    for (const auto &[code, picture] : pictures.of_code)
        wanted[code] = pictures.pictures[picture].lines;
    return wanted;
}

// The labels that may give characters codes: those of the pictures, and of a
// yaff font whose codes are the table set's own, in the header's codes; and
// what a yaff font in other codes labels the codes free in both with.
struct font_labels {
    std::vector<labelled_glyph> in_header_codes;
    free_code_characters at_free_codes;
    free_code_characters by_code;  // what the font labels each of its own codes with
};

font_labels labels_of(const import_options &options, const font_source &font, const own_pictures &pictures,
                      const charset_table &table_set)
{
    font_labels labels;
    for (const own_picture &picture : pictures.pictures)
        labels.in_header_codes.push_back(
            {picture.codes, picture.characters, place(options.glyphs_path, picture.line), true});
    const charset_table *own_set = font.code_set();
    const bool header_codes = own_set != nullptr && *own_set == table_set;
    for (const glyph_labels &glyph : font.labels()) {
        if (header_codes)
            labels.in_header_codes.push_back(
                {glyph.codes, glyph.characters, place(input_name(options.font_path), glyph.line), false});
        for (const std::uint32_t code : glyph.codes)
            if (own_set != nullptr && code < BYTE_VALUES) {
                const auto byte = static_cast<std::uint8_t>(code);
                labels.by_code.emplace(byte, glyph.characters.front());
                if (!header_codes && !is_printable((*own_set)[code]))
                    labels.at_free_codes.emplace(byte, glyph.characters.front());
            }
    }
    return labels;
}

// The languages the texts are shown in: the sources' own (nothing) but
// where one catalog's is the program's only one, then each catalog's.
std::vector<const text_translations *> languages_of(const import_options &options)
{
    std::vector<const text_translations *> languages;
    if (options.catalogs.size() != 1 || options.every_language)
        languages.push_back(nullptr);
    languages.insert(languages.end(), options.catalogs.begin(), options.catalogs.end());
    return languages;
}

// Adds an error once: a text's fault is the same in every language.
void add_error(std::vector<import_error> &errors, import_error error)
{
    if (std::none_of(errors.begin(), errors.end(), [&error](const import_error &each) {
            return each.subject == error.subject && each.reason == error.reason;
        }))
        errors.push_back(std::move(error));
}

// What the UI texts use, in every language: every character beyond ASCII,
// and every code their escapes and control characters write (codes kept
// free), each at its first place; and the characters of each language, in
// the order of languages_of. A text that font_text would refuse for anything
// else is refused here too, at its places.
struct texts_use {
    std::vector<needed_at> characters;
    std::map<std::uint8_t, std::string> codes;
    std::vector<std::set<char32_t>> by_language;
};

texts_use used_by_texts(const import_options &options, const charset_table &table_set,
                        std::vector<import_error> &errors)
{
    charset_table ascii;
    ascii.fill(NO_CHARACTER);
    const text_codes codes(ascii, "ASCII");
    texts_use used;
    const auto place = [](const std::string &name, const text_place &where, const std::string &file) {
        return problem_place(name, {where.line, where.column, "", false, file});
    };
    for (const text_translations *language : languages_of(options)) {
        std::set<char32_t> &characters = used.by_language.emplace_back();
        for (const text_source &text : options.texts) {
            text_problems problems;
            const text_needs needs =
                needs_of_text(text.content, text.c_source, codes, language, options.keywords, problems);
            for (const needed_character &each : needs.characters) {
                used.characters.push_back({each.c, place(text.name, each.place, each.file)});
                characters.insert(each.c);
                // A C1 control character that the table set has writes its code.
                for (std::size_t code = FIRST_UPPER; code < BYTE_VALUES && is_control(each.c); ++code)
                    if (table_set[code] == each.c)
                        used.codes.emplace(static_cast<std::uint8_t>(code), used.characters.back().place);
            }
            for (const written_code &each : needs.codes)
                used.codes.emplace(each.code, place(text.name, each.place, each.file));
            for (const text_problem &problem : problems.shown)
                add_error(errors, {problem_place(text.name, problem), problem.what});
            if (problems.more != 0)
                add_error(errors, {quoted_name(text.name), more_problems(problems.more)});
        }
    }
    return used;
}

// What font_text -f finds wrong with the texts, in every language, in the
// pair made for them: such a pair is not written.
std::vector<import_error> check_texts(const import_options &options, const charset_table &table_set,
                                      const imported_font &result)
{
    text_codes codes(table_set, options.table_set, result.at_free_codes);
    codes.check_glyphs(result.font, result.table);
    std::vector<import_error> errors;
    for (const text_translations *language : languages_of(options))
        for (const text_source &text : options.texts) {
            source_messages plural;  // the messages with plural forms, whose forms the catalog gives
            text_rules rules;
            rules.translations = language;
            rules.keywords = options.keywords;
            if (language != nullptr)
                rules.messages = &plural;
            encoded_text checked = text.c_source ? encode_c_source(text.content, text.name, codes, rules)
                                                 : encode_plain_text(text.content, codes, rules);
            if (language != nullptr)
                translate_plural_forms(plural.found, codes, *language, checked.problems);
            for (const text_problem &problem : checked.problems.shown)
                if (!problem.warning)
                    add_error(errors, {problem_place(text.name, problem), problem.what});
            if (checked.problems.more != 0 && checked.problems.errors != 0)
                add_error(errors, {quoted_name(text.name), more_problems(checked.problems.more)});
        }
    return errors;
}

// Every character beyond ASCII that the texts use and labels alone give,
// each once, but those nothing draws: what another table set would have to
// give a code.
std::vector<char32_t> wanted_beyond_ascii(const texts_use &used, const std::vector<labelled_glyph> &labelled,
                                          const std::function<bool(char32_t)> &drawable)
{
    std::set<char32_t> wanted;
    for (const needed_at &each : used.characters)
        wanted.insert(each.c);
    for (const labelled_glyph &glyph : labelled)
        if (glyph.codes.empty())
            wanted.insert(glyph.characters.begin(), glyph.characters.end());
    std::vector<char32_t> beyond;
    for (const char32_t c : wanted)
        if (c >= FIRST_UPPER && no_code_holds(c).empty() && drawable(c))
            beyond.push_back(c);
    return beyond;
}

// "A, B and C".
std::string character_names(const std::vector<char32_t> &characters)
{
    std::string names;
    for (std::size_t i = 0; i < characters.size(); ++i)
        names += (i == 0 ? "" : i + 1 == characters.size() ? " and " : ", ") + character_name(characters[i]);
    return names;
}

// "the sources need X; de.po adds Y and Z; ru.po adds W": what each
// language needs a free code for, each catalog beyond the sources'.
std::string needs_by_language(const import_options &options, const texts_use &used, const charset_table &table_set)
{
    const std::vector<const text_translations *> languages = languages_of(options);
    std::string said;
    for (std::size_t l = 0; l < languages.size(); ++l) {
        std::vector<char32_t> wanted;
        for (const char32_t c : used.by_language[l])
            if (!set_code(c, table_set) && no_code_holds(c).empty() &&
                (languages[l] == nullptr || used.by_language[0].count(c) == 0))
                wanted.push_back(c);
        if (wanted.empty())
            continue;
        said += (said.empty() ? "" : "; ") +
                (languages[l] == nullptr ? "the sources need " : quoted_name(languages[l]->catalog) + " adds ") +
                character_names(wanted);
    }
    return said;
}

// The one message for characters no free code is left for: how many need
// one, how many are free, which are left out (with several languages, which
// each language needs), and a table set that holds them all, if one does.
import_error left_out_error(const left_out_characters &left_out, const std::map<std::uint8_t, std::string> &kept,
                            const std::optional<set_suggestion> &other, const charset_table &table_set,
                            const std::string &set_name, const std::string &by_language)
{
    std::vector<char32_t> left;
    for (const needed_at &each : left_out.characters)
        left.push_back(each.c);
    std::vector<std::uint8_t> kept_codes;
    for (const std::uint8_t code : free_codes(table_set))
        if (kept.count(code) != 0)
            kept_codes.push_back(code);
    const bool one_needed = left_out.needed == 1, one_free = left_out.free == 1;
    std::string reason = std::to_string(left_out.needed) + (one_needed ? " character needs" : " characters need") +
                         " a free code and " + std::to_string(left_out.free) + (one_free ? " is" : " are") +
                         " free in " + set_name +
                         (kept_codes.empty() ? "" : " (" + code_ranges(kept_codes) + " kept free)") + ": " +
                         (!by_language.empty() ? by_language
                                               : character_names(left) + (left.size() == 1 ? " has none" : " have none"));
    if (other)
        reason += "; -t " + other->table_set + (other->glyph_order_too ? " -g " + other->table_set : "") +
                  " gives every one a code";
    else
        reason += "; no single-byte set gives every one a code";
    return {left_out.characters.front().place, reason};
}

// What the codes characters are added at want: a picture of one's own for
// the code or the character, else the font's glyph. (A yaff's character at
// its own code wants that code's glyph already.)
void want_added(const free_code_characters &added, const own_pictures &pictures, const drawn_font &drawn,
                const cell_layout &cell, std::set<const glyph_image *> &cut_warned, imported_font &result,
                wanted_pictures &wanted)
{
    for (const auto &[code, c] : added) {
        if (pictures.of_code.count(code) != 0)
            continue;
        if (const glyph_lines *own = pictures.find(c))
            wanted[code] = *own;
        else if (const glyph_image *image = drawn.find(c))
            wanted[code] = placed(c, *image, cell, character_name(c), cut_warned, result);
    }
}

// What the codes the table set leaves free show, where it is known: the
// characters added there, and below 128 the characters of their slots that
// neither ASCII nor the table set has (the PC symbols), where drawn, or
// where a code shows the font's own glyph for it, what the font labels that
// glyph with. Not a code that shows a picture of one's own for it alone, or
// a glyph of the font that says nothing of its character: nobody knows
// those; nor a code kept free, which is the text's or the display's. Each
// character at one code.
free_code_characters shown_at_free_codes(const free_code_characters &added, const slot_plan &plan,
                                         const std::vector<unsigned> &codes_by_label,
                                         const free_code_characters &font_labels, const own_pictures &pictures,
                                         const std::function<bool(char32_t)> &drawable,
                                         const charset_table &table_set,
                                         const std::map<std::uint8_t, std::string> &kept)
{
    free_code_characters shown = added;
    std::set<char32_t> placed;
    for (const auto &[code, c] : added)
        placed.insert(c);
    for (unsigned code = 1; code < FIRST_UPPER; ++code) {
        const auto byte = static_cast<std::uint8_t>(code);
        const bool font_glyph = std::find(codes_by_label.begin(), codes_by_label.end(), code) != codes_by_label.end();
        const auto labelled = font_labels.find(byte);
        const char32_t c = !font_glyph ? plan.shown[code] : labelled != font_labels.end() ? labelled->second : NO_CHARACTER;
        if (pictures.of_code.count(code) == 0 && kept.count(byte) == 0 && no_code_holds(c).empty() &&
            !set_code(c, table_set) && (font_glyph || drawable(c)) && shown.count(byte) == 0 &&
            placed.insert(c).second)
            shown.emplace(byte, c);
    }
    return shown;
}

// The line that ends a run with cut characters: how many, and what to try.
std::string cut_summary(std::size_t cut, const font_source &font, const cell_layout &cell)
{
    if (font.scalable())
        return characters(cut) + " cut: try a smaller --size (drawn at " +
               std::to_string(font.size().pixels) + ")";
    const int spare_rows = SLOT_HEIGHT - cell.height;
    return characters(cut) + " cut: try another --top (now " + std::to_string(cell.top) + ", " +
           std::to_string(std::min(spare_rows, 0)) + " to " + std::to_string(std::max(spare_rows, 0)) + ")";
}

// A scalable font drawn so small that its capitals are shorter than this
// has letters that lose their shape.
constexpr int LEGIBLE_CAPITAL_ROWS = 7;
constexpr char32_t MEASURED_CAPITALS[] = {U'H', U'\u041D'};  // Latin H, Cyrillic Н

// Warns when a scalable font came out too small to read well.
void warn_if_small(const font_source &font, const drawn_font &drawn, imported_font &result)
{
    if (!font.scalable())
        return;
    for (const char32_t capital : MEASURED_CAPITALS) {
        const glyph_image *image = drawn.find(capital);
        const auto box = image != nullptr ? image->inked() : std::nullopt;
        if (!box)
            continue;
        const int rows = box->last_row - box->first_row + 1;
        if (rows < LEGIBLE_CAPITAL_ROWS)
            result.warnings.push_back(
                {0, "drawn at " + std::to_string(font.size().pixels) + " px, capitals " + std::to_string(rows) +
                        " rows tall: letters lose their shape; a bitmap font (BDF, PCF, PSF) of at most 8x12 keeps it"});
        return;
    }
}

std::string report(const font_source &font, const cell_layout &cell, std::size_t placed,
                   std::size_t missing, std::size_t cut, const import_options &options,
                   const own_pictures &pictures)
{
    const std::size_t own = pictures.pictures.size();
    return font.format() + (font.scalable() ? " drawn" : "") + " at " +
           std::to_string(font.size().pixels) + " px, " + font.size().reason + "; cell " +
           cell_size(cell.width, cell.height) + " at row " + std::to_string(cell.top) + "; " +
           characters(placed) + " placed, " + std::to_string(missing) + " missing, " +
           std::to_string(cut) + " cut" +
           (own == 0 ? ""
                     : "; " + std::to_string(own) + (own == 1 ? " picture" : " pictures") + " from " +
                           quoted_name(options.glyphs_path));
}

}  // namespace

std::vector<import_error> import_font(const import_options &options, imported_font &result)
{
    charset_table glyph_order, table_set, encoding;
    for (const auto &[name, table] : {std::pair{options.glyph_order, &glyph_order},
                                      std::pair{options.table_set, &table_set},
                                      std::pair{options.font_encoding, &encoding}})
        if (!name.empty())
            if (std::string reason = load_charset(name, *table); !reason.empty())
                return {{name, reason}};

    own_pictures pictures;
    if (!options.glyphs_path.empty())
        if (auto error = load_pictures(options.glyphs_path, pictures))
            return {*error};

    const std::string path = input_name(options.font_path);
    const int crop_factor = options.crop ? CROP_LIMIT_FACTOR : 1;
    const size_limits limits{SLOT_WIDTH, SLOT_HEIGHT, crop_factor * SLOT_WIDTH,
                             crop_factor * SLOT_HEIGHT, options.pixel_size};
    font_source font;
    if (std::string reason =
            font.open(options.font_path, options.font_encoding.empty() ? nullptr : &encoding, limits);
        !reason.empty())
        return {{place(path, font.error_line()), reason}};

    const slot_plan plan = plan_slots(glyph_order, table_set, [&font, &pictures](char32_t c) {
        return font.has(c) || pictures.find(c) != nullptr;
    });
    if (plan.spares_needed > plan.spares_free)
        return {{path, too_few_spares(options, plan)}};
    if (auto error = check_pictures(options, pictures, plan, table_set))
        return {*error};
    free_code_characters added;
    std::vector<import_error> text_errors;
    const texts_use used = used_by_texts(options, table_set, text_errors);
    if (!text_errors.empty())
        return text_errors;
    std::map<std::uint8_t, std::string> kept = used.codes;
    for (const std::uint8_t code : options.keep_codes)
        kept.emplace(code, "--keep-codes");
    std::vector<needed_at> needed;
    for (const needed_at &each : used.characters)
        if (!set_code(each.c, table_set))
            needed.push_back(each);
    const std::function<bool(char32_t)> drawable = [&font, &pictures](char32_t c) {
        return font.has(c) || pictures.find(c) != nullptr;
    };
    const font_labels labels = labels_of(options, font, pictures, table_set);
    std::set<std::uint8_t> taken;
    for (const auto &[code, picture] : pictures.of_code)
        taken.insert(static_cast<std::uint8_t>(code));
    const std::vector<unsigned> codes = codes_by_label(font, plan, table_set, pictures);
    const free_code_characters laid_out =
        shown_at_free_codes({}, plan, codes, labels.by_code, pictures, drawable, table_set, kept);
    left_out_characters left_out;
    std::vector<import_error> errors =
        add_characters({table_set, options.table_set, labels.in_header_codes, labels.at_free_codes, laid_out,
                        needed, taken, kept, drawable, quoted_name(path)},
                       added, left_out);
    if (!left_out.characters.empty()) {
        std::set<std::uint8_t> unavailable = taken;
        for (const auto &[code, who] : kept)
            unavailable.insert(code);
        const auto other = suggest_table_set(wanted_beyond_ascii(used, labels.in_header_codes, drawable),
                                             unavailable, glyph_order, drawable);
        const std::string by_language = languages_of(options).size() > 1 ? needs_by_language(options, used, table_set) : "";
        errors.push_back(left_out_error(left_out, kept, other, table_set, options.table_set, by_language));
    }
    if (!errors.empty())
        return errors;

    std::vector<char32_t> placed = placed_characters(plan, font, pictures);
    for (const auto &[code, c] : added)
        if (pictures.find(c) == nullptr && font.has(c) && std::find(placed.begin(), placed.end(), c) == placed.end())
            placed.push_back(c);
    for (const unsigned code : codes)
        placed.push_back(code_key(code));
    if (placed.empty())
        return {{path, "has none of the characters of " + options.glyph_order + " or " + options.table_set +
                           (font.warnings().empty() ? "" : " (" + font.warnings().back().text + ")")}};

    drawn_font drawn;
    if (std::string reason = font.draw(placed, limits, drawn); !reason.empty())
        return {{path, reason}};
    cell_layout cell;
    if (std::string reason = lay_out(drawn, options, limits, font.scalable(), cell); !reason.empty())
        return {{path, reason}};

    find_box_rows(font, drawn, cell);
    result = imported_font{};
    result.warnings = font.warnings();
    for (const char32_t c : plan.missing)
        result.warnings.push_back({0, "no glyph for " + character_name(c) + ": left blank"});
    std::set<const glyph_image *> cut_warned;
    fill_slots(plan, drawn, cell, pictures, cut_warned, result);
    result.table = plan.table;
    wanted_pictures wanted = wanted_by_label(codes, font, drawn, cell, pictures, cut_warned, result);
    want_added(added, pictures, drawn, cell, cut_warned, result, wanted);
    show_pictures(wanted, result.font, result.table);
    result.at_free_codes =
        shown_at_free_codes(added, plan, codes, labels.by_code, pictures, drawable, table_set, kept);
    const std::size_t cut = cut_warned.size();
    if (!plan.missing.empty())
        result.warnings.push_back(
            {0, characters(plan.missing.size()) + " missing: try another font, or a --table set this one has"});
    if (cut > 0)
        result.warnings.push_back({0, cut_summary(cut, font, cell)});
    warn_if_small(font, drawn, result);
    const auto characters_placed = static_cast<std::size_t>(std::count_if(
        drawn.image_of.begin(), drawn.image_of.end(), [](const auto &drawn_one) { return drawn_one.first < FIRST_CODE_KEY; }));
    // The font's own characters at its free codes are its, not added.
    const auto own = static_cast<std::size_t>(std::count_if(added.begin(), added.end(), [&labels](const auto &each) {
        const auto labelled = labels.by_code.find(each.first);
        return labelled != labels.by_code.end() && labelled->second == each.second;
    }));
    result.report = report(font, cell, characters_placed, plan.missing.size(), cut, options, pictures) +
                    (added.size() == own ? "" : "; " + characters(added.size() - own) + " added at free codes");
    return check_texts(options, table_set, result);
}
