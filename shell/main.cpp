// Entry point of Tumbrelix: plays the level named on the command line until the
// window is closed or Escape is held.
#include "shell/game.h"
#include "shell/options.h"
#include "shell/vertex.h"

#include <getopt.h>
#include <cstdio>

enum {
    MAIN_VERSION = 256,  // long options without a short form
    MAIN_NO_VSYNC,
};

static const option main_options[] = {
    {"help", no_argument, nullptr, 'h'},
    {"version", no_argument, nullptr, MAIN_VERSION},
    {"no-vsync", no_argument, nullptr, MAIN_NO_VSYNC},
    {nullptr, 0, nullptr, 0},
};

static void main_help(const char* name)
{
    printf("Usage: %s [OPTION]... MAP|FOLDER\n"
           "Play the level of the map file MAP, or every level of the pack in FOLDER in\n"
           "turn, in a window: steer the pad with the mouse, launch a ball with the left\n"
           "button, tilt the view with the right button and the mouse, change the view\n"
           "with Space, pause with P, switch to full screen with F11, and hold Escape to\n"
           "quit.\n"
           "\n"
           "  -h, --help      display this help and exit\n"
           "      --no-vsync  do not wait for the screen's refresh between frames\n"
           "      --version   output version information and exit\n"
           "\n"
           "Pictures, sounds and music are read from data/ under the working directory.\n",
           name);
}

int main(int argc, char** argv)
{
    const char* self = argc > 0 ? argv[0] : "tumbrelix";
    const char* name = options_name(argc, argv, "tumbrelix");
    for (int option; (option = getopt_long(argc, argv, "h", main_options, nullptr)) != -1;) {
        if (option == 'h') {
            main_help(name);
            return 0;
        }
        if (option == MAIN_VERSION) {
            options_version("tumbrelix");
            return 0;
        }
        if (option == MAIN_NO_VSYNC) {
            VTX_SetVsync(0);
            continue;
        }
        return options_refuse(name, nullptr);
    }
    if (optind >= argc) {
        printf("usage: %s <map file>\n", self);
        fflush(stdout);
        return 0;
    }
    static s_game game;
    int status = game_start(&game, argv[optind]);
    if (status != 0)
        return status;
    while (!game_frame(&game)) {
    }
    game_stop(&game);
    return 0;
}
