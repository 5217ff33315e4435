// libFuzzer target: the record of sets beside a pair, on any bytes. It never
// reads outside them, a problem's line is one of theirs, and a record taken
// names its table set.
#include <algorithm>
#include <cstdlib>
#include <string_view>

#include "set_record/set_record.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char *>(data), size);
    set_record record;
    const auto problem = parse_record(text, recode_table{}, record);
    const auto lines = static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')) + 1;
    if ((problem && problem->line > lines) || (!problem && record.table_set.empty()))
        std::abort();
    return 0;
}
