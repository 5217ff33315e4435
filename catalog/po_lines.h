// Where each message of a catalog stands. libgettextpo reads a catalog but
// tells no message's line, which is where msgfmt names a message's faults
// (the line of its msgstr); this finds it from the catalog's layout, read as
// gettext's own lexer reads it: its keywords, its strings and their escapes,
// line splices, obsolete entries (#~), domains, and the characters of the
// charset its header names, whose second byte may be a backslash (BIG5's 許
// is B3 5C). Nothing of what the strings mean.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

// The domain of the messages before any "domain" line, as gettext names it.
constexpr char DEFAULT_DOMAIN[] = "messages";

// How msgstr_lines names a message: its domain, its msgctxt if it has one,
// and its msgid, each as the catalog has it (escapes resolved, in the
// catalog's charset, up to a NUL, as gettext keeps them).
std::string message_key(std::string_view domain, std::optional<std::string_view> context, std::string_view msgid);

// The line of the msgstr (or first msgstr[N]) of the first definition of
// each message, obsolete ones too, as msgfmt names a message. Lines count
// from 1, each ended by a line feed, as gettext counts them. Any bytes are
// taken, in time linear in their number: what is no PO file gives a
// partial index or none.
std::unordered_map<std::string, std::size_t> msgstr_lines(std::string_view catalog);
