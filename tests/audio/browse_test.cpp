// Directory walking on a temporary tree: dots, directory tests, paths at each depth, closing.
#include <sys/stat.h>

#include <map>
#include <set>

#include "audio/browse.h"
#include "tests/audio/audio_fixture.h"

using namespace audio_test;

namespace {

struct BrowseTree : ::testing::Test {
    TempDir dir;
    void SetUp() override
    {
        ASSERT_EQ(0, mkdir((dir / "sub").c_str(), 0700));
        ASSERT_EQ(0, mkdir((dir / "sub/deeper").c_str(), 0700));
        ASSERT_TRUE(write_file(dir / "file.txt", "x"));
        ASSERT_TRUE(write_file(dir / "sub/deeper/leaf", "x"));
    }
    // Every entry of the top level as name -> IsDir(true), IsDir(false).
    static std::map<std::string, std::pair<bool, bool>> entries(Browse& browse)
    {
        std::map<std::string, std::pair<bool, bool>> seen;
        while (browse.Next())
            seen[browse.GetFile()] = {browse.IsDir(true), browse.IsDir(false)};
        return seen;
    }
};

TEST_F(BrowseTree, with_no_level_open_the_path_is_empty_and_full_is_the_file)
{
    Browse browse;
    EXPECT_EQ("", browse.GetPath());
    EXPECT_EQ(browse.GetFile(), browse.GetFull());
    EXPECT_FALSE(browse.Next());
    EXPECT_FALSE(browse.Close());
    EXPECT_FALSE(browse.IsDir(true));
}

TEST_F(BrowseTree, dots_are_directories_only_when_dots_are_asked_for)
{
    Browse browse;
    ASSERT_TRUE(browse.Open(dir.path));
    auto seen = entries(browse);
    ASSERT_EQ(4u, seen.size());
    EXPECT_EQ(std::make_pair(true, false), seen["."]);
    EXPECT_EQ(std::make_pair(true, false), seen[".."]);
    EXPECT_EQ(std::make_pair(true, true), seen["sub"]);
    EXPECT_EQ(std::make_pair(false, false), seen["file.txt"]);
    EXPECT_FALSE(browse.Next()); // an exhausted level keeps saying so
}

TEST_F(BrowseTree, paths_grow_by_one_level_name_and_slash_per_open)
{
    Browse browse;
    ASSERT_TRUE(browse.Open(dir.path));
    EXPECT_EQ(dir.path + "/", browse.GetPath());
    ASSERT_TRUE(browse.Open("sub"));
    EXPECT_EQ(dir.path + "/sub/", browse.GetPath());
    ASSERT_TRUE(browse.Open("deeper"));
    EXPECT_EQ(dir.path + "/sub/deeper/", browse.GetPath());
    std::set<std::string> full;
    std::string last;
    while (browse.Next()) {
        full.insert(browse.GetFull());
        last = browse.GetFile();
    }
    EXPECT_TRUE(full.count(dir.path + "/sub/deeper/leaf"));
    EXPECT_TRUE(browse.Close());
    EXPECT_EQ(dir.path + "/sub/", browse.GetPath());
    EXPECT_EQ(last, browse.GetFile()); // the last entry outlives its level
}

TEST_F(BrowseTree, a_missing_directory_or_a_file_leaves_the_state_unchanged)
{
    Browse browse;
    ASSERT_TRUE(browse.Open(dir.path));
    ASSERT_TRUE(browse.Next());
    std::string file = browse.GetFile();
    EXPECT_FALSE(browse.Open("no_such_dir"));
    EXPECT_FALSE(browse.Open("file.txt"));
    EXPECT_FALSE(browse.Open(""));
    EXPECT_EQ(dir.path + "/", browse.GetPath());
    EXPECT_EQ(file, browse.GetFile());
    EXPECT_TRUE(browse.Close());
    EXPECT_FALSE(browse.Close());
}

TEST_F(BrowseTree, a_depth_first_walk_finds_every_entry_below_the_root)
{
    Browse browse;
    ASSERT_TRUE(browse.Open(dir.path));
    std::set<std::string> found;
    for (;;) {
        if (browse.Next()) {
            if (!browse.IsDir(true))
                found.insert(browse.GetFull());
            if (browse.IsDir(false))
                browse.Open(browse.GetFile());
        } else if (!browse.Close() || browse.GetPath().empty()) {
            break;
        }
    }
    EXPECT_EQ((std::set<std::string>{dir / "file.txt", dir / "sub/deeper/leaf"}), found);
}

TEST_F(BrowseTree, the_destructor_closes_every_open_level)
{
    auto open_fds = [] {
        Browse fds;
        int count = 0;
        if (fds.Open("/proc/self/fd"))
            while (fds.Next())
                count++;
        return count;
    };
    int before = open_fds();
    {
        Browse browse;
        ASSERT_TRUE(browse.Open(dir.path));
        ASSERT_TRUE(browse.Open("sub"));
        ASSERT_TRUE(browse.Open("deeper"));
        EXPECT_EQ(before + 3, open_fds());
    }
    EXPECT_EQ(before, open_fds());
}

} // namespace
