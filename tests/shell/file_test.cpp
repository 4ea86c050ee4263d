// Files from the player are checked before they are read; files the game keeps
// are replaced whole, even when the writer is killed half-way.
#include "shell/file.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "tests/support/test_support.h"

namespace {

using namespace test_support;

struct check_case {
    const char* path;      // F stands for the folder: small.txt, exact.txt, big.txt, fifo, sub/
    int kinds;             // FILE_ bits accepted
    const char* expected;  // "ok N bytes", or the message after "PATH: "
};

TEST(file_read, takes_a_regular_file_within_its_cap_and_names_anything_else)
{
    const check_case cases[] = {
        {"F/small.txt", FILE_REGULAR, "ok 5"},
        {"F/exact.txt", FILE_REGULAR, "ok 8"},
        {"F/big.txt", FILE_REGULAR, "is larger than 8 bytes"},
        {"F/fifo", FILE_REGULAR, "is not a regular file (a device, a FIFO or a socket)"},
        {"/dev/zero", FILE_REGULAR, "is not a regular file (a device, a FIFO or a socket)"},
        {"F/sub", FILE_REGULAR, "is a folder, not a file"},
        {"F/sub", FILE_FOLDER, "ok folder"},
        {"F/small.txt", FILE_FOLDER, "is a file, not a folder"},
        {"F/fifo", FILE_FOLDER, "is not a folder"},
        {"F/missing", FILE_REGULAR, "No such file or directory"},
    };
    TempDir folder;
    folder.write("small.txt", std::string("hello"));
    folder.write("exact.txt", std::string("12345678"));
    folder.write("big.txt", std::string("123456789"));
    ASSERT_EQ(mkfifo(folder.file("fifo").c_str(), 0600), 0);
    std::filesystem::create_directory(folder.file("sub"));
    for (const check_case& row : cases) {
        std::string path = row.path;
        if (path[0] == 'F')
            path = folder.path + path.substr(1);
        SCOPED_TRACE(path);
        std::string error, text = "left over", got;
        int kind = 0;
        if (file_check(path.c_str(), row.kinds, 8, &error, &kind) == 0)
            got = kind == FILE_FOLDER ? "ok folder" : "ok";
        else
            got = error;
        if (row.kinds == FILE_REGULAR && file_read(path.c_str(), 8, &text, &error) == 0) {
            EXPECT_EQ(got, "ok") << "the reader and the check agree";
            got = "ok " + std::to_string(text.size());
        } else if (row.kinds == FILE_REGULAR) {
            EXPECT_EQ(got, error) << "the reader and the check agree";
            EXPECT_EQ(text, "");
        }
        EXPECT_EQ(got, std::string(row.expected).rfind("ok", 0) == 0 ? row.expected
                                                                     : path + ": " + row.expected);
    }
}

TEST(file_read, stops_at_the_cap_on_a_file_that_reports_no_size)
{
    std::string text, error;
    // /proc files say they are empty; their bytes still count against the cap.
    EXPECT_EQ(file_read("/proc/self/maps", 16, &text, &error), 1);
    EXPECT_EQ(error, "/proc/self/maps: is larger than 16 bytes");
    // Reaching the cap exactly is not the end of the file: the bytes after it count too.
    EXPECT_EQ(file_read("/proc/self/maps", 4096, &text, &error), 1);
    EXPECT_EQ(file_read("/proc/self/maps", 1 << 24, &text, &error), 0);
    EXPECT_NE(text.find("r-"), std::string::npos);
}

TEST(file_save, a_temporary_file_in_the_way_is_never_truncated)
{
    TempDir folder;
    folder.write("a.replay.part", std::string("someone's"));
    s_file_save save;
    std::string error;
    EXPECT_EQ(file_save_open(&save, folder.file("a.replay").c_str(), ".part", &error), 1);
    EXPECT_EQ(error, folder.file("a.replay.part") + ": is in the way: move it, and try again");
    EXPECT_EQ(read_file(folder.file("a.replay.part")), "someone's");
    EXPECT_FALSE(std::filesystem::exists(folder.file("a.replay")));
}

TEST(file_write, into_a_missing_folder_says_so_and_leaves_nothing)
{
    TempDir folder;
    std::string error;
    EXPECT_EQ(file_write(folder.file("no/such.ini").c_str(), "x", &error), 1);
    EXPECT_EQ(error.rfind(folder.file("no/such.ini.tmp"), 0), 0u) << error;
    EXPECT_NE(error.find("No such file or directory"), std::string::npos);
}

// A writer killed at random moments while it replaces a file, over and over,
// must leave the old file or the new one, whole, every time.
TEST(file_write, a_writer_killed_at_any_moment_leaves_the_old_file_or_the_new)
{
    TempDir folder;
    std::string path = folder.file("settings.ini");
    const std::string versions[2] = {std::string(300000, 'a'), std::string(200000, 'b') + "\n"};
    std::string error;
    ASSERT_EQ(file_write(path.c_str(), versions[0], &error), 0) << error;
    mode_t mask = umask(0);
    umask(mask);
    struct stat info;
    EXPECT_TRUE(stat(path.c_str(), &info) == 0 && (info.st_mode & 0777) == (0644 & ~mask))
        << "readable by all, writable by its owner";
    for (int round = 0; round < 20; round++) {
        pid_t writer = fork();
        ASSERT_GE(writer, 0);
        if (writer == 0) {
            for (int i = 0;; i++)
                file_write(path.c_str(), versions[i % 2], &error);
        }
        usleep(1000 + 1500 * round);
        kill(writer, SIGKILL);
        int status = 0;
        waitpid(writer, &status, 0);
        std::string got = read_file(path);
        EXPECT_TRUE(got == versions[0] || got == versions[1])
            << "round " << round << ": " << got.size() << " bytes";
    }
}

}  // namespace
