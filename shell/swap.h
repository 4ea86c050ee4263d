// Replacing the running level in place: the one way a new level enters a
// running game, whether the next level of a pack or a map read again.
#pragma once

#include <string>

struct s_game;

// Reads the map at path and plays it instead of the running level: its
// textures loaded, the old level's released unless shared, balls and bonuses
// taken away, the pad ready to launch, every play object given the new limits
// (no sound or sprite loaded again) and the view turned to the new field, which
// the camera glides to. 0; or 1, the running level kept and error holding the reader's message.
int swap_level(s_game* game, const char* path, std::string* error);
