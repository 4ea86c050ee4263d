// Whole frames in the real window: the empty frame (clear and swap), the demo's
// frame on the default level, and the stress scene of 16 balls, 1,000 blocks
// and 5,000 live particles that scripts/profile measures with callgrind.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>

#include "shell/clock.h"
#include "shell/game.h"
#include "shell/vertex.h"
#include "tools/demo/autopilot.h"

namespace {

const u32 FRAME_STEP_MS = 10;       // fixed step: the same game on every machine
const u32 STRESS_PARTICLES = 5000;  // live particles kept in the stress scene
const char* STRESS_MAP = "/tmp/tumbrelix_bench_stress.map";

u32 frame_clock_now = 1000;
double frame_empty_ns = 0;  // measured by BM_EmptyFrame, for the ratio

u32 frame_fixed_clock()
{
    frame_clock_now += FRAME_STEP_MS;
    return frame_clock_now;
}

// The default level's world and faces with its block groups replaced by ten
// unbreakable groups of 100 blocks (a 40 x 25 grid), so the count stays 1,000.
bool frame_write_stress_map()
{
    std::ifstream in("levels/default.map");
    std::ostringstream kept;
    std::string line;
    bool in_blocks = false;
    while (std::getline(in, line)) {
        if (line.rfind("BLOCKS", 0) == 0)
            in_blocks = true;
        if (!in_blocks)
            kept << line << '\n';
        if (in_blocks && line.rfind("END", 0) == 0)
            in_blocks = false;
    }
    const char* colours[5] = {"yellow", "orange", "red", "yellow", "orange"};
    for (int g = 0; g < 10; g++) {
        const char* c = colours[g % 5];
        kept << "BLOCKS\n  NUMFACES 5\n  FACES " << c << "_front " << c << "_top " << c
             << "_bottom " << c << "_left " << c << "_right\n  LIVES 0\n";
        for (int i = 0; i < 100; i++) {
            int n = g * 100 + i;
            kept << "  ORIGIN " << -9.75f + (n % 40) * 0.5f << ' ' << 2.0f + (n / 40) * 0.25f
                 << " 0\n";
        }
        kept << "END\n";
    }
    std::ofstream out(STRESS_MAP);
    out << kept.str();
    return in.eof() && out.good();
}

int frame_live_particles(const s_game* game)
{
    int live = 0;
    for (u32 i = 0; i < game->particles.group_count; i++)
        live += game->particles.groups[i].dot_count;
    return live;
}

// Tops the scene up to 16 balls and 5,000 live particles (long-lived bursts of 200).
void frame_stress_fill(s_game* game)
{
    for (int slot = 0; slot < 16; slot++)
        if (game->balls.states[slot] != 1)
            ball_list_insert(&game->balls, game->pad.coord.x, game->pad.coord.y + 1);
    s_coord origin = {0, 0, 0, 0, 0, 0};
    while (frame_live_particles(game) + 200 <= (int)STRESS_PARTICLES)
        particle_create(&game->particles, &origin, 7, PARTICLE_PAD_RELEASE, 1);
}

struct FrameGame {
    s_game game;
    bool started = false;

    explicit FrameGame(const char* map)
    {
        if (chdir(TUMBRELIX_SOURCE_DIR) != 0)
            return;
        frame_clock_now = 1000;
        VTX_SetClock(frame_fixed_clock);
        u32 seed = 1;
        started = game_start(&game, map, &seed) == 0;
        // Nobody is there to resume a benchmark that a lost focus paused.
        VTX_SetPausable(0);
    }
    ~FrameGame()
    {
        if (started)
            game_stop(&game);
        VTX_SetClock(nullptr);
    }
};

void BM_EmptyFrame(benchmark::State& state)
{
    FrameGame run("levels/default.map");
    if (!run.started) {
        state.SkipWithError("the game did not start (no display?)");
        return;
    }
    auto start = std::chrono::steady_clock::now();
    for (auto _ : state)
        VTX_Loop(0);
    frame_empty_ns =
        std::chrono::duration<double, std::nano>(std::chrono::steady_clock::now() - start).count() /
        state.iterations();
    state.counters["fps"] =
        benchmark::Counter((double)state.iterations(), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_EmptyFrame)->Unit(benchmark::kMicrosecond)->UseRealTime();

void BM_DemoFrame(benchmark::State& state)
{
    FrameGame run("levels/default.map");
    if (!run.started) {
        state.SkipWithError("the game did not start (no display?)");
        return;
    }
    s_autopilot pilot;
    autopilot_define(&pilot, 1, 0, 1.0f);
    u64 cpu_start = clock_process_ns();
    auto start = std::chrono::steady_clock::now();
    for (auto _ : state) {
        game_frame_input(&run.game);
        autopilot_steer(&pilot, &run.game);
        game_frame_update(&run.game);
    }
    double ns =
        std::chrono::duration<double, std::nano>(std::chrono::steady_clock::now() - start).count() /
        state.iterations();
    state.counters["fps"] =
        benchmark::Counter((double)state.iterations(), benchmark::Counter::kIsRate);
    if (frame_empty_ns > 0)
        state.counters["x_empty_frame"] = ns / frame_empty_ns;
    // The renderer's threads count too: the frame costs what the whole process spends.
    state.counters["cpu_ms"] =
        (double)(clock_process_ns() - cpu_start) / CLOCK_NS_PER_MS / (double)state.iterations();
}
BENCHMARK(BM_DemoFrame)->Unit(benchmark::kMicrosecond)->UseRealTime()->MinTime(3.0);

void BM_StressFrame(benchmark::State& state)
{
    if (chdir(TUMBRELIX_SOURCE_DIR) != 0 || !frame_write_stress_map()) {
        state.SkipWithError("could not write the stress level");
        return;
    }
    FrameGame run(STRESS_MAP);
    if (!run.started) {
        state.SkipWithError("the game did not start (no display?)");
        return;
    }
    // Warm up: the first frames load nothing, but the scene fills over them.
    for (int i = 0; i < 20; i++) {
        frame_stress_fill(&run.game);
        game_frame_input(&run.game);
        game_frame_update(&run.game);
    }
    int particles = 0;
    for (auto _ : state) {
        frame_stress_fill(&run.game);
        particles += frame_live_particles(&run.game);
        game_frame_input(&run.game);
        game_frame_update(&run.game);
    }
    state.counters["fps"] =
        benchmark::Counter((double)state.iterations(), benchmark::Counter::kIsRate);
    state.counters["particles"] = (double)particles / state.iterations();
    state.counters["balls"] = autopilot_balls_in_play(&run.game);
    unlink(STRESS_MAP);
}
// The same scene for a fixed 30 frames, the run scripts/profile measures with callgrind.
void BM_StressProfile(benchmark::State& state)
{
    BM_StressFrame(state);
}
BENCHMARK(BM_StressProfile)->Iterations(30)->Unit(benchmark::kMicrosecond)->UseRealTime();

BENCHMARK(BM_StressFrame)->Unit(benchmark::kMicrosecond)->UseRealTime()->MinTime(2.0);

}  // namespace
