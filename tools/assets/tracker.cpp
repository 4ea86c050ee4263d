// The tracker module writer: a song as a four-channel ProTracker module built
// byte by byte, with looped single-cycle instruments and rendered drums.
#include <cmath>
#include <cstdio>
#include <cstring>

#include "tools/assets/assets.h"
#include "tools/assets/song.h"

// Amiga periods, finetune 0, from C-1 to B-3.
static const u16 MOD_PERIODS[36] = {
    856, 808, 762, 720, 678, 640, 604, 570, 538, 508, 480, 453, 428, 404, 381, 360, 339, 320,
    302, 285, 269, 254, 240, 226, 214, 202, 190, 180, 170, 160, 151, 143, 135, 127, 120, 113,
};

constexpr int MOD_AMIGA_RATE = 8287;  // playback rate of C-2 (period 428)

struct s_mod_sample {
    const char* name;
    std::vector<i8> data;
    u8 volume;
    bool loop;
};

// Fits a MIDI pitch into the module's three octaves for a looped cycle whose C-2 sounds as `c2_midi`.
static int mod_note_index(int midi, int c2_midi)
{
    int n = midi - (c2_midi - 12);
    while (n < 0)
        n += 12;
    while (n > 35)
        n -= 12;
    return n;
}

static std::vector<i8> mod_cycle(int length, f32 (*shape)(f32))
{
    std::vector<i8> out(length);
    for (int i = 0; i < length; i++)
        out[i] = (i8)std::lround(shape((f32)i / length) * 100.0f);
    return out;
}

static f32 shape_pulse(f32 t)
{
    return t < 0.3f ? 0.9f : -0.9f;
}

static f32 shape_saw(f32 t)
{
    return 1.0f - 2.0f * t;
}

static f32 shape_triangle(f32 t)
{
    return t < 0.5f ? 4 * t - 1 : 3 - 4 * t;
}

// A drum sound rendered at the rate a sample plays at C-2.
static std::vector<i8> mod_drum(e_voice voice)
{
    int length = voice == VOICE_KICK ? 2400 : (voice == VOICE_SNARE ? 1800 : 500);
    std::vector<i8> out(length);
    u32 noise = 12345;
    f32 phase = 0, last_white = 0;
    for (int i = 0; i < length; i++) {
        f32 t = (f32)i / MOD_AMIGA_RATE, v = 0;
        noise = noise * 1103515245u + 12345u;
        f32 white = ((noise >> 16) & 0x7fff) / 16384.0f - 1.0f;
        if (voice == VOICE_KICK) {
            phase += SONG_TWO_PI * (45 + 110 * std::exp(-t / 0.04f)) / MOD_AMIGA_RATE;
            v = std::sin(phase) * std::exp(-t / 0.12f);
        } else if (voice == VOICE_SNARE) {
            phase += SONG_TWO_PI * 190 / MOD_AMIGA_RATE;
            v = (0.6f * white + 0.5f * std::sin(phase)) * std::exp(-t / 0.06f);
        } else {
            v = (white - last_white) * 0.6f * std::exp(-t / 0.015f);
            last_white = white;
        }
        out[i] = (i8)std::lround(std::max(-1.0f, std::min(1.0f, v)) * 110.0f);
    }
    out[0] = out[1] = 0;
    return out;
}

static void mod_put_be16(std::vector<u8>& out, u32 value)
{
    out.push_back((u8)(value >> 8));
    out.push_back((u8)value);
}

static void mod_put_text(std::vector<u8>& out, const char* text, size_t size)
{
    for (size_t i = 0; i < size; i++)
        out.push_back(text && i < strlen(text) ? (u8)text[i] : 0);
}

// Writes the song as an M.K. module: drums, bass, lead and arpeggiated chords on four channels.
int song_write_mod(const s_song& song, const std::string& path, const char* title)
{
    std::vector<s_mod_sample> samples = {
        {"lead", mod_cycle(32, shape_pulse), 40, true},  // C-2 sounds as MIDI 60
        {"bass", mod_cycle(64, shape_saw), 56, true},    // C-2 sounds as MIDI 48
        {"kick", mod_drum(VOICE_KICK), 64, false},
        {"snare", mod_drum(VOICE_SNARE), 52, false},
        {"hat", mod_drum(VOICE_HAT), 40, false},
        {"chord", mod_cycle(32, shape_triangle), 30, true},  // C-2 sounds as MIDI 60
    };
    int patterns = song.rows / 64;
    std::vector<u8> cells((size_t)patterns * 64 * 4 * 4, 0);
    auto cell = [&](int row, int channel) { return &cells[((size_t)row * 4 + channel) * 4]; };
    auto put = [&](int row, int channel, int sample, int note, int effect, int param) {
        u8* c = cell(row, channel);
        u16 period = note >= 0 ? MOD_PERIODS[note] : 0;
        c[0] = (u8)((sample & 0xf0) | (period >> 8));
        c[1] = (u8)period;
        c[2] = (u8)(((sample & 0x0f) << 4) | effect);
        c[3] = (u8)param;
    };
    for (const s_event& e : song.events) {
        int vol = (int)std::lround(e.velocity * 64);
        switch (e.voice) {
        case VOICE_KICK:
        case VOICE_SNARE:
        case VOICE_HAT:
            put(e.row, 0, 3 + (e.voice - VOICE_KICK), 12, 0xC,
                vol * samples[2 + e.voice].volume / 64);
            break;
        case VOICE_BASS:
            put(e.row, 1, 2, mod_note_index(e.midi, 48), 0xC, vol * 56 / 64);
            break;
        case VOICE_LEAD:
            put(e.row, 2, 1, mod_note_index(e.midi, 60), 0xC, vol * 40 / 64);
            if (e.row + e.length < song.rows && cell(e.row + e.length, 2)[0] == 0 &&
                cell(e.row + e.length, 2)[1] == 0)
                put(e.row + e.length, 2, 0, -1, 0xC, 0);
            break;
        case VOICE_CHORD:
            put(e.row, 3, 6, mod_note_index(e.midi, 60), 0, (e.third << 4) | e.fifth);
            for (int r = 1; r < e.length; r++)
                put(e.row + r, 3, 0, -1, 0, (e.third << 4) | e.fifth);
            break;
        }
    }
    // The tempo replaces the arpeggio of the first row: every channel's effect slot is busy there.
    cell(0, 3)[2] = (u8)((cell(0, 3)[2] & 0xf0) | 0xF);
    cell(0, 3)[3] = (u8)song.bpm;
    std::vector<u8> out;
    mod_put_text(out, title, 20);
    for (int i = 0; i < 31; i++) {
        if (i < (int)samples.size()) {
            const s_mod_sample& s = samples[i];
            mod_put_text(out, s.name, 22);
            mod_put_be16(out, (u32)s.data.size() / 2);
            out.push_back(0);
            out.push_back(s.volume);
            mod_put_be16(out, 0);
            mod_put_be16(out, s.loop ? (u32)s.data.size() / 2 : 1);
        } else {
            mod_put_text(out, nullptr, 22);
            mod_put_be16(out, 0);
            out.push_back(0);
            out.push_back(0);
            mod_put_be16(out, 0);
            mod_put_be16(out, 1);
        }
    }
    out.push_back((u8)patterns);
    out.push_back(127);
    for (int i = 0; i < 128; i++)
        out.push_back((u8)(i < patterns ? i : 0));
    mod_put_text(out, "M.K.", 4);
    out.insert(out.end(), cells.begin(), cells.end());
    for (const s_mod_sample& s : samples)
        for (i8 v : s.data)
            out.push_back((u8)v);
    return assets_write_file(path, out);
}
