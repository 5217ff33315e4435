// The translations a source's marked strings are written in, as a gettext
// catalog gives them: plain data, so that the scanner needs no catalog
// library to be built, tested or fuzzed.
#pragma once

#include <cstddef>
#include <string>
#include <unordered_map>
#include <vector>

#include "charset/text_codes.h"

// A catalog's entry for one message.
struct translation {
    std::string text;      // its msgstr (its first form), in UTF-8; empty when it has none
    std::size_t line = 0;  // of its msgstr in the catalog, where msgfmt names its faults; 0: not known
    bool fuzzy = false;
    bool plural = false;  // it has a msgid_plural: forms chosen by a count
    std::vector<text_problem> faults{};  // what msgfmt -c finds wrong with it, in the catalog
    std::vector<std::string> forms{};    // a plural message's msgstr[0], msgstr[1]..., in UTF-8
};

struct text_translations {
    std::string catalog;  // the catalog's name, for messages
    std::unordered_map<std::string, translation> messages;  // by msgid, in UTF-8; none with a msgctxt
    std::string language;      // its header's Language:, empty where it has none
    std::string plural_forms;  // its header's Plural-Forms:, empty where it has none
    std::size_t header_line = 0;  // of the header's msgstr, where msgfmt names its faults
    bool untranslated_error = false;  // a message the catalog does not translate is an error, not a warning
};

// A function whose first argument, a string literal, is a message: as
// xgettext's --keyword=NAME, or with plural forms NAME:1,2, whose second
// argument is the message's plural.
struct message_keyword {
    std::string name;
    bool plural = false;

    bool operator==(const message_keyword &other) const { return name == other.name && plural == other.plural; }
};
