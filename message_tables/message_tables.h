// A program's messages in every language, as tables in flash that the
// device switches at run time: one C file of freestanding C99 (valid C++)
// and its header, ui_languages.h. A message is known by its address in the
// sources' texts, where two non-zero bytes of its number stand before it
// (and PLURAL_MARK before a plural text, which no number starts with);
// each language has an entry per message into its own texts, so a lookup
// searches nothing and compares no string, and the only RAM is the current
// language's number.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "plural_forms/plural_forms.h"
#include "size_report/size_report.h"

// A message of the program, by its number: those without plural forms
// first.
struct table_message {
    std::string text;                   // in the font's codes, without its NUL
    std::optional<std::string> plural;  // a plural message's plural text, in the font's codes
};

// A language's text of a message: its forms in the font's codes (one for a
// message without plural forms), or none where it leaves it untranslated.
struct table_translation {
    std::vector<std::string> forms;
};

struct table_language {
    std::string code;  // "de"
    plural_rule rule = germanic_plural();
    std::vector<table_translation> messages;  // by number
};

struct table_program {
    std::string source_code = "en";
    std::vector<table_message> messages;
    std::vector<table_language> languages;  // the catalogs', in order
    // Whether the sources' language is one to choose (the run-time form),
    // or only what an untranslated message falls back on, the catalog's
    // language being the only one (the build-time form).
    bool sources_chosen = true;
};

// Numbers of two non-zero bytes, the first below PLURAL_MARK.
constexpr unsigned char PLURAL_MARK = 0xFF;
constexpr std::size_t MOST_MESSAGES = (PLURAL_MARK - 1) * 255;
constexpr std::size_t MOST_LANGUAGES = 255;       // the current one is a byte
constexpr plural_number MOST_FORMS = 0xFFFF;

// Whether code can name a language (in C too, made upper case): letters,
// digits, '_', '-', '@' and '.', at most MOST_CODE_LENGTH of them.
constexpr std::size_t MOST_CODE_LENGTH = 32;
bool is_language_code(const std::string &code);

struct message_tables {
    std::string header;  // ui_languages.h
    std::string source;  // ui_languages.c
    // Where each message's text, and a plural message's plural text, stands
    // among the sources' texts, by number.
    std::vector<std::size_t> offsets, plural_offsets;
    std::vector<language_size> sizes;  // the sources' language first
};

// Lays the tables out and writes them. Returns nothing, with why in error,
// for more messages, languages or plural forms than the tables number, or
// codes that are one name in C.
std::optional<message_tables> make_message_tables(const table_program &program, std::string &error);

// A message's text as the sources use it: an address constant, valid in a
// static initializer in C and C++, "(ui_message_texts + 5)".
std::string message_pointer(std::size_t offset);

// What an encoded source starts with, before its #line: the declaration of
// the array its messages point into, in C and C++.
extern const char MESSAGE_TEXTS_DECLARATION[];

// The file names the tables are written under, in their directory.
extern const char TABLES_HEADER_NAME[], TABLES_SOURCE_NAME[];
