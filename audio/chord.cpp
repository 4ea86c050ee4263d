// Sound channels: a table of sound slots over the sound layer, addressed by plain handles.
#include "audio/chord.h"

#include <cstdlib>
#include <cstring>

#include "audio/sound.h"

s_chd gl_chord;

static_assert((int)CHD_MODE_LOOP == (int)SOUND_MODE_LOOP &&
                  (int)CHD_MODE_NONBLOCKING == (int)SOUND_MODE_NONBLOCKING &&
                  (int)CHD_OPEN_LOADING == (int)SOUND_OPEN_LOADING &&
                  (int)CHD_OPEN_FAILED == (int)SOUND_OPEN_FAILED,
              "modes and open states pass straight to the sound layer");

int CHD_Init(int max_channels, u32 flags)
{
    // A second init would otherwise lose the first system and its sounds.
    if (gl_chord.system || gl_chord.slots)
        CHD_Stop();
    memset(&gl_chord, 0, sizeof gl_chord);
    s_sound_system* system = nullptr;
    if (sound_system_create(&system))
        return 1;
    if (sound_system_init(system, max_channels, flags)) {
        sound_system_release(system);
        return 1;
    }
    gl_chord.system = system;
    return 0;
}

// Takes the next slot, growing the table by CHD_GROWTH when full; 0 or 1 (table unchanged).
static int CHD_InternalAlloc(u32* handle)
{
    if (gl_chord.count == gl_chord.capacity) {
        if (gl_chord.capacity > 0xFFFFFFFFu - CHD_GROWTH)
            return 1;
        u32 capacity = gl_chord.capacity + CHD_GROWTH;
        s_chd_slot* slots = (s_chd_slot*)realloc(gl_chord.slots, capacity * sizeof(s_chd_slot));
        if (!slots)
            return 1;
        memset(slots + gl_chord.capacity, 0, CHD_GROWTH * sizeof(s_chd_slot));
        gl_chord.slots = slots;
        gl_chord.capacity = capacity;
    }
    *handle = gl_chord.count++;
    return 0;
}

// A handle never given out names no slot; every operation on it does nothing.
static s_chd_slot* CHD_InternalSlot(u32 handle)
{
    return handle < gl_chord.count ? &gl_chord.slots[handle] : nullptr;
}

// The shared body of the two loads: the handle is spent even when the file is refused.
static int CHD_InternalLoad(const char* name, u32 mode, u32* handle, bool stream)
{
    if (CHD_InternalAlloc(handle))
        return 1;
    s_chd_slot* slot = &gl_chord.slots[*handle];
    if (stream)
        return sound_create_stream(gl_chord.system, name, mode, &slot->sound);
    return sound_create_sample(gl_chord.system, name, mode, &slot->sound);
}

int CHD_LoadSound(const char* name, u32 mode, u32* handle)
{
    return CHD_InternalLoad(name, mode, handle, false);
}

int CHD_LoadStream(const char* name, u32 mode, u32* handle)
{
    return CHD_InternalLoad(name, mode, handle, true);
}

int CHD_ReloadStream(u32 handle, const char* name, u32 mode)
{
    s_chd_slot* slot = CHD_InternalSlot(handle);
    if (!slot)
        return 1;
    sound_release(slot->sound);
    memset(slot, 0, sizeof *slot);
    return sound_create_stream(gl_chord.system, name, mode, &slot->sound);
}

int CHD_GetOpenState(u32 handle)
{
    s_chd_slot* slot = CHD_InternalSlot(handle);
    if (!slot)
        return CHD_OPEN_FAILED;
    int state = sound_open_state(slot->sound);
    if (state == CHD_OPEN_FAILED) {
        sound_release(slot->sound);
        slot->sound = nullptr;
    }
    return state;
}

void CHD_Loop()
{
    sound_system_update(gl_chord.system);
}

void CHD_PlayStart(u32 handle, bool paused)
{
    s_chd_slot* slot = CHD_InternalSlot(handle);
    if (!slot)
        return;
    slot->channel = sound_play(gl_chord.system, slot->sound, paused);
    slot->frequency = sound_channel_get_frequency(gl_chord.system, slot->channel);
}

void CHD_SetGain(u8 music, float gain)
{
    sound_system_set_gain(gl_chord.system, music != 0, gain);
}

void CHD_PlayStop(u32 handle)
{
    if (s_chd_slot* slot = CHD_InternalSlot(handle))
        sound_channel_stop(gl_chord.system, slot->channel);
}

bool CHD_IsPlaying(u32 handle)
{
    s_chd_slot* slot = CHD_InternalSlot(handle);
    return slot && sound_channel_is_playing(gl_chord.system, slot->channel);
}

void CHD_SetFrequency(u32 handle, float value, bool relative)
{
    if (s_chd_slot* slot = CHD_InternalSlot(handle))
        sound_channel_set_frequency(gl_chord.system, slot->channel,
                                    relative ? slot->frequency * value : value);
}

void CHD_SetLoop(u32 handle, int loop_count)
{
    if (s_chd_slot* slot = CHD_InternalSlot(handle))
        sound_channel_set_loop_count(gl_chord.system, slot->channel, loop_count);
}

void CHD_SetMode(u32 handle, bool mute)
{
    if (s_chd_slot* slot = CHD_InternalSlot(handle))
        sound_channel_set_mute(gl_chord.system, slot->channel, mute);
}

void CHD_SetPan(u32 handle, float pan)
{
    if (s_chd_slot* slot = CHD_InternalSlot(handle))
        sound_channel_set_pan(gl_chord.system, slot->channel, pan);
}

void CHD_SetPaused(u32 handle, bool paused)
{
    if (s_chd_slot* slot = CHD_InternalSlot(handle))
        sound_channel_set_paused(gl_chord.system, slot->channel, paused);
}

void CHD_SetVolume(u32 handle, float volume)
{
    if (s_chd_slot* slot = CHD_InternalSlot(handle))
        sound_channel_set_volume(gl_chord.system, slot->channel, volume);
}

void CHD_Stop()
{
    while (gl_chord.count > 0) {
        gl_chord.count--;
        sound_release(gl_chord.slots[gl_chord.count].sound);
        gl_chord.slots[gl_chord.count].sound = nullptr;
    }
    free(gl_chord.slots);
    sound_system_release(gl_chord.system);
    memset(&gl_chord, 0, sizeof gl_chord);
}
