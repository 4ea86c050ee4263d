// Directory walking: what counts as a directory and the paths of a walk's levels.
#include <unistd.h>

#include <filesystem>
#include <map>

#include "audio/browse.h"
#include "tests/audio/audio_fixture.h"

using namespace audio_test;

TEST(browse, a_walk_sees_every_entry_with_its_path_and_what_it_is)
{
    TempDir dir;
    std::filesystem::create_directories(dir.file("sub/deeper"));
    // A link counts as what it points to.
    ASSERT_TRUE(write_file(dir.file("file"), "x") &&
                symlink("sub/deeper", dir.file("to_dir").c_str()) == 0 &&
                symlink("file", dir.file("to_file").c_str()) == 0);
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
    }
    std::map<std::string, std::pair<bool, bool>> expected;
    for (std::string d : {"sub", "sub/deeper", "to_dir"})
        expected[dir.file(d)] = {true, true};
    for (std::string f : {"file", "to_file"})
        expected[dir.file(f)] = {false, false};
    for (std::string d : {"", "sub/", "sub/deeper/", "to_dir/"})
        expected[dir.file(d) + "."] = expected[dir.file(d) + ".."] = {true, false};
    EXPECT_EQ(expected, seen);
}
