// Authoring checks of a level: what a level author should hear about a map
// file beyond what stops the game, and a plain description of what was read.
// Used by tumbrelix-map, the editor and the tests; play itself needs none of it.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "level/level.h"

// One finding about a map file.
struct s_check_note {
    int line;          // line of the file, counting from 1; 0 for the file as a whole
    bool error;        // true: the game rejects the level or loses part of it
    std::string text;  // what is wrong, without file or line
};

// Reads the level at path as the game does into an empty map and appends every
// finding to notes in line order, the reader's own error included.
void check_level(const std::string& path, s_map& map, std::vector<s_check_note>& notes);
// Writes a read level as a map file the reader reads back to the same level:
// the world, the faces, then the block groups, one keyword a line, every
// number in the fewest digits that give the same float. A second print of
// what the first reads back is the same text.
void check_print(const s_map& map, std::ostream& out);
