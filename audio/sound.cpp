// Mixes the game's sounds through OpenAL Soft, and keeps the game running silently on a loopback device without a sound card.
#include "audio/sound.h"

#include <dlfcn.h>

#include <cstdlib>
#include <new>
#include <system_error>

#include "audio/sound_records.h"
#include "shell/clock.h"

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
    system->last_ns = clock_ns();
    sound_spares_reserve(system);
    // Without the thread, files meant for it are opened on the spot.
    try {
        system->loader = std::thread(sound_loader_run, system);
    } catch (const std::system_error&) {
    }
    return 0;
}

void sound_system_update(s_sound_system* system)
{
    if (!system || !system->context)
        return;
    if (system->loopback && !system->manual) {
        // Mix what a sound card would have played since the last frame, so that
        // sounds end and streams advance on time; a long stall is not caught up.
        u64 now = clock_ns();
        u64 elapsed = now - system->last_ns;
        system->last_ns = now;
        if (elapsed > SOUND_LOOPBACK_CAP_MS * 1000000ull)
            elapsed = SOUND_LOOPBACK_CAP_MS * 1000000ull;
        u64 scaled = elapsed * SOUND_OUTPUT_RATE + system->carry;
        u64 frames = scaled / CLOCK_NS_PER_S;
        system->carry = scaled % CLOCK_NS_PER_S;
        while (frames) {
            u32 n = frames < SOUND_RENDER_CHUNK ? (u32)frames : SOUND_RENDER_CHUNK;
            system->render(system->device, system->scratch, (ALCsizei)n);
            frames -= n;
            sound_voice_service(system);
        }
    }
    sound_voice_service(system);
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
    sound_spares_release(system);
    delete system;
}

const char* sound_system_error(const s_sound_system* system)
{
    return system ? system->error : "";
}

u32 sound_system_underruns(const s_sound_system* system)
{
    return system ? system->underruns : 0;
}

int sound_render(s_sound_system* system, i16* out, u32 frames)
{
    if (!system || !system->loopback)
        return 1;
    system->render(system->device, out, (ALCsizei)frames);
    return 0;
}
