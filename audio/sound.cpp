// Mixes the game's sounds through OpenAL Soft, and keeps the game running silently on a loopback device without a sound card.
#include "audio/sound.h"

#include <AL/al.h>
#include <AL/alc.h>
#include <AL/alext.h>
#include <dlfcn.h>
#include <time.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <new>
#include <system_error>
#include <thread>
#include <vector>

#include "audio/decode.h"

static const f32 SOUND_MIN_PITCH = 0.01f;   // a pitch of 0 would hold a voice for ever
static const f32 SOUND_MAX_PITCH = 255.0f;  // OpenAL Soft's own ceiling
static const f32 SOUND_HALF_PI = 1.57079633f;
static const u32 SOUND_RENDER_CHUNK = 1024;  // frames mixed between two stream refills
static const u32 SOUND_READ_CHUNK = 4096;    // frames read at a time while loading a sample
static const u64 SOUND_NS_PER_S = 1000000000ull;

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
    sound_release_hook hook;
    void* hook_user;
    char error[DECODE_ERROR_SIZE];
    // The loader opens files off the frame: building a module, or a Vorbis
    // decoder's tables, takes milliseconds, tens of them for a large module.
    std::thread loader;
    std::mutex lock;
    std::condition_variable changed;  // a sound was queued or opened, or the loader must stop
    s_sound* waiting;                 // sounds queued for the loader, oldest first
    bool quitting;
};

static void sound_loader_run(s_sound_system* system);
static int sound_open_file(s_sound* sound);

static u64 sound_now_ns()
{
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return (u64)now.tv_sec * SOUND_NS_PER_S + (u64)now.tv_nsec;
}

static void sound_alsa_silent(const char*, int, const char*, int, const char*, ...)
{}

// Without a sound card, ALSA and OpenAL Soft both print several lines to stderr;
// the player's terminal is the game's own, so both are told to keep quiet.
static void sound_quiet_libraries()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    setenv("ALSOFT_LOGLEVEL", "0", 0);
    typedef void (*alsa_handler)(const char*, int, const char*, int, const char*, ...);
    typedef int (*alsa_set_handler)(alsa_handler);
    // The same library OpenAL Soft loads later, so the handler set here is the one it meets.
    void* alsa = dlopen("libasound.so.2", RTLD_NOW);
    if (!alsa)
        return;
    alsa_set_handler set = (alsa_set_handler)dlsym(alsa, "snd_lib_error_set_handler");
    if (set)
        set(sound_alsa_silent);
}

int sound_system_create(s_sound_system** system)
{
    *system = new (std::nothrow) s_sound_system();
    return *system ? 0 : 1;
}

static ALCcontext* sound_open_loopback(s_sound_system* system)
{
    if (!alcIsExtensionPresent(nullptr, "ALC_SOFT_loopback"))
        return nullptr;
    LPALCLOOPBACKOPENDEVICESOFT open =
        (LPALCLOOPBACKOPENDEVICESOFT)alcGetProcAddress(nullptr, "alcLoopbackOpenDeviceSOFT");
    system->render = (LPALCRENDERSAMPLESSOFT)alcGetProcAddress(nullptr, "alcRenderSamplesSOFT");
    if (!open || !system->render)
        return nullptr;
    system->device = open(nullptr);
    if (!system->device)
        return nullptr;
    const ALCint attributes[] = {ALC_FORMAT_CHANNELS_SOFT,
                                 ALC_STEREO_SOFT,
                                 ALC_FORMAT_TYPE_SOFT,
                                 ALC_SHORT_SOFT,
                                 ALC_FREQUENCY,
                                 SOUND_OUTPUT_RATE,
                                 ALC_HRTF_SOFT,
                                 ALC_FALSE,
                                 0};
    ALCcontext* context = alcCreateContext(system->device, attributes);
    if (!context) {
        alcCloseDevice(system->device);
        system->device = nullptr;
        return nullptr;
    }
    system->loopback = true;
    return context;
}

static ALCcontext* sound_open_default(s_sound_system* system)
{
    system->device = alcOpenDevice(nullptr);
    if (!system->device)
        return nullptr;
    ALCcontext* context = alcCreateContext(system->device, nullptr);
    if (!context) {
        alcCloseDevice(system->device);
        system->device = nullptr;
    }
    return context;
}

int sound_system_init(s_sound_system* system, int max_channels, u32 flags)
{
    if (!system || system->context)
        return 1;
    sound_quiet_libraries();
    u32 count = max_channels < 1                         ? 1u
                : max_channels > (int)SOUND_MAX_CHANNELS ? (u32)SOUND_MAX_CHANNELS
                                                         : (u32)max_channels;
    system->manual = (flags & SOUND_INIT_LOOPBACK) != 0;
    system->context = system->manual ? nullptr : sound_open_default(system);
    if (!system->context)
        system->context = sound_open_loopback(system);
    if (!system->context)
        return 1;
    alcMakeContextCurrent(system->context);
    alGetError();
    for (u32 i = 0; i < count; i++) {
        alGenSources(1, &system->voices[i].source);
        if (alGetError() != AL_NO_ERROR)
            break;
        system->voice_count = i + 1;
    }
    if (system->voice_count < count) {
        for (u32 i = 0; i < system->voice_count; i++)
            alDeleteSources(1, &system->voices[i].source);
        system->voice_count = 0;
        alcMakeContextCurrent(nullptr);
        alcDestroyContext(system->context);
        alcCloseDevice(system->device);
        system->context = nullptr;
        system->device = nullptr;
        return 1;
    }
    system->last_ns = sound_now_ns();
    // Without the thread, files meant for it are opened on the spot.
    try {
        system->loader = std::thread(sound_loader_run, system);
    } catch (const std::system_error&) {
    }
    return 0;
}

// Frees a voice: the source is stopped and its buffers detached, so they may be deleted.
static void sound_voice_free(s_sound_voice* voice)
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
            rewound = false;
        } else if (voice->loops != 0 && !rewound && decode_rewind(&sound->decoder) == 0) {
            if (voice->loops > 0)
                voice->loops--;
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

static void sound_stream_queue(s_sound* sound, s_sound_voice* voice)
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

static void sound_service(s_sound_system* system)
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

void sound_system_update(s_sound_system* system)
{
    if (!system || !system->context)
        return;
    if (system->loopback && !system->manual) {
        // Mix what a sound card would have played since the last frame, so that
        // sounds end and streams advance on time; a long stall is not caught up.
        u64 now = sound_now_ns();
        u64 elapsed = now - system->last_ns;
        system->last_ns = now;
        if (elapsed > SOUND_LOOPBACK_CAP_MS * 1000000ull)
            elapsed = SOUND_LOOPBACK_CAP_MS * 1000000ull;
        u64 scaled = elapsed * SOUND_OUTPUT_RATE + system->carry;
        u64 frames = scaled / SOUND_NS_PER_S;
        system->carry = scaled % SOUND_NS_PER_S;
        while (frames) {
            u32 n = frames < SOUND_RENDER_CHUNK ? (u32)frames : SOUND_RENDER_CHUNK;
            system->render(system->device, system->scratch, (ALCsizei)n);
            frames -= n;
            sound_service(system);
        }
    }
    sound_service(system);
}

void sound_system_release(s_sound_system* system)
{
    if (!system)
        return;
    if (system->loader.joinable()) {
        {
            std::lock_guard<std::mutex> hold(system->lock);
            system->quitting = true;
        }
        system->changed.notify_all();
        system->loader.join();
    }
    if (system->context) {
        for (u32 i = 0; i < system->voice_count; i++) {
            if (system->voices[i].sound)
                sound_voice_free(&system->voices[i]);
            alDeleteSources(1, &system->voices[i].source);
        }
        alcMakeContextCurrent(nullptr);
        alcDestroyContext(system->context);
        alcCloseDevice(system->device);
    }
    delete system;
}

bool sound_system_is_loopback(const s_sound_system* system)
{
    return system && system->loopback;
}

const char* sound_system_error(const s_sound_system* system)
{
    return system ? system->error : "";
}

u32 sound_system_underruns(const s_sound_system* system)
{
    return system ? system->underruns : 0;
}

void sound_system_set_release_hook(s_sound_system* system, sound_release_hook hook, void* user)
{
    if (!system)
        return;
    system->hook = hook;
    system->hook_user = user;
}

int sound_render(s_sound_system* system, i16* out, u32 frames)
{
    if (!system || !system->loopback)
        return 1;
    system->render(system->device, out, (ALCsizei)frames);
    return 0;
}

// A new sound's record, its file not opened yet; null with the reason noted as the system's error.
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
    s_sound* sound = new (std::nothrow) s_sound();
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

static void sound_loader_run(s_sound_system* system)
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

// The sound's opening once the loader is done with it; with cancel, a sound
// still queued is taken off the queue instead and counts as failed.
static int sound_loader_wait(s_sound* sound, bool cancel)
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

static int sound_fail(s_sound* sound, const char* problem)
{
    s_sound_system* system = sound->system;
    snprintf(system->error, sizeof system->error, "%s", problem);
    decode_close(&sound->decoder);
    delete[] sound->pcm;
    delete sound;
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
        if (pcm.size() + step > limit) {
            snprintf(problem, sizeof problem,
                     "%s: longer than %d bytes of sound; stream it instead", path,
                     (int)SOUND_MAX_SAMPLE_BYTES);
            return sound_fail(sound, problem);
        }
        size_t used = pcm.size();
        pcm.resize(used + step);
        u32 got = decode_read(&sound->decoder, pcm.data() + used, SOUND_READ_CHUNK);
        pcm.resize(used + (size_t)got * sound->channels);
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
    // Stereo-sized, as a file the loader opens is not known yet.
    sound->pcm = new (std::nothrow) i16[(size_t)SOUND_STREAM_FRAMES * DECODE_MAX_CHANNELS];
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

void sound_release(s_sound* sound)
{
    if (!sound)
        return;
    sound_loader_wait(sound, true);
    s_sound_system* system = sound->system;
    if (system->hook)
        system->hook(sound, system->hook_user);
    for (u32 i = 0; i < system->voice_count; i++)
        if (system->voices[i].sound == sound)
            sound_voice_free(&system->voices[i]);
    if (sound->stream) {
        alDeleteBuffers(SOUND_STREAM_BUFFERS, sound->buffers);
        decode_close(&sound->decoder);
        delete[] sound->pcm;
    } else {
        alDeleteBuffers(1, &sound->buffer);
    }
    delete sound;
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
    alSourcef(voice->source, AL_GAIN, voice->muted ? 0.0f : voice->volume);
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
    alSourcef(source, AL_GAIN, 1.0f);
    alSourcei(source, AL_SOURCE_RELATIVE, AL_TRUE);
    alSourcef(source, AL_ROLLOFF_FACTOR, 0.0f);
    sound_voice_apply_pan(voice, 0.0f);
    if (sound->stream) {
        alSourcei(source, AL_LOOPING, AL_FALSE);
        decode_rewind(&sound->decoder);
        sound->ended = false;
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

void sound_channel_set_loop_count(s_sound_system* system, u32 channel, int loop_count)
{
    s_sound_voice* voice = sound_voice_of(system, channel);
    if (!voice)
        return;
    voice->loops = loop_count < 0 ? -1 : loop_count;
    if (!voice->sound->stream) {
        alGetSourcei(voice->source, AL_SAMPLE_OFFSET, &voice->last_offset);
        alSourcei(voice->source, AL_LOOPING, voice->loops != 0 ? AL_TRUE : AL_FALSE);
    }
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
