// A catalog's rule for choosing a plural form, read from its Plural-Forms
// header ("nplurals=3; plural=(n%10==1 && n%100!=11 ? 0 : ...);") with
// gettext's grammar and checked as msgfmt checks it, then written as C: the
// device runs the rule, it never parses it.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// gettext computes a rule in unsigned long; msgfmt checks it in this
// host's.
using plural_number = unsigned long;

struct plural_rule {
    plural_number forms = 0;  // nplurals
    // The rule as a C expression of `unsigned long n`, every operation in
    // parentheses and in unsigned long, as gettext computes it. A division
    // by what may be 0 stores its divisor in dK (K from 1 to divisions), and
    // divides nothing where it is 0: plural_function declares them.
    std::string expression;
    std::size_t divisions = 0;

    bool operator==(const plural_rule &other) const
    {
        return forms == other.forms && expression == other.expression;
    }
};

// What reading a Plural-Forms value gives: its rule, or msgfmt's words for
// what it refuses in error; neither when the value names no "nplurals="
// or no "plural=", which gettext then does without (n != 1, two forms).
struct plural_reading {
    std::optional<plural_rule> rule;
    std::string error;
};

// Reads value as msgfmt reads a header: "nplurals=" and "plural=" wherever
// they stand, the expression up to ';', a line feed or the end, then checks
// it for n from 0 to 1000 as msgfmt --check does. An expression nested
// deeper than gettext evaluates (100 levels) is refused too. Time and memory
// are linear in the value's length.
plural_reading read_plural_forms(std::string_view value);

// For each form of the rule of a Plural-Forms value (gettext's n != 1 where
// it names none), a count it chooses that form for: the smallest from 1 to
// 1000, msgfmt's range, else 0; nothing for a form no count gets. Nothing
// at all for a value read_plural_forms refuses.
std::vector<std::optional<plural_number>> plural_examples(std::string_view value);

// gettext's rule where a catalog gives none: nplurals=2; plural=(n != 1).
plural_rule germanic_plural();

// The rule as a C99 function, valid C++ too:
//   static unsigned long NAME(unsigned long n)
// giving the form for n: the expression's value, or 0 when that is not
// below forms or the expression divides by zero (which msgfmt rules out
// up to 1000 only).
std::string plural_function(const plural_rule &rule, const std::string &name);
