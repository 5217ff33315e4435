// libFuzzer target: the record of sets beside a pair, on any bytes. It never
// reads outside them, a problem's line is one of theirs, a record taken
// names its table set, and what is taken is written again as a record that
// reads back the same.
#include <algorithm>
#include <cstdlib>
#include <string_view>

#include "set_record/set_record.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char *>(data), size);
    const source_font font{};
    const recode_table table{};
    set_record record;
    charset_table set;
    const auto problem = read_record_text(text, font, table, record, set);
    const auto lines = static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')) + 1;
    if ((problem && problem->line > lines) || (!problem && record.table_set.empty()))
        std::abort();
    if (problem)
        return 0;
    set_record again;
    if (read_record_text(record_text(record, font, table), font, table, again, set) ||
        again.characters != record.characters || again.table_set != record.table_set)
        std::abort();
    return 0;
}
