// What a demo run measures, and the lines that report it.
#include "tools/demo/figures.h"

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include "shell/clock.h"

static const char* const demo_part_names[DEMO_PART_COUNT] = {"input", "update", "draw", "swap",
                                                             "other"};

double demo_wall_now()
{
    return (double)clock_ns() / CLOCK_NS_PER_S;
}

void demo_lap(double* mark, f32* part)
{
    double now = demo_wall_now();
    *part += (f32)((now - *mark) * 1e3);
    *mark = now;
}

double demo_fps_at(const s_demo_figures* figures, double fraction)
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

void demo_watch(s_game* game, i32* ball_states, i32* bonus_states, f32* bonus_y,
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

long demo_rss_kib()
{
    FILE* f = fopen("/proc/self/statm", "r");
    if (!f)
        return 0;
    long pages = 0, resident = 0;
    int read = fscanf(f, "%ld %ld", &pages, &resident);
    fclose(f);
    return read == 2 ? resident * (sysconf(_SC_PAGESIZE) / 1024) : 0;
}

long demo_nonfinite(s_game* game)
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

long demo_blocks_alive(s_game* game)
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

void demo_print_timings(const s_demo_figures* figures)
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
    double mean = 0, square = 0;
    for (long i = 0; i < count; i++)
        mean += figures->splits[i].shown / (double)count;
    for (long i = 0; i < count; i++)
        square += pow(figures->splits[i].shown - mean, 2) / (double)count;
    // The CPU of the renderer's threads counts too: a frame costs what the process spends.
    printf("; cpu_per_frame=%.3f cpu_percent=%.1f frame_mean=%.3f frame_sd=%.3f\n",
           figures->cpu_seconds * 1e3 / (double)std::max(figures->frames, 1L),
           100 * figures->cpu_seconds / std::max(figures->wall_seconds, 1e-9), mean, sqrt(square));
}
