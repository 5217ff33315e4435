#include "font_import/set_suggestion.h"

#include "font_import/slots.h"

namespace {

// The single-byte sets tried, those with ASCII in their lower half, as
// glibc's iconv names them; a set the C library lacks is passed over.
constexpr const char *CANDIDATES[] = {
    "ASCII",      "ISO-8859-1",  "ISO-8859-2",  "ISO-8859-3",  "ISO-8859-4",  "ISO-8859-5",  "ISO-8859-6",
    "ISO-8859-7", "ISO-8859-8",  "ISO-8859-9",  "ISO-8859-10", "ISO-8859-11", "ISO-8859-13", "ISO-8859-14",
    "ISO-8859-15", "ISO-8859-16", "CP1250",     "CP1251",      "CP1252",      "CP1253",      "CP1254",
    "CP1255",     "CP1256",      "CP1257",      "CP1258",      "KOI8-R",      "KOI8-U",      "KOI8-RU",
    "KOI8-T",     "CP437",       "CP737",       "CP775",       "CP850",       "CP852",       "CP855",
    "CP857",      "CP858",       "CP860",       "CP861",       "CP862",       "CP863",       "CP864",
    "CP865",      "CP866",       "CP869",       "CP874",       "CP1125",      "MACINTOSH",   "MAC-CENTRALEUROPE",
    "MAC-CYRILLIC", "MAC-UK",    "ARMSCII-8",   "GEORGIAN-PS", "PT154",       "RK1048",      "MIK",
    "TIS-620",    "VISCII",      "HP-ROMAN8"};

}  // namespace

std::optional<set_suggestion> suggest_table_set(const std::vector<char32_t> &characters,
                                                const std::set<std::uint8_t> &unavailable,
                                                const charset_table &glyph_order,
                                                const std::function<bool(char32_t)> &font_has)
{
    std::optional<set_suggestion> best;
    std::size_t best_held = 0;
    for (const char *name : CANDIDATES) {
        charset_table set;
        if (!load_charset(name, set).empty())
            continue;
        std::size_t held = 0;
        for (const char32_t c : characters)
            held += set_code(c, set) ? 1U : 0U;
        std::size_t free = 0;
        for (const std::uint8_t code : free_codes(set))
            free += unavailable.count(code) == 0 ? 1U : 0U;
        if (characters.size() - held > free || (best && held <= best_held))
            continue;
        const slot_plan plan = plan_slots(glyph_order, set, font_has);
        best = set_suggestion{name, plan.spares_needed > plan.spares_free};
        best_held = held;
    }
    return best;
}
