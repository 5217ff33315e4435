// What font_text and font_sheet share to take a catalog: the --keyword
// option, and reading the catalog of --catalog with its faults reported.
#include <algorithm>
#include <utility>
#include <cstring>

#include "catalog/catalog.h"
#include "command_line/command_line.h"
#include "messages/messages.h"

namespace {

constexpr const char *DEFAULT_KEYWORDS[] = {"_", "N_"};
constexpr std::string_view FIRST_ARGUMENT = ":1";  // xgettext's way to say the message is the first argument

bool identifier(std::string_view name)
{
    const auto letter = [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_'; };
    return !name.empty() && letter(name[0]) &&
           std::all_of(name.begin(), name.end(), [&letter](char c) { return letter(c) || (c >= '0' && c <= '9'); });
}

}  // namespace

std::string take_catalog_option(const char *program, const char *argument, std::optional<std::string> &catalog)
{
    if (!catalogs_available())
        return std::string("--catalog is not available: this ") + program + " was built without libgettextpo";
    catalog = argument;
    return "";
}

std::string keyword_option::take(const char *argument)
{
    if (argument == nullptr) {
        defaults_ = false;
        return "";
    }
    std::string_view name(argument);
    if (name.size() > FIRST_ARGUMENT.size() && name.substr(name.size() - FIRST_ARGUMENT.size()) == FIRST_ARGUMENT)
        name.remove_suffix(FIRST_ARGUMENT.size());
    if (!identifier(name))
        return "invalid --keyword " + quote(argument) +
               ": a function's name, whose first argument is the message (NAME or NAME:1)";
    given_.emplace_back(name);
    return "";
}

std::vector<std::string> keyword_option::keywords() const
{
    std::vector<std::string> keywords;
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
