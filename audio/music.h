// The music player: streams one track, named or picked at random from a directory.
#pragma once

#include <string>
#include <vector>

#include "shell/types.h"

enum {
    MUSIC_EXTENSION_COUNT = 6,
};

// Extensions of the playable tracks, with their dot, matched ignoring ASCII case.
extern const char* const music_extensions[MUSIC_EXTENSION_COUNT];

struct s_music {
    u32 sound;     // sound handle of the latest track's stream
    bool playing;  // a track was started and not stopped since
};

// Prepares an idle player; returns 0.
int music_init(s_music* music);
// Stops any track, then streams the file once through a new sound slot.
void music_play_defined(s_music* music, const char* path);
// Plays a file of the directory picked with rand(); does nothing if none qualifies.
void music_play_random(s_music* music, const char* directory);
// Stops the track if one plays.
void music_stop(s_music* music);
// Stops the track; the stream itself is released by CHD_Stop.
void music_free(s_music* music);
// True if the file name ends in one of music_extensions.
bool music_internal_matches(const std::string& name);
// Lists the directory's playable files as "directory/name", in listing order.
void music_internal_gather(const char* directory, std::vector<std::string>* candidates);
