// Sound effects synthesised from oscillators, noise and filters, written as
// 16-bit 44.1 kHz mono WAV files; pad_load.wav is an exact one-second loop.
#include <cmath>
#include <cstdio>

#include "tools/assets/assets.h"

constexpr int RATE = 44100;
constexpr f32 TWO_PI = 6.2831853f;

enum e_shape { SHAPE_SINE, SHAPE_TRIANGLE, SHAPE_SQUARE, SHAPE_SAW, SHAPE_NOISE };

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

SNDFILE* assets_open_sound(const std::string& path, int rate, int channels, int format)
{
    if (assets_make_dirs(path) != 0)
        return nullptr;
    SF_INFO info = {};
    info.samplerate = rate;
    info.channels = channels;
    info.format = format;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    if (!file)
        fprintf(stderr, "tumbrelix-assets: cannot write %s: %s\n", path.c_str(),
                sf_strerror(nullptr));
    return file;
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
    SNDFILE* file = assets_open_sound(path, RATE, 1, SF_FORMAT_WAV | SF_FORMAT_PCM_16);
    if (!file)
        return 1;
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

// The release starts from a chirp whose pitch falls and wobbles, which no voice describes.
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
    return s;
}

// One layer of an effect: a tone gliding from `from` to `to` Hz, or with
// SHAPE_NOISE band-passed noise whose centre glides so, filtered with `q`.
struct s_voice {
    e_shape shape;
    f32 start, length, from, to, amp, decay;
    f32 q = 0;     // noise only
    u32 seed = 0;  // noise only
};

enum { VOICES_MAX = 9 };

// An effect: an optional hand-written start, then voices until one of length 0.
struct s_effect {
    const char* name;
    std::vector<f32> (*base)();
    f32 peak;
    bool fade;
    s_voice voices[VOICES_MAX];
};

static std::vector<f32> effect_render(const s_effect& e)
{
    std::vector<f32> s = e.base ? e.base() : std::vector<f32>();
    for (const s_voice& v : e.voices) {
        if (v.length == 0)
            break;
        if (v.shape == SHAPE_NOISE)
            add_noise(s, v.start, v.length, v.from, v.to, v.q, v.amp, v.decay, v.seed);
        else
            add_tone(s, v.start, v.length, v.from, v.to, v.amp, v.shape, v.decay);
    }
    finish(s, e.peak, e.fade);
    return s;
}

// Chords and arpeggios are spelled out note by note; a bell's partials sit at
// the inharmonic ratios 1, 2.76, 5.40 and 8.93 of its 420 Hz strike.
// clang-format off
static const s_effect EFFECTS[] = {
    {"pad_ball", nullptr, 0.7f, true,
     {{SHAPE_TRIANGLE, 0, 0.3f, 220, 880, 0.8f, 0.1f},
      {SHAPE_SINE, 0, 0.3f, 440, 1760, 0.25f, 0.07f},
      {SHAPE_NOISE, 0, 0.12f, 400, 2500, 0.6f, 0.03f, 2, 11}}},
    {"pad_load", sound_pad_load, 0.5f, false, {}},
    {"pad_release", sound_pad_release, 0.7f, true,
     {{SHAPE_NOISE, 0, 0.05f, 3000, 1500, 0.8f, 0.015f, 1.5f, 23},
      {SHAPE_SINE, 0, 0.25f, 120, 60, 0.6f, 0.06f}}},
    {"ball_block_destroy", nullptr, 0.75f, true,
     {{SHAPE_NOISE, 0, 0.4f, 4000, 300, 1.0f, 0.09f, 0.9f, 31},
      {SHAPE_SINE, 0, 0.3f, 110, 45, 0.9f, 0.08f},
      {SHAPE_NOISE, 0.03f, 0.04f, 2500, 2000, 0.5f, 0.01f, 3, 40},
      {SHAPE_NOISE, 0.075f, 0.04f, 2900, 2000, 0.43f, 0.01f, 3, 41},
      {SHAPE_NOISE, 0.12f, 0.04f, 3300, 2000, 0.36f, 0.01f, 3, 42},
      {SHAPE_NOISE, 0.165f, 0.04f, 3700, 2000, 0.29f, 0.01f, 3, 43},
      {SHAPE_NOISE, 0.21f, 0.04f, 4100, 2000, 0.22f, 0.01f, 3, 44}}},
    {"ball_block_hit", nullptr, 0.65f, true,
     {{SHAPE_SINE, 0, 0.12f, 1200, 1150, 0.8f, 0.025f},
      {SHAPE_SINE, 0, 0.12f, 1810, 1750, 0.35f, 0.018f},
      {SHAPE_NOISE, 0, 0.02f, 5000, 3000, 0.5f, 0.004f, 2, 53}}},
    {"ball_block_unbreakable", nullptr, 0.7f, true,
     {{SHAPE_SINE, 0, 0.6f, 420 * 1.0f, 420 * 1.0f * 0.995f, 0.7f / 1, 0.25f},
      {SHAPE_SINE, 0, 0.6f, 420 * 2.76f, 420 * 2.76f * 0.995f, 0.7f / 2, 0.15f},
      {SHAPE_SINE, 0, 0.6f, 420 * 5.40f, 420 * 5.40f * 0.995f, 0.7f / 3, 0.08f},
      {SHAPE_SINE, 0, 0.6f, 420 * 8.93f, 420 * 8.93f * 0.995f, 0.7f / 4, 0.05f},
      {SHAPE_NOISE, 0, 0.03f, 6000, 4000, 0.5f, 0.006f, 2, 61}}},
    {"ball_pad", nullptr, 0.65f, true,
     {{SHAPE_TRIANGLE, 0, 0.18f, 320, 400, 0.8f, 0.05f},
      {SHAPE_SINE, 0, 0.1f, 90, 70, 0.6f, 0.03f}}},
    {"ball_wall", nullptr, 0.6f, true,
     {{SHAPE_SINE, 0, 0.1f, 210, 150, 0.8f, 0.025f},
      {SHAPE_NOISE, 0, 0.03f, 1800, 900, 0.6f, 0.006f, 1.5f, 71}}},
    {"bonus_loot", nullptr, 0.6f, true,
     {{SHAPE_SQUARE, 0.06f * 0, 0.2f, 1046.5f, 1046.5f, 0.5f, 0.06f},
      {SHAPE_SQUARE, 0.06f * 1, 0.2f, 1318.5f, 1318.5f, 0.5f, 0.06f},
      {SHAPE_SQUARE, 0.06f * 2, 0.2f, 1568.0f, 1568.0f, 0.5f, 0.06f},
      {SHAPE_SINE, 0.18f, 0.2f, 2093, 2093, 0.2f, 0.06f}}},
    {"bonus_take_ball_oneshot", nullptr, 0.7f, true,
     {{SHAPE_SAW, 0, 0.45f, 1200, 200, 0.6f, 0.15f},
      {SHAPE_SAW, 0, 0.45f, 1800, 300, 0.4f, 0.12f},
      {SHAPE_NOISE, 0, 0.3f, 5000, 500, 0.5f, 0.08f, 1.2f, 81}}},
    {"bonus_take_ball_split", nullptr, 0.7f, true,
     {{SHAPE_TRIANGLE, 0, 0.4f, 600, 400, 0.6f, 0.15f},
      {SHAPE_TRIANGLE, 0, 0.4f, 600, 900, 0.6f, 0.15f}}},
    {"bonus_take_ball_traverse", nullptr, 0.7f, true,
     {{SHAPE_NOISE, 0, 0.5f, 300, 3500, 1.0f, 0.2f, 4, 91},
      {SHAPE_SINE, 0, 0.5f, 300, 1200, 0.3f, 0.2f}}},
    {"bonus_take_ball_weight_heavy", nullptr, 0.7f, true,
     {{SHAPE_SQUARE, 0.1f * 0, 0.25f, 392.0f, 392.0f * 0.97f, 0.6f, 0.08f},
      {SHAPE_SQUARE, 0.1f * 1, 0.25f, 293.7f, 293.7f * 0.97f, 0.6f, 0.08f},
      {SHAPE_SQUARE, 0.1f * 2, 0.25f, 196.0f, 196.0f * 0.97f, 0.6f, 0.08f},
      {SHAPE_SINE, 0.2f, 0.3f, 80, 40, 0.8f, 0.1f}}},
    {"bonus_take_ball_weight_light", nullptr, 0.65f, true,
     {{SHAPE_SINE, 0.07f * 0, 0.25f, 784.0f, 784.0f * 1.02f, 0.45f, 0.09f},
      {SHAPE_SINE, 0.07f * 1, 0.25f, 1046.5f, 1046.5f * 1.02f, 0.45f, 0.09f},
      {SHAPE_SINE, 0.07f * 2, 0.25f, 1318.5f, 1318.5f * 1.02f, 0.45f, 0.09f},
      {SHAPE_SINE, 0.07f * 3, 0.25f, 1568.0f, 1568.0f * 1.02f, 0.45f, 0.09f},
      {SHAPE_NOISE, 0, 0.45f, 6000, 8000, 0.15f, 0.15f, 3, 101}}},
    {"bonus_take_pad_dec", nullptr, 0.7f, true,
     {{SHAPE_TRIANGLE, 0, 0.18f, 660, 620, 0.6f, 0.07f},
      {SHAPE_TRIANGLE, 0.14f, 0.26f, 494, 330, 0.6f, 0.09f}}},
    {"bonus_take_pad_inc", nullptr, 0.7f, true,
     {{SHAPE_TRIANGLE, 0.07f * 0, 0.2f, 440.0f, 440.0f, 0.5f, 0.07f},
      {SHAPE_TRIANGLE, 0.07f * 1, 0.2f, 554.4f, 554.4f, 0.5f, 0.07f},
      {SHAPE_TRIANGLE, 0.07f * 2, 0.2f, 659.3f, 659.3f, 0.5f, 0.07f},
      {SHAPE_TRIANGLE, 0.07f * 3, 0.2f, 880.0f, 880.0f, 0.5f, 0.07f}}},
    // The level's last block is gone: a rising arpeggio into a held major chord with a shimmer.
    {"level_clear", nullptr, 0.7f, true,
     {{SHAPE_SQUARE, 0.08f * 0, 0.22f, 523.3f, 523.3f, 0.45f, 0.07f},
      {SHAPE_SQUARE, 0.08f * 1, 0.22f, 659.3f, 659.3f, 0.45f, 0.07f},
      {SHAPE_SQUARE, 0.08f * 2, 0.22f, 784.0f, 784.0f, 0.45f, 0.07f},
      {SHAPE_SQUARE, 0.08f * 3, 0.22f, 1046.5f, 1046.5f, 0.45f, 0.07f},
      {SHAPE_TRIANGLE, 0.32f, 0.6f, 523.3f, 523.3f * 1.003f, 0.3f, 0.22f},
      {SHAPE_TRIANGLE, 0.32f, 0.6f, 659.3f, 659.3f * 1.003f, 0.3f, 0.22f},
      {SHAPE_TRIANGLE, 0.32f, 0.6f, 784.0f, 784.0f * 1.003f, 0.3f, 0.22f},
      {SHAPE_TRIANGLE, 0.32f, 0.6f, 1046.5f, 1046.5f * 1.003f, 0.3f, 0.22f},
      {SHAPE_NOISE, 0.3f, 0.6f, 6000, 9000, 0.2f, 0.2f, 3, 111}}},
};
// clang-format on

int sounds_write(const std::string& root)
{
    int bad = 0;
    for (const s_effect& e : EFFECTS)
        bad |= write_wav(root + "/data/sounds/" + e.name + ".wav", effect_render(e));
    return bad;
}
