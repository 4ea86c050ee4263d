// The songs of the asset generator: notes on a grid of rows, composed from a
// style by a seeded composer, then written as a tracker module or synthesised.
#pragma once

#include <string>
#include <vector>

#include "shell/types.h"

constexpr f32 SONG_TWO_PI = 6.2831853f;

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

// What a song is made from: seed, tempo, key and the order of its sections.
struct s_style {
    u32 seed;
    f32 bpm;
    int root;  // MIDI note of the key's tonic, around the bass octave
    bool minor;
    // Per pattern: 0 intro, 1 verse, 2 chorus, 3 break, 4 outro; -1 ends the list.
    int sections[12];
};

// Builds a song: each section has its own progression and melody motif.
s_song song_compose(const s_style& style);
// Writes the song as a four-channel M.K. module; 0 on success, 1 on failure.
int song_write_mod(const s_song& song, const std::string& path, const char* title);
