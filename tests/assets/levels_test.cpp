// The level pack: every map passes the checker (blocks inside the field, apart along their
// paths, each breakable one in a ball's reach, a texture per hit) without a finding.
#include <gtest/gtest.h>

#include <filesystem>

#include "level/check.h"
#include "tests/support/test_support.h"

TEST(asset_levels, each_passes_the_checker_without_a_finding)
{
    std::vector<std::string> levels;
    for (const auto& entry : std::filesystem::directory_iterator("levels"))
        if (entry.path().extension() == ".map")
            levels.push_back(entry.path().string());
    EXPECT_TRUE(levels.size() >= 6 &&
                std::count(levels.begin(), levels.end(), "levels/default.map"));
    for (const std::string& path : levels) {
        std::vector<s_check_note> notes;
        s_map map;
        check_level(path, map, notes);
        for (const s_check_note& n : notes)
            ADD_FAILURE() << path << ":" << n.line << ": " << n.text;
    }
}
