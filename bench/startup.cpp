// Start-up time: launching the real demo binary (dynamic linking and exit),
// start-up inside the process up to the first drawn frame being shown, and a
// whole one-frame run of the binary as an upper bound.
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <vector>

#include "shell/game.h"
#include "shell/swap.h"
#include "shell/vertex.h"

extern char** environ;

namespace {

const std::string DEMO = std::string(TUMBRELIX_BINARY_DIR) + "/tumbrelix-demo";

// Runs the demo with the given options, output discarded; its exit status, or -1.
int startup_run(std::vector<const char*> args)
{
    args.insert(args.begin(), DEMO.c_str());
    args.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    pid_t pid;
    int failed =
        posix_spawn(&pid, DEMO.c_str(), &actions, nullptr, (char* const*)args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    int status = 0;
    if (failed || waitpid(pid, &status, 0) != pid)
        return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Starts the game on `map` from the source tree, where its data lies, or with
// no game only moves there; false, the run skipped, when either fails.
bool startup_begin(benchmark::State& state, s_game* game, const char* map)
{
    if (chdir(TUMBRELIX_SOURCE_DIR) != 0)
        state.SkipWithError("no source directory");
    else if (game && game_start(game, map) != 0)
        state.SkipWithError("the game did not start (no display?)");
    else
        return true;
    return false;
}

// Process start to main and back: the libraries' loading and the exit.
void BM_LaunchAndExit(benchmark::State& state)
{
    for (auto _ : state)
        if (startup_run({"--help"}) != 0)
            state.SkipWithError("tumbrelix-demo --help failed");
}
BENCHMARK(BM_LaunchAndExit)->Unit(benchmark::kMillisecond)->UseRealTime();

// In the process: sound, window, every texture, level, sounds, music stream,
// then one frame drawn and shown.
void BM_StartToFirstFrameShown(benchmark::State& state)
{
    for (auto _ : state) {
        s_game game;
        if (!startup_begin(state, &game, "levels/default.map"))
            return;
        game_frame_update(&game);
        VTX_Loop(0);
        state.PauseTiming();
        game_stop(&game);
        state.ResumeTiming();
    }
}
BENCHMARK(BM_StartToFirstFrameShown)->Unit(benchmark::kMillisecond)->UseRealTime();

// The whole binary for one frame, shutdown included: an upper bound.
void BM_WholeOneFrameRun(benchmark::State& state)
{
    if (!startup_begin(state, nullptr, nullptr))
        return;
    for (auto _ : state)
        if (startup_run({"--frames", "1"}) != 0)
            state.SkipWithError("tumbrelix-demo --frames 1 failed");
}
BENCHMARK(BM_WholeOneFrameRun)->Unit(benchmark::kMillisecond)->UseRealTime();

// The bundled pack's levels replacing one another in playing order: read,
// textures loaded and released, play objects reset. A switch happens between
// two frames, so it must stay well under the 0.7 s of music the stream holds.
void BM_LevelSwitch(benchmark::State& state)
{
    s_game game;
    if (!startup_begin(state, &game, "levels"))
        return;
    game_frame_update(&game);
    std::string error;
    double worst_ms = 0;
    for (auto _ : state) {
        auto begun = std::chrono::steady_clock::now();
        game.pack.current = pack_next(&game.pack);
        if (swap_level(&game, game.pack.levels[game.pack.current].path.c_str(), &error) != 0) {
            state.SkipWithError(error.c_str());
            break;
        }
        std::chrono::duration<double, std::milli> took = std::chrono::steady_clock::now() - begun;
        worst_ms = std::max(worst_ms, took.count());
    }
    state.counters["worst_ms"] = worst_ms;
    game_stop(&game);
}
BENCHMARK(BM_LevelSwitch)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(24);

}  // namespace
