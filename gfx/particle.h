// Particle effects: short-lived bursts of camera-facing textured squares that
// fly from one point, change size and fade along a colour ramp.
#pragma once

#include "gfx/coord.h"
#include "gfx/surface.h"
#include "shell/types.h"

enum {
    PARTICLE_TYPE_COUNT = 10,
    PARTICLE_COLOR_COUNT = 10,
    PARTICLE_GROUP_STEP = 32,  // growth of the effect array, slots
};
enum {
    PARTICLE_GROUP_RESERVE = 512,  // slots with buffers made at start; a 16-ball run peaks near 110
    PARTICLE_DOT_MAX =
        200,  // largest particle count of any type; every slot buffer holds this many
};
constexpr const char* PARTICLE_TEXTURE_PATH = "data/particle.bmp";

// Rows of gl_particle_define.
enum e_particle_type {
    PARTICLE_PAD_RELEASE = 0,
    PARTICLE_BONUS_TAKE = 1,
    PARTICLE_PAD_LENGTH = 2,
    PARTICLE_BLOCK_HIT = 3,
    PARTICLE_BALL_TRAIL = 4,
    PARTICLE_PAD_LOAD = 5,
    PARTICLE_BLOCK_DESTROY = 6,
    PARTICLE_BALL_CREATE = 7,
    PARTICLE_BONUS_FALL = 8,
    PARTICLE_BALL_SPARK = 9,
};

// One particle: position relative to the effect's origin (in the origin's
// rotated frame), velocity in world units per millisecond.
struct s_particle_dot {
    f32 x, y, z;
    f32 vx, vy, vz;
};

// One live (or kept, ended) effect slot.
struct s_particle_group {
    s_particle_dot* dots;  // heap, PARTICLE_DOT_MAX entries; kept by the slot for its next effect
    s_coord origin;        // creator's placement at creation
    u32 color;             // row of gl_particle_color
    u32 type;              // row of gl_particle_define
    u32 dot_count;         // particles in use in dots
    u32 duration;          // lifetime, ms
    u32 birth;             // gl_vertex.ticks at creation
    u32 texture;           // GL texture name
};

// The particle system; one instance owned by the game loop.
struct s_particle {
    u32* textures;             // heap, one GL texture name per type
    s_particle_group* groups;  // heap, null until the first effect
    u32 group_count;           // live effects: groups[0 .. group_count - 1]
    u32 group_capacity;        // slots allocated
};

// Fills one particle from the type's random draws and the creator's parameter.
typedef void (*particle_func)(s_particle_dot* dot, f32 param);

// One particle type: generator, count, lifetime (ms), half-side at birth and end, texture.
struct s_particle_define {
    particle_func func;
    u32 count;
    u32 duration;
    f32 size_start;
    f32 size_end;
    const char* path;
};

// One colour ramp: red, green, blue, alpha at birth and at the end of life.
struct s_particle_color {
    f32 start[4];
    f32 end[4];
};

extern const s_particle_define gl_particle_define[PARTICLE_TYPE_COUNT];
extern const s_particle_color gl_particle_color[PARTICLE_COLOR_COUNT];

// Loads the type textures into surfaces and makes the reserved effect slots; 0, or 1 (nothing kept) if the table, a texture or memory fails. Needs GL.
int particle_init(s_particle* system, s_surface* surfaces);
// Adds an effect at origin; 0, or 1 (system unchanged) when memory ran out or type or color is not 0 to 9.
int particle_create(s_particle* system, const s_coord* origin, u32 color, u32 type, f32 param);
// Moves every particle by the frame time and ends effects older than their duration.
void particle_cycle(s_particle* system);
// Draws every live effect additively, facing the viewer; GL state restored as found. Needs GL.
void particle_draw(s_particle* system);
// Releases every slot buffer, the effect array and the texture table.
void particle_stop(s_particle* system);

// Generators, one per type; called only by particle_create.
// Burst scaled by param (the charge released).
void particle_func_pad_release(s_particle_dot* dot, f32 param);
// Slow glitter burst.
void particle_func_bonus_take(s_particle_dot* dot, f32 param);
// Flat ring drifting sideways by param.
void particle_func_pad_length(s_particle_dot* dot, f32 param);
// Sphere of equal-speed sparks.
void particle_func_block_hit(s_particle_dot* dot, f32 param);
// Flat ring whose speed grows with param.
void particle_func_ball_trail(s_particle_dot* dot, f32 param);
// Cloud converging on the origin over 500 ms; speed grows with param.
void particle_func_pad_load(s_particle_dot* dot, f32 param);
// Burst of random speeds.
void particle_func_block_destroy(s_particle_dot* dot, f32 param);
// Burst at a random elevation taken straight as radians.
void particle_func_ball_create(s_particle_dot* dot, f32 param);
// Slow flat ring.
void particle_func_bonus_fall(s_particle_dot* dot, f32 param);
// Small sparks of random speeds.
void particle_func_ball_spark(s_particle_dot* dot, f32 param);
