// Reading what the command line names: a pack folder with or without its pack
// file, one map file, and the one line a level author gets for each mistake.
#include "shell/pack.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "tests/support/test_support.h"

namespace {

using namespace test_support;

struct pack_case {
    const char* given;     // appended to the folder's path
    const char* list;      // the pack file, or null for none
    const char* expected;  // "path=name" per level, or the message; F stands for the folder
};

TEST(pack_read, lists_the_levels_in_order_or_names_the_file_line_and_problem)
{
    const pack_case cases[] = {
        {"", "# order\n\nb.map  Second  \r\n  a.map\tThe First One\n",
         "F/b.map=Second F/a.map=The First One"},
        {"/", "a.map\na.map Again\n", "F/a.map=a F/a.map=Again"},
        {"", nullptr, "F/a.map=a F/b.map=b F/c d\x7F.map=c d?"},
        {"/a.map", nullptr, "F/a.map=a"},
        {"/missing.map", nullptr, "F/missing.map=missing"},
        {"/sub.map", nullptr, "F/sub.map: holds neither pack.txt nor any .map file to play"},
        {"", "# nothing yet\n\n",
         "F/pack.txt: lists no level (one a line: map file, then its name)"},
        {"", "a.map\nmissing.map Gone\n",
         "F/pack.txt:2: no map file F/missing.map (No such file or directory)"},
        {"", "sub.map\n", "F/pack.txt:1: F/sub.map is not a map file"},
        {"", "a.map Caf\xC3\xA9\n",
         "F/pack.txt:1: the name holds a character the font cannot show (byte 0xC3)"},
        {"", "a.map Thirty-three characters, one too many\n",
         "F/pack.txt:1: the name is longer than 32 characters"},
        {"", "a.map A\x01\n", "F/pack.txt:1: control character (byte 0x01)"},
        {"", "a.map\nnotes.txt\n",
         "F/notes.txt:1: the world needs LIMITS with four numbers (left, right, bottom, top)"},
    };
    for (const pack_case& row : cases) {
        SCOPED_TRACE(row.list ? row.list : row.given);
        TempDir folder;
        const char* map = "WORLD\n  LIMITS -10 10 -8 8\nEND\n";
        for (const char* name : {"a.map", "b.map", "c d\x7F.map", ".map"})
            folder.write(name, std::string(map));
        folder.write("notes.txt", std::string("not a level"));
        std::filesystem::create_directory(folder.file("sub.map"));
        if (row.list)
            folder.write("pack.txt", std::string(row.list));

        s_pack pack = {};
        std::string error, got;
        if (pack_read(&pack, (folder.path + row.given).c_str(), &error) == 0) {
            for (const s_pack_level& level : pack.levels)
                got += (got.empty() ? "" : " ") + level.path + "=" + level.name;
            EXPECT_EQ(pack.cycles, *row.given != '/' || !row.given[1]) << "only a folder moves on";
        } else {
            got = error;
        }
        std::string expected = row.expected;
        for (size_t at = 0; (at = expected.find("F/", at)) != std::string::npos;) {
            expected.replace(at, 1, folder.path);
            at += folder.path.size();
        }
        EXPECT_EQ(got, expected);
    }
    s_pack root = {};
    std::string error;
    EXPECT_EQ(pack_read(&root, "/", &error), 1) << "the root folder keeps its one slash";
    EXPECT_EQ(error, "/: holds neither pack.txt nor any .map file to play");
}

}  // namespace
