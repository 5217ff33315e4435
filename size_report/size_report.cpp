#include "size_report/size_report.h"

namespace {

std::string counted(std::size_t count, const char *thing)
{
    return std::to_string(count) + " " + thing + (count == 1 ? "" : "s");
}

}  // namespace

std::string size_report(const std::vector<language_size> &sizes)
{
    std::string report;
    std::size_t total = 0;
    for (const language_size &size : sizes) {
        report += size.code + ": " + counted(size.messages, "message") + ", " + counted(size.bytes, "byte");
        if (size.untranslated != 0)
            report += ", " + std::to_string(size.untranslated) + " untranslated";
        if (size.wide)
            report += ", 32-bit index";
        report += "\n";
        total += size.bytes;
    }
    return report + "total: " + counted(sizes.size(), "language") + ", " + counted(total, "byte") + "\n";
}

std::string budget_excess(const language_size &size, std::size_t budget)
{
    if (size.bytes <= budget)
        return "";
    return size.code + ": " + counted(size.bytes, "byte") + ", over the budget of " + std::to_string(budget);
}
