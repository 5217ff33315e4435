// The tables' layout, and the C that holds it and looks messages up.
#include "message_tables/message_tables.h"

#include <algorithm>
#include <cstdint>
#include <unordered_map>

#include "messages/messages.h"

const char MESSAGE_TEXTS_DECLARATION[] = "#ifdef __cplusplus\n"
                                         "extern \"C\" const char ui_message_texts[];\n"
                                         "#else\n"
                                         "extern const char ui_message_texts[];\n"
                                         "#endif\n";
const char TABLES_HEADER_NAME[] = "ui_languages.h", TABLES_SOURCE_NAME[] = "ui_languages.c";

namespace {

constexpr std::size_t NUMBER_BYTES = 2, BYTE_VALUES = 255;  // of a number: non-zero bytes
constexpr std::size_t DESCRIPTOR_BYTES = 12;                // struct ui_language_part
constexpr std::size_t NARROW_ENTRY = 2, WIDE_ENTRY = 4;
constexpr std::uint32_t LARGEST_NARROW_ENTRY = 0xFFFF;
constexpr std::size_t ENTRIES_A_LINE = 12;
constexpr char GENERATED[] = "/* Made by font_text from the program's sources and catalogs: do not edit. */\n";

// One language's part of the texts, and its index.
struct language_part {
    std::string texts;                   // its code, then its texts, each with its NUL
    std::vector<std::uint32_t> entries;  // offset + 1 into texts, 0 for the sources' text
    std::vector<std::string> lines;      // where texts breaks into lines of the C file: one a text
    std::size_t first = 0;               // where texts starts in the whole
    std::size_t index = 0;               // where entries start in their array
    std::size_t formula = 0;
    bool wide = false;
};

void add_line(language_part &part, const std::string &bytes)
{
    part.texts += bytes;
    part.texts += '\0';
    part.lines.push_back(bytes + '\0');
}

// The sources' language: each message after its number, a plural
// message's plural text after it and its mark, so that no pointer into a
// text but to its start looks like a message.
language_part source_part(const table_program &program, message_tables &tables, language_size &size)
{
    language_part part;
    add_line(part, program.source_code);
    for (std::size_t number = 0; number < program.messages.size(); ++number) {
        const table_message &message = program.messages[number];
        const std::size_t before = part.texts.size();
        std::string line{static_cast<char>(number / BYTE_VALUES + 1), static_cast<char>(number % BYTE_VALUES + 1)};
        tables.offsets.push_back(part.texts.size() + NUMBER_BYTES);
        add_line(part, line + message.text);
        tables.plural_offsets.push_back(part.texts.size() + 1);
        if (message.plural)
            add_line(part, static_cast<char>(PLURAL_MARK) + *message.plural);
        size.largest.push_back({number, part.texts.size() - before});
    }
    return part;
}

// A catalog's language: each distinct text once, an entry for each message
// and, after them, for each plural message's forms past the first.
language_part catalog_part(const table_program &program, const table_language &language, language_size &size)
{
    language_part part;
    std::unordered_map<std::string, std::uint32_t> stored;
    const auto entry_of = [&](const std::string &text, std::size_t &cost) -> std::uint32_t {
        const auto [at, added] = stored.emplace(text, static_cast<std::uint32_t>(part.texts.size() + 1));
        if (added) {
            add_line(part, text);
            cost += text.size() + 1;
        }
        return at->second;
    };
    std::size_t code_cost = 0;  // counted with the texts
    entry_of(language.code, code_cost);
    const std::size_t count = program.messages.size();
    const std::size_t extra_forms = static_cast<std::size_t>(language.rule.forms) - 1;
    part.entries.assign(count, 0);
    std::vector<std::size_t> costs(count, 0);
    for (std::size_t number = 0; number < count; ++number) {
        const std::vector<std::string> &forms = language.messages[number].forms;
        const bool plural = program.messages[number].plural.has_value();
        if (forms.empty())
            ++size.untranslated;
        else
            part.entries[number] = entry_of(forms[0], costs[number]);
        for (std::size_t form = 1; plural && form <= extra_forms; ++form)
            part.entries.push_back(form < forms.size() ? entry_of(forms[form], costs[number]) : 0);
    }
    part.wide = !part.entries.empty() && *std::max_element(part.entries.begin(), part.entries.end()) > LARGEST_NARROW_ENTRY;
    const std::size_t entry_bytes = part.wide ? WIDE_ENTRY : NARROW_ENTRY;
    for (std::size_t number = 0; number < count; ++number) {
        const std::size_t entries = program.messages[number].plural ? 1 + extra_forms : 1;
        size.largest.push_back({number, costs[number] + entries * entry_bytes});
    }
    size.bytes = part.entries.size() * entry_bytes;
    return part;
}

// The language's costliest messages, largest first; among equals, the first.
void keep_largest(language_size &size)
{
    const std::size_t kept = std::min(LARGEST_NAMED, size.largest.size());
    std::partial_sort(size.largest.begin(), size.largest.begin() + static_cast<std::ptrdiff_t>(kept), size.largest.end(),
                      [](const language_size::message_cost &a, const language_size::message_cost &b) {
                          return a.bytes != b.bytes ? a.bytes > b.bytes : a.message < b.message;
                      });
    size.largest.resize(kept);
}

// Bytes as the body of a C string literal: printable ASCII as it is (but a
// quote, a backslash and '?', which could start a trigraph), any other byte
// as three octal digits, which nothing after them extends.
std::string c_literal_body(const std::string &bytes)
{
    std::string text;
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\' || c == '?') {
            text += '\\';
            text += c;
        } else if (byte >= 0x20 && byte < 0x7F) {
            text += c;
        } else {
            text += '\\';
            for (int shift = 6; shift >= 0; shift -= 3)
                text += static_cast<char>('0' + (byte >> shift & 7));
        }
    }
    return text;
}

// The code as a C name: "sr@latin" is UI_LANGUAGE_SR_LATIN.
std::string language_constant(const std::string &code)
{
    std::string name = "UI_LANGUAGE_";
    for (const char c : code)
        name += (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A')
                : ((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) ? c
                                                                      : '_';
    return name;
}

// What the C file's code needs of the layout.
struct shape {
    std::size_t source_bytes = 0, singular = 0, messages = 0;
    std::size_t first_language = 0;  // the number ui_set_language(0) chooses
    std::size_t languages = 0;       // that ui_language_count() gives
    bool looks_up = false;           // some language translates some message
    bool plurals = false;            // and some message has plural forms
    bool narrow = false, wide = false;
    std::vector<plural_rule> formulas;
};

std::string header_file(const std::vector<std::string> &codes, std::size_t first)
{
    std::string text = std::string(GENERATED) +
                       "#ifndef UI_LANGUAGES_H\n#define UI_LANGUAGES_H\n\n"
                       "#define UI_LANGUAGE_COUNT " + std::to_string(codes.size() - first) + "\n\n"
                       "/* Each language's number, for ui_set_language(). */\n"
                       "enum ui_language_number {\n";
    for (std::size_t i = first; i < codes.size(); ++i)
        text += "    " + language_constant(codes[i]) + " = " + std::to_string(i - first) +
                (i + 1 < codes.size() ? ",\n" : "\n");
    return text + "};\n\n"
                  "#ifdef __cplusplus\nextern \"C\" {\n#endif\n\n"
                  "/* The texts the program's messages point into. */\n"
                  "extern const char ui_message_texts[];\n\n"
                  "/* The current language's text of a message; any other text as it is. */\n"
                  "const char *ui_text(const char *message);\n"
                  "/* The current language's form for n of a message with plural forms. */\n"
                  "const char *ui_ntext(const char *singular, const char *plural, unsigned long n);\n"
                  "unsigned ui_language_count(void);\n"
                  "/* A language's code (\"de\"), or NULL out of range. */\n"
                  "const char *ui_language_code(unsigned language);\n"
                  "/* Out of range changes nothing. */\n"
                  "void ui_set_language(unsigned language);\n"
                  "unsigned ui_language(void);\n\n"
                  "#ifdef __cplusplus\n}\n#endif\n\n#endif\n";
}

std::string texts_array(const std::vector<language_part> &parts, const std::vector<std::string> &codes,
                        std::size_t total)
{
    std::string text = "/* Each language's code, then its texts, in the font's codes. Before each\n"
                       "   text of the sources' language, its message's number in two non-zero\n"
                       "   bytes (before a plural text, \\377): ui_text() knows a message by its\n"
                       "   address. */\n"
                       "const char ui_message_texts[" + std::to_string(total) + "] =\n";
    for (std::size_t l = 0; l < parts.size(); ++l) {
        text += "    /* " + codes[l] + " */\n";
        for (std::size_t i = 0; i < parts[l].lines.size(); ++i) {
            std::string line = parts[l].lines[i];
            if (l + 1 == parts.size() && i + 1 == parts[l].lines.size())
                line.pop_back();  // the literal's own NUL ends the array
            text += "    \"" + c_literal_body(line) + "\"\n";
        }
    }
    return text + "    ;\n\n";
}

std::string index_array(const std::vector<language_part> &parts, const std::vector<std::string> &codes, bool wide)
{
    std::string text = std::string("static const ") + (wide ? "uint32_t ui_index32" : "uint16_t ui_index16") +
                       "[] = {\n";
    for (std::size_t l = 0; l < parts.size(); ++l) {
        if (parts[l].wide != wide || parts[l].entries.empty())
            continue;
        text += "    /* " + codes[l] + " */";
        for (std::size_t i = 0; i < parts[l].entries.size(); ++i)
            text += (i % ENTRIES_A_LINE == 0 ? "\n    " : " ") + std::to_string(parts[l].entries[i]) + "u,";
        text += "\n";
    }
    return text + "};\n\n";
}

std::string descriptors(const std::vector<language_part> &parts, const std::vector<std::string> &codes,
                        const std::vector<table_language> &languages)
{
    std::string text = "struct ui_language_part {\n"
                       "    uint32_t texts;   /* where its code and texts start in ui_message_texts */\n"
                       "    uint32_t index;   /* where its entries start in its index */\n"
                       "    uint16_t forms;   /* its plural forms */\n"
                       "    uint8_t formula;  /* its plural rule */\n"
                       "    uint8_t wide;     /* its entries are in ui_index32 */\n"
                       "};\n\n"
                       "static const struct ui_language_part ui_parts[" + std::to_string(parts.size()) + "] = {\n";
    for (std::size_t l = 0; l < parts.size(); ++l) {
        const plural_number forms = l == 0 ? 2 : languages[l - 1].rule.forms;
        text += "    {" + std::to_string(parts[l].first) + "u, " + std::to_string(parts[l].index) + "u, " +
                std::to_string(forms) + "u, " + std::to_string(parts[l].formula) + "u, " +
                (parts[l].wide ? "1u" : "0u") + "},  /* " + codes[l] + " */\n";
    }
    return text + "};\n\n";
}

std::string plural_code(const shape &s)
{
    std::string text;
    for (std::size_t f = 0; f < s.formulas.size(); ++f)
        text += plural_function(s.formulas[f], "ui_plural_" + std::to_string(f)) + "\n";
    text += "static unsigned long ui_plural_form(unsigned formula, unsigned long n)\n{\n";
    if (s.formulas.size() == 1)
        return text + "    (void)formula;\n    return ui_plural_0(n);\n}\n\n";
    text += "    switch (formula) {\n";
    for (std::size_t f = 0; f + 1 < s.formulas.size(); ++f)
        text += "    case " + std::to_string(f) + ": return ui_plural_" + std::to_string(f) + "(n);\n";
    return text + "    default: return ui_plural_" + std::to_string(s.formulas.size() - 1) + "(n);\n    }\n}\n\n";
}

std::string lookup_code(const shape &s)
{
    std::string text = "#define UI_SOURCE_BYTES " + std::to_string(s.source_bytes) +
                       "u\n#define UI_SINGULAR_MESSAGES " + std::to_string(s.singular) +
                       "u\n#define UI_MESSAGES " + std::to_string(s.messages) + "u\n\n";
    text += "/* The number of the message whose sources' text is at text, or\n"
            "   UI_MESSAGES for any other text: no text byte and no number byte is 0,\n"
            "   and no number starts with the mark a plural text has before it. */\n"
            "static unsigned ui_message_number(const char *text)\n{\n"
            "    const unsigned char *at = (const unsigned char *)text;\n"
            "    uintptr_t offset = (uintptr_t)text - (uintptr_t)ui_message_texts;\n"
            "    unsigned number;\n"
            "    if (text == NULL || offset < 3u || offset >= UI_SOURCE_BYTES || at[-3] != 0 || at[-2] == 0 ||\n"
            "        at[-1] == 0)\n"
            "        return UI_MESSAGES;\n"
            "    number = (at[-2] - 1u) * 255u + (at[-1] - 1u);\n"
            "    return number < UI_MESSAGES ? number : UI_MESSAGES;\n}\n\n";
    text += "static uint32_t ui_entry(const struct ui_language_part *part, uint32_t at)\n{\n";
    if (s.narrow && s.wide)
        text += "    return part->wide ? ui_index32[part->index + at] : ui_index16[part->index + at];\n}\n\n";
    else
        text += std::string("    return ") + (s.wide ? "ui_index32" : "ui_index16") + "[part->index + at];\n}\n\n";
    text += "const char *ui_text(const char *message)\n{\n"
            "    const struct ui_language_part *part = &ui_parts[ui_current];\n"
            "    unsigned number = ui_message_number(message);\n"
            "    uint32_t entry;\n"
            "    if (ui_current == 0 || number == UI_MESSAGES)\n"
            "        return message;\n"
            "    entry = ui_entry(part, number);\n"
            "    return entry != 0 ? ui_message_texts + part->texts + (entry - 1u) : message;\n}\n\n";
    if (!s.plurals)
        return text + "const char *ui_ntext(const char *singular, const char *plural, unsigned long n)\n{\n"
                      "    return n == 1 ? singular : plural;\n}\n\n";
    // Without messages before the plural ones, "number >= 0" would be a warning.
    const std::string plural_number = s.singular != 0 ? "number >= UI_SINGULAR_MESSAGES && " : "";
    return text + plural_code(s) +
           "const char *ui_ntext(const char *singular, const char *plural, unsigned long n)\n{\n"
           "    const struct ui_language_part *part = &ui_parts[ui_current];\n"
           "    unsigned number = ui_message_number(singular);\n"
           "    if (ui_current != 0 && " + plural_number + "number < UI_MESSAGES) {\n"
           "        uint32_t form = (uint32_t)ui_plural_form(part->formula, n);\n"
           "        uint32_t entry = ui_entry(part, form == 0 ? number\n"
           "                                                  : UI_MESSAGES + ((uint32_t)number - UI_SINGULAR_MESSAGES) *\n"
           "                                                                      (uint32_t)(part->forms - 1u) + form - 1u);\n"
           "        if (entry != 0)\n"
           "            return ui_message_texts + part->texts + (entry - 1u);\n"
           "    }\n"
           "    return n == 1 ? singular : plural;\n}\n\n";
}

std::string source_file(const std::vector<language_part> &parts, const std::vector<std::string> &codes,
                        const table_program &program, const shape &s, std::size_t total)
{
    std::string text = std::string(GENERATED) +
                       "#include <stddef.h>\n#include <stdint.h>\n\n#include \"ui_languages.h\"\n\n"
                       "#if defined(__GNUC__)\n#pragma GCC diagnostic ignored \"-Woverlength-strings\"\n#endif\n\n" +
                       texts_array(parts, codes, total);
    if (s.narrow)
        text += "/* For each message, its text in the language: its offset in the language's\n"
                "   texts plus 1, or 0 for the sources' text; then, for each plural message,\n"
                "   its forms past the first. */\n" +
                index_array(parts, codes, false);
    if (s.wide)
        text += index_array(parts, codes, true);
    text += descriptors(parts, codes, program.languages);
    text += "static unsigned char ui_current = " + std::to_string(s.first_language) + ";\n\n";
    if (s.looks_up)
        text += lookup_code(s);
    else
        text += "const char *ui_text(const char *message)\n{\n    return message;\n}\n\n"
                "const char *ui_ntext(const char *singular, const char *plural, unsigned long n)\n{\n"
                "    return n == 1 ? singular : plural;\n}\n\n";
    const std::string first = std::to_string(s.first_language) + "u";
    return text + "unsigned ui_language_count(void)\n{\n    return UI_LANGUAGE_COUNT;\n}\n\n"
                  "const char *ui_language_code(unsigned language)\n{\n"
                  "    return language < UI_LANGUAGE_COUNT ? ui_message_texts + ui_parts[language + " + first +
                  "].texts : NULL;\n}\n\n"
                  "void ui_set_language(unsigned language)\n{\n"
                  "    if (language < UI_LANGUAGE_COUNT)\n"
                  "        ui_current = (unsigned char)(language + " + first + ");\n}\n\n"
                  "unsigned ui_language(void)\n{\n    return ui_current - " + first + ";\n}\n";
}

std::string check_limits(const table_program &program, std::vector<std::string> &codes)
{
    if (program.messages.size() > MOST_MESSAGES)
        return std::to_string(program.messages.size()) + " messages: the tables number at most " +
               std::to_string(MOST_MESSAGES);
    if (program.languages.size() + 1 > MOST_LANGUAGES)
        return std::to_string(program.languages.size() + 1) + " languages: the tables take at most " +
               std::to_string(MOST_LANGUAGES);
    codes.push_back(program.source_code);
    for (const table_language &language : program.languages) {
        if (language.messages.size() != program.messages.size())
            return language.code + ": " + std::to_string(language.messages.size()) + " translations of " +
                   std::to_string(program.messages.size()) + " messages";
        if (!is_language_code(language.code))
            return excerpt(language.code) + " is no language code: letters, digits, '_', '-', '@' and '.'";
        if (language.rule.forms > MOST_FORMS)
            return language.code + ": nplurals = " + std::to_string(language.rule.forms) +
                   ": the tables take at most " + std::to_string(MOST_FORMS) + " forms";
        codes.push_back(language.code);
    }
    if (!is_language_code(program.source_code))
        return excerpt(program.source_code) + " is no language code: letters, digits, '_', '-', '@' and '.'";
    for (std::size_t i = program.sources_chosen ? 0 : 1; i < codes.size(); ++i)
        for (std::size_t j = i + 1; j < codes.size(); ++j)
            if (language_constant(codes[i]) == language_constant(codes[j]))
                return "languages " + codes[i] + " and " + codes[j] + " are one name in C, " +
                       language_constant(codes[i]);
    return "";
}

}  // namespace

bool is_language_code(const std::string &code)
{
    return !code.empty() && code.size() <= MOST_CODE_LENGTH &&
           std::all_of(code.begin(), code.end(), [](char c) {
               return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
                      c == '-' || c == '@' || c == '.';
           });
}

std::string message_pointer(std::size_t offset)
{
    return "(ui_message_texts + " + std::to_string(offset) + ")";
}

std::optional<message_tables> make_message_tables(const table_program &program, std::string &error)
{
    std::vector<std::string> codes;
    if (error = check_limits(program, codes); !error.empty())
        return std::nullopt;
    message_tables tables;
    shape s;
    s.messages = program.messages.size();
    s.singular = static_cast<std::size_t>(
        std::find_if(program.messages.begin(), program.messages.end(),
                     [](const table_message &message) { return message.plural.has_value(); }) -
        program.messages.begin());
    s.first_language = program.sources_chosen ? 0 : 1;
    s.languages = codes.size() - s.first_language;
    s.looks_up = !program.languages.empty() && s.messages != 0;
    s.plurals = s.looks_up && s.singular < s.messages;

    std::vector<language_part> parts;
    tables.sizes.resize(codes.size());
    parts.push_back(source_part(program, tables, tables.sizes[0]));
    s.source_bytes = parts[0].texts.size();
    tables.sizes[0].bytes = parts[0].texts.size();
    std::size_t total = parts[0].texts.size(), narrow = 0, wide = 0;
    for (std::size_t l = 0; l < program.languages.size(); ++l) {
        const table_language &language = program.languages[l];
        language_size &size = tables.sizes[l + 1];
        language_part part = catalog_part(program, language, size);
        part.first = total;
        total += part.texts.size();
        size.bytes += part.texts.size();
        size.wide = part.wide;
        std::size_t &entries = part.wide ? wide : narrow;
        part.index = entries;
        entries += part.entries.size();
        const auto formula = std::find(s.formulas.begin(), s.formulas.end(), language.rule);
        part.formula = static_cast<std::size_t>(formula - s.formulas.begin());
        if (formula == s.formulas.end())
            s.formulas.push_back(language.rule);
        parts.push_back(std::move(part));
    }
    if (total > UINT32_MAX) {
        error = std::to_string(total) + " bytes of texts: the tables take at most " + std::to_string(UINT32_MAX);
        return std::nullopt;
    }
    s.narrow = s.looks_up && narrow != 0;
    s.wide = s.looks_up && wide != 0;
    for (std::size_t l = 0; l < codes.size(); ++l) {
        language_size &size = tables.sizes[l];
        size.code = codes[l];
        size.messages = s.messages;
        size.bytes += DESCRIPTOR_BYTES;
        keep_largest(size);
    }
    tables.header = header_file(codes, s.first_language);
    tables.source = source_file(parts, codes, program, s, total);
    return tables;
}
