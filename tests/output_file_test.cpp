// Files written beside their names, watched through fsync: the test defines it
// in place of the C library's, so that it can see a write and interrupt it.
#include <fcntl.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <filesystem>

#include "messages/messages.h"
#include "output_file/output_file.h"
#include "tool_inputs.h"

namespace {

struct sync_seen {
    int fd;
    bool final_name_taken;  // whether the file's final name held it already
};
std::vector<sync_seen> syncs;
std::string final_name;  // the file whose name the hook watches
int signal_on_sync = 0;

}  // namespace

extern "C" int fsync(int fd)
{
    syncs.push_back({fd, std::filesystem::exists(final_name)});
    if (signal_on_sync != 0)
        std::raise(signal_on_sync);
    return static_cast<int>(syscall(SYS_fsync, fd));
}

namespace {

// Runs the body in a child process and returns its wait status.
template <typename Body> int in_child(Body body)
{
    const pid_t child = fork();
    if (child == 0)
        _exit(body());
    int status = -1;
    waitpid(child, &status, 0);
    return status;
}

}  // namespace

struct WriteOutputFiles : ToolInputs {
    std::vector<output_file> two_files() const
    {
        return {{file("a"), {'n', 'e', 'w', ' ', 'a'}}, {file("b"), {'n', 'e', 'w', ' ', 'b'}}};
    }
};

TEST_F(WriteOutputFiles, SyncsEachFileBeforeItTakesItsName)
{
    final_name = file("b");
    syncs.clear();
    ASSERT_FALSE(write_output_files(two_files()));
    ASSERT_EQ(syncs.size(), 2u);
    EXPECT_FALSE(syncs[1].final_name_taken);
    EXPECT_EQ(read("a"), "new a");
    EXPECT_EQ(read("b"), "new b");
    EXPECT_EQ(run("ls -A").out, "8x12.fnt\na\nb\nkoi.bin\n");
}

TEST_F(WriteOutputFiles, NeverWritesOnAClosedStandardStream)
{
    constexpr int FAILED = 255, LEFT_OPEN = 254;
    const int status = in_child([&] {
        close(STDIN_FILENO);
        close(STDOUT_FILENO);
        close(STDERR_FILENO);
        syncs.clear();
        if (write_output_files(two_files()) || syncs.empty())
            return FAILED;
        for (const int stream : {STDIN_FILENO, STDOUT_FILENO, STDERR_FILENO})
            if (fcntl(stream, F_GETFD) != -1)
                return LEFT_OPEN;
        return syncs.front().fd;
    });
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_GT(WEXITSTATUS(status), STDERR_FILENO);
    EXPECT_LT(WEXITSTATUS(status), LEFT_OPEN);
    EXPECT_EQ(read("a"), "new a");
}

TEST_F(WriteOutputFiles, WritesAsOftenAsAsked)
{
    for (int time = 1; time <= 6; ++time)
        ASSERT_FALSE(write_output_files(two_files())) << "time " << time;
}

TEST_F(WriteOutputFiles, LeavesNothingHalfDone)
{
    write("a", {'o', 'l', 'd'});
    // The second file cannot be made, for want of its directory: the first
    // does not take its name either.
    const auto failure = write_output_files({{file("a"), {'n'}}, {file("no/b"), {'n'}}});
    ASSERT_TRUE(failure);
    EXPECT_EQ(failure->file, file("no"));
    EXPECT_EQ(failure->reason, "No such file or directory");
    // The second cannot take its name: the first, a new file, goes away again.
    ASSERT_EQ(run("mkdir d").status, 0);
    const auto onto_dir = write_output_files({{file("new"), {'n'}}, {file("d"), {'n'}}});
    ASSERT_TRUE(onto_dir);
    EXPECT_EQ(onto_dir->reason, "Is a directory");
    // A loop of links is the system's to name, and stays a loop.
    ASSERT_EQ(run("ln -s loop loop").status, 0);
    const auto looped = write_output_files({{file("loop"), {'n'}}});
    ASSERT_TRUE(looped);
    EXPECT_EQ(looped->reason, "Too many levels of symbolic links");
    EXPECT_EQ(run("readlink loop").out, "loop\n");
    ASSERT_EQ(run("rm loop").status, 0);

    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        const int status = in_child([&] {
            signal_on_sync = signal;
            write_output_files(two_files());
            return 0;
        });
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal) << "signal " << signal;
    }
    EXPECT_EQ(read("a"), "old");
    EXPECT_EQ(run("ls -A").out, "8x12.fnt\na\nd\nkoi.bin\n");
}

// A call that failed without saying why is named as an input/output error, never "Success".
TEST(ErrorText, NamesAFailureWithoutAReasonAsAnInputOutputError)
{
    EXPECT_EQ(error_text(0), std::strerror(EIO));
    EXPECT_EQ(error_text(EPERM), std::strerror(EPERM));
    EXPECT_EQ(error_text(ENOSPC), std::strerror(ENOSPC));
}
