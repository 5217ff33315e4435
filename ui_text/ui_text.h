// UI text put into a font's 8-bit codes and checked against it and against
// the screen: a C or C++ source, whose ordinary narrow string and character
// literals are encoded, or any other text, which is encoded whole.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "charset/text_codes.h"
#include "ui_text/translations.h"

// Room on the display, in the font's 8x12 cells: columns and lines; 0 for
// no bound.
struct text_room {
    std::size_t columns = 0, lines = 0;
};

// The room of a display of width x height pixels, or nothing when it has
// not one whole cell.
std::optional<text_room> screen_room(std::size_t width, std::size_t height);

// A message as a C or C++ source uses it: the first argument of a
// keyword's call, with a plural keyword's second argument, its plural.
struct message_use {
    std::string id;                        // its msgid, as xgettext takes it
    std::optional<std::string> plural_id;  // its msgid_plural
    std::string codes, plural_codes;       // their texts in the font's codes
    text_place place, plural_place;        // the opening quotes of their first literals
    // The rooms their strings must fit, from their fit: notes or the
    // screen; nothing for no bound.
    std::optional<text_room> room, plural_room;
};

// The messages of the tables that hold every language (see
// encode_c_source), and how each is written once the tables are laid out:
// its text, and a plural message's plural text, as the address of the
// sources' text in them.
struct message_pointers {
    std::string text, plural;
};
struct source_messages {
    std::vector<message_use> found;  // each use, in the source's order
    // By msgid; while there are none, messages are only found.
    const std::unordered_map<std::string, message_pointers> *pointers = nullptr;
    std::string declaration;  // what the pointers need, written before the #line
};

// What every string must fit, unless a fit: note gives it its own room;
// whether to keep the codes of the strings, to draw them; the keywords that
// mark messages in a C or C++ source, and the translations they are written
// in, if any, or the messages of the tables, if any (when both are given,
// the translations take the messages without plural forms); and with
// missing, a character without a code is no problem but put there at its
// first place.
struct missing_characters {
    std::map<char32_t, text_place> in_text;
    std::map<char32_t, std::size_t> in_catalog;  // by the line of the translation
    // And the codes escapes and control characters write, which the pair
    // must keep free.
    std::map<std::uint8_t, text_place> codes_in_text;
    std::map<std::uint8_t, std::size_t> codes_in_catalog;
};
struct text_rules {
    std::optional<text_room> screen;
    bool keep_strings = false;
    std::vector<message_keyword> keywords;
    const text_translations *translations = nullptr;
    source_messages *messages = nullptr;
    missing_characters *missing = nullptr;
};

// A code the display shows, or nothing where a character has none.
using text_cell = std::optional<std::uint8_t>;

// A string of the text as the display gets it: in a C or C++ source an
// encoded literal with the literals it joins, in any other text a line.
struct ui_string {
    text_place place;           // the opening quote of its first piece
    std::size_t end_line = 0;   // where its last piece ends
    std::size_t width = 0;      // in codes, of its widest line
    std::size_t lines = 1;      // split at the line feed code; a last one opens no line
    std::optional<text_room> room;  // its fit: note's, or the screen's
    bool shown = true;              // not with fit: none
    // Where its translation stands in the catalog, when it is written
    // translated (0: not known); what does not fit is named there.
    std::optional<std::size_t> catalog_line;
    // The message use whose room it gives, if any (its plural's, with
    // plural_use).
    std::optional<std::size_t> use;
    bool plural_use = false;
    std::vector<std::vector<text_cell>> cells;  // its lines, when kept

    // Counts a code in, or a character that has none (nothing).
    void add(text_cell cell, bool keep)
    {
        if (after_line_feed_ || keep)
            open_line(keep);
        if (cell == LINE_FEED_CODE) {  // it ends a line; what follows, if anything, opens one
            after_line_feed_ = true;
            return;
        }
        width = std::max(width, ++current_);
        if (keep)
            cells.back().push_back(cell);
    }
    // Counts codes in, none of them the line feed, as add would each.
    void add_codes(std::string_view codes, bool keep)
    {
        if (codes.empty())
            return;
        if (after_line_feed_ || keep)
            open_line(keep);
        current_ += codes.size();
        width = std::max(width, current_);
        if (keep)
            for (const char code : codes)
                cells.back().push_back(static_cast<std::uint8_t>(code));
    }

private:
    static constexpr std::uint8_t LINE_FEED_CODE = 0x0A;
    void open_line(bool keep);
    std::size_t current_ = 0;  // codes on the line being counted
    bool after_line_feed_ = false;
};

struct encoded_text {
    std::string bytes;  // meant to be written only when there is no error
    text_problems problems;
    std::vector<ui_string> strings;
};

// Whether a file is a C or C++ source by its extension: any that CMake
// compiles as C or C++ (.c .C .cc .cpp .cxx .c++ .CPP .cppm .ixx ...), their
// headers (.h .H .hh .hpp .hxx .h++ .inl .txx ...) and Arduino's .ino.
bool is_c_source(const std::string &path);

// What --language names: "c" a C or C++ source (true), "text" any other
// text (false); nothing for another name.
std::optional<bool> language_named(const std::string &name);

// Encodes the contents of the ordinary narrow literals ("..." and '...',
// raw strings R"d(...)d" too) and copies everything else byte for byte:
// comments, header names, identifiers, literals with a u8, u, U or L prefix
// and those they join, and the strings of static_assert, _Pragma, asm and
// attributes. The source is read as the compiler reads it: line splices are
// gone first, and CR, LF and CR LF end lines. Each encoded byte that is not
// printable ASCII is written as a three-digit octal escape, so that no
// escape before it grows. The output starts with #line 1 "name" and keeps
// every line where it was.
//
// Each string must fit the room its fit: note gives (a comment starting on
// the line where the string ends: "fit: 16", "fit: 16x2" or "fit: none"),
// else the screen of the rules; codes written by escapes are checked
// against the font like characters.
//
// With translations or messages in the rules, a string literal (with
// those it joins) that is the first argument of a keyword's call, _("...")
// say, is a message, and with a plural keyword (ui_ntext("...", "...", n))
// so is its second argument, the message's plural. Its msgid is its text
// with escapes resolved, as xgettext takes it.
//
// With translations, a message without plural forms is written as the
// catalog's translation of its msgid, all of it in the first literal and
// the others left empty, so that lines stay; the translation is checked as
// the string would be, against the string's room, and its faults are named
// at its line in the catalog. A message with no translation, or a fuzzy
// one, stays as it is, with a warning (an error with untranslated_error);
// of one with plural forms in the catalog, the first form is taken.
//
// With messages, each other message is encoded and checked as any string,
// and its use noted in found, with its codes and its rooms; once pointers
// are given, it is written as its pointer instead, in the first literal,
// the others gone but for their line ends, and the declaration goes before
// the #line. A plural keyword's call whose second argument is no string
// literal is an error.
encoded_text encode_c_source(std::string_view source, const std::string &name, const text_codes &codes,
                             const text_rules &rules = {});

// Encodes every character but the line ends (CR, LF, CR LF), which are
// kept; each line must be no wider than the screen of the rules.
encoded_text encode_plain_text(std::string_view text, const text_codes &codes, const text_rules &rules = {});

// A character a text uses that has no code, or a code an escape or a
// control character writes, and its first place: in the text, or (file
// named) at the line of a translation in its catalog.
struct needed_character {
    char32_t c;
    text_place place;
    std::string file;
};
struct written_code {
    std::uint8_t code;
    text_place place;
    std::string file;
};

// What a pair made for a text must give it: the characters of its UI text
// (in a C or C++ source, the literals encode_c_source encodes, its messages
// as the translations give them, every plural form, if any, marked by
// keywords; in any other
// text, all of it) that the codes give none, and the codes its escapes and
// control characters write, each in the order of their first places. What
// else is wrong with the text, as encoding it would say, goes to errors
// (warnings, such as an untranslated message, do not).
struct text_needs {
    std::vector<needed_character> characters;
    std::vector<written_code> codes;
};
text_needs needs_of_text(std::string_view text, bool c_source, const text_codes &codes,
                         const text_translations *translations, const std::vector<message_keyword> &keywords,
                         text_problems &errors);

// A catalog's language: its Language: header, else its file's name without
// its directories and extension (po/de.po is de).
std::string catalog_language(const text_translations &translations);

// Why translations leave the message id untranslated ("not in de.po",
// "fuzzy in de.po:12", "empty in de.po:12", and for a message with plural
// forms, "no plural forms in de.po:12"), or an empty text where they
// translate it.
std::string untranslated_why(const text_translations &translations, const std::string &id, bool plural);

// "untranslated: not in de.po; kept as it is", for a message why says is
// untranslated; without what is done about it where it is an error.
std::string untranslated_note(const std::string &why, bool error);

// A translation, text in UTF-8, in the font's codes (a character without a
// code has none); its problems are named at its line in the catalog. With
// missing, a character without a code, and a code a control character
// writes, are no problem but noted there, at that line.
std::string encode_translation(const std::string &text, const text_codes &codes, const std::string &catalog,
                               std::size_t line, text_problems &problems, missing_characters *missing = nullptr);

// Checks each form that translations give a message with plural forms of
// uses (as encode_c_source notes them) as encode_translation does, and
// against the rooms of its singular and plural there, with the faults
// msgfmt -c finds in it; a message the catalog leaves untranslated, or
// gives no plural forms, has none. Each message once.
void translate_plural_forms(const std::vector<message_use> &uses, const text_codes &codes,
                            const text_translations &translations, text_problems &problems,
                            missing_characters *missing = nullptr);

// What does not fit when codes are a string in room (nothing: no bound):
// "15 columns, 9 fit", "3 lines, 2 fit", as a source's string is told.
std::vector<std::string> fit_faults(std::string_view codes, const std::optional<text_room> &room);

// The room a fit: note gives, from what follows "fit:" to the end of its
// line of the comment: N columns, NxR columns and lines, or no bound at all
// for "none", which sets `none` too, with nothing else but blanks. Returns
// nothing, with why in error, for anything else.
std::optional<text_room> read_fit_note(std::string_view note, bool &none, std::string &error);

// A fit: note, from a comment that starts on the line where the strings it
// is for end.
struct fit_note {
    text_place place;               // of "fit:"
    std::size_t line;               // where its comment starts
    std::optional<text_room> room;  // nothing: fit: none
};

// Checks the strings of a text as its reading goes on, a line at a time:
// each string gets the room of the note on the line where it ends, else the
// screen's, and each that does not fit its room is noted at its place, as
// is a note no string ends beside. Only what the check needs of the strings
// of lines not yet settled is held (and, to draw them, the strings are kept
// in the text's), so that memory grows with a line, not with the text.
class fit_checker {
public:
    fit_checker(const text_rules &rules, encoded_text &out) : rules_(rules), out_(out) {}

    // A new string, after those opened before; it is the one counted until
    // the next is opened.
    ui_string &open(const text_place &place);
    void note(const fit_note &note) { notes_.push_back(note); }
    // Checks the strings that have ended, with the notes of the lines before
    // `line`, where the reading now is: the last string too, unless it goes on.
    void settle(std::size_t line, bool last_goes_on);
    void finish() { settle(SIZE_MAX, false); }

private:
    // What the check needs of a string that has ended.
    struct ended_string {
        std::uint32_t line, column, end_line, width, lines;
        std::uint32_t catalog_line;  // of a translation, or 0
        std::uint32_t use;           // of a message, or NO_USE
        bool plural_use;
    };
    static constexpr std::uint32_t NO_USE = UINT32_MAX;
    void end_current();
    void check(const ended_string &string, const std::optional<text_room> &room);

    const text_rules &rules_;
    encoded_text &out_;
    ui_string current_;
    bool current_open_ = false;
    std::deque<ended_string> ended_;          // those that may not fit
    std::vector<std::uint32_t> ended_lines_;  // where each string ended, each line once
    std::vector<ui_string> kept_;  // the same strings, whole, to draw them
    std::vector<fit_note> notes_;
};
