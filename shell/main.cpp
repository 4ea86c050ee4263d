// Entry point of Tumbrelix: plays the level named on the command line until the
// window is closed or Escape is held.
#include "edit/screen.h"
#include "shell/game.h"
#include "shell/options.h"
#include "shell/replay.h"
#include "shell/vertex.h"
#include "shell/watch.h"
#include "ui/front.h"

#include <getopt.h>
#include <cstdio>
#include <memory>
#include <sys/stat.h>

enum {
    MAIN_NO_VSYNC = 256,  // past every character: no short forms
    MAIN_RECORD,
    MAIN_REPLAY,
    MAIN_WATCH,
    MAIN_EDIT,
    MAIN_MAX_FPS,
};

static const s_option main_options[] = {
    {"no-vsync", nullptr, MAIN_NO_VSYNC, "do not wait for the screen's refresh between frames"},
    {"max-fps", "N", MAIN_MAX_FPS,
     "draw at most N frames a second; 0: no limit (default:\n"
     "the display's refresh rate where it is known, else 60)"},
    {"record", "FILE", MAIN_RECORD, "record the game into the replay FILE"},
    {"replay", "FILE", MAIN_REPLAY,
     "play the replay FILE back on the map it names; the mouse\n"
     "and keys are ignored but for P and Escape; ends with\n"
     "status 1 when the game no longer follows the replay"},
    {"watch", nullptr, MAIN_WATCH,
     "look at MAP and its textures every second and play the\n"
     "level again, in place, each time they change; an error\n"
     "in MAP shows on screen until it is mended"},
    {"edit", "MAP", MAIN_EDIT,
     "open MAP in the level editor (a new map starts from a\n"
     "template and is written on the first Ctrl+S)"},
};

static const s_usage main_usage = {
    "tumbrelix",
    "[OPTION]... MAP|FOLDER\n"
    "[OPTION]... --replay FILE\n"
    "[OPTION]... --edit MAP",
    "Play the level of the map file MAP, or every level of the pack in FOLDER in\n"
    "turn, in a window: steer the pad with the mouse, launch a ball with the left\n"
    "button, tilt the view with the right button and the mouse, change the view\n"
    "with Space, pause with P, switch to full screen with F11, and hold Escape to\n"
    "quit.\n",
    "Pictures, sounds and music are read from data/ under the working directory.\n",
    main_options,
    (int)(sizeof main_options / sizeof *main_options),
    true,  // what follows the map is the player's business, not ours
};

// Plays the game, recording it or playing a replay back when asked; returns the exit status.
static int main_play(const char* map_path, const char* record_path, const char* replay_path,
                     bool watching, bool limited)
{
    // Each run a fresh game: a level chosen to edit runs the pack again after.
    std::unique_ptr<s_game> owned = std::make_unique<s_game>();
    s_game& game = *owned;
    static s_replay replay;
    static s_watch watch;
    static s_front front;
    std::string error;
    const u32* seed = nullptr;
    if (replay_path) {
        if (replay_load(&replay, replay_path, &error) != 0) {
            fprintf(stderr, "%s\n", error.c_str());
            return 1;
        }
        map_path = replay.map_path.c_str();
        seed = &replay.seed;
    }
    if (record_path && replay_record_open(&replay, record_path, map_path, &error) != 0) {
        fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    // A replay plays with its own settings, never the player's.
    if (!replay_path) {
        front_open(&front, map_path);
        // A limit given on the command line holds for the run.
        if (!limited)
            front_frame_limit(&front);
        replay.sensitivity = front.settings.value[SETTING_MOUSE_SENSITIVITY];
        replay.speed = (u32)front.settings.value[SETTING_GAME_SPEED];
    }
    int status = game_start(&game, map_path, seed);
    if (status == 0 && record_path && replay_record_start(&replay, gl_vertex.ticks, &error)) {
        fprintf(stderr, "%s\n", error.c_str());
        game_stop(&game);
        status = 1;
    }
    if (status != 0) {
        replay_stop(&replay);
        return status;
    }
    if (replay_path) {
        replay_play_start(&replay, 1);
        // The game's clock comes from the replay, already at its speed.
        game.pad.sensitivity = replay.sensitivity;
    } else
        // A recording keeps to the settings it started with: no menus.
        front_start(&front, &game, !record_path);
    if (record_path || replay_path)
        game.replay = &replay;
    if (watching) {
        watch_start(&watch, map_path, game.map.getMap());
        game.watch = &watch;
    }
    while (!game_frame(&game)) {
    }
    game_stop(&game);
    status = replay.diverged ? 1 : 0;
    status = replay_stop(&replay) != 0 ? 1 : status;
    if (front.edit_path.empty())
        return status;
    // A level chosen on the title to edit: the editor, then the pack's title again.
    std::string edit_path = front.edit_path;
    front.edit_path.clear();
    if (int edited = edit_run(edit_path.c_str()); edited != 0)
        return edited;
    owned.reset();
    return main_play(map_path, nullptr, nullptr, watching, limited);
}

int main(int argc, char** argv)
{
    const char* self = argc > 0 ? argv[0] : "tumbrelix";
    const char* name = options_name(argc, argv, "tumbrelix");
    const char *record_path = nullptr, *replay_path = nullptr, *edit_path = nullptr;
    bool watching = false, limited = false;
    VTX_SetMaxFps(VTX_MAX_FPS_AUTO);
    int parsed =
        options_parse(argc, argv, name, main_usage, [&](const s_option& option, const char* value) {
            double fps = 0;
            if (option.code == MAIN_MAX_FPS) {
                if (options_number(option, value, 0, VTX_MAX_FPS_HIGHEST, &fps) != 0)
                    return 1;
                VTX_SetMaxFps((int)fps);
                limited = true;
            } else if (option.code == MAIN_NO_VSYNC)
                VTX_SetVsync(0);
            else if (option.code == MAIN_WATCH)
                watching = true;
            else if (option.code == MAIN_EDIT)
                edit_path = value;
            else
                (option.code == MAIN_RECORD ? record_path : replay_path) = value;
            return 0;
        });
    if (parsed >= 0)
        return parsed;
    if (record_path && replay_path)
        return options_refuse(name, "--record and --replay cannot go together");
    // Playback keeps the recorded frames' pace: a limit of its own would only slow it.
    if (replay_path && !limited)
        VTX_SetMaxFps(0);
    if (replay_path && optind < argc)
        return options_refuse(name, "--replay plays the map its replay names: give no map");
    // A replay holds to the level as it was recorded: edits would break it.
    if (watching && (record_path || replay_path))
        return options_refuse(name, "--watch cannot go with --record or --replay");
    if (edit_path && (record_path || replay_path || watching))
        return options_refuse(name, "--edit cannot go with --record, --replay or --watch");
    if (edit_path && optind < argc)
        return options_refuse(name, "--edit names its map: give no other");
    if (edit_path)
        return edit_run(edit_path);
    struct stat info;
    if (watching && optind < argc && stat(argv[optind], &info) == 0 && S_ISDIR(info.st_mode))
        return options_refuse(name, "--watch follows one map file, not a folder");
    if (optind >= argc && !replay_path) {
        printf("usage: %s <map file>\n", self);
        fflush(stdout);
        return 0;
    }
    return main_play(replay_path ? nullptr : argv[optind], record_path, replay_path, watching,
                     limited);
}
