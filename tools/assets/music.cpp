// Procedural music: a small composer (chords, bass line, motif-based melody,
// drums) whose songs are written as a four-channel ProTracker module built byte
// by byte, or rendered by a software synthesiser and encoded as Ogg Vorbis.
#include <sndfile.h>

#include <cmath>
#include <cstdio>
#include <cstring>

#include "tools/assets/assets.h"

static const f32 TWO_PI = 6.2831853f;

enum e_voice { VOICE_KICK, VOICE_SNARE, VOICE_HAT, VOICE_BASS, VOICE_LEAD, VOICE_CHORD };

// One note of a song; time and length in rows (sixteenth notes).
struct s_event {
    int row;
    int length;
    int midi;   // pitch of the note; for chords the root
    int third;  // chords only: semitones of the third and the fifth above the root
    int fifth;
    e_voice voice;
    f32 velocity;  // 0 to 1
};

struct s_song {
    f32 bpm;
    int rows;  // 16 per bar, 64 per pattern
    std::vector<s_event> events;
};

// A seeded generator of our own so the songs never depend on the C library's rand.
struct s_dice {
    u32 state;
};

static u32 dice_next(s_dice& d)
{
    d.state = d.state * 1664525u + 1013904223u;
    return d.state >> 8;
}

static int dice_range(s_dice& d, int n)
{
    return (int)(dice_next(d) % (u32)n);
}

struct s_style {
    u32 seed;
    f32 bpm;
    int root;  // MIDI note of the key's tonic, around the bass octave
    bool minor;
    int sections
        [12];  // per pattern: 0 intro, 1 verse, 2 chorus, 3 break, 4 outro; -1 ends the list
};

static const int SCALE_MINOR[7] = {0, 2, 3, 5, 7, 8, 10};
static const int SCALE_MAJOR[7] = {0, 2, 4, 5, 7, 9, 11};

// Semitone offset of a scale step (any integer, octaves included).
static int scale_note(const s_style& style, int step)
{
    const int* scale = style.minor ? SCALE_MINOR : SCALE_MAJOR;
    int octave = step >= 0 ? step / 7 : -((-step + 6) / 7);
    return scale[step - octave * 7] + octave * 12;
}

static const int PROGRESSIONS[4][4] = {{0, 5, 2, 6}, {0, 3, 4, 0}, {5, 3, 0, 4}, {0, 4, 5, 3}};

// Builds a song: each section has its own progression and melody motif, so repeats
// of a section sound familiar and the song still moves on.
static s_song compose(const s_style& style)
{
    s_dice dice = {style.seed};
    s_song song;
    song.bpm = style.bpm;
    song.rows = 0;
    int progression_of[5], motif[5][16];
    for (int s = 0; s < 5; s++) {
        progression_of[s] = dice_range(dice, 4);
        int step = 2 + dice_range(dice, 3);
        for (int i = 0; i < 16; i++) {
            // Eighth-note slots over two bars: rest (-99), or a scale step above the chord root.
            if (i % 4 != 0 && dice_range(dice, 10) < 3) {
                motif[s][i] = -99;
                continue;
            }
            step += dice_range(dice, 5) - 2;
            step = step < 0 ? 1 : (step > 9 ? 8 : step);
            if (i % 4 == 0) {
                static const int chord_tones[] = {0, 2, 4, 7};
                int best = chord_tones[0];
                for (int t : chord_tones)
                    if (std::abs(t - step) < std::abs(best - step))
                        best = t;
                step = best;
            }
            motif[s][i] = step;
        }
    }
    int kick_extra = 6 + 4 * dice_range(dice, 2);
    for (int p = 0; p < 12 && style.sections[p] >= 0; p++) {
        int section = style.sections[p];
        const int* prog = PROGRESSIONS[progression_of[section == 4 ? 1 : section]];
        bool last = p == 11 || style.sections[p + 1] < 0;
        for (int bar = 0; bar < 4; bar++) {
            int base = song.rows + bar * 16;
            int degree = prog[bar];
            int chord_root = style.root + scale_note(style, degree);
            int third = scale_note(style, degree + 2) - scale_note(style, degree);
            int fifth = scale_note(style, degree + 4) - scale_note(style, degree);
            f32 fade = last ? 1.0f - bar * 0.22f : 1.0f;
            // Drums, not in the break.
            if (section != 3) {
                for (int r = 0; r < 16; r++) {
                    bool fill = bar == 3 && r >= 12 && section != 4;
                    if (r == 0 || r == 8 || (r == kick_extra && section == 2))
                        song.events.push_back({base + r, 1, 0, 0, 0, VOICE_KICK, 1.0f * fade});
                    else if (r == 4 || r == 12 || fill)
                        song.events.push_back({base + r, 1, 0, 0, 0, VOICE_SNARE,
                                               (fill ? 0.6f + 0.1f * (r - 12) : 0.9f) * fade});
                    else if (r % 2 == 0 && section != 0)
                        song.events.push_back({base + r, 1, 0, 0, 0, VOICE_HAT, 0.5f * fade});
                    else if (section == 2)
                        song.events.push_back({base + r, 1, 0, 0, 0, VOICE_HAT, 0.3f * fade});
                }
            }
            // Bass: eighth notes, root with an octave jump and the fifth to lead on.
            if (section != 3 || bar >= 2) {
                static const int bass_steps[8] = {0, 0, 12, 0, 7, 0, 12, 7};
                for (int e = 0; e < 8; e++)
                    song.events.push_back({base + e * 2, 2, chord_root + bass_steps[e], 0, 0,
                                           VOICE_BASS, (e % 2 ? 0.7f : 0.9f) * fade});
            }
            // Chords on every bar.
            song.events.push_back(
                {base, 16, chord_root + 24, third, fifth, VOICE_CHORD, 0.6f * fade});
            // Melody, absent from the intro and outro.
            if (section == 1 || section == 2 || section == 3) {
                for (int i = 0; i < 8; i++) {
                    int slot = (bar % 2) * 8 + i;
                    int step = motif[section][slot];
                    // The second half of a pattern varies the motif's ending.
                    if (bar >= 2 && i >= 6)
                        step = motif[(section + 1) % 5][slot] < 0 ? step
                                                                  : motif[(section + 1) % 5][slot];
                    if (step < 0)
                        continue;
                    int len = (i + 1 < 8 && motif[section][slot + 1] < 0) ? 4 : 2;
                    int midi = style.root + 24 + scale_note(style, degree + step);
                    song.events.push_back({base + i * 2, len, midi, 0, 0, VOICE_LEAD, 0.8f * fade});
                }
            }
        }
        song.rows += 64;
    }
    return song;
}

// --- ProTracker module ----------------------------------------------------

// Amiga periods, finetune 0, from C-1 to B-3.
static const u16 MOD_PERIODS[36] = {
    856, 808, 762, 720, 678, 640, 604, 570, 538, 508, 480, 453, 428, 404, 381, 360, 339, 320,
    302, 285, 269, 254, 240, 226, 214, 202, 190, 180, 170, 160, 151, 143, 135, 127, 120, 113,
};

static const int MOD_AMIGA_RATE = 8287;  // playback rate of C-2 (period 428)

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
            phase += TWO_PI * (45 + 110 * std::exp(-t / 0.04f)) / MOD_AMIGA_RATE;
            v = std::sin(phase) * std::exp(-t / 0.12f);
        } else if (voice == VOICE_SNARE) {
            phase += TWO_PI * 190 / MOD_AMIGA_RATE;
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
static int write_mod(const s_song& song, const std::string& path, const char* title)
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

// --- synthesiser and Ogg Vorbis -------------------------------------------

static const int SYNTH_RATE = 22050;

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
            phase[0] += TWO_PI * (48 + 120 * std::exp(-t / 0.035f)) / SYNTH_RATE;
            v = std::sin(phase[0]) * std::exp(-t / 0.15f) * 0.9f;
            break;
        case VOICE_SNARE:
            phase[0] += TWO_PI * 185 / SYNTH_RATE;
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
            phase[0] += TWO_PI * f / SYNTH_RATE;
            f32 saw = 0;
            for (int h = 1; h <= 8; h++)
                saw += std::sin(phase[0] * h) / h * (h % 2 ? 1.0f : -1.0f);
            f32 cut = 0.05f + 0.25f * std::exp(-t / 0.08f);
            low += cut * (saw - low);
            v = low * 0.45f * gate * std::min(1.0f, t / 0.005f);
            break;
        }
        case VOICE_LEAD: {
            f32 vib = t > 0.15f ? 0.15f * std::sin(TWO_PI * 5.5f * t) : 0;
            for (int k = 0; k < 2; k++) {
                phase[k] += TWO_PI * midi_hz(e.midi + vib + (k ? 0.08f : -0.08f)) / SYNTH_RATE;
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
                    phase[k * 2 + d] +=
                        TWO_PI * midi_hz(e.midi - 12 + notes[k] + (d ? 0.1f : -0.1f)) / SYNTH_RATE;
                    f32 p = phase[k * 2 + d];
                    s += std::sin(p) + 0.4f * std::sin(2 * p) + 0.2f * std::sin(3 * p);
                }
            low += 0.12f * (s - low);
            low2 += 0.12f * (low - low2);
            v = low2 * 0.045f * gate * std::min(1.0f, t / 0.25f);
            pan = 0.5f + 0.2f * std::sin(TWO_PI * 0.25f * t);
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

static const u32 OGG_SERIAL = 0x54424c58;  // fixed stream serial, so the files are reproducible

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

    if (assets_make_dirs(path))
        return 1;
    std::string temp = path + ".part";
    SF_INFO info = {};
    info.samplerate = SYNTH_RATE;
    info.channels = 2;
    info.format = SF_FORMAT_OGG | SF_FORMAT_VORBIS;
    SNDFILE* file = sf_open(temp.c_str(), SFM_WRITE, &info);
    if (!file) {
        fprintf(stderr, "tumbrelix-assets: cannot write %s: %s\n", temp.c_str(),
                sf_strerror(nullptr));
        return 1;
    }
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

static const s_style STYLE_FOUNDRY = {1234, 140, 45, true, {0, 1, 1, 2, 2, 1, 3, 2, 2, 4, -1, -1}};
static const s_style STYLE_DRIFT = {777, 96, 41, false, {0, 1, 1, 3, 2, 2, 1, 4, -1, -1, -1, -1}};
static const s_style STYLE_NEBULA = {4242, 124, 43, true, {0, 1, 2, 2, 3, 1, 2, 2, 4, -1, -1, -1}};

int music_write(const std::string& root)
{
    const std::string dir = root + "/data/musics/random/";
    int bad = 0;
    bad |= write_mod(compose(STYLE_FOUNDRY), dir + "foundry.mod", "tumbrelix foundry");
    bad |= write_ogg(compose(STYLE_DRIFT), dir + "drift.ogg");
    bad |= write_ogg(compose(STYLE_NEBULA), dir + "nebula.ogg");
    return bad;
}
