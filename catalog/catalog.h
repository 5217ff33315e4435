// Gettext catalogs (.po), read with gettext's own library, libgettextpo,
// into the plain translations that font_text and font_sheet write a source's
// marked strings in; and the command-line options that name them.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "charset/text_codes.h"
#include "ui_text/translations.h"

// Whether this build reads catalogs: it needs libgettextpo.
bool catalogs_available();

// Takes program's --catalog argument into catalogs, after those given
// before, where this build reads catalogs, and returns an empty text; else
// returns that it was built without libgettextpo.
std::string take_catalog_option(const char *program, const char *argument, std::vector<std::string> &catalogs);

// Takes --source-language's argument, the code of the sources' language,
// into language and returns an empty text, or returns why it is no code.
std::string take_source_language_option(const char *argument, std::optional<std::string> &language);

// Reads a catalog named name, whose bytes are content, as msgfmt reads it,
// in the charset its header names, into translations: each message without
// a msgctxt, in UTF-8, with the line of its msgstr, its plural forms and
// the faults msgfmt --check finds in it; and its header's Language: and
// Plural-Forms:, with the header's line. Returns false with what makes
// msgfmt refuse the catalog in problems (a syntax error, at its line: the
// first few, after which the reading stops, as msgfmt's does), or with why
// it cannot be read at all in failure. The bytes are let go of once read,
// so that a catalog of megabytes is not held twice.
bool read_catalog(const std::string &name, std::string content, text_translations &translations,
                  text_problems &problems, std::string &failure);

// The keywords that mark messages, as xgettext's --keyword takes them: _,
// N_ and ui_ntext:1,2, and each NAME given (or NAME:1, whose first argument
// is the message too, or NAME:1,2, whose second is its plural); after a
// --keyword without NAME, only those given.
class keyword_option {
public:
    // Takes one --keyword: argument is NAME, or nothing for --keyword
    // alone. Returns what is wrong with it, or an empty text.
    std::string take(const char *argument);
    std::vector<message_keyword> keywords() const;

private:
    std::vector<message_keyword> given_;
    bool defaults_ = true;
};

// Reads the catalog file at path into translations, reporting what is wrong
// with it as "PROGRAM: de.po:12: reason"; returns whether it can be used.
bool load_catalog_reported(const char *program, const std::string &path, text_translations &translations);
