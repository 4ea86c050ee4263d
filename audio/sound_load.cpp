// Sound files into the mixer: whole samples decoded into one buffer, streams given
// their buffers and opened now or by the loader thread, and sounds freed.
#include <cstdio>
#include <cstring>
#include <new>
#include <vector>

#include "audio/sound_records.h"

constexpr u32 SOUND_READ_CHUNK = 4096;  // frames read at a time while loading a sample

// A new sound's record, its file not opened yet (a stream takes a spare one
// when there is one); null with the reason noted as the system's error.
static s_sound* sound_new(s_sound_system* system, const char* path, u32 mode, bool stream)
{
    if (!system || !system->context) {
        if (system)
            snprintf(system->error, sizeof system->error, "%s: no sound output",
                     path ? path : "(null)");
        return nullptr;
    }
    system->error[0] = 0;
    if (!path) {
        snprintf(system->error, sizeof system->error, "(null): no file name");
        return nullptr;
    }
    size_t length = strlen(path);
    if (length >= SOUND_PATH_SIZE) {
        snprintf(system->error, sizeof system->error, "%.64s...: a file name of over %d bytes",
                 path, (int)SOUND_PATH_SIZE - 1);
        return nullptr;
    }
    s_sound* sound = nullptr;
    if (stream && system->spare_count) {
        sound = system->spare_streams[--system->spare_count];
        i16* pcm = sound->pcm;
        *sound = s_sound();
        sound->pcm = pcm;
    } else {
        sound = new (std::nothrow) s_sound();
    }
    if (!sound) {
        snprintf(system->error, sizeof system->error, "%s: out of memory", path);
        return nullptr;
    }
    sound->system = system;
    sound->stream = stream;
    sound->loops = (mode & SOUND_MODE_LOOP) ? -1 : 0;
    memcpy(sound->path, path, length + 1);
    return sound;
}

// Opens the sound's file and takes its format; 0, or 1 with the reason in the decoder's error.
static int sound_open_file(s_sound* sound)
{
    if (decode_open_file(&sound->decoder, sound->path))
        return 1;
    sound->channels = sound->decoder.channels;
    sound->rate = sound->decoder.rate;
    sound->format = sound->channels == 2 ? AL_FORMAT_STEREO16 : AL_FORMAT_MONO16;
    return 0;
}

void sound_loader_run(s_sound_system* system)
{
    std::unique_lock<std::mutex> hold(system->lock);
    for (;;) {
        system->changed.wait(hold, [system] { return system->quitting || system->waiting; });
        if (system->quitting)
            return;
        s_sound* sound = system->waiting;
        system->waiting = sound->queued;
        sound->queued = nullptr;
        // Nothing else touches a sound while it is loading, so the lock can go.
        hold.unlock();
        int state = sound_open_file(sound) ? SOUND_OPEN_FAILED : SOUND_OPEN_READY;
        hold.lock();
        sound->open_state = state;
        system->changed.notify_all();
    }
}

int sound_loader_wait(s_sound* sound, bool cancel)
{
    if (!sound->background)
        return SOUND_OPEN_READY;
    s_sound_system* system = sound->system;
    std::unique_lock<std::mutex> hold(system->lock);
    for (s_sound** at = &system->waiting; cancel && *at; at = &(*at)->queued) {
        if (*at == sound) {
            *at = sound->queued;
            sound->open_state = SOUND_OPEN_FAILED;
            break;
        }
    }
    system->changed.wait(hold, [sound] { return sound->open_state != SOUND_OPEN_LOADING; });
    return sound->open_state;
}

int sound_open_state(s_sound* sound)
{
    if (!sound)
        return SOUND_OPEN_FAILED;
    if (!sound->background)
        return SOUND_OPEN_READY;
    int state;
    {
        std::lock_guard<std::mutex> hold(sound->system->lock);
        state = sound->open_state;
    }
    if (state == SOUND_OPEN_FAILED)
        memcpy(sound->system->error, sound->decoder.error, sizeof sound->system->error);
    return state;
}

// A stream's sample buffer: stereo-sized, as a file the loader opens is not known yet.
static i16* sound_stream_pcm()
{
    return new (std::nothrow) i16[(size_t)SOUND_STREAM_FRAMES * DECODE_MAX_CHANNELS];
}

static void sound_delete(s_sound* sound)
{
    delete[] sound->pcm;
    delete sound;
}

// Sets a stream's record aside while there is room, or frees it.
static void sound_free_record(s_sound* sound)
{
    s_sound_system* system = sound->system;
    if (sound->stream && sound->pcm && system->spare_count < SOUND_SPARE_STREAMS)
        system->spare_streams[system->spare_count++] = sound;
    else
        sound_delete(sound);
}

void sound_spares_reserve(s_sound_system* system)
{
    while (system->spare_count < SOUND_SPARE_STREAMS) {
        s_sound* sound = new (std::nothrow) s_sound();
        if (!sound)
            return;
        sound->pcm = sound_stream_pcm();
        if (!sound->pcm) {
            sound_delete(sound);
            return;
        }
        system->spare_streams[system->spare_count++] = sound;
    }
}

void sound_spares_release(s_sound_system* system)
{
    while (system->spare_count)
        sound_delete(system->spare_streams[--system->spare_count]);
}

static int sound_fail(s_sound* sound, const char* problem)
{
    s_sound_system* system = sound->system;
    snprintf(system->error, sizeof system->error, "%s", problem);
    decode_close(&sound->decoder);
    sound_free_record(sound);
    return 1;
}

int sound_create_sample(s_sound_system* system, const char* path, u32 mode, s_sound** out)
{
    *out = nullptr;
    s_sound* sound = sound_new(system, path, mode, false);
    if (!sound)
        return 1;
    if (sound_open_file(sound))
        return sound_fail(sound, sound->decoder.error);
    char problem[DECODE_ERROR_SIZE];
    std::vector<i16> pcm;
    size_t limit = SOUND_MAX_SAMPLE_BYTES / sizeof(i16);
    size_t step = (size_t)SOUND_READ_CHUNK * sound->channels;
    for (;;) {
        size_t used = pcm.size();
        pcm.resize(used + step);
        u32 got = decode_read(&sound->decoder, pcm.data() + used, SOUND_READ_CHUNK);
        pcm.resize(used + (size_t)got * sound->channels);
        // Judged on what was read: a sample of the cap exactly still loads.
        if (pcm.size() > limit) {
            snprintf(problem, sizeof problem,
                     "%s: longer than %d bytes of sound; stream it instead", path,
                     (int)SOUND_MAX_SAMPLE_BYTES);
            return sound_fail(sound, problem);
        }
        if (!got)
            break;
    }
    decode_close(&sound->decoder);
    if (pcm.empty()) {
        snprintf(problem, sizeof problem, "%s: holds no sound", path);
        return sound_fail(sound, problem);
    }
    alGetError();
    alGenBuffers(1, &sound->buffer);
    alBufferData(sound->buffer, sound->format, pcm.data(), (ALsizei)(pcm.size() * sizeof(i16)),
                 (ALsizei)sound->rate);
    if (alGetError() != AL_NO_ERROR) {
        alDeleteBuffers(1, &sound->buffer);
        snprintf(problem, sizeof problem, "%s: the mixer refused the sound", path);
        return sound_fail(sound, problem);
    }
    *out = sound;
    return 0;
}

int sound_create_stream(s_sound_system* system, const char* path, u32 mode, s_sound** out)
{
    *out = nullptr;
    s_sound* sound = sound_new(system, path, mode, true);
    if (!sound)
        return 1;
    sound->background = (mode & SOUND_MODE_NONBLOCKING) && system->loader.joinable();
    if (!sound->background && sound_open_file(sound))
        return sound_fail(sound, sound->decoder.error);
    char problem[DECODE_ERROR_SIZE];
    if (!sound->pcm)
        sound->pcm = sound_stream_pcm();
    if (!sound->pcm) {
        snprintf(problem, sizeof problem, "%s: out of memory", path);
        return sound_fail(sound, problem);
    }
    alGetError();
    alGenBuffers(SOUND_STREAM_BUFFERS, sound->buffers);
    if (alGetError() != AL_NO_ERROR) {
        snprintf(problem, sizeof problem, "%s: the mixer has no buffers left", path);
        return sound_fail(sound, problem);
    }
    memcpy(sound->idle, sound->buffers, sizeof sound->idle);
    sound->idle_count = SOUND_STREAM_BUFFERS;
    if (sound->background) {
        std::lock_guard<std::mutex> hold(system->lock);
        sound->open_state = SOUND_OPEN_LOADING;
        s_sound** end = &system->waiting;
        while (*end)
            end = &(*end)->queued;
        *end = sound;
        system->changed.notify_all();
    }
    *out = sound;
    return 0;
}

void sound_free(s_sound* sound)
{
    if (sound->stream) {
        alDeleteBuffers(SOUND_STREAM_BUFFERS, sound->buffers);
        decode_close(&sound->decoder);
    } else {
        alDeleteBuffers(1, &sound->buffer);
    }
    sound_free_record(sound);
}
