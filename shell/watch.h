// Live reload for level authors: looks at the map file and its textures about
// once a second of wall-clock time and puts an edited level in play at once.
#pragma once

#include <string>
#include <vector>

#include "level/level.h"
#include "shell/types.h"

struct s_game;

enum {
    WATCH_PERIOD_MS = 1000,  // wall-clock time between two looks at the files
    WATCH_NOTICE_MS = 4000,  // wall-clock time the checker's warnings stay on screen
};

// What a file looked like at the last look, and when it was last read.
struct s_watch_file {
    std::string path;   // as the map names it (the map's own path first)
    i64 mtime_ns;       // modification time, ns since the epoch; -1 when it was missing
    i64 size;           // bytes; -1 when it was missing
    i64 read_mtime_ns;  // the same as the file was last read
    i64 read_size;
};

struct s_watch {
    std::vector<s_watch_file> files;  // the map, then each texture path it names once
    u64 next_ms;                      // wall clock of the next look
    u64 notice_until_ms;              // wall clock at which the warnings leave; 0: none shown
    u8 broken;                        // the map on disk has an error, whose message shows
};

// Remembers the map at path and the textures of map, as they are now on disk.
void watch_start(s_watch* watch, const char* path, const s_map* map);
// Once per frame: at most once a second, a stat of each file; a map changed
// and then still for one look is read again into the game in place, textures
// likewise loaded again. An error shows (and goes to standard error) until a
// good version is saved.
void watch_loop(s_watch* watch, s_game* game);
