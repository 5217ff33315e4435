#include "program_languages/program_languages.h"

#include <algorithm>

#include "messages/messages.h"

namespace {

// A message of the program: its first use, that of its plural, and the
// rooms of all its strings, each once.
struct numbered_message {
    const message_use *first;
    std::string file;
    const message_use *plural = nullptr;
    std::string plural_file;
    std::vector<std::optional<text_room>> rooms;

    void add_room(const std::optional<text_room> &room)
    {
        const auto same = [&room](const std::optional<text_room> &other) {
            return room.has_value() == other.has_value() &&
                   (!room || (room->columns == other->columns && room->lines == other->lines));
        };
        if (std::none_of(rooms.begin(), rooms.end(), same))
            rooms.push_back(room);
    }
};

std::string place_text(const std::string &file, const text_place &place)
{
    return quoted_name(file) + ":" + std::to_string(place.line) + ":" + std::to_string(place.column);
}

class builder {
public:
    builder(const text_codes &codes, const program_settings &settings) : codes_(codes), settings_(settings) {}

    void number(const std::vector<source_uses> &sources);
    void add_language(const text_translations &catalog);
    void lay_out();
    void check_budget();

    program_languages made;

private:
    text_problems &in(const std::string &file)
    {
        const auto found = std::find_if(made.problems.begin(), made.problems.end(),
                                        [&file](const file_problems &each) { return each.file == file; });
        if (found != made.problems.end())
            return found->problems;
        made.problems.push_back({file, {}});
        return made.problems.back().problems;
    }
    std::string code_of(const text_translations &catalog);
    table_translation translate(const numbered_message &message, const text_translations &catalog,
                                text_problems &problems);

    const text_codes &codes_;
    const program_settings &settings_;
    std::vector<numbered_message> messages_;
    table_program program_;
    std::vector<std::string> catalog_names_;  // of each language, for messages
    std::vector<const text_translations *> catalogs_;
    std::string first_source_;
};

void builder::number(const std::vector<source_uses> &sources)
{
    std::unordered_map<std::string, std::size_t> numbers;
    first_source_ = sources.empty() ? "" : sources[0].file;
    in(first_source_);  // the sources' language's problems come first
    for (const source_uses &source : sources)
        for (const message_use &use : *source.uses) {
            if (use.id.empty())  // the catalog's header, no message
                continue;
            const auto [at, added] = numbers.emplace(use.id, messages_.size());
            if (added)
                messages_.push_back({&use, source.file, nullptr, "", {}});
            numbered_message &message = messages_[at->second];
            message.add_room(use.room);
            if (!use.plural_id)
                continue;
            message.add_room(use.plural_room);
            if (message.plural == nullptr) {
                message.plural = &use;
                message.plural_file = source.file;
            } else if (*message.plural->plural_id != *use.plural_id) {
                in(source.file).add({use.plural_place.line, use.plural_place.column,
                                     "the message " + excerpt(use.id) + " has the plural " +
                                         excerpt(*message.plural->plural_id) + " at " +
                                         place_text(message.plural_file, message.plural->plural_place)});
            }
        }
    std::stable_partition(messages_.begin(), messages_.end(),
                          [](const numbered_message &message) { return message.plural == nullptr; });
    program_.source_code = settings_.source_code;
    program_.sources_chosen = settings_.sources_chosen;
    for (const numbered_message &message : messages_)
        program_.messages.push_back(
            {message.first->codes,
             message.plural ? std::optional<std::string>(message.plural->plural_codes) : std::nullopt});
}

// Its Language:, else its file's name.
std::string builder::code_of(const text_translations &catalog)
{
    text_problems &problems = in(catalog.catalog);
    const std::string code = catalog_language(catalog);
    if (catalog.language.empty()) {
        problems.add({catalog.header_line, 0,
                      "no Language: in the header; the language is taken as " + excerpt(code) +
                          ", from the file's name",
                      true});
    }
    std::string clash;
    if (!is_language_code(code))
        clash = excerpt(code) + " is no language code: letters, digits, '_', '-', '@' and '.'";
    else if (settings_.sources_chosen && code == settings_.source_code)
        clash = "the language " + code + " is the sources' (--source-language)";
    for (std::size_t l = 0; clash.empty() && l < program_.languages.size(); ++l)
        if (program_.languages[l].code == code)
            clash = "the language " + code + " is " + quoted_name(catalog_names_[l]) + "'s too";
    if (!clash.empty())
        problems.add({catalog.header_line, 0, clash});
    return code;
}

void builder::add_language(const text_translations &catalog)
{
    text_problems &problems = in(catalog.catalog);
    table_language language;
    language.code = code_of(catalog);
    if (!catalog.plural_forms.empty()) {
        const plural_reading read = read_plural_forms(catalog.plural_forms);
        if (!read.error.empty())
            problems.add({catalog.header_line, 0, read.error});
        if (read.rule)
            language.rule = *read.rule;
    }
    if (language.rule.forms > MOST_FORMS)
        problems.add({catalog.header_line, 0,
                      "nplurals = " + std::to_string(language.rule.forms) + ": the tables take at most " +
                          std::to_string(MOST_FORMS) + " forms"});
    for (const numbered_message &message : messages_)
        language.messages.push_back(translate(message, catalog, problems));
    program_.languages.push_back(std::move(language));
    catalog_names_.push_back(catalog.catalog);
    catalogs_.push_back(&catalog);
}

// The message's forms in the font's codes, each checked against the room
// of every use; or none, with why at its first use.
table_translation builder::translate(const numbered_message &message, const text_translations &catalog,
                                     text_problems &problems)
{
    const std::string why = untranslated_why(catalog, message.first->id, message.plural != nullptr);
    if (!why.empty()) {
        const bool error = catalog.untranslated_error;
        problems.add({message.first->place.line, message.first->place.column, untranslated_note(why, error), !error,
                      message.file});
        return {};
    }
    const translation &entry = catalog.messages.at(message.first->id);
    for (const text_problem &fault : entry.faults)
        problems.add(fault);
    table_translation translated;
    for (const std::string &form : message.plural != nullptr ? entry.forms : std::vector<std::string>{entry.text}) {
        translated.forms.push_back(encode_translation(form, codes_, catalog.catalog, entry.line, problems));
        for (const std::optional<text_room> &room : message.rooms)
            for (std::string &what : fit_faults(translated.forms.back(), room))
                problems.add({entry.line, 0, std::move(what), false, catalog.catalog});
    }
    return translated;
}

void builder::lay_out()
{
    made.tables = make_message_tables(program_, made.tables_error);
    if (!made.tables)
        return;
    for (std::size_t n = 0; n < messages_.size(); ++n)
        made.pointers.emplace(messages_[n].first->id,
                              message_pointers{message_pointer(made.tables->offsets[n]),
                                               message_pointer(made.tables->plural_offsets[n])});
}

// A language over budget, with its costliest messages at their lines: in
// its catalog, or where the sources use them.
void builder::check_budget()
{
    if (!made.tables || !settings_.budget)
        return;
    for (std::size_t l = 0; l < made.tables->sizes.size(); ++l) {
        const language_size &size = made.tables->sizes[l];
        const std::string excess = budget_excess(size, *settings_.budget);
        if (excess.empty())
            continue;
        const std::string file = l == 0 ? first_source_ : catalog_names_[l - 1];
        text_problems &problems = in(file);
        problems.add({0, 0, excess});
        for (const language_size::message_cost &cost : size.largest) {
            const numbered_message &message = messages_[cost.message];
            const std::string what = "one of " + size.code + "'s largest messages, " + std::to_string(cost.bytes) +
                                     " bytes: " + excerpt(message.first->id);
            if (l == 0) {
                problems.add({message.first->place.line, message.first->place.column, what, false, message.file});
            } else {
                const auto entry = catalogs_[l - 1]->messages.find(message.first->id);
                problems.add({entry == catalogs_[l - 1]->messages.end() ? 0 : entry->second.line, 0, what, false,
                              file});
            }
        }
    }
}

}  // namespace

program_languages make_program_languages(const std::vector<source_uses> &sources,
                                         const std::vector<const text_translations *> &catalogs,
                                         const text_codes &codes, const program_settings &settings)
{
    builder build(codes, settings);
    build.number(sources);
    for (const text_translations *catalog : catalogs)
        build.add_language(*catalog);
    build.lay_out();
    build.check_budget();
    for (file_problems &each : build.made.problems)
        each.problems.sort();
    return std::move(build.made);
}
