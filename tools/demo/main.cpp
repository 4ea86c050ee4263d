// Self-playing demo: runs the real game's start-up, frames and shutdown with an
// autopilot in the player's seat, takes screenshots and reports figures.
#include "gfx/fonts.h"
#include "shell/game.h"
#include "shell/options.h"
#include "shell/vertex.h"
#include "alloc_count.h"
#include "autopilot.h"
#include "shot.h"

#include <GL/gl.h>
#include <getopt.h>
#include <sys/stat.h>
#include <unistd.h>
#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

enum {
    DEMO_HISTOGRAM_BINS = 100000,     // frame times in steps of 10 µs, up to 1 s
    DEMO_WARMUP_FRAMES = 200,         // frames before allocations and particles count as steady
    DEMO_TIMED_FRAMES_MAX = 1000000,  // frames whose split --timings keeps; later ones go unsplit
};

// Wall time of one frame's parts, ms.
enum e_demo_part {
    DEMO_PART_INPUT,   // clock, events and the autopilot
    DEMO_PART_UPDATE,  // sound, logic, collisions, motion
    DEMO_PART_DRAW,    // camera and drawing
    DEMO_PART_SWAP,    // buffer swap and clear
    DEMO_PART_OTHER,   // screenshots and the demo's own bookkeeping
    DEMO_PART_COUNT,
};
static const char* const demo_part_names[DEMO_PART_COUNT] = {"input", "update", "draw", "swap",
                                                             "other"};

struct s_demo_split {
    f32 total;
    f32 parts[DEMO_PART_COUNT];
};

struct s_demo_options {
    std::string level = "levels/default.map";
    long frames = -1;     // frames to run; -1: run by seconds
    double seconds = 20;  // simulated seconds to run when frames is -1
    bool seeded = false;
    u32 seed = 0;
    u32 fixed_step = 0;  // ms per frame; 0: the real clock
    std::string shots;   // directory for screenshots, empty: none
    long shot_every = 100;
    bool overlay = false;
    int balls = 0;           // balls to keep in play; 0: play normally
    double aim_error = 1;    // scale of the autopilot's deliberate misses
    bool endurance = false;  // one more line on standard error: memory and position figures
    // One more line: where the median and the slowest frames spend their time.
    bool timings = false;
    // Frames before allocations, memory and particles count as steady.
    long warmup = DEMO_WARMUP_FRAMES;
};

struct s_demo_figures {
    long frames;
    double wall_seconds;
    u32 histogram[DEMO_HISTOGRAM_BINS];  // frame counts by wall time
    long blocks_destroyed;
    long bonuses_dropped, bonuses_caught;
    long balls_launched, balls_lost;
    u32 particles_peak;
    u64 allocations;
    long rss_warm_kib;           // resident size once warm
    u32 particle_capacity_warm;  // particle group slots once warm
    long nonfinite_positions;    // ball or bonus positions seen NaN or infinite, all frames
    s_demo_split* splits;        // one per frame with --timings, made before the first frame
    long split_count;
};

static s_game demo_game;
static s_demo_figures demo_figures;
static u32 demo_clock_now;
static u32 demo_clock_step;

// The fixed-step clock: every frame lasts exactly the given milliseconds.
static u32 demo_fixed_clock()
{
    demo_clock_now += demo_clock_step;
    return demo_clock_now;
}

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

// Reads the command line into options; -1 to run, else the status to end with at once.
static int demo_parse(int argc, char** argv, s_demo_options* options)
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
    return -1;
}

static double demo_wall_now()
{
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return now.tv_sec + now.tv_nsec * 1e-9;
}

// Adds the wall time since the mark to a part, in ms, and moves the mark.
static void demo_lap(double* mark, f32* part)
{
    double now = demo_wall_now();
    *part += (f32)((now - *mark) * 1e3);
    *mark = now;
}

// Frames per second at the given fraction of frames, slowest first.
static double demo_fps_at(const s_demo_figures* figures, double fraction)
{
    long wanted = (long)ceil(figures->frames * fraction);
    if (wanted < 1)
        wanted = 1;
    long seen = 0;
    for (int bin = DEMO_HISTOGRAM_BINS - 1; bin >= 0; bin--) {
        seen += figures->histogram[bin];
        if (seen >= wanted)
            return 1.0 / ((bin + 0.5) * 1e-5);
    }
    return 0;
}

// Counts launches, losses, drops and catches from the slot changes of one frame.
static void demo_watch(s_game* game, i32* ball_states, i32* bonus_states, f32* bonus_y,
                       s_demo_figures* figures)
{
    f32 bottom = game->map.getMap()->world.limits[2];
    for (int slot = 0; slot < BALL_LIST_SIZE; slot++) {
        i32 ball = game->balls.states[slot] == 1;
        if (ball && !ball_states[slot])
            figures->balls_launched++;
        if (!ball && ball_states[slot])
            figures->balls_lost++;
        ball_states[slot] = ball;
    }
    for (int slot = 0; slot < BONUS_LIST_SIZE; slot++) {
        i32 bonus = game->bonuses.states[slot] == 1;
        if (bonus && !bonus_states[slot])
            figures->bonuses_dropped++;
        // A bonus leaves its slot either caught at the pad or lost far below it.
        if (!bonus && bonus_states[slot] && bonus_y[slot] > bottom - 4)
            figures->bonuses_caught++;
        bonus_states[slot] = bonus;
        bonus_y[slot] = game->bonuses.bonuses[slot].coord.y;
    }
    if (game->particles.group_count > figures->particles_peak)
        figures->particles_peak = game->particles.group_count;
}

// Resident size of the process in KiB, from /proc; 0 when unknown.
static long demo_rss_kib()
{
    FILE* f = fopen("/proc/self/statm", "r");
    if (!f)
        return 0;
    long pages = 0, resident = 0;
    int read = fscanf(f, "%ld %ld", &pages, &resident);
    fclose(f);
    return read == 2 ? resident * (sysconf(_SC_PAGESIZE) / 1024) : 0;
}

// Counts the balls and bonuses in play whose position is not a finite number.
static long demo_nonfinite(s_game* game)
{
    long count = 0;
    for (int slot = 0; slot < BALL_LIST_SIZE; slot++) {
        const s_coord& ball = game->balls.balls[slot].coord;
        if (game->balls.states[slot] == 1 && !(std::isfinite(ball.x) && std::isfinite(ball.y)))
            count++;
    }
    for (int slot = 0; slot < BONUS_LIST_SIZE; slot++) {
        const s_coord& bonus = game->bonuses.bonuses[slot].coord;
        if (game->bonuses.states[slot] == 1 && !(std::isfinite(bonus.x) && std::isfinite(bonus.y)))
            count++;
    }
    return count;
}

static long demo_blocks_alive(s_game* game)
{
    long alive = 0;
    for (const s_block_group& group : game->map.getMap()->groups)
        if (group.lives > 0)
            for (const s_block& block : group.blocks)
                alive += block.alive ? 1 : 0;
    return alive;
}

// Prints one band of frames, sorted by duration from first to last: the average
// frame and the average of each part.
static void demo_print_band(const s_demo_figures* figures, const std::vector<long>& order,
                            const char* name, long first, long last)
{
    s_demo_split sum = {};
    for (long i = first; i < last; i++) {
        const s_demo_split& split = figures->splits[order[i]];
        sum.total += split.total;
        for (int part = 0; part < DEMO_PART_COUNT; part++)
            sum.parts[part] += split.parts[part];
    }
    f32 count = (f32)(last - first);
    printf(" %s: frames=%ld frame=%.3f", name, last - first, sum.total / count);
    for (int part = 0; part < DEMO_PART_COUNT; part++)
        printf(" %s=%.3f", demo_part_names[part], sum.parts[part] / count);
}

// Where the first frame, the frames around the median and the slowest 1 % spend
// their time, in ms.
static void demo_print_timings(const s_demo_figures* figures)
{
    long count = figures->split_count;
    if (count == 0)
        return;
    std::vector<long> order((size_t)count);
    for (long i = 0; i < count; i++)
        order[i] = i;
    std::sort(order.begin(), order.end(), [figures](long a, long b) {
        return figures->splits[a].total < figures->splits[b].total;
    });
    long median = count / 2, slow = (long)ceil(count * 0.01);
    long half_band = slow / 2;
    printf("timings_ms:");
    // The first frame is where the driver meets most of the GL states for the first time.
    std::vector<long> first = {0};
    demo_print_band(figures, first, "first", 0, 1);
    printf(";");
    demo_print_band(figures, order, "median", median - half_band, median + half_band + 1);
    printf(";");
    demo_print_band(figures, order, "slowest_1pct", count - slow, count);
    printf("\n");
}

static void demo_overlay(s_game* game)
{
    PrintString(8, gl_vertex.height - 20, 12, 9, 0, "%d fps  balls %d  effects %d",
                (int)VTX_GetFps(), autopilot_balls_in_play(game), (int)game->particles.group_count);
    VTX_ScrDimention(0);
}

int main(int argc, char** argv)
{
    s_demo_options options;
    int status = demo_parse(argc, argv, &options);
    if (status >= 0)
        return status;
    if (!options.shots.empty() && mkdir(options.shots.c_str(), 0777) != 0 && errno != EEXIST) {
        fprintf(stderr, "%s: cannot create: %s\n", options.shots.c_str(), strerror(errno));
        return 1;
    }
    if (options.fixed_step) {
        demo_clock_now = 1000;
        demo_clock_step = options.fixed_step;
        VTX_SetClock(demo_fixed_clock);
    }

    s_game* game = &demo_game;
    status = game_start(game, options.level.c_str(), options.seeded ? &options.seed : nullptr);
    if (status != 0)
        return status;
    // Nobody is there to resume a demo that a lost focus paused.
    VTX_SetPausable(0);
    if (options.overlay && font_init() != 0)
        fprintf(stderr, "demo: no overlay: data/font_texture_00.bmp did not load\n");
    if (shot_init(2048, 2048) != 0) {
        fprintf(stderr, "demo: out of memory for screenshots\n");
        game_stop(game);
        return 1;
    }

    s_autopilot pilot;
    autopilot_define(&pilot, options.seeded ? options.seed : 1, options.balls,
                     (f32)options.aim_error);
    s_demo_figures* figures = &demo_figures;
    if (options.timings) {
        figures->splits = (s_demo_split*)calloc(DEMO_TIMED_FRAMES_MAX, sizeof(s_demo_split));
        if (!figures->splits) {
            fprintf(stderr, "demo: out of memory for the frame timings\n");
            game_stop(game);
            return 1;
        }
    }
    long blocks_alive = demo_blocks_alive(game);
    i32 ball_states[BALL_LIST_SIZE] = {}, bonus_states[BONUS_LIST_SIZE] = {};
    f32 bonus_y[BONUS_LIST_SIZE] = {};
    double started = demo_wall_now(), sim_ms = 0, last = started;
    char shot_path[4096];

    for (long frame = 0;; frame++) {
        if (options.frames >= 0 ? frame >= options.frames : sim_ms >= options.seconds * 1000)
            break;
        if (frame == options.warmup) {
            figures->rss_warm_kib = demo_rss_kib();
            figures->particle_capacity_warm = game->particles.group_capacity;
            alloc_count_start();
        }
        s_demo_split split = {};
        double mark = demo_wall_now();
        if (game_frame_input(game))
            break;
        // A level load allocates by nature (the new level's records and
        // textures): the count is of play, so the load itself is left out.
        alloc_count_hold(true);
        bool switched = progress_switch(game) != 0;
        alloc_count_hold(false);
        if (switched) {
            // The balls and bonuses the switch took away were neither lost nor caught.
            memset(ball_states, 0, sizeof ball_states);
            memset(bonus_states, 0, sizeof bonus_states);
            blocks_alive = demo_blocks_alive(game);
        }
        autopilot_steer(&pilot, game);
        demo_lap(&mark, &split.parts[DEMO_PART_INPUT]);
        game_frame_step(game);
        demo_lap(&mark, &split.parts[DEMO_PART_UPDATE]);
        game_frame_draw(game);
        if (options.overlay)
            demo_overlay(game);
        demo_lap(&mark, &split.parts[DEMO_PART_DRAW]);
        if (!options.shots.empty() && frame % options.shot_every == 0) {
            snprintf(shot_path, sizeof shot_path, "%s/frame_%06ld.png", options.shots.c_str(),
                     frame);
            shot_write(shot_path, gl_vertex.width, gl_vertex.height);
        }
        demo_watch(game, ball_states, bonus_states, bonus_y, figures);
        long alive = demo_blocks_alive(game);
        figures->blocks_destroyed += blocks_alive - alive;
        blocks_alive = alive;
        if (options.endurance)
            figures->nonfinite_positions += demo_nonfinite(game);

        double now = demo_wall_now();
        long bin = (long)((now - last) * 1e5);
        figures->histogram[bin < DEMO_HISTOGRAM_BINS ? bin : DEMO_HISTOGRAM_BINS - 1]++;
        if (figures->splits && figures->split_count < DEMO_TIMED_FRAMES_MAX) {
            // The swap was timed inside the input step; the frame runs from one end to the next.
            split.parts[DEMO_PART_SWAP] = gl_vertex.swap_ms;
            split.parts[DEMO_PART_INPUT] -= gl_vertex.swap_ms;
            split.total = (f32)((now - last) * 1e3);
            split.parts[DEMO_PART_OTHER] = split.total;
            for (int part = 0; part < DEMO_PART_OTHER; part++)
                split.parts[DEMO_PART_OTHER] -= split.parts[part];
            figures->splits[figures->split_count++] = split;
        }
        last = now;
        sim_ms += gl_vertex.frame_time;
        figures->frames++;
    }
    figures->allocations = alloc_count_read();
    figures->wall_seconds = demo_wall_now() - started;
    long blocks_remaining = demo_blocks_alive(game);

    printf("frames=%ld sim_seconds=%.3f wall_seconds=%.3f fps_median=%.1f fps_1pct_low=%.1f "
           "blocks_destroyed=%ld blocks_remaining=%ld bonuses_dropped=%ld bonuses_caught=%ld "
           "balls_launched=%ld balls_lost=%ld particles_peak=%u allocations_after_warmup=%llu\n",
           figures->frames, sim_ms / 1000, figures->wall_seconds, demo_fps_at(figures, 0.5),
           demo_fps_at(figures, 0.01), figures->blocks_destroyed, blocks_remaining,
           figures->bonuses_dropped, figures->bonuses_caught, figures->balls_launched,
           figures->balls_lost, figures->particles_peak, (unsigned long long)figures->allocations);
    if (options.timings)
        demo_print_timings(figures);
    fflush(stdout);
    if (options.endurance) {
        // Growth is measured from the end of warm-up; a run too short to warm up reports 0.
        bool warm = figures->frames > options.warmup;
        fprintf(
            stderr,
            "endurance: rss_growth_kib=%ld particle_capacity_growth=%ld nonfinite_positions=%ld\n",
            warm ? demo_rss_kib() - figures->rss_warm_kib : 0,
            warm ? (long)game->particles.group_capacity - (long)figures->particle_capacity_warm : 0,
            figures->nonfinite_positions);
    }
    free(figures->splits);
    shot_stop();
    game_stop(game);
    return 0;
}
