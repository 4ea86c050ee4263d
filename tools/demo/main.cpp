// Self-playing demo: runs the real game's start-up, frames and shutdown with an
// autopilot in the player's seat, takes screenshots and reports figures.
#include "gfx/fonts.h"
#include "shell/game.h"
#include "shell/vertex.h"
#include "alloc_count.h"
#include "autopilot.h"
#include "shot.h"

#include <GL/gl.h>
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
    bool timings =
        false;  // one more line: where the median and the slowest frames spend their time
    long warmup =
        DEMO_WARMUP_FRAMES;  // frames before allocations, memory and particles count as steady
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

static void demo_usage(const char* name)
{
    printf("usage: %s [--level FILE] [--frames N | --seconds S] [--seed N] [--fixed-step MS]\n"
           "       [--shots DIR] [--shot-every N] [--overlay] [--balls N] [--endurance]\n"
           "       [--warmup N] [--aim-error SCALE] [--timings]\n",
           name);
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

static int demo_parse(int argc, char** argv, s_demo_options* options)
{
    for (int i = 1; i < argc; i++) {
        std::string option = argv[i];
        const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
        double number = 0;
        if (option == "--overlay") {
            options->overlay = true;
            continue;
        }
        if (option == "--endurance") {
            options->endurance = true;
            continue;
        }
        if (option == "--timings") {
            options->timings = true;
            continue;
        }
        if (option == "--help" || option == "-h") {
            demo_usage(argv[0]);
            exit(0);
        }
        if (option == "--level" && value) {
            options->level = value;
        } else if (option == "--shots" && value) {
            options->shots = value;
        } else if (option == "--frames") {
            if (demo_number("--frames", value, 1, 1e9, &number))
                return 1;
            options->frames = (long)number;
        } else if (option == "--seconds") {
            if (demo_number("--seconds", value, 0.001, 1e7, &number))
                return 1;
            options->seconds = number;
        } else if (option == "--seed") {
            if (demo_number("--seed", value, 0, 4294967295.0, &number))
                return 1;
            options->seed = (u32)number;
            options->seeded = true;
        } else if (option == "--fixed-step") {
            if (demo_number("--fixed-step", value, 1, 1000, &number))
                return 1;
            options->fixed_step = (u32)number;
        } else if (option == "--shot-every") {
            if (demo_number("--shot-every", value, 1, 1e9, &number))
                return 1;
            options->shot_every = (long)number;
        } else if (option == "--warmup") {
            // Sixteen balls take longer than normal play to reach their busiest.
            if (demo_number("--warmup", value, 0, 1e9, &number))
                return 1;
            options->warmup = (long)number;
        } else if (option == "--aim-error") {
            if (demo_number("--aim-error", value, 0, 10, &number))
                return 1;
            options->aim_error = number;
        } else if (option == "--balls") {
            if (demo_number("--balls", value, 0, 16, &number))
                return 1;
            options->balls = (int)number;
        } else {
            fprintf(stderr, "%s: unknown option or missing value '%s'\n", argv[0], option.c_str());
            demo_usage(argv[0]);
            return 1;
        }
        i++;
    }
    return 0;
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
    for (int slot = 0; slot < 16; slot++) {
        i32 ball = game->balls.states[slot] == 1;
        if (ball && !ball_states[slot])
            figures->balls_launched++;
        if (!ball && ball_states[slot])
            figures->balls_lost++;
        ball_states[slot] = ball;

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
    for (int slot = 0; slot < 16; slot++) {
        const s_coord& ball = game->balls.balls[slot].coord;
        if (game->balls.states[slot] == 1 && !(std::isfinite(ball.x) && std::isfinite(ball.y)))
            count++;
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
    if (demo_parse(argc, argv, &options))
        return 2;
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
    int status = game_start(game, options.level.c_str(), options.seeded ? &options.seed : nullptr);
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
    long blocks_at_start = demo_blocks_alive(game);
    i32 ball_states[16] = {}, bonus_states[16] = {};
    f32 bonus_y[16] = {};
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
    figures->blocks_destroyed = blocks_at_start - blocks_remaining;

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
