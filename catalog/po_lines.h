// Where each message of a catalog stands. libgettextpo reads a catalog but
// tells no message's line, which is where msgfmt names a message's faults
// (the line of its msgstr); this finds it from the catalog's layout: its
// keywords, its strings and their escapes, nothing of what they mean.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_map>

// The line of the msgstr of each message without a msgctxt, by its msgid
// as the catalog has it (escapes resolved, in the catalog's charset);
// obsolete messages (#~) have none. Lines count from 1, each ended by a line
// feed, as gettext counts them. Any bytes are taken, in time linear in
// their number: what is no PO file gives a partial index or none.
std::unordered_map<std::string, std::size_t> msgstr_lines(std::string_view catalog);
