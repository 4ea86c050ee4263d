// The asset generator is reproducible and its output is what is committed: the
// committed files came from an earlier run, so one fresh run equal to them proves both.
#include <gtest/gtest.h>

#include <cstdlib>

#include "tests/assets/assets_fixtures.h"

namespace fs = std::filesystem;

TEST(asset_generator, a_fresh_run_writes_exactly_the_committed_files)
{
    const std::string tool = TUMBRELIX_BINARY_DIR "/tumbrelix-assets";
    ASSERT_TRUE(fs::exists(tool)) << "build the tumbrelix-assets target first";
    TempDir out;
    ASSERT_EQ(std::system(("'" + tool + "' " + out.path).c_str()), 0);
    size_t count = 0;
    for (const auto& entry : fs::recursive_directory_iterator(out.path)) {
        if (!entry.is_regular_file())
            continue;
        std::string committed = fs::relative(entry.path(), out.path).string();
        EXPECT_TRUE(read_file(entry.path()) == read_file(committed))
            << committed << " is not what the generator writes: run scripts/assets";
        count++;
    }
    EXPECT_GT(count, 100u);
}
