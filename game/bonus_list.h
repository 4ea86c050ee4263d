// The falling bonuses: a fixed set of 16 slots with the sounds and textures of
// every kind, dropping, walls, loss and catching by the pad.
#pragma once

#include "game/bonus.h"
#include "gfx/particle.h"
#include "gfx/surface.h"
#include "shell/types.h"

enum { BONUS_LIST_SIZE = 16 };
constexpr float BONUS_LIST_LOSS_DEPTH =
    5.0f;  // level units below the bottom limit at which a bonus is lost

struct s_pad;
struct s_ball_list;

struct s_bonus_list {
    s_bonus bonuses[BONUS_LIST_SIZE];
    i32 states[BONUS_LIST_SIZE];     // 0 free, 1 falling
    s_particle* particles;           // shared with the ball list's block particles
    u32 sound_loot;                  // a bonus is dropped
    u32 sounds[BONUS_TYPE_COUNT];    // take sounds, by e_bonus_type
    u32 textures[BONUS_TYPE_COUNT];  // by e_bonus_type; 0 when a file failed to load
    f32 limits[4];                   // left x, right x, bottom y, top y (top unused)
};

// Loads the sounds and textures of every kind and empties the list.
void bonus_list_define(s_bonus_list* list, s_particle* particles, s_surface* surfaces, f32 left,
                       f32 right, f32 bottom, f32 top);
// Takes every falling bonus away and sets new limits; sounds and textures stay loaded.
void bonus_list_reset(s_bonus_list* list, f32 left, f32 right, f32 bottom, f32 top);
// Drops a bonus of a random kind at (x, y); a full list does nothing and draws no random number.
void bonus_list_insert(s_bonus_list* list, f32 x, f32 y);
// Per-frame step of every falling bonus.
void bonus_list_loop(s_bonus_list* list);
// Side walls, loss below the bottom and catching by the pad, with the kinds' effects.
void bonus_list_collide(s_bonus_list* list, s_pad* pad, s_ball_list* balls);
// Commits the positions of every falling bonus.
void bonus_list_move(s_bonus_list* list);
// Draws every falling bonus. Needs GL.
void bonus_list_draw(s_bonus_list* list);
