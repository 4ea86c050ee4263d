// Sound effects synthesised from oscillators, noise and filters, written as
// 16-bit 44.1 kHz mono WAV files; pad_load.wav is an exact one-second loop.
#include <sndfile.h>

#include <cmath>
#include <cstdio>

#include "tools/assets/assets.h"

static const int RATE = 44100;
static const f32 TWO_PI = 6.2831853f;

enum e_shape { SHAPE_SINE, SHAPE_TRIANGLE, SHAPE_SQUARE, SHAPE_SAW };

// A deterministic noise source (xorshift), so two runs write the same bytes.
struct s_noise {
    u32 state;
};

static f32 noise_next(s_noise& n)
{
    n.state ^= n.state << 13;
    n.state ^= n.state >> 17;
    n.state ^= n.state << 5;
    return (n.state & 0xffff) / 32768.0f - 1.0f;
}

// Soft-edged waveforms: the square and saw keep few harmonics so they never buzz harshly.
static f32 wave_at(e_shape shape, f32 phase)
{
    switch (shape) {
    case SHAPE_TRIANGLE:
        return 2.0f / 3.14159265f * std::asin(std::sin(phase));
    case SHAPE_SQUARE:
        return std::sin(phase) + std::sin(3 * phase) / 3 + std::sin(5 * phase) / 5;
    case SHAPE_SAW:
        return std::sin(phase) - std::sin(2 * phase) / 2 + std::sin(3 * phase) / 3 -
               std::sin(4 * phase) / 4;
    default:
        return std::sin(phase);
    }
}

// Adds a tone gliding exponentially from f0 to f1 with a short attack and an exponential decay.
static void add_tone(std::vector<f32>& out, f32 start, f32 length, f32 f0, f32 f1, f32 amp,
                     e_shape shape, f32 decay)
{
    int first = (int)(start * RATE), count = (int)(length * RATE);
    if ((int)out.size() < first + count)
        out.resize(first + count, 0);
    f32 phase = 0;
    for (int i = 0; i < count; i++) {
        f32 t = (f32)i / RATE, k = (f32)i / count;
        f32 f = f0 * std::pow(f1 / f0, k);
        phase += TWO_PI * f / RATE;
        f32 env = std::min(1.0f, t / 0.004f) * std::exp(-t / decay);
        out[first + i] += amp * env * wave_at(shape, phase);
    }
}

// Adds noise through a band-pass filter whose centre glides from c0 to c1 Hz.
static void add_noise(std::vector<f32>& out, f32 start, f32 length, f32 c0, f32 c1, f32 q, f32 amp,
                      f32 decay, u32 seed)
{
    int first = (int)(start * RATE), count = (int)(length * RATE);
    if ((int)out.size() < first + count)
        out.resize(first + count, 0);
    s_noise n = {seed};
    f32 low = 0, band = 0;
    for (int i = 0; i < count; i++) {
        f32 t = (f32)i / RATE, k = (f32)i / count;
        f32 c = c0 * std::pow(c1 / c0, k);
        f32 f = 2 * std::sin(3.14159265f * std::min(c, 8000.0f) / RATE);
        f32 high = noise_next(n) - low - band / q;
        band += f * high;
        low += f * band;
        f32 env = std::min(1.0f, t / 0.002f) * std::exp(-t / decay);
        out[first + i] += amp * env * band;
    }
}

// Removes any offset, scales the peak to `peak` and fades both ends so nothing clicks.
static void finish(std::vector<f32>& s, f32 peak, bool fade)
{
    double mean = 0;
    for (f32 v : s)
        mean += v;
    mean /= s.empty() ? 1 : s.size();
    f32 top = 1e-9f;
    for (f32& v : s) {
        v -= (f32)mean;
        top = std::max(top, std::fabs(v));
    }
    int edge_in = RATE / 500, edge_out = RATE / 100;
    for (size_t i = 0; i < s.size(); i++) {
        f32 g = peak / top;
        if (fade) {
            if ((int)i < edge_in)
                g *= (f32)i / edge_in;
            if ((int)(s.size() - 1 - i) < edge_out)
                g *= (f32)(s.size() - 1 - i) / edge_out;
        }
        s[i] *= g;
    }
}

// Samples are rounded to 16 bits here rather than by libsndfile, so the
// rounding (half away from zero) and the clamp stay ours and the bytes never
// change with the library's version.
static int write_wav(const std::string& path, const std::vector<f32>& s)
{
    std::vector<i16> pcm(s.size());
    for (size_t i = 0; i < s.size(); i++) {
        f32 c = s[i] > 1 ? 1 : (s[i] < -1 ? -1 : s[i]);
        pcm[i] = (i16)std::lround(c * 32767.0f);
    }
    if (assets_make_dirs(path) != 0)
        return 1;
    SF_INFO info = {};
    info.samplerate = RATE;
    info.channels = 1;
    info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    if (!file) {
        fprintf(stderr, "%s: cannot write: %s\n", path.c_str(), sf_strerror(nullptr));
        return 1;
    }
    sf_count_t written = sf_write_short(file, pcm.data(), (sf_count_t)pcm.size());
    int closed = sf_close(file);
    if (written != (sf_count_t)pcm.size() || closed != 0) {
        fprintf(stderr, "%s: cannot write all %zu samples\n", path.c_str(), pcm.size());
        return 1;
    }
    return 0;
}

// The charge hum: every component has a whole number of cycles per second,
// so one second of it loops without a seam.
static std::vector<f32> sound_pad_load()
{
    std::vector<f32> s(RATE, 0);
    for (int i = 0; i < RATE; i++) {
        f32 t = (f32)i / RATE;
        f32 hum = 0;
        for (int h = 1; h <= 6; h++)
            hum += std::sin(TWO_PI * 110 * h * t) / h;
        f32 fifth = 0.35f * std::sin(TWO_PI * 165 * t);
        f32 shimmer = 0.18f * std::sin(TWO_PI * 880 * t) * (0.5f + 0.5f * std::sin(TWO_PI * 4 * t));
        f32 tremolo = 0.8f + 0.2f * std::sin(TWO_PI * 6 * t);
        s[i] = (hum * 0.5f + fifth + shimmer) * tremolo;
    }
    finish(s, 0.5f, false);
    return s;
}

struct s_effect {
    const char* name;
    std::vector<f32> (*make)();
};

static std::vector<f32> sound_pad_ball()
{
    std::vector<f32> s;
    add_tone(s, 0, 0.3f, 220, 880, 0.8f, SHAPE_TRIANGLE, 0.1f);
    add_tone(s, 0, 0.3f, 440, 1760, 0.25f, SHAPE_SINE, 0.07f);
    add_noise(s, 0, 0.12f, 400, 2500, 2, 0.6f, 0.03f, 11);
    finish(s, 0.7f, true);
    return s;
}

static std::vector<f32> sound_pad_release()
{
    std::vector<f32> s(RATE * 45 / 100, 0);
    f32 phase = 0;
    for (size_t i = 0; i < s.size(); i++) {
        f32 t = (f32)i / RATE;
        f32 f = 300 + 400 * std::exp(-t / 0.12f) +
                60 * std::sin(TWO_PI * 28 * t) * std::exp(-t / 0.15f);
        phase += TWO_PI * f / RATE;
        s[i] = std::sin(phase) * std::min(1.0f, t / 0.003f) * std::exp(-t / 0.14f);
    }
    add_noise(s, 0, 0.05f, 3000, 1500, 1.5f, 0.8f, 0.015f, 23);
    add_tone(s, 0, 0.25f, 120, 60, 0.6f, SHAPE_SINE, 0.06f);
    finish(s, 0.7f, true);
    return s;
}

static std::vector<f32> sound_block_destroy()
{
    std::vector<f32> s;
    add_noise(s, 0, 0.4f, 4000, 300, 0.9f, 1.0f, 0.09f, 31);
    add_tone(s, 0, 0.3f, 110, 45, 0.9f, SHAPE_SINE, 0.08f);
    for (int k = 0; k < 5; k++)
        add_noise(s, 0.03f + 0.045f * k, 0.04f, 2500 + 400 * k, 2000, 3, 0.5f - 0.07f * k, 0.01f,
                  40 + k);
    finish(s, 0.75f, true);
    return s;
}

static std::vector<f32> sound_block_hit()
{
    std::vector<f32> s;
    add_tone(s, 0, 0.12f, 1200, 1150, 0.8f, SHAPE_SINE, 0.025f);
    add_tone(s, 0, 0.12f, 1810, 1750, 0.35f, SHAPE_SINE, 0.018f);
    add_noise(s, 0, 0.02f, 5000, 3000, 2, 0.5f, 0.004f, 53);
    finish(s, 0.65f, true);
    return s;
}

static std::vector<f32> sound_block_unbreakable()
{
    std::vector<f32> s;
    const f32 ratios[] = {1.0f, 2.76f, 5.40f, 8.93f};
    const f32 decays[] = {0.25f, 0.15f, 0.08f, 0.05f};
    for (int k = 0; k < 4; k++)
        add_tone(s, 0, 0.6f, 420 * ratios[k], 420 * ratios[k] * 0.995f, 0.7f / (k + 1), SHAPE_SINE,
                 decays[k]);
    add_noise(s, 0, 0.03f, 6000, 4000, 2, 0.5f, 0.006f, 61);
    finish(s, 0.7f, true);
    return s;
}

static std::vector<f32> sound_ball_pad()
{
    std::vector<f32> s;
    add_tone(s, 0, 0.18f, 320, 400, 0.8f, SHAPE_TRIANGLE, 0.05f);
    add_tone(s, 0, 0.1f, 90, 70, 0.6f, SHAPE_SINE, 0.03f);
    finish(s, 0.65f, true);
    return s;
}

static std::vector<f32> sound_ball_wall()
{
    std::vector<f32> s;
    add_tone(s, 0, 0.1f, 210, 150, 0.8f, SHAPE_SINE, 0.025f);
    add_noise(s, 0, 0.03f, 1800, 900, 1.5f, 0.6f, 0.006f, 71);
    finish(s, 0.6f, true);
    return s;
}

static std::vector<f32> sound_bonus_loot()
{
    std::vector<f32> s;
    const f32 notes[] = {1046.5f, 1318.5f, 1568.0f};
    for (int k = 0; k < 3; k++)
        add_tone(s, 0.06f * k, 0.2f, notes[k], notes[k], 0.5f, SHAPE_SQUARE, 0.06f);
    add_tone(s, 0.18f, 0.2f, 2093, 2093, 0.2f, SHAPE_SINE, 0.06f);
    finish(s, 0.6f, true);
    return s;
}

static std::vector<f32> sound_take_oneshot()
{
    std::vector<f32> s;
    add_tone(s, 0, 0.45f, 1200, 200, 0.6f, SHAPE_SAW, 0.15f);
    add_tone(s, 0, 0.45f, 1800, 300, 0.4f, SHAPE_SAW, 0.12f);
    add_noise(s, 0, 0.3f, 5000, 500, 1.2f, 0.5f, 0.08f, 81);
    finish(s, 0.7f, true);
    return s;
}

static std::vector<f32> sound_take_split()
{
    std::vector<f32> s;
    add_tone(s, 0, 0.4f, 600, 400, 0.6f, SHAPE_TRIANGLE, 0.15f);
    add_tone(s, 0, 0.4f, 600, 900, 0.6f, SHAPE_TRIANGLE, 0.15f);
    finish(s, 0.7f, true);
    return s;
}

static std::vector<f32> sound_take_traverse()
{
    std::vector<f32> s;
    add_noise(s, 0, 0.5f, 300, 3500, 4, 1.0f, 0.2f, 91);
    add_tone(s, 0, 0.5f, 300, 1200, 0.3f, SHAPE_SINE, 0.2f);
    finish(s, 0.7f, true);
    return s;
}

static std::vector<f32> sound_take_heavy()
{
    std::vector<f32> s;
    const f32 notes[] = {392.0f, 293.7f, 196.0f};
    for (int k = 0; k < 3; k++)
        add_tone(s, 0.1f * k, 0.25f, notes[k], notes[k] * 0.97f, 0.6f, SHAPE_SQUARE, 0.08f);
    add_tone(s, 0.2f, 0.3f, 80, 40, 0.8f, SHAPE_SINE, 0.1f);
    finish(s, 0.7f, true);
    return s;
}

static std::vector<f32> sound_take_light()
{
    std::vector<f32> s;
    const f32 notes[] = {784.0f, 1046.5f, 1318.5f, 1568.0f};
    for (int k = 0; k < 4; k++)
        add_tone(s, 0.07f * k, 0.25f, notes[k], notes[k] * 1.02f, 0.45f, SHAPE_SINE, 0.09f);
    add_noise(s, 0, 0.45f, 6000, 8000, 3, 0.15f, 0.15f, 101);
    finish(s, 0.65f, true);
    return s;
}

static std::vector<f32> sound_take_pad_dec()
{
    std::vector<f32> s;
    add_tone(s, 0, 0.18f, 660, 620, 0.6f, SHAPE_TRIANGLE, 0.07f);
    add_tone(s, 0.14f, 0.26f, 494, 330, 0.6f, SHAPE_TRIANGLE, 0.09f);
    finish(s, 0.7f, true);
    return s;
}

static std::vector<f32> sound_take_pad_inc()
{
    std::vector<f32> s;
    const f32 notes[] = {440.0f, 554.4f, 659.3f, 880.0f};
    for (int k = 0; k < 4; k++)
        add_tone(s, 0.07f * k, 0.2f, notes[k], notes[k], 0.5f, SHAPE_TRIANGLE, 0.07f);
    finish(s, 0.7f, true);
    return s;
}

// The level's last block is gone: a rising arpeggio into a held major chord with a shimmer.
static std::vector<f32> sound_level_clear()
{
    std::vector<f32> s;
    const f32 notes[] = {523.3f, 659.3f, 784.0f, 1046.5f};
    for (int k = 0; k < 4; k++)
        add_tone(s, 0.08f * k, 0.22f, notes[k], notes[k], 0.45f, SHAPE_SQUARE, 0.07f);
    for (f32 note : {523.3f, 659.3f, 784.0f, 1046.5f})
        add_tone(s, 0.32f, 0.6f, note, note * 1.003f, 0.3f, SHAPE_TRIANGLE, 0.22f);
    add_noise(s, 0.3f, 0.6f, 6000, 9000, 3, 0.2f, 0.2f, 111);
    finish(s, 0.7f, true);
    return s;
}

static const s_effect EFFECTS[] = {
    {"pad_ball", sound_pad_ball},
    {"pad_load", sound_pad_load},
    {"pad_release", sound_pad_release},
    {"ball_block_destroy", sound_block_destroy},
    {"ball_block_hit", sound_block_hit},
    {"ball_block_unbreakable", sound_block_unbreakable},
    {"ball_pad", sound_ball_pad},
    {"ball_wall", sound_ball_wall},
    {"bonus_loot", sound_bonus_loot},
    {"bonus_take_ball_oneshot", sound_take_oneshot},
    {"bonus_take_ball_split", sound_take_split},
    {"bonus_take_ball_traverse", sound_take_traverse},
    {"bonus_take_ball_weight_heavy", sound_take_heavy},
    {"bonus_take_ball_weight_light", sound_take_light},
    {"bonus_take_pad_dec", sound_take_pad_dec},
    {"bonus_take_pad_inc", sound_take_pad_inc},
    {"level_clear", sound_level_clear},
};

int sounds_write(const std::string& root)
{
    int bad = 0;
    for (const s_effect& e : EFFECTS)
        bad |= write_wav(root + "/data/sounds/" + e.name + ".wav", e.make());
    return bad;
}
