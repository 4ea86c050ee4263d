// The composer: chords, bass line, motif-based melody and drums from a seeded
// generator of our own, so a style always gives the same song.
#include "tools/assets/song.h"

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

constexpr int SCALE_MINOR[7] = {0, 2, 3, 5, 7, 8, 10};
constexpr int SCALE_MAJOR[7] = {0, 2, 4, 5, 7, 9, 11};

// Semitone offset of a scale step (any integer, octaves included).
static int scale_note(const s_style& style, int step)
{
    const int* scale = style.minor ? SCALE_MINOR : SCALE_MAJOR;
    int octave = step >= 0 ? step / 7 : -((-step + 6) / 7);
    return scale[step - octave * 7] + octave * 12;
}

constexpr int PROGRESSIONS[4][4] = {{0, 5, 2, 6}, {0, 3, 4, 0}, {5, 3, 0, 4}, {0, 4, 5, 3}};

// Builds a song: each section has its own progression and melody motif, so repeats
// of a section sound familiar and the song still moves on.
s_song song_compose(const s_style& style)
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
