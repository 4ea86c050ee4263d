// The music player: streams a named track once, or the tracks of a directory
// one after another in random order for as long as the game runs.
#pragma once

#include <string>
#include <vector>

#include "shell/types.h"

constexpr u32 MUSIC_NO_SLOT = 0xFFFFFFFFu;  // sound handle of a slot not taken yet

// How far the track to follow the playing one is prepared.
enum e_music_next {
    MUSIC_NEXT_NONE,     // not chosen yet
    MUSIC_NEXT_OPENING,  // its file is being opened in the background
    MUSIC_NEXT_QUEUED,   // its first buffers wait on a paused channel
};

struct s_music {
    u32 sound;                        // sound handle of the playing track's stream
    bool playing;                     // a track was started and not stopped since
    u32 next_sound;                   // sound handle of the following track's stream
    e_music_next next;                // how far the following track is prepared
    int track;                        // tracks index of the playing track; -1: a named file
    int next_track;                   // tracks index of the following track
    bool fresh;                       // the playing track started since the last music_loop
    u32 random;                       // the player's own generator state
    std::vector<std::string> tracks;  // the directory's playable files, set by music_play_random
};

// Prepares an idle player with no slot and no tracks; returns 0.
int music_init(s_music* music);
// Stops any track, forgets the directory's tracks and streams the file once through the player's slot.
void music_play_defined(s_music* music, const char* path);
// Plays a file of the directory picked with rand(), then the others in random order; nothing if
// none qualifies. Draws one rand() either way.
void music_play_random(s_music* music, const char* directory);
// Per-frame step: prepares the following track a step a frame and starts it when the playing one ends.
void music_loop(s_music* music);
// Stops the track if one plays, and the following track's waiting channel.
void music_stop(s_music* music);
// Stops the music and forgets the tracks; the streams themselves are released by CHD_Stop.
void music_free(s_music* music);
