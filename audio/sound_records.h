// The records the sound layer's files share: the system, its voices and its
// sounds, and the few steps one file takes for another. Callers use audio/sound.h.
#pragma once

#include <AL/al.h>
#include <AL/alc.h>
#include <AL/alext.h>

#include <condition_variable>
#include <mutex>
#include <thread>

#include "audio/decode.h"
#include "audio/sound.h"

constexpr u32 SOUND_RENDER_CHUNK = 1024;  // frames mixed between two stream refills
// Stream records kept for reuse: the music holds two streams at most.
enum { SOUND_SPARE_STREAMS = 2 };

struct s_sound_voice {
    ALuint source;
    s_sound* sound;  // null while the voice is free
    u32 generation;  // bumped whenever the voice is freed, so old handles go stale
    bool paused;
    bool muted;
    f32 volume;         // 0 to 1, kept while muted
    f32 pitch;          // multiple of the sound's rate
    i32 loops;          // -1 for ever, else repeats still to play
    ALint last_offset;  // sample position at the previous update, to count loop wraps
};

struct s_sound {
    s_sound_system* system;
    bool stream;
    u32 channels;
    u32 rate;
    i32 loops;  // loop count a new voice starts with
    ALenum format;
    ALuint buffer;      // the whole sample
    s_decoder decoder;  // the open stream
    ALuint buffers[SOUND_STREAM_BUFFERS];
    ALuint idle[SOUND_STREAM_BUFFERS];  // stream buffers not queued on any source
    u32 idle_count;
    i16* pcm;         // one stream buffer's worth of frames
    u32 voice;        // index + 1 of the voice streaming it, 0 if none
    bool ended;       // the decoder has nothing more for this play
    bool background;  // opened by the loader thread
    int open_state;   // e_sound_open; changed under the system's lock while background
    s_sound* queued;  // the next sound waiting for the loader
    // Where this play's queue stands, so a loop count set later can be held to what is heard.
    u64 played;   // frames of its buffers already unqueued
    u32 at;       // frames read since the decoder's latest rewind
    u32 pass;     // frames of one pass through the file, known at the first rewind; 0 before
    u32 rewinds;  // rewinds queued
    char path[SOUND_PATH_SIZE];
};

struct s_sound_system {
    ALCdevice* device;
    ALCcontext* context;
    bool loopback;
    bool manual;  // loopback rendered only by sound_render
    LPALCRENDERSAMPLESSOFT render;
    s_sound_voice voices[SOUND_MAX_CHANNELS];
    u32 voice_count;
    i16 scratch[SOUND_RENDER_CHUNK * 2];  // where a silent loopback mixes to
    u64 last_ns;
    u64 carry;  // frame fraction left over, in ns x rate units
    u32 underruns;
    f32 gains[2] = {1, 1};  // factor on every voice's volume: samples, streams
    char error[DECODE_ERROR_SIZE];
    // The loader opens files off the frame: building a module, or a Vorbis
    // decoder's tables, takes milliseconds, tens of them for a large module.
    std::thread loader;
    std::mutex lock;
    std::condition_variable changed;  // a sound was queued or opened, or the loader must stop
    s_sound* waiting;                 // sounds queued for the loader, oldest first
    bool quitting;
    // Released stream records with their sample buffers, taken again by the
    // next streams, so the music moving on to another track allocates nothing.
    s_sound* spare_streams[SOUND_SPARE_STREAMS];
    u32 spare_count;
};

// Sets aside SOUND_SPARE_STREAMS stream records at start-up, as far as memory allows.
void sound_spares_reserve(s_sound_system* system);
// Frees the stream records set aside.
void sound_spares_release(s_sound_system* system);
// Deletes a sound's buffers, its decoder and its record; no voice may play it
// any more, and the loader must be done with it.
void sound_free(s_sound* sound);
// Frees a voice: the source is stopped and its buffers detached, so they may be deleted.
void sound_voice_free(s_sound_voice* voice);
// Reclaims ended voices, counts sample loops and refills streams.
void sound_voice_service(s_sound_system* system);
// Fills a stream's idle buffers from its decoder and queues them on the voice.
void sound_stream_queue(s_sound* sound, s_sound_voice* voice);
// The loader thread's body: opens queued stream files until the system quits.
void sound_loader_run(s_sound_system* system);
// The sound's opening once the loader is done with it (e_sound_open); with cancel,
// a sound still queued is taken off the queue instead and counts as failed.
int sound_loader_wait(s_sound* sound, bool cancel);
