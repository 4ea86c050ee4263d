// The levels a run plays: one map file, or a folder whose pack file lists its
// levels in playing order with the name shown at the start of each.
#pragma once

#include <string>
#include <vector>

#include "shell/types.h"

constexpr const char* PACK_FILE_NAME = "pack.txt";  // the list a pack folder holds

enum {
    PACK_LEVELS_MAX = 1000,       // levels one pack may hold
    PACK_NAME_MAX = 32,           // characters of a display name
    PACK_LINE_MAX = 4096,         // bytes of one line of a pack file, a path's longest
    PACK_FILE_MAX = 1024 * 1024,  // bytes of a pack file
};

// One level of the pack.
struct s_pack_level {
    std::string path;  // the map file, as the level reader opens it
    std::string name;  // shown at the level's start: printable ASCII, at most PACK_NAME_MAX
};

struct s_pack {
    std::vector<s_pack_level> levels;  // in playing order; never empty after pack_read, then frozen
    u32 current;                       // index of the level being played
    u8 cycles;  // 1: a folder, a cleared level leads to the next; 0: one map file
};

// Reads what the command line names. A folder: its pack file, or without one its
// .map files in name order titled by their names; every level is read once to
// check it. Anything else: that one map file, unread. 0; or 1, the pack
// unchanged and error holding one line that names the file, the line and the problem.
int pack_read(s_pack* pack, const char* path, std::string* error);
// The levels of the pack folder at folder, unread: its pack file's, or its .map
// files' in name order. 0; or 1 and error naming the file, the line and the problem.
int pack_list(std::vector<s_pack_level>* levels, const char* folder, std::string* error);
// Index of the level after the current one; the first after the last.
u32 pack_next(const s_pack* pack);
