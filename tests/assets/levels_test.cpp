// The level pack: every map reads clean, its blocks never overlap along their paths, and a ball
// from the pad can reach every breakable one.
#include <gtest/gtest.h>

#include <filesystem>

#include "level/move.h"
#include "level/check.h"
#include "tests/support/test_support.h"

namespace {

struct s_box {
    float x0, x1, y0, y1;
    bool meets(const s_box& o) const
    {
        return x0 < o.x1 && o.x0 < x1 && y0 < o.y1 && o.y0 < y1;
    }
};

// Where a block can be at any time, or at rest: its box widened by its movements' travel.
s_box block_box(const s_block_group& g, const s_block& b, bool moving)
{
    float lo[2] = {b.origin.x, b.origin.y}, hi[2] = {b.origin.x, b.origin.y};
    for (const s_move& m : g.moves)
        for (int a = 0; a < 2 && moving && m.func != move_dummy; a++) {
            float p = m.params[0], o = a ? b.origin.y : b.origin.x;
            if (m.func == (a ? move_horizontal : move_vertical))
                continue;
            lo[a] = m.func == move_circle ? o + p - 1 : o + std::min(0.0f, p);
            hi[a] = m.func == move_circle ? o + p + 1 : o + std::max(0.0f, p);
        }
    return {lo[0] + g.sizes[0][0], hi[0] + g.sizes[0][1], lo[1] + g.sizes[1][0],
            hi[1] + g.sizes[1][1]};
}

}  // namespace

TEST(asset_levels, each_reads_clean_without_overlaps_and_every_breakable_block_in_reach)
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
        const std::vector<float>& l = map.world.limits;
        ASSERT_EQ(l.size(), 4u) << path;
        // A picture per hit the block survives, so that it cracks visibly.
        std::vector<std::pair<const s_block_group*, const s_block*>> blocks;
        for (const s_block_group& g : map.groups) {
            for (int index : g.face_indices)
                EXPECT_EQ(map.faces[index].textures.size(), (size_t)std::max(g.lives, 1)) << path;
            for (const s_block& b : g.blocks)
                blocks.push_back({&g, &b});
        }
        // Blocks of one group move in step, so only their places at rest can meet.
        for (size_t i = 0; i < blocks.size(); i++) {
            auto [g, a] = blocks[i];
            s_box box = block_box(*g, *a, true);
            EXPECT_TRUE(box.x0 >= l[0] && box.x1 <= l[1] && box.y0 >= l[2] + 3 && box.y1 <= l[3])
                << path << ": block at " << a->origin.x << ", " << a->origin.y
                << " leaves the field";
            for (size_t j = i + 1; j < blocks.size(); j++)
                EXPECT_FALSE(block_box(*g, *a, g != blocks[j].first)
                                 .meets(block_box(*blocks[j].first, *blocks[j].second,
                                                  g != blocks[j].first)))
                    << path << ": blocks at " << a->origin.x << ", " << a->origin.y << " and "
                    << blocks[j].second->origin.x << ", " << blocks[j].second->origin.y;
        }
        // Ball centres on a grid of 0.1 reachable from above the pad, the ball's unit box clear of
        // the limits and of every unbreakable block wherever it moves.
        const float cell = 0.1f;
        int nx = (int)((l[1] - l[0]) / cell), ny = (int)((l[3] - l[2]) / cell);
        auto ball = [&](int i, int j, float half) {
            float x = l[0] + i * cell, y = l[2] + j * cell;
            return s_box{x - half, x + half, y - half, y + half};
        };
        auto free_at = [&](int i, int j) {
            s_box b = ball(i, j, 0.5f);
            bool inside = i >= 0 && j >= 0 && i < nx && j < ny && b.x0 >= l[0] && b.x1 <= l[1] &&
                          b.y1 <= l[3];
            return inside && std::none_of(blocks.begin(), blocks.end(), [&](auto& w) {
                       return w.first->lives <= 0 && block_box(*w.first, *w.second, true).meets(b);
                   });
        };
        std::vector<u8> seen((size_t)nx * ny, 0);
        std::vector<std::pair<int, int>> todo = {{nx / 2, (int)(1 / cell)}};
        while (!todo.empty()) {
            auto [i, j] = todo.back();
            todo.pop_back();
            if (!free_at(i, j) || seen[(size_t)j * nx + i])
                continue;
            seen[(size_t)j * nx + i] = 1;
            todo.insert(todo.end(), {{i + 1, j}, {i - 1, j}, {i, j + 1}, {i, j - 1}});
        }
        // Reached when a ball centre comes within half a ball of it; a broken one lets balls on.
        for (auto [g, b] : blocks) {
            bool reached = g->lives <= 0;
            for (size_t k = 0; k < seen.size() && !reached; k++)
                reached = seen[k] &&
                          ball((int)(k % nx), (int)(k / nx), 0.55f).meets(block_box(*g, *b, false));
            EXPECT_TRUE(reached) << path << ": block at " << b->origin.x << ", " << b->origin.y;
        }
    }
}
