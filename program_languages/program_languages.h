// Every language of one program: the messages its sources use, numbered
// once for the whole program, and each catalog's translations of them, each
// form checked as the device will show it (against the font's codes and the
// room of every use), laid out into the message tables.
#pragma once

#include <deque>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "message_tables/message_tables.h"
#include "ui_text/ui_text.h"

// The messages one source uses, as encode_c_source found them.
struct source_uses {
    std::string file;  // as messages name it
    const std::vector<message_use> *uses;
};

struct program_settings {
    std::string source_code = "en";
    // The run-time form: the sources' language is one to choose. Otherwise
    // the one catalog's is the only one.
    bool sources_chosen = true;
    std::optional<std::size_t> budget;  // bytes a language may add
};

// Problems named in a file: its own places, or those of another file that
// each names (a catalog, a source).
struct file_problems {
    std::string file;
    text_problems problems;
};

struct program_languages {
    std::deque<file_problems> problems;  // errors among them: nothing is to be written
    std::optional<message_tables> tables;
    std::string tables_error;  // why there are no tables, when no problem says it
    std::unordered_map<std::string, message_pointers> pointers;  // by msgid
};

// Numbers the messages of the sources (in the order of their first uses,
// those without plural forms first) and takes each catalog as a language,
// its code from its Language: header (else the file's name, with a
// warning), its plural rule from its Plural-Forms. A message a catalog
// leaves untranslated (absent, empty or fuzzy) falls back on the sources'
// text, with a warning at its first use (an error where the catalog says
// untranslated_error). Then lays the tables out, and checks each language
// against the budget.
program_languages make_program_languages(const std::vector<source_uses> &sources,
                                         const std::vector<const text_translations *> &catalogs,
                                         const text_codes &codes, const program_settings &settings);
