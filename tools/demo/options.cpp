// The demo's command line: every option with its range checks, read with getopt_long.
#include "tools/demo/options.h"

#include <getopt.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include "game/ball_list.h"
#include "shell/options.h"

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
    DEMO_VERSION,
    DEMO_RECORD,
    DEMO_REPLAY,
};

static const option demo_options[] = {
    {"level", required_argument, nullptr, DEMO_LEVEL},
    {"frames", required_argument, nullptr, DEMO_FRAMES},
    {"seconds", required_argument, nullptr, DEMO_SECONDS},
    {"seed", required_argument, nullptr, DEMO_SEED},
    {"fixed-step", required_argument, nullptr, DEMO_FIXED_STEP},
    {"shots", required_argument, nullptr, DEMO_SHOTS},
    {"shot-every", required_argument, nullptr, DEMO_SHOT_EVERY},
    {"overlay", no_argument, nullptr, DEMO_OVERLAY},
    {"balls", required_argument, nullptr, DEMO_BALLS},
    {"aim-error", required_argument, nullptr, DEMO_AIM_ERROR},
    {"endurance", no_argument, nullptr, DEMO_ENDURANCE},
    {"warmup", required_argument, nullptr, DEMO_WARMUP},
    {"timings", no_argument, nullptr, DEMO_TIMINGS},
    {"record", required_argument, nullptr, DEMO_RECORD},
    {"replay", required_argument, nullptr, DEMO_REPLAY},
    {"help", no_argument, nullptr, 'h'},
    {"version", no_argument, nullptr, DEMO_VERSION},
    {nullptr, 0, nullptr, 0},
};

static void demo_help(const char* name)
{
    printf("Usage: %s [OPTION]...\n"
           "Play a level with an autopilot in the player's seat, then print one line of\n"
           "figures: frames, frame rates, blocks, bonuses, balls, particles and heap\n"
           "allocations after warm-up.\n"
           "\n"
           "      --level FILE       play the map FILE (default levels/default.map)\n"
           "      --frames N         stop after N frames\n"
           "      --seconds S        stop after S seconds of game time (default 20)\n"
           "      --seed N           seed the game and the autopilot with N, not the clock\n"
           "      --fixed-step MS    every frame lasts MS milliseconds (1 to 1000): with\n"
           "                           --seed, the same run every time\n"
           "      --shots DIR        write screenshots into DIR\n"
           "      --shot-every N     one screenshot every N frames (default 100)\n"
           "      --overlay          draw the frame rate, balls and effects on the picture\n"
           "      --balls N          keep N balls in play (0 to 16; 0 plays normally)\n"
           "      --aim-error SCALE  scale the autopilot's deliberate misses (0 to 10,\n"
           "                           default 1; 0 never misses)\n"
           "      --endurance        add a line of memory and position figures on\n"
           "                           standard error\n"
           "      --warmup N         frames before allocations, memory and particles count\n"
           "                           as steady (default %d)\n"
           "      --timings          add a line splitting the median and the slowest 1 %%\n"
           "                           of frames into input, update, draw and swap\n"
           "      --record FILE      record the run into the replay FILE\n"
           "      --replay FILE      play the replay FILE back instead of the autopilot,\n"
           "                           on the map and seed it names, to its end (or\n"
           "                           --frames), drawn small unless --shots or --overlay;\n"
           "                           status 1 when the game departs from it\n"
           "  -h, --help             display this help and exit\n"
           "      --version          output version information and exit\n",
           name, (int)DEMO_WARMUP_FRAMES);
}

// Reads a whole-number option value; 1 with a message when it is not one.
static int demo_number(const char* option, const char* text, double low, double high, double* value)
{
    char* end = nullptr;
    errno = 0;
    *value = strtod(text ? text : "", &end);
    if (!text || end == text || *end != 0 || errno != 0 || !(*value >= low && *value <= high)) {
        fprintf(stderr, "%s: expected a number from %g to %g, got '%s'\n", option, low, high,
                text ? text : "");
        return 1;
    }
    return 0;
}

// Reads one option's value into options; 1 with a message when it is refused.
static int demo_option(int code, const char* flag, const char* value, s_demo_options* options)
{
    double number = 0;
    switch (code) {
    case DEMO_LEVEL:
        options->level = value;
        options->level_given = true;
        return 0;
    case DEMO_RECORD:
        options->record = value;
        return 0;
    case DEMO_REPLAY:
        options->replay = value;
        return 0;
    case DEMO_SHOTS:
        options->shots = value;
        return 0;
    case DEMO_OVERLAY:
        options->overlay = true;
        return 0;
    case DEMO_ENDURANCE:
        options->endurance = true;
        return 0;
    case DEMO_TIMINGS:
        options->timings = true;
        return 0;
    case DEMO_FRAMES:
        if (demo_number(flag, value, 1, 1e9, &number))
            return 1;
        options->frames = (long)number;
        return 0;
    case DEMO_SECONDS:
        if (demo_number(flag, value, 0.001, 1e7, &number))
            return 1;
        options->seconds = number;
        return 0;
    case DEMO_SEED:
        if (demo_number(flag, value, 0, 4294967295.0, &number))
            return 1;
        options->seed = (u32)number;
        options->seeded = true;
        return 0;
    case DEMO_FIXED_STEP:
        if (demo_number(flag, value, 1, 1000, &number))
            return 1;
        options->fixed_step = (u32)number;
        return 0;
    case DEMO_SHOT_EVERY:
        if (demo_number(flag, value, 1, 1e9, &number))
            return 1;
        options->shot_every = (long)number;
        return 0;
    case DEMO_WARMUP:
        // Sixteen balls take longer than normal play to reach their busiest.
        if (demo_number(flag, value, 0, 1e9, &number))
            return 1;
        options->warmup = (long)number;
        return 0;
    case DEMO_AIM_ERROR:
        if (demo_number(flag, value, 0, 10, &number))
            return 1;
        options->aim_error = number;
        return 0;
    case DEMO_BALLS:
        if (demo_number(flag, value, 0, BALL_LIST_SIZE, &number))
            return 1;
        options->balls = (int)number;
        return 0;
    }
    return 1;
}

int demo_parse(int argc, char** argv, s_demo_options* options)
{
    const char* name = options_name(argc, argv, "tumbrelix-demo");
    int code, index = 0;
    while ((code = getopt_long(argc, argv, "h", demo_options, &index)) != -1) {
        if (code == 'h') {
            demo_help(name);
            return 0;
        }
        if (code == DEMO_VERSION) {
            options_version("tumbrelix-demo");
            return 0;
        }
        if (code == '?')
            return options_refuse(name, nullptr);
        std::string flag = std::string("--") + demo_options[index].name;
        if (demo_option(code, flag.c_str(), optarg, options))
            return OPTIONS_BAD_USAGE;
    }
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
