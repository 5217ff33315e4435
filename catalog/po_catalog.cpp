// Catalogs read with libgettextpo, as msgfmt reads and checks them.
#include <gettext-po.h>
#include <iconv.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <map>
#include <memory>
#include <optional>
#include <type_traits>

#include "catalog/catalog.h"
#include "catalog/po_lines.h"
#include "messages/messages.h"

namespace {

constexpr char UTF8[] = "UTF-8";
constexpr char CONTENT_TYPE[] = "Content-Type", LANGUAGE[] = "Language", PLURAL_FORMS[] = "Plural-Forms";
constexpr std::string_view CHARSET_MARK = "charset=";
constexpr std::string_view UNNAMED_CHARSET = "CHARSET";  // in a template, before a translator names one
constexpr std::size_t NO_PLACE = static_cast<std::size_t>(-1);  // libgettextpo's

// What libgettextpo says of a catalog while it reads or checks it.
struct complaint {
    po_message_t message;  // the message it is about, or nothing
    std::size_t line, column;  // 0 where it names none
    std::string what;
};

// libgettextpo's handlers take no argument of ours: the complaints of the
// reading under way go here.
std::vector<complaint> *heard = nullptr;

void hear(int severity, po_message_t message, const char *file, std::size_t line, std::size_t column,
          const char *text)
{
    // A warning (a header field msginit fills in, say) changes nothing the
    // device shows. libgettextpo asks a handler not to return from a fatal
    // error; it names one only once it has read the whole catalog ("found 1
    // fatal error"), so returning just ends the reading.
    if (severity == PO_SEVERITY_WARNING)
        return;
    std::string what = text;
    while (!what.empty() && what.back() == '\n')
        what.pop_back();
    for (char &c : what)
        c = c == '\n' ? ' ' : c;
    const bool placed = file != nullptr && line != NO_PLACE;
    heard->push_back({message, placed ? line : 0, placed && column != NO_PLACE ? column : 0, what});
}

void hear_one(int severity, po_message_t message, const char *file, std::size_t line, std::size_t column, int,
              const char *text)
{
    hear(severity, message, file, line, column, text);
}

void hear_two(int severity, po_message_t message1, const char *file1, std::size_t line1, std::size_t column1,
              int, const char *text1, po_message_t message2, const char *file2, std::size_t line2,
              std::size_t column2, int, const char *text2)
{
    hear(severity, message1, file1, line1, column1, text1);
    hear(severity, message2, file2, line2, column2, text2);
}

const po_xerror_handler HANDLER = {hear_one, hear_two};

// Runs libgettextpo with its complaints going to the list given.
class listening {
public:
    explicit listening(std::vector<complaint> &complaints) { heard = &complaints; }
    ~listening() { heard = nullptr; }
    listening(const listening &) = delete;
    listening &operator=(const listening &) = delete;
};

struct po_file_deleter {
    void operator()(po_file_t file) const { po_file_free(file); }
};
using owned_po_file = std::unique_ptr<po_file, po_file_deleter>;

// A file holding the catalog's bytes, for libgettextpo, which reads a file
// by its name: so that it reads the very bytes the lines were found in,
// whatever the catalog is (a pipe too), and never fails to read them.
class memory_file {
public:
    explicit memory_file(std::string_view content) : fd_(memfd_create("catalog", MFD_CLOEXEC))
    {
        for (std::size_t written = 0; fd_ >= 0 && written < content.size();) {
            const ssize_t done = write(fd_, content.data() + written, content.size() - written);
            if (done < 0 && errno == EINTR)
                continue;
            if (done <= 0) {
                error_ = errno;
                close(fd_);
                fd_ = -1;
                return;
            }
            written += static_cast<std::size_t>(done);
        }
        if (fd_ < 0 && error_ == 0)
            error_ = errno;
    }
    ~memory_file()
    {
        if (fd_ >= 0)
            close(fd_);
    }
    memory_file(const memory_file &) = delete;
    memory_file &operator=(const memory_file &) = delete;

    bool made() const { return fd_ >= 0; }
    int error() const { return error_; }
    std::string name() const { return "/proc/self/fd/" + std::to_string(fd_); }

private:
    int fd_;
    int error_ = 0;
};

// A field of the catalog's header, or an empty text where it has none.
std::string header_field(po_file_t file, const char *name)
{
    // A copy of the header, which the caller frees, though it is const.
    const char *const header = po_file_domain_header(file, nullptr);
    if (header == nullptr)
        return "";
    char *const value = po_header_field(header, name);
    std::free(const_cast<char *>(header));
    if (value == nullptr)
        return "";
    std::string field(value);
    std::free(value);
    return field;
}

// The charset the catalog's header names, or an empty text when it names
// none.
std::string header_charset(po_file_t file)
{
    const std::string field = header_field(file, CONTENT_TYPE);
    std::string charset;
    if (const std::size_t mark = field.find(CHARSET_MARK); mark != std::string::npos) {
        const std::string name = field.substr(mark + CHARSET_MARK.size());
        charset = name.substr(0, name.find_first_of(" \t;"));
    }
    return charset == UNNAMED_CHARSET ? "" : charset;
}

// Text of the catalog's charset in UTF-8, through iconv; as it is for a
// catalog in UTF-8, or one that names no charset.
class to_utf8 {
public:
    explicit to_utf8(const std::string &charset)
    {
        if (!charset.empty() && !same_charset(charset, UTF8))
            converter_ = iconv_open(UTF8, charset.c_str());
    }
    ~to_utf8()
    {
        if (converter_ != NONE && converter_ != FAILED)
            iconv_close(converter_);
    }
    to_utf8(const to_utf8 &) = delete;
    to_utf8 &operator=(const to_utf8 &) = delete;

    bool opened() const { return converter_ != FAILED; }
    // The text in UTF-8, or nothing when it is not text of the charset.
    std::optional<std::string> operator()(const char *text) const
    {
        if (converter_ == NONE)
            return std::string(text);
        iconv(converter_, nullptr, nullptr, nullptr, nullptr);
        const std::string_view in(text);
        std::string out(in.size() * MOST_GROWTH + 1, '\0');
        char *in_at = const_cast<char *>(in.data()), *out_at = out.data();
        std::size_t in_left = in.size(), out_left = out.size();
        if (iconv(converter_, &in_at, &in_left, &out_at, &out_left) == static_cast<std::size_t>(-1) ||
            iconv(converter_, nullptr, nullptr, &out_at, &out_left) == static_cast<std::size_t>(-1))
            return std::nullopt;
        out.resize(out.size() - out_left);
        return out;
    }

private:
    static constexpr std::size_t MOST_GROWTH = 4;  // UTF-8 bytes of one byte of any charset, at most
    static inline const iconv_t NONE = nullptr, FAILED = reinterpret_cast<iconv_t>(-1);
    static bool same_charset(const std::string &a, const char *b)
    {
        return a.size() == std::char_traits<char>::length(b) &&
               std::equal(a.begin(), a.end(), b, [](char x, char y) { return (x | 0x20) == (y | 0x20); });
    }
    iconv_t converter_ = NONE;
};

}  // namespace

bool catalogs_available()
{
    return true;
}

bool read_catalog(const std::string &name, std::string_view content, text_translations &translations,
                  text_problems &problems, std::string &failure)
{
    const memory_file copy(content);
    if (!copy.made()) {
        failure = error_text(copy.error());
        return false;
    }
    std::vector<complaint> complaints;
    const listening to(complaints);
    const owned_po_file file(po_file_read(copy.name().c_str(), &HANDLER));
    if (!file) {
        failure = "libgettextpo cannot open its copy: " + error_text(errno);
        return false;
    }
    const std::unordered_map<std::string, std::size_t> lines = msgstr_lines(content);
    const auto line_of = [&lines](po_message_t message) -> std::size_t {
        if (message == nullptr || po_message_msgctxt(message) != nullptr)
            return 0;
        const auto found = lines.find(po_message_msgid(message));
        return found == lines.end() ? 0 : found->second;
    };
    // At the place libgettextpo names, else at its message's.
    const auto problem_of = [&line_of, &name](const complaint &said) -> text_problem {
        if (said.line != 0)
            return {said.line, said.column, said.what, false, name};
        return {line_of(said.message), 0, said.what, false, name};
    };
    // What msgfmt refuses a catalog for: a syntax error, a message defined twice.
    for (const complaint &said : complaints)
        problems.add(problem_of(said));
    if (!complaints.empty())
        return false;

    const std::string charset = header_charset(file.get());
    const to_utf8 convert(charset);
    if (!convert.opened()) {
        failure = "charset " + quote(charset) + " is not one iconv knows";
        return false;
    }
    translations.catalog = name;
    translations.language = header_field(file.get(), LANGUAGE);
    translations.plural_forms = header_field(file.get(), PLURAL_FORMS);
    if (const auto header_line = lines.find(""); header_line != lines.end())
        translations.header_line = header_line->second;
    std::map<po_message_t, translation *> entries;
    po_message_t header = nullptr;
    const std::unique_ptr<std::remove_pointer_t<po_message_iterator_t>, void (*)(po_message_iterator_t)> messages(
        po_message_iterator(file.get(), nullptr), po_message_iterator_free);
    while (const po_message_t message = po_next_message(messages.get())) {
        const char *const msgid = po_message_msgid(message);
        if (po_message_is_obsolete(message) || po_message_msgctxt(message) != nullptr)
            continue;
        if (*msgid == '\0') {  // the header's
            header = message;
            continue;
        }
        const std::optional<std::string> id = convert(msgid);
        if (!id)
            continue;  // no source's text: nothing asks for it
        translation &entry = translations.messages[*id];
        entry.line = line_of(message);
        entry.fuzzy = po_message_is_fuzzy(message) != 0;
        entry.plural = po_message_msgid_plural(message) != nullptr;
        bool text_of_charset = true;
        if (const std::optional<std::string> text = convert(po_message_msgstr(message)))
            entry.text = *text;
        else
            text_of_charset = false;
        for (int form = 0; entry.plural && po_message_msgstr_plural(message, form) != nullptr; ++form) {
            const std::optional<std::string> text = convert(po_message_msgstr_plural(message, form));
            entry.forms.push_back(text.value_or(""));
            text_of_charset = text_of_charset && text.has_value();
        }
        if (!text_of_charset)
            entry.faults.push_back({entry.line, 0, "not " + charset + " text, as the header says", false, name});
        entries.emplace(message, &entry);
    }
    // What msgfmt --check finds wrong with a message (printf conversions
    // that differ from its msgid's, a line end at one end only) is named
    // where a source uses it; what it finds wrong with the catalog (its
    // header's plural forms) refuses it, as msgfmt does.
    complaints.clear();
    po_file_check_all(file.get(), &HANDLER);
    for (const complaint &said : complaints) {
        if (said.message == nullptr || said.message == header)
            problems.add(problem_of(said));
        else if (const auto entry = entries.find(said.message); entry != entries.end())
            entry->second->faults.push_back(problem_of(said));
    }
    return problems.errors == 0;
}
