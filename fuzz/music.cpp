// Feeds arbitrary bytes to both stream decoders: libopenmpt for modules, libsndfile for OGG and MP3.
#include "decode_fuzz.h"

constexpr u32 FUZZ_CHUNK = 1024;  // frames read at a time
constexpr u32 FUZZ_CHUNKS = 16;   // rendering a whole module would only slow the fuzzer

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static i16 pcm[FUZZ_CHUNK * DECODE_MAX_CHANNELS];
    decode_fuzz_run(data, size, true, "fuzz.mod", pcm, FUZZ_CHUNK, FUZZ_CHUNKS);
    decode_fuzz_run(data, size, false, "fuzz.ogg", pcm, FUZZ_CHUNK, FUZZ_CHUNKS);
    return 0;
}
