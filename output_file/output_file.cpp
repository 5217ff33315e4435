#include "output_file/output_file.h"

#include "messages/messages.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <set>

namespace {

constexpr std::size_t MAX_STAGED = 4;
// SIGXFSZ too: by default a file size limit kills the writer mid-file.
constexpr int CLEANUP_SIGNALS[] = {SIGINT, SIGTERM, SIGHUP, SIGXFSZ};
// Short, so that any final name the file system takes leaves room for it.
constexpr char TEMP_PREFIX[] = ".tmp-";
constexpr std::size_t TEMP_SUFFIX_LENGTH = 6;
constexpr int CREATE_ATTEMPTS = 100;
constexpr mode_t CREATE_MODE = 0666;  // less the umask, as a plain create
constexpr mode_t PERMISSION_BITS = 0777;
constexpr int MOST_LINKS = 40;  // as Linux follows them, before ELOOP

// The temporary files that exist now, for the signal handler: fixed arrays,
// since it may only do what is async-signal-safe.
char staged_names[MAX_STAGED][PATH_MAX];
volatile std::sig_atomic_t staged_in_use[MAX_STAGED];

extern "C" void remove_staged_and_die(int signal)
{
    for (std::size_t i = 0; i < MAX_STAGED; ++i)
        if (staged_in_use[i])
            unlink(staged_names[i]);
    // The handler was reset on entry: this is the default death by the signal.
    raise(signal);
}

// Keeps the cleanup signals out while the list of temporary files changes.
class signals_held {
public:
    signals_held()
    {
        sigset_t held;
        sigemptyset(&held);
        for (const int signal : CLEANUP_SIGNALS)
            sigaddset(&held, signal);
        sigprocmask(SIG_BLOCK, &held, &saved_);
    }
    ~signals_held() { sigprocmask(SIG_SETMASK, &saved_, nullptr); }
    signals_held(const signals_held &) = delete;
    signals_held &operator=(const signals_held &) = delete;

private:
    sigset_t saved_;
};

void install_cleanup_handlers()
{
    static bool installed = false;
    if (installed)
        return;
    installed = true;
    for (const int signal : CLEANUP_SIGNALS) {
        struct sigaction action {};
        sigaction(signal, nullptr, &action);
        if (action.sa_handler == SIG_IGN)  // e.g. under nohup: stay immune
            continue;
        action.sa_handler = remove_staged_and_die;
        sigemptyset(&action.sa_mask);
        action.sa_flags = static_cast<int>(SA_RESETHAND);  // a flag, not a count
        sigaction(signal, &action, nullptr);
    }
}

// How a temporary file took its final name, which says how to undo it.
enum class placement {
    none,       // not yet
    created,    // nothing was there
    exchanged,  // the old file now has the temporary name
    replaced,   // the old file is gone
};

// A temporary file: its name, its final name, and its slot in the handler's list.
struct staged {
    std::string temp;
    std::string path;
    std::size_t slot;
    bool replaces = false;  // a regular file was at path
    placement placed = placement::none;
};

std::string directory_of(const std::string &path)
{
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string random_suffix()
{
    static constexpr char LETTERS[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    static std::mt19937 generator{std::random_device{}()};
    std::uniform_int_distribution<std::size_t> pick(0, sizeof LETTERS - 2);
    std::string suffix;
    for (std::size_t i = 0; i < TEMP_SUFFIX_LENGTH; ++i)
        suffix += LETTERS[pick(generator)];
    return suffix;
}

std::size_t free_slot()
{
    for (std::size_t i = 0; i < MAX_STAGED; ++i)
        if (!staged_in_use[i])
            return i;
    return MAX_STAGED;
}

void forget(const staged &file)
{
    staged_in_use[file.slot] = 0;
}

void remove_staged(std::vector<staged> &files)
{
    const signals_held hold;
    for (const staged &file : files) {
        unlink(file.temp.c_str());
        forget(file);
    }
    files.clear();
}

// A descriptor on 0-2 would take the place of a closed standard stream, and
// whatever is later written there would land in the file.
int above_standard_streams(int fd)
{
    if (fd > STDERR_FILENO)
        return fd;
    const int moved = fcntl(fd, F_DUPFD_CLOEXEC, STDERR_FILENO + 1);
    const int error = errno;
    close(fd);
    errno = error;
    return moved;
}

// Creates the temporary file and lists it for the handler in one step, so a
// signal never finds a file that is not listed. mkstemp would make it 0600,
// and learning the umask means changing it, so the name is made here and the
// kernel applies the umask as it does to any create.
int create_beside(const std::string &path, mode_t mode, bool replaces, std::vector<staged> &files)
{
    const std::string prefix = directory_of(path) + "/" + TEMP_PREFIX;
    if (prefix.size() + TEMP_SUFFIX_LENGTH >= PATH_MAX) {
        errno = ENAMETOOLONG;
        return -1;
    }
    for (int attempt = 0; attempt < CREATE_ATTEMPTS; ++attempt) {
        const std::string temp = prefix + random_suffix();
        const signals_held hold;
        const std::size_t slot = free_slot();
        if (slot == MAX_STAGED) {
            errno = EMFILE;
            return -1;
        }
        const int fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (fd >= 0) {
            std::memcpy(staged_names[slot], temp.c_str(), temp.size() + 1);
            staged_in_use[slot] = 1;
            files.push_back({temp, path, slot, replaces});
            return fd;
        }
        if (errno != EEXIST)
            return -1;
    }
    return -1;
}

bool write_all(int fd, const file_bytes &content)
{
    std::size_t done = 0;
    while (done < content.size()) {
        const ssize_t written = write(fd, content.data() + done, content.size() - done);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        done += static_cast<std::size_t>(written);
    }
    return true;
}

// Writes, then closes; returns errno of the first step that failed, or 0.
int write_and_close(int fd, const file_bytes &content, bool (*finish)(int fd))
{
    if (fd >= 0)
        fd = above_standard_streams(fd);
    if (fd < 0)
        return errno;
    const bool written = write_all(fd, content) && finish(fd);
    const int error = written ? 0 : errno;
    if (close(fd) != 0 && written)
        return errno;
    return error;
}

// The file that path names, through its symbolic links: what is written
// there replaces the link's target, not the link, as cp writes through it.
// A loop is left for stat to name (ELOOP).
std::string through_links(const std::string &path)
{
    std::string at = path;
    for (int hops = 0; hops < MOST_LINKS; ++hops) {
        struct stat status {};
        if (lstat(at.c_str(), &status) != 0 || !S_ISLNK(status.st_mode))
            return at;
        char target[PATH_MAX];
        const ssize_t length = readlink(at.c_str(), target, sizeof target);
        if (length <= 0 || static_cast<std::size_t>(length) == sizeof target)
            return at;
        const std::string name(target, static_cast<std::size_t>(length));
        at = name[0] == '/' ? name : directory_of(at) + "/" + name;
    }
    return at;
}

std::optional<output_failure> failed(const std::string &file, int error)
{
    if (error == 0)
        return std::nullopt;
    return output_failure{file, error_text(error)};
}

// Writes the file beside path; a directory that refuses the new file is
// named as what failed.
std::optional<output_failure> stage(const output_file &file, const std::string &path,
                                    const struct stat &target, bool replaces, std::vector<staged> &files)
{
    const mode_t mode = replaces ? target.st_mode & PERMISSION_BITS : CREATE_MODE;
    errno = 0;
    const int fd = create_beside(path, mode, replaces, files);
    if (fd < 0)
        return failed(directory_of(path), errno);
    // The umask may have taken bits the replaced file had.
    if (replaces && fchmod(fd, mode) != 0) {
        const int error = errno;
        close(fd);
        return failed(file.path, error);
    }
    return failed(file.path, write_and_close(fd, file.content, [](int synced) { return fsync(synced) == 0; }));
}

// A pipe or a device is written as it is: a rename would put a plain file in
// its place, even of /dev/null.
std::optional<output_failure> write_in_place(const output_file &file, const std::string &path)
{
    errno = 0;
    return failed(file.path, write_and_close(open(path.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC), file.content,
                                             [](int) { return true; }));
}

std::optional<output_failure> write_one(const output_file &file, std::vector<staged> &files)
{
    const std::string path = through_links(file.path);
    struct stat target {};
    if (stat(path.c_str(), &target) != 0) {
        // Something there that cannot be followed (a loop of links) is the
        // system's to name; where nothing is, the file is made.
        const int error = errno;
        struct stat link {};
        if (lstat(path.c_str(), &link) == 0)
            return failed(file.path, error);
        return stage(file, path, target, false, files);
    }
    if (S_ISREG(target.st_mode) || S_ISDIR(target.st_mode))  // a directory fails the rename
        return stage(file, path, target, S_ISREG(target.st_mode), files);
    return write_in_place(file, path);
}

// Puts a temporary file at its final name. A file it replaces is swapped
// with it rather than overwritten, so that one more swap undoes it. A file
// system without the swap (EINVAL) gets a plain rename, after which the old
// file cannot come back.
int put_in_place(staged &file)
{
    if (file.replaces) {
        if (renameat2(AT_FDCWD, file.temp.c_str(), AT_FDCWD, file.path.c_str(), RENAME_EXCHANGE) == 0) {
            file.placed = placement::exchanged;
            return 0;
        }
        if (errno != EINVAL && errno != ENOENT)  // ENOENT: it went away meanwhile
            return errno;
    }
    if (std::rename(file.temp.c_str(), file.path.c_str()) != 0)
        return errno;
    file.placed = file.replaces ? placement::replaced : placement::created;
    return 0;
}

// Puts back what was at the final name; the new file goes back to its
// temporary name, for remove_staged.
void take_back(const staged &file)
{
    if (file.placed == placement::exchanged)
        renameat2(AT_FDCWD, file.temp.c_str(), AT_FDCWD, file.path.c_str(), RENAME_EXCHANGE);
    else if (file.placed == placement::created)
        std::rename(file.path.c_str(), file.temp.c_str());
}

// An advisory lock on each directory the files go into, so that two writers
// of one directory never mix their files. Where a directory cannot be locked
// (not readable, a file system without flock), the files go in unlocked.
class directories_locked {
public:
    explicit directories_locked(const std::vector<staged> &files)
    {
        std::set<std::string> directories;  // in one order, so two writers cannot deadlock
        for (const staged &file : files)
            directories.insert(directory_of(file.path));
        for (const std::string &directory : directories) {
            const int fd = open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
            if (fd < 0)
                continue;
            while (flock(fd, LOCK_EX) != 0 && errno == EINTR) {
            }
            fds_.push_back(fd);
        }
    }
    ~directories_locked()
    {
        for (const int fd : fds_)
            close(fd);  // which releases the lock
    }
    directories_locked(const directories_locked &) = delete;
    directories_locked &operator=(const directories_locked &) = delete;

private:
    std::vector<int> fds_;
};

// Gives every file its final name, or none of them. The lock is taken
// first, so that a wait for it can be interrupted; from the first rename to
// the last, and through any undoing, the cleanup signals wait.
std::optional<output_failure> commit(std::vector<staged> &temps)
{
    const directories_locked lock(temps);
    const signals_held hold;
    for (std::size_t i = 0; i < temps.size(); ++i)
        if (const int error = put_in_place(temps[i]); error != 0) {
            const output_failure failure{temps[i].path, error_text(error)};
            for (std::size_t undone = i; undone-- > 0;)
                take_back(temps[undone]);
            remove_staged(temps);
            return failure;
        }
    for (const staged &file : temps) {
        if (file.placed == placement::exchanged)
            unlink(file.temp.c_str());  // the old file
        forget(file);
    }
    return std::nullopt;
}

}  // namespace

std::optional<output_failure> write_output_files(const std::vector<output_file> &files)
{
    install_cleanup_handlers();
    std::vector<staged> temps;
    for (const output_file &file : files)
        if (auto failure = write_one(file, temps)) {
            remove_staged(temps);
            return failure;
        }
    return commit(temps);
}
