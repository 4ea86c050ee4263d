// Replacing the running level in place: the one way a new level enters a
// running game, whether the next level of a pack or a map read again.
#pragma once

#include <string>
#include <vector>

struct s_game;
struct s_map;

// What a level replacement keeps of the play.
enum e_swap {
    SWAP_NEXT = 0,  // another level: play starts afresh on it
    SWAP_RELOAD,    // the same level edited: play goes on where the field allows
};

// Reads the map at path and plays it instead of the running level: its
// textures loaded, the old level's released unless shared, those of the paths
// in stale (files changed on disk) read again. SWAP_NEXT takes balls and bonuses
// away, makes the pad ready to launch, gives every play object the new limits
// (no sound or sprite loaded again) and turns the view to the new field, which
// the camera glides to. SWAP_RELOAD does so only when the limits changed;
// otherwise balls, bonuses, pad and view go on, and while the block groups are
// the same the blocks keep their hits and movements. 0; or 1, the running level
// kept and error holding the reader's message.
int swap_level(s_game* game, const char* path, std::string* error, e_swap how = SWAP_NEXT,
               const std::vector<std::string>* stale = nullptr);
// Plays the level next, read and checked by the caller, as swap_level does
// (next receives the old level).
void swap_map(s_game* game, s_map& next, e_swap how = SWAP_NEXT,
              const std::vector<std::string>* stale = nullptr);
