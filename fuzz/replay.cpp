// Fuzz target for the replay reader: any bytes as a replay, then its frames and
// checksums walked as playback walks them, which must agree with what the
// reader counted.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "shell/replay.h"

// Frames walked at most: a run line may stand for a billion.
constexpr uint32_t FUZZ_REPLAY_WALK_MAX = 100000;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    s_replay replay;
    std::string error;
    if (replay_parse(&replay, "fuzz.replay", std::string((const char*)data, size), &error) != 0)
        return 0;
    s_replay_input input;
    u64 sum;
    uint32_t frames = 0, checks = 0;
    while (frames < FUZZ_REPLAY_WALK_MAX && replay_next_frame(&replay, &input) == 0) {
        frames++;
        checks += (uint32_t)replay_next_check(&replay, &sum);
    }
    // Every frame and every checksum the reader accepted is met by playback.
    if (frames < FUZZ_REPLAY_WALK_MAX &&
        (frames != replay.frames_total || checks != replay.cursor.checks || !replay.cursor.ended))
        abort();
    return 0;
}
