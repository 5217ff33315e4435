#include "font_import/font_file.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

#include <cerrno>
#include <cstring>

#include "messages/messages.h"

namespace {

constexpr std::uint8_t GZIP_MAGIC[] = {0x1f, 0x8b};
constexpr int GZIP_WINDOW_BITS = 15 + 16;  // zlib's way to say: a gzip header
constexpr std::size_t READ_CHUNK = std::size_t{1} << 16;

std::string too_large()
{
    return "larger than " + std::to_string(MAX_FONT_FILE_BYTES >> 20) + " MiB";
}

// Reads what a pipe or device gives, up to the bound.
std::string read_all(int fd, std::vector<std::uint8_t> &content)
{
    for (;;) {
        const std::size_t had = content.size();
        content.resize(had + READ_CHUNK);
        const ssize_t got = read(fd, content.data() + had, READ_CHUNK);
        content.resize(had + (got > 0 ? static_cast<std::size_t>(got) : 0));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return std::strerror(errno);
        if (got == 0)
            return "";
        if (content.size() > MAX_FONT_FILE_BYTES)
            return too_large();
    }
}

bool gzipped(const std::uint8_t *data, std::size_t size)
{
    return size >= sizeof GZIP_MAGIC && std::memcmp(data, GZIP_MAGIC, sizeof GZIP_MAGIC) == 0;
}

// Unpacks every gzip member, as gzip -d does, up to the bound.
std::string gunzip(const std::uint8_t *data, std::size_t size, std::vector<std::uint8_t> &out)
{
    z_stream stream{};
    if (inflateInit2(&stream, GZIP_WINDOW_BITS) != Z_OK)
        return "out of memory";
    stream.next_in = const_cast<Bytef *>(data);
    stream.avail_in = static_cast<uInt>(size);  // a gzip'd font is far below 4 GiB
    std::string reason;
    while (reason.empty()) {
        if (out.size() >= MAX_FONT_FILE_BYTES) {
            reason = too_large();
            break;
        }
        const std::size_t had = out.size();
        out.resize(had + READ_CHUNK);
        stream.next_out = out.data() + had;
        stream.avail_out = static_cast<uInt>(READ_CHUNK);
        const int status = inflate(&stream, Z_NO_FLUSH);
        out.resize(out.size() - stream.avail_out);
        if (status == Z_STREAM_END) {
            // Another member may follow; anything else is ignored, as gzip does.
            if (!gzipped(stream.next_in, stream.avail_in))
                break;
            inflateReset(&stream);
        } else if (status == Z_BUF_ERROR ||
                   (status == Z_OK && stream.avail_in == 0 && stream.avail_out != 0)) {
            reason = "unexpected end of file";
        } else if (status != Z_OK) {
            reason = stream.msg != nullptr ? stream.msg : "not gzip data";
        }
    }
    inflateEnd(&stream);
    return reason;
}

}  // namespace

font_file::~font_file()
{
    if (mapped_ != nullptr)
        munmap(mapped_, mapped_size_);
}

std::string font_file::open(const std::string &path)
{
    const bool standard_input = path == STANDARD_STREAM;
    const int fd = standard_input ? STDIN_FILENO : ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return std::strerror(errno);
    struct stat status {};
    std::string reason;
    if (fstat(fd, &status) != 0) {
        reason = std::strerror(errno);
    } else if (S_ISDIR(status.st_mode)) {
        reason = std::strerror(EISDIR);
    } else if (S_ISREG(status.st_mode) && status.st_size > 0) {
        mapped_size_ = static_cast<std::size_t>(status.st_size);
        void *map = mmap(nullptr, mapped_size_, PROT_READ, MAP_PRIVATE, fd, 0);
        if (map == MAP_FAILED)
            reason = std::strerror(errno);
        else
            mapped_ = map;
    } else {
        reason = read_all(fd, held_);
    }
    if (!standard_input)
        close(fd);
    if (!reason.empty())
        return reason;
    data = mapped_ != nullptr ? static_cast<const std::uint8_t *>(mapped_) : held_.data();
    size = mapped_ != nullptr ? mapped_size_ : held_.size();
    if (!gzipped(data, size))
        return "";
    std::vector<std::uint8_t> unpacked;
    reason = gunzip(data, size, unpacked);
    held_ = std::move(unpacked);
    data = held_.data();
    size = held_.size();
    return reason;
}
