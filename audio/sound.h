// The sound layer: mixing, pitch, gain, looping and streaming over OpenAL Soft,
// with libsndfile and libopenmpt as decoders. Only audio/chord.cpp plays
// through it; tests use its loopback hooks to hear what the game would play.
#pragma once

#include "shell/types.h"

struct s_sound_system;
struct s_sound;

enum {
    SOUND_MODE_LOOP = 2,            // sound mode flag: loop without end unless a loop count is set
    SOUND_MODE_NONBLOCKING = 4,     // stream mode flag: open the file on the loader thread
    SOUND_INIT_LOOPBACK = 0x10000,  // init flag: render only through sound_render (tests)
    SOUND_MAX_CHANNELS = 255,       // voices a system may have
    SOUND_OUTPUT_RATE = 44100,      // Hz of the loopback mix
    SOUND_STREAM_BUFFERS = 4,       // buffers queued per stream
    SOUND_STREAM_FRAMES = 8192,     // frames per stream buffer (about 186 ms at 44.1 kHz)
    SOUND_LOOPBACK_CAP_MS = 250,    // longest wall-time gap rendered by one update
    SOUND_MAX_SAMPLE_BYTES = 32 << 20,  // PCM size above which a sample must be streamed instead
    SOUND_PATH_SIZE = 4096,             // bytes of a file name with its end, at most
};

// Where the opening of a sound's file stands.
enum e_sound_open {
    SOUND_OPEN_READY = 0,    // the sound can play
    SOUND_OPEN_LOADING = 1,  // the loader thread is still opening the file
    SOUND_OPEN_FAILED = 2,   // the file could not be opened; the system's error says why
};

// Allocates a system object; 0 or 1.
int sound_system_create(s_sound_system** system);
// Opens the output (the default device, else a silent loopback) with max_channels voices and
// starts the loader thread; 0 or 1.
int sound_system_init(s_sound_system* system, int max_channels, u32 flags);
// Per-frame work: reclaims ended voices, counts loops, refills streams, renders a silent loopback.
void sound_system_update(s_sound_system* system);
// Stops the loader and every voice, and closes the output and the system object; null is harmless.
void sound_system_release(s_sound_system* system);
// Why the latest load of this system failed, naming the file; "" if none did.
const char* sound_system_error(const s_sound_system* system);
// Streams that ran dry and had to be restarted since init.
u32 sound_system_underruns(const s_sound_system* system);
// Mixes frames stereo 16-bit frames of a loopback system into out; 0, or 1 if not a loopback.
int sound_render(s_sound_system* system, i16* out, u32 frames);

// Loads a whole file as a sample (mode 0: play once, SOUND_MODE_LOOP: loop); 0 or 1 (*sound null).
int sound_create_sample(s_sound_system* system, const char* path, u32 mode, s_sound** sound);
// Opens a file to be streamed while it plays; 0 or 1 (*sound null). With SOUND_MODE_NONBLOCKING
// only the stream's buffers are made here and the loader thread opens the file.
int sound_create_stream(s_sound_system* system, const char* path, u32 mode, s_sound** sound);
// Where the sound's opening stands (e_sound_open), a failure noted as the system's error; null: failed.
int sound_open_state(s_sound* sound);
// Stops the voices playing the sound, detaches and frees its buffers, after the loader is done with
// it; null is harmless.
void sound_release(s_sound* sound);

// Starts the sound on a free voice, once the loader has opened it; returns its channel handle,
// 0 if none (null or unopenable sound, all voices busy).
u32 sound_play(s_sound_system* system, s_sound* sound, bool paused);
// The channel's frequency in Hz (file rate times pitch); 0 for a stale channel.
f32 sound_channel_get_frequency(s_sound_system* system, u32 channel);
// Sets the frequency in Hz, clamped to a small positive minimum.
void sound_channel_set_frequency(s_sound_system* system, u32 channel, f32 hz);
// Repeats after the current pass: -1 for ever, 0 none, n times more.
void sound_channel_set_loop_count(s_sound_system* system, u32 channel, int loop_count);
// Silences or restores the channel, keeping its volume.
void sound_channel_set_mute(s_sound_system* system, u32 channel, bool mute);
// Places the channel from -1 (left) through 0 (centre) to 1 (right).
void sound_channel_set_pan(s_sound_system* system, u32 channel, f32 pan);
// Pauses or resumes the channel where it was.
void sound_channel_set_paused(s_sound_system* system, u32 channel, bool paused);
// Sets the gain, 0 to 1, every voice of samples (streams false) or of streams
// (true) plays at, on top of its own volume; at once for those playing.
void sound_system_set_gain(s_sound_system* system, bool streams, f32 gain);
// Sets the channel's volume from 0 to 1.
void sound_channel_set_volume(s_sound_system* system, u32 channel, f32 volume);
// Stops the channel and frees its voice.
void sound_channel_stop(s_sound_system* system, u32 channel);
// True while the channel's voice is still given to it (playing or paused).
bool sound_channel_is_playing(s_sound_system* system, u32 channel);
