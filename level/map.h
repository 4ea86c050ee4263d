// The level at run time: owns the level record and a texture store of its
// own, loads the faces' textures once and draws the level every frame.
#pragma once

#include "gfx/surface.h"
#include "level/level.h"

class Map {
public:
    // An empty level with an initialised texture store.
    Map();
    // Deletes every texture the level still holds (none after stop), then the level itself.
    ~Map();
    Map(const Map&) = delete;
    Map& operator=(const Map&) = delete;

    // The level record, never null: the reader fills it, gameplay reads and hits its blocks.
    s_map* getMap();
    // Loads every face's textures; writes "Could not load PATH." for each failure and goes on.
    void init();
    // Moves the living blocks, animates the faces drawn and draws the world, then the blocks.
    void render();
    // Deletes the level's textures now, while their GL context lives; init loads them again.
    void stop();
    // Plays next instead (next receives the old level): loads its textures, then deletes
    // those of the old level it does not name; shared ones keep their GL names.
    void replace(s_map& next);
    // Deletes the textures loaded from these paths, so that the next replace
    // or init reads their files again.
    void forget(const std::vector<std::string>& paths);
    // The level's texture store, for looking at what it holds.
    const s_surface* getSurface() const;

private:
    s_map map;          // the level; empty until the reader fills it
    s_surface surface;  // the level's own texture store
};
