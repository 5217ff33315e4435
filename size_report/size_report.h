// What each language adds to a program's read-only data, as its message
// tables lay it out, and the report of it: one line a language, then the
// whole.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

// Its costliest messages a language's size names, to say what to shorten.
constexpr std::size_t LARGEST_NAMED = 3;

struct language_size {
    std::string code;  // "de"
    std::size_t messages = 0, untranslated = 0;
    std::size_t bytes = 0;  // its texts, its index entries and its descriptor
    bool wide = false;      // its index entries take 32 bits
    struct message_cost {
        std::size_t message;  // by number
        std::size_t bytes;    // the texts it alone stores, and its index entries
    };
    std::vector<message_cost> largest;  // at most LARGEST_NAMED, largest first
};

// "de: 14 messages, 340 bytes, 2 untranslated" (", 32-bit index" where it
// is wide), a line each, then "total: 3 languages, 1041 bytes".
std::string size_report(const std::vector<language_size> &sizes);

// "de: 5012 bytes, over the budget of 4096" for a language over budget;
// an empty text for one within it.
std::string budget_excess(const language_size &size, std::size_t budget);
