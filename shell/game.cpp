// Start-up, frame and shutdown sequences of the game, in their fixed order.
#include "shell/game.h"

#include "shell/vertex.h"

#include <SDL/SDL.h>
#include <cstdio>
#include <cstdlib>

// Writes the one line that ends a failed start-up; returns its exit status.
static int game_internal_fail(const char* what, const char* why)
{
    fprintf(stderr, "%s: %s\n", what, why);
    return 1;
}

int game_start(s_game* game, const char* map_path)
{
    (void)map_path;
    game->started = 0;
    if (VTX_Init(640, 480, 16, 0) != 0)
        return game_internal_fail("Could not open the window", SDL_GetError());
    game->started = 1;
    VTX_SetMouse(0, 1);
    VTX_SetWindow("Tumbrelix", nullptr);
    VTX_Loop(0);
    srand(gl_vertex.ticks);
    return 0;
}

int game_frame_input(s_game* game)
{
    (void)game;
    if (VTX_Loop(0) != 0)
        return 1;
    return gl_vertex.key[VTX_KEY_ESCAPE] != 0;
}

void game_frame_update(s_game* game)
{
    (void)game;
}

int game_frame(s_game* game)
{
    if (game_frame_input(game))
        return 1;
    game_frame_update(game);
    return 0;
}

void game_stop(s_game* game)
{
    if (game->started >= 1)
        VTX_Stop();
    game->started = 0;
}
