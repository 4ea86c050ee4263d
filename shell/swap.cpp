// Level loading in place: the new level is read whole before anything of the
// running one is touched, so a bad file costs the player nothing.
#include "shell/swap.h"

#include "level/reader.h"
#include "shell/game.h"

int swap_level(s_game* game, const char* path, std::string* error)
{
    s_map next;
    if (reader_load(path, next, error))
        return 1;
    game->map.replace(next);

    const std::vector<f32>& limits = game->map.getMap()->world.limits;
    f32 left = limits[0], right = limits[1], bottom = limits[2], top = limits[3];
    game->centre_x = (left + right) / 2;
    game->field_width = right - left;
    ball_list_reset(&game->balls, left, right, bottom, top);
    bonus_list_reset(&game->bonuses, left, right, bottom, top);
    pad_reset(&game->pad, left, right, bottom);
    game_view_refresh(game);
    progress_start(&game->progress, game->map.getMap());
    return 0;
}
