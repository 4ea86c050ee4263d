// Collision pass of 16 balls against a 1,000-block level: time per frame.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <vector>

#include "game/ball_list.h"
#include "game/bonus_list.h"
#include "game/pad.h"
#include "level/level.h"
#include "shell/vertex.h"

namespace {

// Ten groups of 100 blocks in a 40 x 25 grid over a 0..80 x 0..60 field.
std::vector<s_block_group> bench_level()
{
    std::vector<s_block_group> groups(10);
    for (int g = 0; g < 10; g++) {
        s_block_group& group = groups[g];
        group.lives = g % 3;  // some unbreakable groups
        group.sizes[0][0] = -0.9f;
        group.sizes[0][1] = 0.9f;
        group.sizes[1][0] = -0.4f;
        group.sizes[1][1] = 0.4f;
        for (int i = 0; i < 100; i++) {
            int n = g * 100 + i;
            s_block block;
            block.origin.x = block.position.x = 1.0f + (n % 40) * 2.0f;
            block.origin.y = block.position.y = 30.0f + (n / 40) * 1.0f;
            group.blocks.push_back(block);
        }
    }
    return groups;
}

// Balls flying through open space below the blocks: every block is tested,
// none is hit, so the figure is the pure cost of the pass.
void BM_CollidePass(benchmark::State& state)
{
    std::vector<s_block_group> groups = bench_level();
    s_particle particles = {};
    s_ball_list balls = {};
    s_bonus_list bonuses = {};
    s_pad pad = {};
    balls.particles = &particles;
    bonuses.particles = &particles;
    balls.limits[0] = 0;
    balls.limits[1] = 80;
    balls.limits[2] = 0;
    balls.limits[3] = 60;
    coord_set_pos(&pad.coord, 40, 0, 0);
    pad.target_x = 40;
    pad.half_length = 1.5f;
    pad.state = PAD_STATE_IDLE;
    gl_vertex.frame_time = 16;
    for (int i = 0; i < BALL_LIST_SIZE; i++) {
        balls.states[i] = 1;
        s_ball* ball = &balls.balls[i];
        coord_set_pos(&ball->coord, 4.0f + i * 4.5f, 10, 0);
        mobile_define(&ball->mobile, 4.0f + i * 4.5f, 10.16f, 1.5707964f, 0.01f);
    }
    for (auto _ : state) {
        ball_list_collide(&balls, &pad, groups, &bonuses);
        benchmark::ClobberMemory();
    }
    state.SetLabel("16 balls x 1000 blocks, ns per frame");
}
BENCHMARK(BM_CollidePass);

}  // namespace
