// Self-playing demo: runs the real game's start-up, frames and shutdown with an
// autopilot in the player's seat, takes screenshots and reports figures.
#include "gfx/fonts.h"
#include "shell/clock.h"
#include "shell/game.h"
#include "shell/replay.h"
#include "shell/vertex.h"
#include "tools/demo/alloc_count.h"
#include "tools/demo/autopilot.h"
#include "tools/demo/figures.h"
#include "tools/demo/options.h"
#include "tools/demo/shot.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

// Drawing size of an unwatched playback, pixels: the level must still be drawn,
// as drawing moves its blocks, but no rule of play depends on the picture's size.
constexpr int DEMO_REPLAY_VIEW_WIDTH = 80, DEMO_REPLAY_VIEW_HEIGHT = 60;

static s_game demo_game;
static s_replay demo_replay;
static s_demo_figures demo_figures;
static u32 demo_clock_now;
static u32 demo_clock_step;

// The fixed-step clock: every frame lasts exactly the given milliseconds.
static u32 demo_fixed_clock()
{
    demo_clock_now += demo_clock_step;
    return demo_clock_now;
}

// Loads the replay to play back, or opens the one to record, as the options ask.
// 0, or 1 with the message written.
static int demo_replay_open(const s_demo_options* options, s_replay* replay)
{
    std::string error;
    if (!options->replay.empty() && replay_load(replay, options->replay.c_str(), &error) != 0) {
        fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    if (!options->record.empty() &&
        replay_record_open(replay, options->record.c_str(), options->level.c_str(), &error) != 0) {
        fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    return 0;
}

// Starts recording or playback once the game runs. Playback keeps no wall-clock
// pace and, unless pictures are asked for, draws in a small corner: a demo
// plays back as fast as it can. 0, or 1 with the message written.
static int demo_replay_start(const s_demo_options* options, s_replay* replay)
{
    std::string error;
    if (replay->mode == REPLAY_PLAY) {
        replay_play_start(replay, 0);
        if (options->shots.empty() && !options->overlay)
            VTX_ScrResize(DEMO_REPLAY_VIEW_WIDTH, DEMO_REPLAY_VIEW_HEIGHT);
    } else if (!options->record.empty() &&
               replay_record_start(replay, options->seeded ? options->seed : gl_vertex.ticks,
                                   &error) != 0) {
        fprintf(stderr, "%s\n", error.c_str());
        replay_stop(replay);
        return 1;
    }
    return 0;
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
    s_replay* replay = &demo_replay;
    if (demo_replay_open(&options, replay) != 0)
        return 1;
    bool playing = replay->mode == REPLAY_PLAY;
    const u32* seed = playing ? &replay->seed : options.seeded ? &options.seed : nullptr;
    status = game_start(game, playing ? replay->map_path.c_str() : options.level.c_str(), seed);
    if (status != 0) {
        replay_stop(replay);
        return status;
    }
    if (demo_replay_start(&options, replay) != 0) {
        game_stop(game);
        return 1;
    }
    // Nobody is there to resume a demo that a lost focus paused.
    VTX_SetPausable(0);
    VTX_SetMaxFps(options.max_fps);
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
    double started = demo_wall_now(), sim_ms = 0, last = started, last_shown = started,
           cpu_started = (double)clock_process_ns();
    char shot_path[4096];

    for (long frame = 0;; frame++) {
        // A replay runs to its end unless told how many frames to play.
        if (options.frames >= 0 ? frame >= options.frames
                                : !playing && sim_ms >= options.seconds * 1000)
            break;
        if (frame == options.warmup) {
            figures->rss_warm_kib = demo_rss_kib();
            figures->particle_capacity_warm = game->particles.group_capacity;
            alloc_count_start();
        }
        s_demo_split split = {};
        double mark = demo_wall_now();
        if (game_frame_input(game) || replay_frame_time(replay))
            break;
        // The frame's input is made and recorded (or replayed) before the level
        // switch reads it, in the game's own order.
        if (!playing)
            autopilot_steer(&pilot, game);
        replay_frame_input(replay);
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
        if (replay_frame_check(replay, game)) {
            status = 1;
            break;
        }
        long alive = demo_blocks_alive(game);
        figures->blocks_destroyed += blocks_alive - alive;
        blocks_alive = alive;
        if (options.endurance)
            figures->nonfinite_positions += demo_nonfinite(game);

        // Pacing is judged where the player sees it: from one picture shown to the next.
        double now = demo_wall_now(), shown = gl_vertex.shown_ms / 1e3;
        long bin = (long)((shown - last_shown) * 1e5);
        figures->histogram[bin < DEMO_HISTOGRAM_BINS ? bin : DEMO_HISTOGRAM_BINS - 1]++;
        if (figures->splits && figures->split_count < DEMO_TIMED_FRAMES_MAX) {
            // The swap was timed inside the input step; the frame runs from one end to the next.
            split.parts[DEMO_PART_SWAP] = gl_vertex.swap_ms;
            split.parts[DEMO_PART_INPUT] -= gl_vertex.swap_ms;
            split.total = (f32)((now - last) * 1e3);
            split.shown = (f32)((shown - last_shown) * 1e3);
            split.parts[DEMO_PART_OTHER] = split.total;
            for (int part = 0; part < DEMO_PART_OTHER; part++)
                split.parts[DEMO_PART_OTHER] -= split.parts[part];
            figures->splits[figures->split_count++] = split;
        }
        last = now;
        last_shown = shown;
        sim_ms += gl_vertex.frame_time;
        figures->frames++;
    }
    figures->allocations = alloc_count_read();
    figures->wall_seconds = demo_wall_now() - started;
    figures->cpu_seconds = ((double)clock_process_ns() - cpu_started) / CLOCK_NS_PER_S;
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
    if (replay_stop(replay) != 0)
        status = 1;
    return status;
}
