// The bytes of a font file: mapped when it is a plain file, so that only
// what is read costs anything; read into memory when it is a pipe or a
// device; unpacked into memory when it is gzip'd.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// What a font may take in memory: far above any font this tool can use,
// yet a bound on what a pipe or a gzip'd file may make us hold.
constexpr std::size_t MAX_FONT_FILE_BYTES = std::size_t{64} << 20;

struct font_file {
    font_file() = default;
    ~font_file();
    font_file(const font_file &) = delete;
    font_file &operator=(const font_file &) = delete;

    // Returns why the file cannot be read, or an empty text. STANDARD_STREAM
    // reads standard input.
    std::string open(const std::string &path);

    const std::uint8_t *data = nullptr;
    std::size_t size = 0;

private:
    void *mapped_ = nullptr;
    std::size_t mapped_size_ = 0;
    std::vector<std::uint8_t> held_;  // read or unpacked
};
