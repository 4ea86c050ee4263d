// Shared lists and helpers of the asset tests: the files the game loads by fixed path.
#pragma once

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/test_support.h"

using namespace test_support;

static const char* const ASSET_SPRITES[] = {
    "data/pad.png", "data/ball_heavy.png", "data/ball_light.png", "data/ball_normal.png",
    "data/bonus_ball_oneshot.png", "data/bonus_ball_split.png", "data/bonus_ball_traverse.png",
    "data/bonus_ball_type_heavy.png", "data/bonus_ball_type_light.png", "data/bonus_pad_dec.png",
    "data/bonus_pad_inc.png", "data/particle.bmp", "data/font_texture_00.bmp",
};

static const char* const ASSET_SOUNDS[] = {
    "pad_ball", "pad_load", "pad_release", "ball_block_destroy", "ball_block_hit", "ball_block_unbreakable",
    "ball_pad", "ball_wall", "bonus_loot", "bonus_take_ball_oneshot", "bonus_take_ball_split",
    "bonus_take_ball_traverse", "bonus_take_ball_weight_heavy", "bonus_take_ball_weight_light",
    "bonus_take_pad_dec", "bonus_take_pad_inc",
};

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
