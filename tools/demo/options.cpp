// The demo's command line: every option with its range checks, read with getopt_long.
#include "tools/demo/options.h"

#include <getopt.h>

#include <algorithm>
#include <cstdio>

#include "game/ball_list.h"
#include "shell/options.h"
#include "shell/vertex.h"

// Options without a short form take codes past every character.
enum e_demo_option {
    DEMO_LEVEL = 256,
    DEMO_FRAMES,
    DEMO_SECONDS,
    DEMO_SEED,
    DEMO_FIXED_STEP,
    DEMO_SHOTS,
    DEMO_SHOT_EVERY,
    DEMO_OVERLAY,
    DEMO_BALLS,
    DEMO_AIM_ERROR,
    DEMO_ENDURANCE,
    DEMO_WARMUP,
    DEMO_TIMINGS,
    DEMO_RECORD,
    DEMO_REPLAY,
    DEMO_MAX_FPS,
};

static const std::string demo_warmup_help =
    "frames before allocations, memory and particles count\nas steady (default " +
    std::to_string((int)DEMO_WARMUP_FRAMES) + ")";

static const s_option demo_options[] = {
    {"level", "FILE", DEMO_LEVEL, "play the map FILE (default levels/default.map)"},
    {"frames", "N", DEMO_FRAMES, "stop after N frames"},
    {"seconds", "S", DEMO_SECONDS, "stop after S seconds of game time (default 20)"},
    {"seed", "N", DEMO_SEED, "seed the game and the autopilot with N, not the clock"},
    {"fixed-step", "MS", DEMO_FIXED_STEP,
     "every frame lasts MS milliseconds (1 to 1000): with\n--seed, the same run every time"},
    {"shots", "DIR", DEMO_SHOTS, "write screenshots into DIR"},
    {"shot-every", "N", DEMO_SHOT_EVERY, "one screenshot every N frames (default 100)"},
    {"overlay", nullptr, DEMO_OVERLAY, "draw the frame rate, balls and effects on the picture"},
    {"balls", "N", DEMO_BALLS, "keep N balls in play (0 to 16; 0 plays normally)"},
    {"aim-error", "SCALE", DEMO_AIM_ERROR,
     "scale the autopilot's deliberate misses (0 to 10,\ndefault 1; 0 never misses)"},
    {"endurance", nullptr, DEMO_ENDURANCE,
     "add a line of memory and position figures on\nstandard error"},
    {"warmup", "N", DEMO_WARMUP, demo_warmup_help.c_str()},
    {"timings", nullptr, DEMO_TIMINGS,
     "add a line splitting the median and the slowest 1 %\nof frames into input, update, draw "
     "and swap,\nwith the process's CPU per frame and the frame\ntimes' spread"},
    {"max-fps", "N", DEMO_MAX_FPS, "draw at most N frames a second (0, the default: no limit)"},
    {"record", "FILE", DEMO_RECORD, "record the run into the replay FILE"},
    {"replay", "FILE", DEMO_REPLAY,
     "play the replay FILE back instead of the autopilot,\non the map and seed it names, to its "
     "end (or\n--frames), drawn small unless --shots or --overlay;\nstatus 1 when the game "
     "departs from it"},
};

static const s_usage demo_usage = {
    "tumbrelix-demo",
    "[OPTION]...",
    "Play a level with an autopilot in the player's seat, then print one line of\n"
    "figures: frames, frame rates, blocks, bonuses, balls, particles and heap\n"
    "allocations after warm-up.\n",
    nullptr,
    demo_options,
    (int)(sizeof demo_options / sizeof *demo_options),
};

// What each option does: one that takes a number has it checked against
// [low, high] first; low above high marks one that takes text or nothing.
struct s_demo_take {
    int code;
    double low, high;
    void (*store)(s_demo_options* o, const char* text, double number);
};

static const s_demo_take demo_takes[] = {
    {DEMO_LEVEL, 1, 0,
     [](s_demo_options* o, const char* text, double) {
         o->level = text;
         o->level_given = true;
     }},
    {DEMO_RECORD, 1, 0, [](s_demo_options* o, const char* text, double) { o->record = text; }},
    {DEMO_REPLAY, 1, 0, [](s_demo_options* o, const char* text, double) { o->replay = text; }},
    {DEMO_SHOTS, 1, 0, [](s_demo_options* o, const char* text, double) { o->shots = text; }},
    {DEMO_OVERLAY, 1, 0, [](s_demo_options* o, const char*, double) { o->overlay = true; }},
    {DEMO_ENDURANCE, 1, 0, [](s_demo_options* o, const char*, double) { o->endurance = true; }},
    {DEMO_TIMINGS, 1, 0, [](s_demo_options* o, const char*, double) { o->timings = true; }},
    {DEMO_FRAMES, 1, 1e9, [](s_demo_options* o, const char*, double n) { o->frames = (long)n; }},
    {DEMO_SECONDS, 0.001, 1e7, [](s_demo_options* o, const char*, double n) { o->seconds = n; }},
    {DEMO_SEED, 0, 4294967295.0,
     [](s_demo_options* o, const char*, double n) {
         o->seed = (u32)n;
         o->seeded = true;
     }},
    {DEMO_MAX_FPS, 0, VTX_MAX_FPS_HIGHEST,
     [](s_demo_options* o, const char*, double n) { o->max_fps = (int)n; }},
    {DEMO_FIXED_STEP, 1, 1000,
     [](s_demo_options* o, const char*, double n) { o->fixed_step = (u32)n; }},
    {DEMO_SHOT_EVERY, 1, 1e9,
     [](s_demo_options* o, const char*, double n) { o->shot_every = (long)n; }},
    // Sixteen balls take longer than normal play to reach their busiest.
    {DEMO_WARMUP, 0, 1e9, [](s_demo_options* o, const char*, double n) { o->warmup = (long)n; }},
    {DEMO_AIM_ERROR, 0, 10, [](s_demo_options* o, const char*, double n) { o->aim_error = n; }},
    {DEMO_BALLS, 0, BALL_LIST_SIZE,
     [](s_demo_options* o, const char*, double n) { o->balls = (int)n; }},
};

// Reads one option's value into options; 1 with a message when it is refused.
static int demo_option(const s_option& option, const char* text, s_demo_options* options)
{
    const s_demo_take* take =
        std::find_if(std::begin(demo_takes), std::end(demo_takes),
                     [&](const s_demo_take& t) { return t.code == option.code; });
    double number = 0;
    if (take->low <= take->high && options_number(option, text, take->low, take->high, &number))
        return 1;
    take->store(options, text, number);
    return 0;
}

int demo_parse(int argc, char** argv, s_demo_options* options)
{
    const char* name = options_name(argc, argv, "tumbrelix-demo");
    int parsed = options_parse(argc, argv, name, demo_usage,
                               [options](const s_option& option, const char* value) {
                                   return demo_option(option, value, options);
                               });
    if (parsed >= 0)
        return parsed;
    if (optind < argc) {
        std::string problem = "unexpected argument '" + std::string(argv[optind]) + "'";
        return options_refuse(name, problem.c_str());
    }
    if (!options->replay.empty() &&
        (!options->record.empty() || options->level_given || options->seeded || options->balls))
        return options_refuse(name, "--replay takes its map and seed from the replay and plays "
                                    "its input: no --record, --level, --seed or --balls");
    // Stress balls come in behind the player's back, where no replay can see them.
    if (!options->record.empty() && options->balls)
        return options_refuse(name, "--record cannot keep balls in play (--balls)");
    return -1;
}
