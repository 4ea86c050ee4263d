// Entry point of Tumbrelix: plays the level named on the command line until the
// window is closed or Escape is held.
#include "shell/game.h"
#include "shell/vertex.h"

#include <cstdio>
#include <cstring>

int main(int argc, char** argv)
{
    // The first argument that is not an option names the level; later ones are ignored.
    const char* level = nullptr;
    for (int i = 1; i < argc; i++) {
        if (strcmp(argv[i], "--no-vsync") == 0)
            VTX_SetVsync(0);
        else if (!level)
            level = argv[i];
    }
    if (!level) {
        printf("usage: %s <map file>\n", argc > 0 ? argv[0] : "tumbrelix");
        fflush(stdout);
        return 0;
    }
    static s_game game;
    int status = game_start(&game, level);
    if (status != 0)
        return status;
    while (!game_frame(&game)) {
    }
    game_stop(&game);
    return 0;
}
