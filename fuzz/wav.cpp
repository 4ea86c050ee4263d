// Feeds arbitrary bytes to the sample decoder (libsndfile from memory), as CHD_LoadSound would.
#include "decode_fuzz.h"

constexpr u32 FUZZ_CHUNK = 4096;  // frames read at a time
constexpr u32 FUZZ_CHUNKS = 32;   // enough to pass every header and several blocks

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static i16 pcm[FUZZ_CHUNK * DECODE_MAX_CHANNELS];
    decode_fuzz_run(data, size, false, "fuzz.wav", pcm, FUZZ_CHUNK, FUZZ_CHUNKS);
    return 0;
}
