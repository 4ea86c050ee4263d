// Directory walking: what counts as a directory, the paths of a walk's levels, closing.
#include <unistd.h>

#include <filesystem>
#include <map>

#include "audio/browse.h"
#include "tests/audio/audio_fixture.h"

using namespace audio_test;

TEST(browse, a_walk_sees_every_entry_with_its_path_and_what_it_is_and_closes_what_it_opened)
{
    TempDir dir;
    std::filesystem::create_directories(dir.file("sub/deeper"));
    // A link counts as what it points to.
    ASSERT_TRUE(write_file(dir.file("file"), "x") &&
                symlink("sub/deeper", dir.file("to_dir").c_str()) == 0 &&
                symlink("file", dir.file("to_file").c_str()) == 0 &&
                symlink("nowhere", dir.file("dangling").c_str()) == 0);
    auto open_files = [] {
        auto fds = std::filesystem::directory_iterator("/proc/self/fd");
        return std::distance(begin(fds), end(fds));
    };
    auto before = open_files();
    std::map<std::string, std::pair<bool, bool>> seen;  // full name: IsDir(true), IsDir(false)
    {
        Browse browse;
        EXPECT_TRUE(!browse.Next() && !browse.Close() && !browse.IsDir(true) && !browse.Open(""));
        ASSERT_TRUE(browse.Open(dir.path));
        // Depth first, into every directory but the dots, until the top level is closed.
        for (;;) {
            if (browse.Next()) {
                seen[browse.GetFull()] = {browse.IsDir(true), browse.IsDir(false)};
                if (browse.IsDir(false))
                    browse.Open(browse.GetFile());
            } else if (!browse.Close() || browse.GetPath().empty()) {
                break;
            }
        }
        ASSERT_TRUE(browse.Open(dir.path) && browse.Open("sub") && !browse.Open("none"));
        EXPECT_EQ(open_files(), before + 2);
    }
    EXPECT_EQ(open_files(), before);
    std::map<std::string, std::pair<bool, bool>> expected;
    for (std::string d : {"sub", "sub/deeper", "to_dir"})
        expected[dir.file(d)] = {true, true};
    for (std::string f : {"file", "to_file", "dangling"})
        expected[dir.file(f)] = {false, false};
    for (std::string d : {"", "sub/", "sub/deeper/", "to_dir/"})
        expected[dir.file(d) + "."] = expected[dir.file(d) + ".."] = {true, false};
    EXPECT_EQ(expected, seen);
}
