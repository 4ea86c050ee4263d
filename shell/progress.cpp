// Level progression: the clearing is noticed by counting the breakable blocks
// still alive each frame, so any way a block goes (hit, oneshot, traverse)
// counts, and a level swapped in mid-game is watched from its first frame.
#include "shell/progress.h"

#include <cstdio>
#include <cstdlib>
#include <string>

#include "audio/chord.h"
#include "shell/game.h"
#include "shell/swap.h"
#include "shell/vertex.h"

// Colour ramps of the bursts: the bright, saturated ones.
constexpr u32 PROGRESS_COLORS[] = {2, 3, 4, 5, 6, 8};
constexpr f32 PROGRESS_BURST_SPREAD = 0.3f;  // speed scale of a burst's particles

void progress_define(s_progress* progress, u8 moves_on)
{
    CHD_LoadSound(PROGRESS_SOUND_PATH, 0, &progress->sound_clear);
    progress->moves_on = moves_on != 0;
    progress->state = PROGRESS_PLAYING;
    progress->breakable = 0;
    progress->cleared_ms = 0;
    progress->burst_ms = 0;
}

// Breakable blocks still alive.
static u32 progress_internal_left(const s_map* map)
{
    u32 left = 0;
    for (const s_block_group& group : map->groups)
        if (group.lives > 0)
            for (const s_block& block : group.blocks)
                left += block.alive ? 1 : 0;
    return left;
}

void progress_start(s_progress* progress, const s_map* map)
{
    progress->state = PROGRESS_PLAYING;
    progress->breakable = progress->moves_on && progress_internal_left(map) > 0;
    progress->cleared_ms = 0;
    progress->burst_ms = 0;
}

// One burst at a random point of the upper field, in front of the blocks.
static void progress_internal_burst(const s_map* map, s_particle* particles)
{
    const std::vector<f32>& limits = map->world.limits;
    if (limits.size() < 4)
        return;
    f32 across = (f32)(rand() % 1000) / 1000.0f, up = (f32)(rand() % 1000) / 1000.0f;
    s_coord origin;
    coord_set_pos(&origin, limits[0] + (limits[1] - limits[0]) * (0.15f + 0.7f * across),
                  limits[2] + (limits[3] - limits[2]) * (0.35f + 0.55f * up), 1);
    coord_set_rot(&origin, 0, 0, 0);
    u32 color = PROGRESS_COLORS[rand() % (sizeof PROGRESS_COLORS / sizeof PROGRESS_COLORS[0])];
    particle_create(particles, &origin, color, PARTICLE_PAD_RELEASE, PROGRESS_BURST_SPREAD);
}

void progress_loop(s_progress* progress, const s_map* map, s_particle* particles)
{
    if (progress->state == PROGRESS_PLAYING) {
        if (!progress->breakable || progress_internal_left(map) > 0)
            return;
        progress->state = PROGRESS_CLEARED;
        progress->cleared_ms = 0;
        progress->burst_ms = 0;
        CHD_PlayStart(progress->sound_clear, false);
    }
    if (progress->burst_ms < PROGRESS_BURSTS_MS && progress->cleared_ms >= progress->burst_ms) {
        progress_internal_burst(map, particles);
        progress->burst_ms += PROGRESS_BURST_MS;
    }
    progress->cleared_ms += gl_vertex.frame_time;
}

int progress_switch(s_game* game)
{
    s_progress* progress = &game->progress;
    s_pack* pack = &game->pack;
    if (!pack->cycles || progress->state != PROGRESS_CLEARED ||
        progress->cleared_ms < PROGRESS_PAUSE_MS)
        return 0;
    pack->current = pack_next(pack);
    const s_pack_level& level = pack->levels[pack->current];
    std::string error;
    if (swap_level(game, level.path.c_str(), &error) != 0) {
        fprintf(stderr, "%s\n", error.c_str());
        progress->cleared_ms = 0;
        progress->burst_ms = PROGRESS_BURSTS_MS;
        return 0;
    }
    hud_title(&game->hud, level.name.c_str());
    return 1;
}
