// Sound channels: the game's one door to sound. Callers name a loaded sound by
// a plain u32 handle and control the channel it was last started on.
#pragma once

#include "shell/types.h"

struct s_sound;
struct s_sound_system;

enum {
    CHD_GROWTH = 64,           // slots added each time the table is full
    CHD_MODE_LOOP = 2,         // load mode: loop without end
    CHD_MODE_NONBLOCKING = 4,  // stream mode: open the file in the background
};

// Where the opening of a slot's sound stands.
enum e_chd_open {
    CHD_OPEN_READY = 0,    // it can play
    CHD_OPEN_LOADING = 1,  // its file is still being opened in the background
    CHD_OPEN_FAILED = 2,   // it could not be opened; the slot holds no sound
};

// One loaded sound and the channel of its latest start.
struct s_chd_slot {
    u32 channel;     // channel handle of the latest CHD_PlayStart; 0 before the first start
    s_sound* sound;  // the loaded sample or opened stream; null if loading failed
    f32 frequency;   // Hz of the channel read right after the latest start
};

// The module state, all zero until CHD_Init.
struct s_chd {
    s_chd_slot* slots;       // the slot table
    u32 count;               // slots handed out
    u32 capacity;            // slots allocated
    s_sound_system* system;  // null until created
};

extern s_chd gl_chord;

// Starts the sound system with max_channels voices (flags go to the sound layer); 0 or 1.
int CHD_Init(int max_channels, u32 flags);
// Takes the next slot, writes its handle and loads the file whole (mode 0 once, 2 loop); 0 or 1.
int CHD_LoadSound(const char* name, u32 mode, u32* handle);
// As CHD_LoadSound, but the file is opened for streaming (with CHD_MODE_NONBLOCKING, in the background).
int CHD_LoadStream(const char* name, u32 mode, u32* handle);
// Releases the slot's sound and streams another file through the same slot; 0 or 1.
int CHD_ReloadStream(u32 handle, const char* name, u32 mode);
// Where the opening of the slot's sound stands (e_chd_open); a failed one is released.
int CHD_GetOpenState(u32 handle);
// Per-frame update of the sound system.
void CHD_Loop();
// Starts the slot's sound on a free channel and reads that channel's frequency.
void CHD_PlayStart(u32 handle, bool paused);
// Stops the slot's latest channel.
void CHD_PlayStop(u32 handle);
// True while the slot's latest channel plays or waits paused.
bool CHD_IsPlaying(u32 handle);
// Sets the frequency in Hz, or as a multiple of the frequency read at start when relative.
void CHD_SetFrequency(u32 handle, float value, bool relative);
// Sets how often the latest channel repeats; -1 loops without end.
void CHD_SetLoop(u32 handle, int loop_count);
// Mutes or unmutes the latest channel, keeping its volume.
void CHD_SetMode(u32 handle, bool mute);
// Pans the latest channel from -1 (left) to 1 (right).
void CHD_SetPan(u32 handle, float pan);
// Pauses or resumes the latest channel.
void CHD_SetPaused(u32 handle, bool paused);
// Sets the latest channel's volume from 0 to 1.
void CHD_SetVolume(u32 handle, float volume);
// Sets the volume, 0 to 1, of every stream (music non-zero: the music) or of
// every other sound (music zero: the effects), playing or to come.
void CHD_SetGain(u8 music, float gain);
// Releases every sound, last slot first, then the table and the system.
void CHD_Stop();
