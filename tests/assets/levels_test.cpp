// The level pack: every map reads cleanly, has the world the game needs, and
// every breakable block can be reached by a ball; the pack shows every kind.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <set>

#include "level/reader.h"
#include "tests/assets/assets_fixtures.h"

namespace {

struct s_box {
    float x0, x1, y0, y1;
};

bool overlap(const s_box& a, const s_box& b)
{
    return a.x0 < b.x1 && b.x0 < a.x1 && a.y0 < b.y1 && b.y0 < a.y1;
}

s_map read_level(const std::string& path, std::vector<s_reader_note>* notes)
{
    s_map map;
    Reader reader(path);
    reader.setNotes(notes);
    reader.read(map);
    return map;
}

std::string kind_of(move_func f)
{
    for (int i = 0; g_mitems[i].func; i++)
        if (g_mitems[i].func == f)
            return g_mitems[i].name;
    return "";
}

std::string kind_of(shader_func f)
{
    for (int i = 0; g_items[i].func; i++)
        if (g_items[i].func == f)
            return g_items[i].name;
    return "";
}

// Where a block can be at any time: its box widened by the travel of its group's movements.
s_box swept_box(const s_block_group& g, const s_block& b)
{
    float lo[2] = {b.origin.x, b.origin.y}, hi[2] = {b.origin.x, b.origin.y};
    for (const s_move& m : g.moves) {
        std::string kind = kind_of(m.func);
        if (m.params.size() < 2 || kind == "DUMMY")
            continue;
        float p = m.params[0];
        bool axis[2] = {kind != "VERTICAL", kind != "HORIZONTAL"};
        for (int a = 0; a < 2; a++) {
            if (!axis[a])
                continue;
            float o = a == 0 ? b.origin.x : b.origin.y;
            if (kind == "CIRCLE") {
                lo[a] = o + p - 1;
                hi[a] = o + p + 1;
            } else {
                lo[a] = o + std::min(0.0f, p);
                hi[a] = o + std::max(0.0f, p);
            }
        }
    }
    return {lo[0] + g.sizes[0][0], hi[0] + g.sizes[0][1], lo[1] + g.sizes[1][0],
            hi[1] + g.sizes[1][1]};
}

}  // namespace

TEST(LevelPack, holds_six_levels_or_more_with_default_map_and_each_reads_without_a_note)
{
    std::vector<std::string> levels = asset_levels();
    EXPECT_GE(levels.size(), 6u);
    EXPECT_NE(std::find(levels.begin(), levels.end(), "levels/default.map"), levels.end());
    for (const std::string& path : levels) {
        std::vector<s_reader_note> notes;
        read_level(path, &notes);
        for (const s_reader_note& n : notes)
            ADD_FAILURE() << path << ":" << n.line << ": " << n.text;
    }
}

TEST(LevelPack, every_level_has_four_limits_walls_on_them_and_forty_solid_blocks)
{
    for (const std::string& path : asset_levels()) {
        SCOPED_TRACE(path);
        s_map map = read_level(path, nullptr);
        ASSERT_EQ(map.world.limits.size(), 4u);
        float left = map.world.limits[0], right = map.world.limits[1], top = map.world.limits[3];
        bool wall_left = false, wall_right = false, wall_top = false, background = false;
        for (int index : map.world.face_indices) {
            const s_face& f = map.faces[index];
            auto all = [&](auto pred) {
                return std::all_of(f.vertices.begin(), f.vertices.end(), pred);
            };
            wall_left |= all([&](const s_point& p) { return p.x == left; });
            wall_right |= all([&](const s_point& p) { return p.x == right; });
            wall_top |= all([&](const s_point& p) { return p.y == top; });
            background |= all([&](const s_point& p) { return p.z < -1; }) && !f.textures.empty();
        }
        EXPECT_TRUE(wall_left && wall_right && wall_top && background);
        size_t blocks = 0;
        for (const s_block_group& g : map.groups) {
            blocks += g.blocks.size();
            EXPECT_GE(g.face_count, 5) << "blocks are boxes, not cards";
            EXPECT_GT(g.sizes[2][1] - g.sizes[2][0], 0.5f);
            for (int index : g.face_indices) {
                const s_face& f = map.faces[index];
                // One picture per hit the block survives, so it cracks visibly.
                EXPECT_EQ(f.textures.size(), g.lives > 0 ? (size_t)g.lives : 1u) << f.id;
            }
        }
        EXPECT_GE(blocks, 40u);
    }
}

TEST(LevelPack, shows_every_animation_and_movement_kind_all_lives_and_several_sizes)
{
    std::set<std::string> shaders, moves;
    std::set<int> lives;
    std::set<std::pair<float, float>> sizes;
    for (const std::string& path : asset_levels()) {
        s_map map = read_level(path, nullptr);
        for (const s_face& f : map.faces)
            for (const s_shader& s : f.shaders)
                shaders.insert(kind_of(s.func));
        for (const s_block_group& g : map.groups) {
            lives.insert(g.lives > 0 ? g.lives : 0);
            for (const s_move& m : g.moves)
                moves.insert(kind_of(m.func));
        }
        sizes.insert(
            {map.world.limits[1] - map.world.limits[0], map.world.limits[3] - map.world.limits[2]});
    }
    EXPECT_EQ(shaders,
              (std::set<std::string>{"ROTATE", "SCROLL", "TURB", "WAVE", "ROTZOOM", "COLOR"}));
    EXPECT_EQ(moves, (std::set<std::string>{"CIRCLE", "DIAGONAL", "HORIZONTAL", "VERTICAL"}));
    EXPECT_EQ(lives, (std::set<int>{0, 1, 2, 3, 4, 5}));
    EXPECT_GE(sizes.size(), 4u);
}

TEST(LevelPack, blocks_stay_inside_the_field_above_the_pad_and_never_overlap)
{
    struct s_placed {
        size_t group;
        s_box rest, swept;
    };
    for (const std::string& path : asset_levels()) {
        SCOPED_TRACE(path);
        s_map map = read_level(path, nullptr);
        const std::vector<float>& l = map.world.limits;
        std::vector<s_placed> blocks;
        for (size_t gi = 0; gi < map.groups.size(); gi++)
            for (const s_block& b : map.groups[gi].blocks) {
                const float(*size)[2] = map.groups[gi].sizes;
                s_box rest = {b.origin.x + size[0][0], b.origin.x + size[0][1],
                              b.origin.y + size[1][0], b.origin.y + size[1][1]};
                s_box box = swept_box(map.groups[gi], b);
                EXPECT_TRUE(box.x0 >= l[0] && box.x1 <= l[1] && box.y0 >= l[2] + 3 &&
                            box.y1 <= l[3])
                    << "block at " << b.origin.x << ", " << b.origin.y;
                blocks.push_back({gi, rest, box});
            }
        for (size_t i = 0; i < blocks.size(); i++)
            for (size_t j = i + 1; j < blocks.size(); j++) {
                // Blocks of one group move in step, so only their places at rest matter.
                bool together = blocks[i].group == blocks[j].group;
                const s_box& a = together ? blocks[i].rest : blocks[i].swept;
                const s_box& b = together ? blocks[j].rest : blocks[j].swept;
                EXPECT_FALSE(overlap(a, b))
                    << "boxes x " << a.x0 << ".." << a.x1 << " y " << a.y0 << ".." << a.y1
                    << " and x " << b.x0 << ".." << b.x1 << " y " << b.y0 << ".." << b.y1;
            }
    }
}

TEST(LevelPack, every_breakable_block_can_be_reached_by_a_ball_from_the_pad)
{
    const float cell = 0.1f;
    for (const std::string& path : asset_levels()) {
        SCOPED_TRACE(path);
        s_map map = read_level(path, nullptr);
        const std::vector<float>& l = map.world.limits;
        std::vector<s_box> walls;
        for (const s_block_group& g : map.groups)
            if (g.lives <= 0)
                for (const s_block& b : g.blocks)
                    walls.push_back(swept_box(g, b));
        int nx = (int)((l[1] - l[0]) / cell), ny = (int)((l[3] - l[2]) / cell);
        // A ball centre is free when the unit ball box clears every unbreakable block and the walls.
        auto free_at = [&](int i, int j) {
            float x = l[0] + i * cell, y = l[2] + j * cell;
            if (x - 0.5f < l[0] || x + 0.5f > l[1] || y + 0.5f > l[3])
                return false;
            s_box ball = {x - 0.5f, x + 0.5f, y - 0.5f, y + 0.5f};
            return std::none_of(walls.begin(), walls.end(),
                                [&](const s_box& w) { return overlap(ball, w); });
        };
        std::vector<u8> seen((size_t)nx * ny, 0);
        std::vector<std::pair<int, int>> todo = {{nx / 2, (int)(1.0f / cell)}};
        ASSERT_TRUE(free_at(todo[0].first, todo[0].second));
        seen[(size_t)todo[0].second * nx + todo[0].first] = 1;
        while (!todo.empty()) {
            auto [i, j] = todo.back();
            todo.pop_back();
            const int di[4] = {1, -1, 0, 0}, dj[4] = {0, 0, 1, -1};
            for (int k = 0; k < 4; k++) {
                int a = i + di[k], b = j + dj[k];
                if (a < 0 || b < 0 || a >= nx || b >= ny || seen[(size_t)b * nx + a] ||
                    !free_at(a, b))
                    continue;
                seen[(size_t)b * nx + a] = 1;
                todo.push_back({a, b});
            }
        }
        // Breakable blocks are no walls: a ball that reaches one breaks through to the next.
        for (const s_block_group& g : map.groups) {
            if (g.lives <= 0)
                continue;
            for (const s_block& b : g.blocks) {
                s_box box = {b.origin.x + g.sizes[0][0] - 0.55f, b.origin.x + g.sizes[0][1] + 0.55f,
                             b.origin.y + g.sizes[1][0] - 0.55f,
                             b.origin.y + g.sizes[1][1] + 0.55f};
                bool reached = false;
                for (int i = std::max(0, (int)((box.x0 - l[0]) / cell)); i < nx && !reached; i++)
                    for (int j = std::max(0, (int)((box.y0 - l[2]) / cell)); j < ny && !reached;
                         j++) {
                        float x = l[0] + i * cell, y = l[2] + j * cell;
                        if (x > box.x1 || y > box.y1)
                            continue;
                        reached = seen[(size_t)j * nx + i];
                    }
                EXPECT_TRUE(reached) << "block at " << b.origin.x << ", " << b.origin.y;
            }
        }
    }
}
