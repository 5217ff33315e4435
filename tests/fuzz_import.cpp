// libFuzzer target: the whole import, from the bytes of a font file to the
// two inputs of make_h, with the project's code instrumented; the bytes are
// the UI text the pair is made for too. Whatever the bytes, it gives reasons
// or a font and table; it never crashes.
#include <sys/mman.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "font_import/importer.h"

namespace {

// The importer reads a file by its name: this one lives in memory.
int memory_file()
{
    static const int fd = memfd_create("font", MFD_CLOEXEC);
    return fd;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const int fd = memory_file();
    if (fd < 0 || ftruncate(fd, 0) != 0 ||
        pwrite(fd, data, size, 0) != static_cast<ssize_t>(size))
        std::abort();
    import_options options;
    options.font_path = "/proc/self/fd/" + std::to_string(fd);
    // The same bytes as UI text: whatever characters they hold want codes.
    options.texts.push_back({"ui.c", std::string(reinterpret_cast<const char *>(data), size), true});
    imported_font result;
    if (import_font(options, result).empty() && result.warnings.size() > 2 * GLYPH_COUNT)
        std::abort();  // a warning per character shown, and no more
    return 0;
}
