// What font_text and font_sheet share to take a catalog: the --keyword and
// --source-language options, and reading the catalog of --catalog with its
// faults reported.
#include <algorithm>
#include <utility>
#include <cstring>

#include "catalog/catalog.h"
#include "command_line/command_line.h"
#include "message_tables/message_tables.h"
#include "messages/messages.h"

namespace {

const message_keyword DEFAULT_KEYWORDS[] = {{"_", false}, {"N_", false}, {"ui_ntext", true}};
// xgettext's ways to say the message is the first argument, and its plural
// the second.
constexpr std::string_view FIRST_ARGUMENT = ":1", PLURAL_ARGUMENTS = ":1,2";

bool ends_with(std::string_view text, std::string_view end)
{
    return text.size() > end.size() && text.substr(text.size() - end.size()) == end;
}

bool identifier(std::string_view name)
{
    const auto letter = [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_'; };
    return !name.empty() && letter(name[0]) &&
           std::all_of(name.begin(), name.end(), [&letter](char c) { return letter(c) || (c >= '0' && c <= '9'); });
}

}  // namespace

std::string take_catalog_option(const char *program, const char *argument, std::vector<std::string> &catalogs)
{
    if (!catalogs_available())
        return std::string("--catalog is not available: this ") + program + " was built without libgettextpo";
    catalogs.emplace_back(argument);
    return "";
}

std::string take_source_language_option(const char *argument, std::optional<std::string> &language)
{
    if (!is_language_code(argument))
        return "invalid --source-language " + quote(argument) + ": letters, digits, '_', '-', '@' and '.'";
    language = argument;
    return "";
}

std::string keyword_option::take(const char *argument)
{
    if (argument == nullptr) {
        defaults_ = false;
        return "";
    }
    std::string_view name(argument);
    const bool plural = ends_with(name, PLURAL_ARGUMENTS);
    if (plural || ends_with(name, FIRST_ARGUMENT))
        name.remove_suffix(plural ? PLURAL_ARGUMENTS.size() : FIRST_ARGUMENT.size());
    if (!identifier(name))
        return "invalid --keyword " + quote(argument) +
               ": a function's name, whose first argument is the message (NAME or NAME:1), and whose second is "
               "its plural (NAME:1,2)";
    given_.push_back({std::string(name), plural});
    return "";
}

std::vector<message_keyword> keyword_option::keywords() const
{
    std::vector<message_keyword> keywords;
    if (defaults_)
        keywords.assign(std::begin(DEFAULT_KEYWORDS), std::end(DEFAULT_KEYWORDS));
    keywords.insert(keywords.end(), given_.begin(), given_.end());
    return keywords;
}

bool load_catalog_reported(const char *program, const std::string &path, text_translations &translations)
{
    std::string content;
    if (const std::string reason = read_file(path, content); !reason.empty()) {
        report_failure(program, path.c_str(), reason.c_str());
        return false;
    }
    text_problems problems;
    std::string failure;
    const bool read = read_catalog(path, std::move(content), translations, problems, failure);
    report_problems(program, path, problems);
    if (!failure.empty())
        report_failure(program, path.c_str(), failure.c_str());
    return read;
}
