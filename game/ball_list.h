// The balls in play: a fixed set of 16 slots with the sounds and textures all
// balls share, and the per-frame collision pass against blocks, walls and pad.
#pragma once

#include <GL/glu.h>

#include <vector>

#include "game/ball.h"
#include "gfx/particle.h"
#include "gfx/surface.h"
#include "level/level.h"
#include "shell/types.h"

enum { BALL_LIST_SIZE = 16 };
constexpr float BALL_LIST_LOSS_DEPTH =
    5.0f;                            // level units below the bottom limit at which a ball is lost
enum { BALL_LIST_BONUS_ODDS = 10 };  // one destroyed block in this many drops a bonus

struct s_pad;
struct s_bonus_list;

struct s_ball_list {
    u8 empty;  // true while no ball is in play
    s_ball balls[BALL_LIST_SIZE];
    s_particle* particles;  // trail, spark and creation particles
    GLUquadric* quadric;    // handed to every new ball
    u32 sound_block_destroy;
    u32 sound_block_hit;
    u32 sound_block_unbreakable;
    u32 sound_pad;
    u32 sound_wall;
    i32 states[BALL_LIST_SIZE];  // 0 free, 1 in play
    u32 textures[3];             // by e_ball_type; 0 when a file failed to load
    f32 limits[4];               // left x, right x, bottom y, top y
};

// Loads the shared sounds and textures and empties the list.
void ball_list_define(s_ball_list* list, s_particle* particles, s_surface* surfaces,
                      GLUquadric* quadric, f32 left, f32 right, f32 bottom, f32 top);
// Takes every ball out of play and sets new limits; sounds and textures stay loaded.
void ball_list_reset(s_ball_list* list, f32 left, f32 right, f32 bottom, f32 top);
// Puts a normal ball into play: at the lowest-numbered ball in play, else at (x, y), brought
// inside the side and top limits. Full list: nothing.
void ball_list_insert(s_ball_list* list, f32 x, f32 y);
// ORs flags into the state of every ball in play.
void ball_list_state(s_ball_list* list, char flags);
// Gives every ball in play the weight and texture of type; other values change nothing.
void ball_list_type(s_ball_list* list, e_ball_type type);
// Gravity, motion and timed particles of every ball in play.
void ball_list_loop(s_ball_list* list);
// Blocks, walls, loss and pad for every ball in play; may drop bonuses and kick the pad's charge.
void ball_list_collide(s_ball_list* list, s_pad* pad, std::vector<s_block_group>& groups,
                       s_bonus_list* bonuses);
// Commits the positions of every ball in play.
void ball_list_move(s_ball_list* list);
// Draws every ball in play. Needs GL.
void ball_list_draw(s_ball_list* list);
