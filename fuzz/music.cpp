// Feeds arbitrary bytes to both stream decoders: libopenmpt for modules, libsndfile for OGG and MP3.
#include <cstddef>
#include <cstdint>

#include "audio/decode.h"

static const u32 FUZZ_CHUNK = 1024; // frames read at a time
static const u32 FUZZ_CHUNKS = 16;  // rendering a whole module would only slow the fuzzer

static void fuzz_decode(const uint8_t* data, size_t size, bool tracker)
{
    static i16 pcm[FUZZ_CHUNK * DECODE_MAX_CHANNELS];
    s_decoder decoder;
    if (decode_open_memory(&decoder, data, size, tracker, tracker ? "fuzz.mod" : "fuzz.ogg"))
        return;
    if (decoder.channels < 1 || decoder.channels > DECODE_MAX_CHANNELS)
        __builtin_trap();
    for (u32 i = 0; i < FUZZ_CHUNKS && decode_read(&decoder, pcm, FUZZ_CHUNK); i++) {
    }
    if (decode_rewind(&decoder) == 0)
        decode_read(&decoder, pcm, FUZZ_CHUNK);
    decode_close(&decoder);
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz_decode(data, size, true);
    fuzz_decode(data, size, false);
    return 0;
}
