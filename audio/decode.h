// Decoders of the sound layer: WAV, OGG and MP3 through libsndfile, tracker
// modules (IT, MOD, S3M, XM) through libopenmpt, all read as 16-bit PCM.
#pragma once

#include <cstddef>
#include <vector>

#include "shell/types.h"

enum {
    DECODE_MAX_CHANNELS = 2,           // more than stereo is refused
    DECODE_MIN_RATE = 1000,            // Hz; anything outside is a broken header
    DECODE_MAX_RATE = 384000,          // Hz
    DECODE_TRACKER_RATE = 44100,       // Hz at which modules are rendered
    DECODE_MAX_FILE_BYTES = 64 << 20,  // larger modules are refused
    DECODE_CHUNK_FRAMES = 1024,        // frames read from libsndfile at a time
    DECODE_ERROR_SIZE = 512,
    DECODE_TRACKER_EXTENSIONS = 4,  // entries of decode_tracker_extensions
};

// One open source of PCM frames.
struct s_decoder {
    void* file;                     // SNDFILE*, or null
    void* module;                   // openmpt_module*, or null
    std::vector<u8> bytes;          // the whole input when decoding from memory
    size_t offset;                  // read position in bytes for libsndfile's virtual reader
    u32 channels;                   // 1 or 2
    u32 rate;                       // frames per second
    char error[DECODE_ERROR_SIZE];  // why the last open failed, naming the file
    float chunk[DECODE_CHUNK_FRAMES * DECODE_MAX_CHANNELS];  // libsndfile's frames before 16 bits
};

// Extensions of the tracker modules libopenmpt plays, with their dot.
extern const char* const decode_tracker_extensions[DECODE_TRACKER_EXTENSIONS];

// True when the path ends in one of the tracker extensions (case-insensitive).
bool decode_is_tracker_name(const char* path);
// Opens a file, by its extension as a tracker module or else through libsndfile; 0 or 1 (error set).
int decode_open_file(s_decoder* decoder, const char* path);
// Opens a copy of the given bytes; name appears in messages; 0 or 1 (error set).
int decode_open_memory(s_decoder* decoder, const void* data, size_t size, bool tracker,
                       const char* name);
// Reads up to frames interleaved frames into out; returns the frames read, 0 at the end or on error.
u32 decode_read(s_decoder* decoder, i16* out, u32 frames);
// Goes back to the first frame; 0 or 1.
int decode_rewind(s_decoder* decoder);
// Goes to the given frame; 0, or 1 if the source cannot get there.
int decode_seek(s_decoder* decoder, u64 frame);
// Closes the source and frees its memory; harmless on a closed decoder.
void decode_close(s_decoder* decoder);
