// Procedural music: the composer's songs written as a tracker module, or
// rendered by a software synthesiser and encoded as Ogg Vorbis.
#include <cmath>
#include <cstdio>
#include <cstring>

#include "tools/assets/assets.h"
#include "tools/assets/song.h"

constexpr int SYNTH_RATE = 22050;

static f32 midi_hz(f32 midi)
{
    return 440.0f * std::pow(2.0f, (midi - 69) / 12.0f);
}

// Renders one event into the stereo mix (interleaved), with its own envelope and timbre.
static void synth_event(std::vector<f32>& mix, const s_event& e, f32 row_seconds, u32 seed)
{
    int start = (int)(e.row * row_seconds * SYNTH_RATE);
    f32 hold = e.length * row_seconds;
    f32 tail = e.voice == VOICE_CHORD ? 0.6f : (e.voice == VOICE_LEAD ? 0.25f : 0.1f);
    int count = (int)((hold + tail) * SYNTH_RATE);
    if (e.voice == VOICE_KICK)
        count = SYNTH_RATE / 3;
    f32 pan = 0.5f;
    if (e.voice == VOICE_HAT)
        pan = 0.7f;
    if (e.voice == VOICE_LEAD)
        pan = 0.4f;
    u32 noise = seed * 2654435761u + 1;
    f32 phase[6] = {0, 0, 0, 0, 0, 0}, low = 0, low2 = 0, last_white = 0;
    for (int i = 0; i < count; i++) {
        size_t at = (size_t)(start + i) * 2;
        if (at + 1 >= mix.size())
            break;
        f32 t = (f32)i / SYNTH_RATE, v = 0;
        noise = noise * 1103515245u + 12345u;
        f32 white = ((noise >> 16) & 0x7fff) / 16384.0f - 1.0f;
        f32 gate = t < hold ? 1.0f : std::exp(-(t - hold) / (tail * 0.3f));
        switch (e.voice) {
        case VOICE_KICK:
            phase[0] += SONG_TWO_PI * (48 + 120 * std::exp(-t / 0.035f)) / SYNTH_RATE;
            v = std::sin(phase[0]) * std::exp(-t / 0.15f) * 0.9f;
            break;
        case VOICE_SNARE:
            phase[0] += SONG_TWO_PI * 185 / SYNTH_RATE;
            low += 0.5f * (white - low);
            v = (0.45f * (white - low * 0.5f) + 0.4f * std::sin(phase[0])) * std::exp(-t / 0.07f) *
                0.7f;
            break;
        case VOICE_HAT:
            v = (white - last_white) * 0.25f * std::exp(-t / 0.02f);
            last_white = white;
            break;
        case VOICE_BASS: {
            f32 f = midi_hz((f32)e.midi);
            phase[0] += SONG_TWO_PI * f / SYNTH_RATE;
            f32 saw = 0;
            for (int h = 1; h <= 8; h++)
                saw += std::sin(phase[0] * h) / h * (h % 2 ? 1.0f : -1.0f);
            f32 cut = 0.05f + 0.25f * std::exp(-t / 0.08f);
            low += cut * (saw - low);
            v = low * 0.45f * gate * std::min(1.0f, t / 0.005f);
            break;
        }
        case VOICE_LEAD: {
            f32 vib = t > 0.15f ? 0.15f * std::sin(SONG_TWO_PI * 5.5f * t) : 0;
            for (int k = 0; k < 2; k++) {
                phase[k] += SONG_TWO_PI * midi_hz(e.midi + vib + (k ? 0.08f : -0.08f)) / SYNTH_RATE;
                f32 p = phase[k];
                v += std::sin(p) + 0.3f * std::sin(2 * p) + 0.15f * std::sin(3 * p);
            }
            v *= 0.16f * gate * std::min(1.0f, t / 0.01f) * (0.75f + 0.25f * std::exp(-t / 0.2f));
            break;
        }
        case VOICE_CHORD: {
            const int notes[3] = {0, e.third, e.fifth};
            f32 s = 0;
            for (int k = 0; k < 3; k++)
                for (int d = 0; d < 2; d++) {
                    phase[k * 2 + d] += SONG_TWO_PI *
                                        midi_hz(e.midi - 12 + notes[k] + (d ? 0.1f : -0.1f)) /
                                        SYNTH_RATE;
                    f32 p = phase[k * 2 + d];
                    s += std::sin(p) + 0.4f * std::sin(2 * p) + 0.2f * std::sin(3 * p);
                }
            low += 0.12f * (s - low);
            low2 += 0.12f * (low - low2);
            v = low2 * 0.045f * gate * std::min(1.0f, t / 0.25f);
            pan = 0.5f + 0.2f * std::sin(SONG_TWO_PI * 0.25f * t);
            break;
        }
        }
        v *= e.velocity;
        mix[at] += v * (1.0f - pan) * 2;
        mix[at + 1] += v * pan * 2;
    }
}

// A stereo echo on the whole mix: gives the dry synthesiser some room.
static void synth_echo(std::vector<f32>& mix, f32 row_seconds)
{
    size_t delay = (size_t)(row_seconds * 3 * SYNTH_RATE) * 2;
    for (size_t i = delay; i < mix.size(); i++)
        mix[i] += mix[i - delay + ((i & 1) ? -1 : 1)] * 0.22f;
}

constexpr u32 OGG_SERIAL = 0x54424c58;  // fixed stream serial, so the files are reproducible

// The encoder picks a random stream serial; replace it in every page and refresh the page CRC.
static int ogg_fix_serial(std::vector<u8>& bytes)
{
    u32 table[256];
    for (u32 i = 0; i < 256; i++) {
        u32 r = i << 24;
        for (int k = 0; k < 8; k++)
            r = (r & 0x80000000u) ? (r << 1) ^ 0x04c11db7u : r << 1;
        table[i] = r;
    }
    size_t at = 0;
    while (at < bytes.size()) {
        if (at + 27 > bytes.size() || bytes[at] != 'O' || bytes[at + 1] != 'g' ||
            bytes[at + 2] != 'g' || bytes[at + 3] != 'S')
            return 1;
        size_t segments = bytes[at + 26], body = 0;
        if (at + 27 + segments > bytes.size())
            return 1;
        for (size_t s = 0; s < segments; s++)
            body += bytes[at + 27 + s];
        size_t size = 27 + segments + body;
        if (at + size > bytes.size())
            return 1;
        for (int k = 0; k < 4; k++) {
            bytes[at + 14 + k] = (u8)(OGG_SERIAL >> (8 * k));
            bytes[at + 22 + k] = 0;
        }
        u32 crc = 0;
        for (size_t i = 0; i < size; i++)
            crc = (crc << 8) ^ table[((crc >> 24) ^ bytes[at + i]) & 0xff];
        for (int k = 0; k < 4; k++)
            bytes[at + 22 + k] = (u8)(crc >> (8 * k));
        at += size;
    }
    return 0;
}

static int write_ogg(const s_song& song, const std::string& path)
{
    f32 row_seconds = 60.0f / song.bpm / 4.0f;
    size_t frames = (size_t)((song.rows * row_seconds + 1.5f) * SYNTH_RATE);
    std::vector<f32> mix(frames * 2, 0);
    for (size_t i = 0; i < song.events.size(); i++)
        synth_event(mix, song.events[i], row_seconds, (u32)i);
    synth_echo(mix, row_seconds);
    f32 top = 1e-9f;
    for (f32 v : mix)
        top = std::max(top, std::fabs(v));
    for (f32& v : mix)
        v *= 0.8f / top;

    std::string temp = path + ".part";
    SNDFILE* file = assets_open_sound(temp, SYNTH_RATE, 2, SF_FORMAT_OGG | SF_FORMAT_VORBIS);
    if (!file)
        return 1;
    double compression = 0.75;  // low Vorbis quality: background music, small files
    sf_command(file, SFC_SET_COMPRESSION_LEVEL, &compression, sizeof(compression));
    sf_count_t written = sf_writef_float(file, mix.data(), (sf_count_t)frames);
    sf_close(file);
    if (written != (sf_count_t)frames) {
        fprintf(stderr, "tumbrelix-assets: cannot encode %s\n", path.c_str());
        return 1;
    }
    FILE* in = fopen(temp.c_str(), "rb");
    std::vector<u8> bytes;
    if (in) {
        u8 buffer[65536];
        size_t n;
        while ((n = fread(buffer, 1, sizeof(buffer), in)) > 0)
            bytes.insert(bytes.end(), buffer, buffer + n);
        fclose(in);
    }
    remove(temp.c_str());
    if (bytes.empty() || ogg_fix_serial(bytes)) {
        fprintf(stderr, "tumbrelix-assets: %s is not a well-formed Ogg stream\n", path.c_str());
        return 1;
    }
    return assets_write_file(path, bytes);
}

constexpr s_style STYLE_FOUNDRY = {1234, 140, 45, true, {0, 1, 1, 2, 2, 1, 3, 2, 2, 4, -1, -1}};
constexpr s_style STYLE_DRIFT = {777, 96, 41, false, {0, 1, 1, 3, 2, 2, 1, 4, -1, -1, -1, -1}};
constexpr s_style STYLE_NEBULA = {4242, 124, 43, true, {0, 1, 2, 2, 3, 1, 2, 2, 4, -1, -1, -1}};

int music_write(const std::string& root)
{
    const std::string dir = root + "/data/musics/random/";
    int bad = 0;
    bad |= song_write_mod(song_compose(STYLE_FOUNDRY), dir + "foundry.mod", "tumbrelix foundry");
    bad |= write_ogg(song_compose(STYLE_DRIFT), dir + "drift.ogg");
    bad |= write_ogg(song_compose(STYLE_NEBULA), dir + "nebula.ogg");
    return bad;
}
