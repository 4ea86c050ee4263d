// The asset generator is reproducible: two runs write the same bytes, and
// those bytes are the ones committed under data/ and levels/.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>

#include "tests/assets/assets_fixtures.h"

namespace fs = std::filesystem;

namespace {

std::map<std::string, std::string> read_tree(const fs::path& root)
{
    std::map<std::string, std::string> out;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        if (!entry.is_regular_file())
            continue;
        std::ifstream in(entry.path(), std::ios::binary);
        std::stringstream bytes;
        bytes << in.rdbuf();
        out[fs::relative(entry.path(), root).string()] = bytes.str();
    }
    return out;
}

}  // namespace

TEST(AssetGenerator, two_runs_write_identical_files_equal_to_the_committed_ones)
{
    const std::string tool = TUMBRELIX_BINARY_DIR "/tumbrelix-assets";
    ASSERT_TRUE(fs::exists(tool)) << "build the tumbrelix-assets target first";
    char first_template[] = "/tmp/tumbrelix-assets-a-XXXXXX", second_template[] = "/tmp/tumbrelix-assets-b-XXXXXX";
    ASSERT_NE(mkdtemp(first_template), nullptr);
    ASSERT_NE(mkdtemp(second_template), nullptr);
    fs::path first = first_template, second = second_template;
    // Both runs at once: the music takes a few seconds to render and encode.
    std::string command = "'" + tool + "' " + first.string() + " & p=$!; '" + tool + "' " + second.string() +
                          " || exit 1; wait $p";
    ASSERT_EQ(std::system(command.c_str()), 0);
    std::map<std::string, std::string> a = read_tree(first), b = read_tree(second);
    EXPECT_GT(a.size(), 100u);
    ASSERT_EQ(a.size(), b.size());
    for (const auto& [name, bytes] : a) {
        ASSERT_TRUE(b.count(name)) << name;
        EXPECT_TRUE(b[name] == bytes) << name << " differs between two runs";
        std::ifstream committed(name, std::ios::binary);
        std::stringstream c;
        c << committed.rdbuf();
        EXPECT_TRUE(c.str() == bytes) << name << " is not what the generator writes: run scripts/assets";
    }
    fs::remove_all(first);
    fs::remove_all(second);
}
