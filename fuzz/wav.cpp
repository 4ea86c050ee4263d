// Feeds arbitrary bytes to the sample decoder (libsndfile from memory), as CHD_LoadSound would.
#include <cstddef>
#include <cstdint>

#include "audio/decode.h"

static const u32 FUZZ_CHUNK = 4096;  // frames read at a time
static const u32 FUZZ_CHUNKS = 32;   // enough to pass every header and several blocks

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static i16 pcm[FUZZ_CHUNK * DECODE_MAX_CHANNELS];
    s_decoder decoder;
    if (decode_open_memory(&decoder, data, size, false, "fuzz.wav"))
        return 0;
    if (decoder.channels < 1 || decoder.channels > DECODE_MAX_CHANNELS)
        __builtin_trap();
    for (u32 i = 0; i < FUZZ_CHUNKS && decode_read(&decoder, pcm, FUZZ_CHUNK); i++) {
    }
    if (decode_rewind(&decoder) == 0)
        decode_read(&decoder, pcm, FUZZ_CHUNK);
    decode_close(&decoder);
    return 0;
}
