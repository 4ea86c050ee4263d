// Entry point of Tumbrelix: plays the level named on the command line until the
// window is closed or Escape is held.
#include "shell/game.h"

#include <cstdio>

int main(int argc, char** argv)
{
    if (argc <= 1) {
        printf("usage: %s <map file>\n", argc > 0 ? argv[0] : "tumbrelix");
        fflush(stdout);
        return 0;
    }
    static s_game game;
    int status = game_start(&game, argv[1]);
    if (status != 0)
        return status;
    while (!game_frame(&game)) {
    }
    game_stop(&game);
    return 0;
}
