// Shared body of the sound fuzz targets: open arbitrary bytes with the sound
// layer's decoder, read a bounded number of chunks, rewind and read again.
#pragma once

#include <cstddef>
#include <cstdint>

#include "audio/decode.h"

// Decodes data as a tracker module or, with tracker false, through libsndfile.
static inline void decode_fuzz_run(const uint8_t* data, size_t size, bool tracker, const char* name,
                                   i16* pcm, u32 chunk_frames, u32 chunks)
{
    s_decoder decoder;
    if (decode_open_memory(&decoder, data, size, tracker, name))
        return;
    if (decoder.channels < 1 || decoder.channels > DECODE_MAX_CHANNELS)
        __builtin_trap();
    for (u32 i = 0; i < chunks && decode_read(&decoder, pcm, chunk_frames); i++) {
    }
    if (decode_rewind(&decoder) == 0)
        decode_read(&decoder, pcm, chunk_frames);
    decode_close(&decoder);
}
