// What the asset tests share: the level pack's map files.
#pragma once

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "level/reader.h"
#include "tests/support/test_support.h"

using namespace test_support;

// Every map file of the pack, sorted.
inline std::vector<std::string> asset_levels()
{
    std::vector<std::string> out;
    for (const auto& entry : std::filesystem::directory_iterator("levels"))
        if (entry.path().extension() == ".map")
            out.push_back(entry.path().string());
    std::sort(out.begin(), out.end());
    return out;
}
