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
        ASSERT_EQ(0, mkdir(dir.file("sub").c_str(), 0700));
        ASSERT_EQ(0, mkdir(dir.file("sub/deeper").c_str(), 0700));
        ASSERT_TRUE(write_file(dir.file("file.txt"), "x"));
        ASSERT_TRUE(write_file(dir.file("sub/deeper/leaf"), "x"));
    }
};

TEST_F(BrowseTree, paths_grow_by_one_level_name_and_slash_per_open_and_shrink_per_close)
{
    Browse browse;
    EXPECT_EQ("", browse.GetPath());
    EXPECT_EQ(browse.GetFile(), browse.GetFull());
    EXPECT_FALSE(browse.Next());
    EXPECT_FALSE(browse.Close());
    EXPECT_FALSE(browse.IsDir(true));
    std::string path;
    std::set<std::string> full;
    for (std::string level : {dir.path, std::string("sub"), std::string("deeper")}) {
        SCOPED_TRACE(level);
        ASSERT_TRUE(browse.Open(level));
        path += level + "/";
        EXPECT_EQ(path, browse.GetPath());
        for (full.clear(); browse.Next();)
            full.insert(browse.GetFull());
        EXPECT_TRUE(full.count(path + ".."));
    }
    EXPECT_TRUE(full.count(dir.file("sub/deeper/leaf")));
    std::string last = browse.GetFile();
    EXPECT_TRUE(browse.Close());
    EXPECT_EQ(dir.file("sub/"), browse.GetPath());
    EXPECT_EQ(last, browse.GetFile());  // the last entry outlives its level
}

TEST_F(BrowseTree, a_missing_directory_or_a_file_leaves_the_state_unchanged)
{
    Browse browse;
    ASSERT_TRUE(browse.Open(dir.path));
    ASSERT_TRUE(browse.Next());
    std::string file = browse.GetFile();
    for (const char* name : {"no_such_dir", "file.txt", ""})
        EXPECT_FALSE(browse.Open(name)) << name;
    EXPECT_EQ(dir.path + "/", browse.GetPath());
    EXPECT_EQ(file, browse.GetFile());
    EXPECT_TRUE(browse.Close());
    EXPECT_FALSE(browse.Close());
}

TEST_F(BrowseTree, a_depth_first_walk_sees_every_entry_and_dots_are_directories_only_when_asked_for)
{
    Browse browse;
    ASSERT_TRUE(browse.Open(dir.path));
    std::map<std::string, std::pair<bool, bool>> seen;  // full name -> IsDir(true), IsDir(false)
    for (;;) {
        if (browse.Next()) {
            seen[browse.GetFull()] = {browse.IsDir(true), browse.IsDir(false)};
            if (browse.IsDir(false))
                browse.Open(browse.GetFile());
        } else if (!browse.Close() || browse.GetPath().empty()) {
            break;
        }
    }
    std::map<std::string, std::pair<bool, bool>> expected = {
        {dir.file("sub"), {true, true}},
        {dir.file("sub/deeper"), {true, true}},
        {dir.file("file.txt"), {false, false}},
        {dir.file("sub/deeper/leaf"), {false, false}}};
    for (std::string level : {"", "sub/", "sub/deeper/"})
        expected[dir.file(level) + "."] = expected[dir.file(level) + ".."] = {true, false};
    EXPECT_EQ(expected, seen);
}

TEST_F(BrowseTree, the_destructor_closes_every_open_level)
{
    auto open_fds = [] {
        Browse fds;
        int count = 0;
        for (bool open = fds.Open("/proc/self/fd"); open && fds.Next();)
            count++;
        return count;
    };
    int before = open_fds();
    {
        Browse browse;
        for (std::string level : {dir.path, std::string("sub"), std::string("deeper")})
            ASSERT_TRUE(browse.Open(level));
        EXPECT_EQ(before + 3, open_fds());
    }
    EXPECT_EQ(before, open_fds());
}

}  // namespace
