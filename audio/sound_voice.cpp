// The mixer's voices: starting sounds on them, the channel controls, the
// per-frame service that refills streams and frees voices whose sound ended,
// and the release of a sound, which first stops the voices playing it.
#include <cmath>
#include <cstring>

#include "audio/sound_records.h"

constexpr f32 SOUND_MIN_PITCH = 0.01f;   // a pitch of 0 would hold a voice for ever
constexpr f32 SOUND_MAX_PITCH = 255.0f;  // OpenAL Soft's own ceiling
constexpr f32 SOUND_HALF_PI = 1.57079633f;

void sound_voice_free(s_sound_voice* voice)
{
    alSourceStop(voice->source);
    alSourcei(voice->source, AL_BUFFER, 0);
    s_sound* sound = voice->sound;
    if (sound && sound->stream) {
        sound->voice = 0;
        memcpy(sound->idle, sound->buffers, sizeof sound->idle);
        sound->idle_count = SOUND_STREAM_BUFFERS;
    }
    voice->sound = nullptr;
    voice->generation++;
}

// Fills one stream buffer from the decoder, going back to the start while loops remain.
static bool sound_stream_fill(s_sound* sound, s_sound_voice* voice, ALuint buffer)
{
    u32 got = 0;
    bool rewound = false;
    while (got < SOUND_STREAM_FRAMES && !sound->ended) {
        u32 n = decode_read(&sound->decoder, sound->pcm + got * sound->channels,
                            SOUND_STREAM_FRAMES - got);
        if (n) {
            got += n;
            sound->at += n;
            rewound = false;
        } else if (voice->loops != 0 && !rewound && decode_rewind(&sound->decoder) == 0) {
            if (voice->loops > 0)
                voice->loops--;
            sound->pass = sound->at ? sound->at : sound->pass;
            sound->at = 0;
            sound->rewinds++;
            rewound = true;
        } else {
            sound->ended = true;
        }
    }
    if (!got)
        return false;
    alBufferData(buffer, sound->format, sound->pcm, (ALsizei)(got * sound->channels * sizeof(i16)),
                 (ALsizei)sound->rate);
    return true;
}

void sound_stream_queue(s_sound* sound, s_sound_voice* voice)
{
    while (sound->idle_count && !sound->ended) {
        ALuint buffer = sound->idle[sound->idle_count - 1];
        if (!sound_stream_fill(sound, voice, buffer))
            break;
        alSourceQueueBuffers(voice->source, 1, &buffer);
        sound->idle_count--;
    }
}

static void sound_stream_service(s_sound_system* system, s_sound_voice* voice)
{
    s_sound* sound = voice->sound;
    ALint processed = 0;
    alGetSourcei(voice->source, AL_BUFFERS_PROCESSED, &processed);
    while (processed-- > 0 && sound->idle_count < SOUND_STREAM_BUFFERS) {
        ALuint buffer;
        alSourceUnqueueBuffers(voice->source, 1, &buffer);
        sound->idle[sound->idle_count++] = buffer;
        ALint bytes = 0;
        alGetBufferi(buffer, AL_SIZE, &bytes);
        sound->played += (u32)bytes / (sound->channels * sizeof(i16));
    }
    sound_stream_queue(sound, voice);
    ALint state = AL_STOPPED, queued = 0;
    alGetSourcei(voice->source, AL_SOURCE_STATE, &state);
    if (state != AL_STOPPED)
        return;
    alGetSourcei(voice->source, AL_BUFFERS_QUEUED, &queued);
    if (queued == 0) {
        sound_voice_free(voice);
    } else if (!voice->paused) {
        // The source ran dry before this refill: play on from what was just queued.
        system->underruns++;
        alSourcePlay(voice->source);
    }
}

static void sound_sample_service(s_sound_voice* voice)
{
    ALint state = AL_STOPPED;
    alGetSourcei(voice->source, AL_SOURCE_STATE, &state);
    if (state == AL_STOPPED) {
        sound_voice_free(voice);
        return;
    }
    if (voice->paused || voice->loops <= 0)
        return;
    ALint offset = 0;
    alGetSourcei(voice->source, AL_SAMPLE_OFFSET, &offset);
    if (offset < voice->last_offset && --voice->loops == 0)
        alSourcei(voice->source, AL_LOOPING, AL_FALSE);
    voice->last_offset = offset;
}

void sound_voice_service(s_sound_system* system)
{
    for (u32 i = 0; i < system->voice_count; i++) {
        s_sound_voice* voice = &system->voices[i];
        if (!voice->sound)
            continue;
        if (voice->sound->stream)
            sound_stream_service(system, voice);
        else
            sound_sample_service(voice);
    }
}

// Channel handles: voice index + 1 in the low byte, the voice's generation above.
static u32 sound_channel_of(const s_sound_system* system, u32 index)
{
    return ((system->voices[index].generation & 0xFFFFFFu) << 8) | (index + 1);
}

static s_sound_voice* sound_voice_of(s_sound_system* system, u32 channel)
{
    if (!system || !system->context || !channel)
        return nullptr;
    u32 index = (channel & 0xFF) - 1;
    if (index >= system->voice_count)
        return nullptr;
    s_sound_voice* voice = &system->voices[index];
    if (!voice->sound || sound_channel_of(system, index) != channel)
        return nullptr;
    return voice;
}

static void sound_voice_apply_gain(s_sound_voice* voice)
{
    f32 gain = voice->sound->system->gains[voice->sound->stream ? 1 : 0];
    alSourcef(voice->source, AL_GAIN, voice->muted ? 0.0f : voice->volume * gain);
}

// Mono voices are placed on a unit circle around the listener; stereo voices
// turn their two channels, which meet on one side at the extremes.
static void sound_voice_apply_pan(s_sound_voice* voice, f32 pan)
{
    f32 angle = pan * SOUND_HALF_PI;
    alSource3f(voice->source, AL_POSITION, sinf(angle), 0.0f, -cosf(angle));
    f32 left = pan > 0 ? SOUND_HALF_PI - pan * 2 * SOUND_HALF_PI : SOUND_HALF_PI;
    f32 right = pan < 0 ? -SOUND_HALF_PI - pan * 2 * SOUND_HALF_PI : -SOUND_HALF_PI;
    const ALfloat angles[2] = {left, right};
    alSourcefv(voice->source, AL_STEREO_ANGLES, angles);
}

u32 sound_play(s_sound_system* system, s_sound* sound, bool paused)
{
    if (!system || !system->context || !sound ||
        sound_loader_wait(sound, false) != SOUND_OPEN_READY)
        return 0;
    // A stream has one decoder, so a new start takes over from the old one.
    if (sound->stream && sound->voice)
        sound_voice_free(&system->voices[sound->voice - 1]);
    u32 index = 0;
    while (index < system->voice_count && system->voices[index].sound)
        index++;
    if (index == system->voice_count)
        return 0;
    s_sound_voice* voice = &system->voices[index];
    voice->sound = sound;
    voice->paused = paused;
    voice->muted = false;
    voice->volume = 1.0f;
    voice->pitch = 1.0f;
    voice->loops = sound->loops;
    voice->last_offset = 0;
    ALuint source = voice->source;
    alSourcef(source, AL_PITCH, 1.0f);
    sound_voice_apply_gain(voice);
    alSourcei(source, AL_SOURCE_RELATIVE, AL_TRUE);
    alSourcef(source, AL_ROLLOFF_FACTOR, 0.0f);
    sound_voice_apply_pan(voice, 0.0f);
    if (sound->stream) {
        alSourcei(source, AL_LOOPING, AL_FALSE);
        decode_rewind(&sound->decoder);
        sound->ended = false;
        sound->played = sound->at = sound->pass = sound->rewinds = 0;
        sound->voice = index + 1;
        sound_stream_queue(sound, voice);
    } else {
        alSourcei(source, AL_BUFFER, (ALint)sound->buffer);
        alSourcei(source, AL_LOOPING, voice->loops != 0 ? AL_TRUE : AL_FALSE);
    }
    // A voice that played before is left stopped; rewound, it waits in its
    // initial state, which the update does not mistake for an ended sound.
    alSourceRewind(source);
    if (!paused)
        alSourcePlay(source);
    return sound_channel_of(system, index);
}

f32 sound_channel_get_frequency(s_sound_system* system, u32 channel)
{
    s_sound_voice* voice = sound_voice_of(system, channel);
    return voice ? voice->sound->rate * voice->pitch : 0.0f;
}

void sound_channel_set_frequency(s_sound_system* system, u32 channel, f32 hz)
{
    s_sound_voice* voice = sound_voice_of(system, channel);
    if (!voice)
        return;
    f32 pitch = hz / (f32)voice->sound->rate;
    if (!(pitch > SOUND_MIN_PITCH))
        pitch = SOUND_MIN_PITCH;
    if (pitch > SOUND_MAX_PITCH)
        pitch = SOUND_MAX_PITCH;
    voice->pitch = pitch;
    alSourcef(voice->source, AL_PITCH, pitch);
}

// A stream's queue runs up to a second ahead of what is heard, passes through
// the file included: a count counts from the pass heard, and passes queued
// beyond the last one it allows are dropped and the queue made again from
// where the voice is.
static void sound_stream_set_loops(s_sound_voice* voice, int loops)
{
    s_sound* sound = voice->sound;
    ALint state = AL_STOPPED, offset = 0;
    alGetSourcei(voice->source, AL_SOURCE_STATE, &state);
    alGetSourcei(voice->source, AL_SAMPLE_OFFSET, &offset);
    u64 heard = sound->played + (u64)offset;
    u32 current = sound->pass ? (u32)(heard / sound->pass) : 0;  // the pass heard
    if (loops < 0 || sound->rewinds <= current + (u32)loops) {
        voice->loops = loops < 0 ? -1 : (i32)(current + (u32)loops - sound->rewinds);
        sound->ended = sound->ended && !voice->loops;
        return;
    }
    alSourceStop(voice->source);
    alSourcei(voice->source, AL_BUFFER, 0);
    memcpy(sound->idle, sound->buffers, sizeof sound->idle);
    sound->idle_count = SOUND_STREAM_BUFFERS;
    sound->played = heard;
    sound->at = (u32)(heard - (u64)current * sound->pass);
    sound->rewinds = current;
    sound->ended = decode_seek(&sound->decoder, sound->at) != 0;
    voice->loops = loops;
    sound_stream_queue(sound, voice);
    if (state == AL_PLAYING)
        alSourcePlay(voice->source);
}

void sound_channel_set_loop_count(s_sound_system* system, u32 channel, int loop_count)
{
    s_sound_voice* voice = sound_voice_of(system, channel);
    if (!voice)
        return;
    if (voice->sound->stream) {
        sound_stream_set_loops(voice, loop_count);
        return;
    }
    voice->loops = loop_count < 0 ? -1 : loop_count;
    alGetSourcei(voice->source, AL_SAMPLE_OFFSET, &voice->last_offset);
    alSourcei(voice->source, AL_LOOPING, voice->loops != 0 ? AL_TRUE : AL_FALSE);
}

void sound_channel_set_mute(s_sound_system* system, u32 channel, bool mute)
{
    s_sound_voice* voice = sound_voice_of(system, channel);
    if (!voice)
        return;
    voice->muted = mute;
    sound_voice_apply_gain(voice);
}

void sound_channel_set_pan(s_sound_system* system, u32 channel, f32 pan)
{
    s_sound_voice* voice = sound_voice_of(system, channel);
    if (!voice)
        return;
    if (!(pan >= -1.0f))
        pan = pan < -1.0f ? -1.0f : 0.0f;
    if (pan > 1.0f)
        pan = 1.0f;
    sound_voice_apply_pan(voice, pan);
}

void sound_channel_set_paused(s_sound_system* system, u32 channel, bool paused)
{
    s_sound_voice* voice = sound_voice_of(system, channel);
    if (!voice || voice->paused == paused)
        return;
    ALint state = AL_STOPPED;
    alGetSourcei(voice->source, AL_SOURCE_STATE, &state);
    voice->paused = paused;
    if (paused && state == AL_PLAYING)
        alSourcePause(voice->source);
    else if (!paused && (state == AL_PAUSED || state == AL_INITIAL ||
                         (state == AL_STOPPED && voice->sound->stream)))
        alSourcePlay(voice->source);
}

void sound_channel_set_volume(s_sound_system* system, u32 channel, f32 volume)
{
    s_sound_voice* voice = sound_voice_of(system, channel);
    if (!voice || volume != volume)
        return;
    voice->volume = volume < 0.0f ? 0.0f : volume > 1.0f ? 1.0f : volume;
    sound_voice_apply_gain(voice);
}

void sound_channel_stop(s_sound_system* system, u32 channel)
{
    s_sound_voice* voice = sound_voice_of(system, channel);
    if (voice)
        sound_voice_free(voice);
}

bool sound_channel_is_playing(s_sound_system* system, u32 channel)
{
    return sound_voice_of(system, channel) != nullptr;
}

void sound_release(s_sound* sound)
{
    if (!sound)
        return;
    sound_loader_wait(sound, true);
    s_sound_system* system = sound->system;
    for (u32 i = 0; i < system->voice_count; i++)
        if (system->voices[i].sound == sound)
            sound_voice_free(&system->voices[i]);
    sound_free(sound);
}

void sound_system_set_gain(s_sound_system* system, bool streams, f32 gain)
{
    if (!system || gain != gain)
        return;
    system->gains[streams ? 1 : 0] = gain < 0.0f ? 0.0f : gain > 1.0f ? 1.0f : gain;
    if (!system->context)
        return;
    for (u32 index = 0; index < system->voice_count; index++)
        if (system->voices[index].sound)
            sound_voice_apply_gain(&system->voices[index]);
}
