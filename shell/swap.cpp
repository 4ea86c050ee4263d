// Level loading in place: the new level is read whole before anything of the
// running one is touched, so a bad file costs the player nothing.
#include "shell/swap.h"

#include "level/reader.h"
#include "shell/game.h"
#include "shell/vertex.h"

// True when two levels have the same blocks: as many groups, each with the
// same faces, lives and block origins. Only then can hits carry over.
static bool swap_same_blocks(const s_map& a, const s_map& b)
{
    if (a.groups.size() != b.groups.size())
        return false;
    for (size_t g = 0; g < a.groups.size(); g++) {
        const s_block_group &x = a.groups[g], &y = b.groups[g];
        if (x.face_ids != y.face_ids || x.lives != y.lives || x.blocks.size() != y.blocks.size())
            return false;
        for (size_t i = 0; i < x.blocks.size(); i++) {
            const s_point &p = x.blocks[i].origin, &q = y.blocks[i].origin;
            if (p.x != q.x || p.y != q.y || p.z != q.z)
                return false;
        }
    }
    return true;
}

// Gives the new level the old one's block states; a movement unchanged in
// kind and numbers keeps its leg, so an edit elsewhere does not make blocks jump.
static void swap_keep_blocks(const s_map& old, s_map& next)
{
    for (size_t g = 0; g < next.groups.size(); g++) {
        const s_block_group& was = old.groups[g];
        s_block_group& group = next.groups[g];
        for (size_t i = 0; i < group.blocks.size(); i++) {
            group.blocks[i].alive = was.blocks[i].alive;
            group.blocks[i].hits = was.blocks[i].hits;
            group.blocks[i].position = was.blocks[i].position;
        }
        for (size_t m = 0; m < group.moves.size() && m < was.moves.size(); m++) {
            s_move& move = group.moves[m];
            if (move.func == was.moves[m].func && move.params == was.moves[m].params) {
                move.reverse = was.moves[m].reverse;
                move.start = was.moves[m].start;
            }
        }
    }
}

int swap_level(s_game* game, const char* path, std::string* error, e_swap how,
               const std::vector<std::string>* stale)
{
    s_map next;
    if (reader_load(path, next, error))
        return 1;
    swap_map(game, next, how, stale);
    return 0;
}

void swap_map(s_game* game, s_map& next, e_swap how, const std::vector<std::string>* stale)
{
    // The new level's movements start now, wherever the game clock stands.
    for (s_block_group& group : next.groups)
        for (s_move& move : group.moves)
            move.start = (f32)gl_vertex.ticks;
    const s_map& old = *game->map.getMap();
    bool same_field = how == SWAP_RELOAD && next.world.limits == old.world.limits;
    bool same_blocks = how == SWAP_RELOAD && swap_same_blocks(old, next);
    if (same_blocks)
        swap_keep_blocks(old, next);
    if (stale)
        game->map.forget(*stale);
    game->map.replace(next);
    if (!same_blocks)
        progress_start(&game->progress, game->map.getMap());
    if (same_field)
        return;

    const std::vector<f32>& limits = game->map.getMap()->world.limits;
    f32 left = limits[0], right = limits[1], bottom = limits[2], top = limits[3];
    game->centre_x = (left + right) / 2;
    game->field_width = right - left;
    ball_list_reset(&game->balls, left, right, bottom, top);
    bonus_list_reset(&game->bonuses, left, right, bottom, top);
    pad_reset(&game->pad, left, right, bottom);
    game_view_refresh(game);
}
