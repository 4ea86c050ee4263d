// The bonus list: set-up, random drops, walls, loss, catching and the effects
// of the seven kinds on the balls and the pad.
#include "game/bonus_list.h"

#include <cstdlib>
#include <cstring>

#include "audio/chord.h"
#include "game/ball_list.h"
#include "game/pad.h"
#include "game/slots.h"

static const char* const bonus_list_texture_paths[BONUS_TYPE_COUNT] = {
    "data/bonus_ball_oneshot.png",    "data/bonus_ball_split.png",
    "data/bonus_ball_traverse.png",   "data/bonus_ball_type_heavy.png",
    "data/bonus_ball_type_light.png", "data/bonus_pad_dec.png",
    "data/bonus_pad_inc.png",
};

static const char* const bonus_list_sound_paths[BONUS_TYPE_COUNT] = {
    "data/sounds/bonus_take_ball_oneshot.wav",      "data/sounds/bonus_take_ball_split.wav",
    "data/sounds/bonus_take_ball_traverse.wav",     "data/sounds/bonus_take_ball_weight_heavy.wav",
    "data/sounds/bonus_take_ball_weight_light.wav", "data/sounds/bonus_take_pad_dec.wav",
    "data/sounds/bonus_take_pad_inc.wav",
};

void bonus_list_define(s_bonus_list* list, s_particle* particles, s_surface* surfaces, f32 left,
                       f32 right, f32 bottom, f32 top)
{
    CHD_LoadSound("data/sounds/bonus_loot.wav", 0, &list->sound_loot);
    for (int k = 0; k < BONUS_TYPE_COUNT; k++)
        CHD_LoadSound(bonus_list_sound_paths[k], 0, &list->sounds[k]);
    for (int k = 0; k < BONUS_TYPE_COUNT; k++) {
        list->textures[k] = 0;  // a failed load binds "no texture"
        surface_load(surfaces, bonus_list_texture_paths[k], &list->textures[k]);
    }
    list->particles = particles;
    bonus_list_reset(list, left, right, bottom, top);
}

void bonus_list_reset(s_bonus_list* list, f32 left, f32 right, f32 bottom, f32 top)
{
    slots_clear(list->bonuses, list->states);
    list->limits[0] = left;
    list->limits[1] = right;
    list->limits[2] = bottom;
    list->limits[3] = top;
}

void bonus_list_insert(s_bonus_list* list, f32 x, f32 y)
{
    int slot = slots_free(list->states, BONUS_LIST_SIZE);
    if (slot == BONUS_LIST_SIZE)
        return;
    int kind = rand() % BONUS_TYPE_COUNT;
    CHD_PlayStart(list->sound_loot, false);
    bonus_define(&list->bonuses[slot], x, y, kind, list->textures[kind]);
    list->states[slot] = 1;
    particle_create(list->particles, &list->bonuses[slot].coord, 4, PARTICLE_BONUS_TAKE, 0);
}

void bonus_list_loop(s_bonus_list* list)
{
    slots_each(list->bonuses, list->states,
               [list](s_bonus* bonus) { bonus_loop(bonus, list->particles); });
}

// What catching a bonus of this kind does; unknown kinds do nothing.
static void bonus_list_internal_effect(int type, s_pad* pad, s_ball_list* balls)
{
    switch (type) {
    case BONUS_BALL_ONESHOT:
        ball_list_state(balls, BALL_STATE_ONESHOT);
        break;
    case BONUS_BALL_SPLIT:
        ball_list_insert(balls, pad->coord.x, pad->coord.y);
        break;
    case BONUS_BALL_TRAVERSE:
        ball_list_state(balls, BALL_STATE_TRAVERSE);
        break;
    case BONUS_BALL_TYPE_HEAVY:
        ball_list_type(balls, BALL_TYPE_HEAVY);
        break;
    case BONUS_BALL_TYPE_LIGHT:
        ball_list_type(balls, BALL_TYPE_LIGHT);
        break;
    case BONUS_PAD_DEC:
        pad_length(pad, -1);
        break;
    case BONUS_PAD_INC:
        pad_length(pad, +1);
        break;
    default:
        break;
    }
}

void bonus_list_collide(s_bonus_list* list, s_pad* pad, s_ball_list* balls)
{
    for (int i = 0; i < BONUS_LIST_SIZE; i++) {
        if (list->states[i] != 1)
            continue;
        s_bonus* bonus = &list->bonuses[i];
        f32 x = bonus->mobile.x;
        f32 vx = mobile_speed_x(&bonus->mobile);
        // Unlike a ball, the centre itself must pass the limit, and only a
        // bonus heading outwards turns back.
        if ((list->limits[0] > x && vx < 0) || (x > list->limits[1] && vx > 0))
            mobile_bounce(&bonus->mobile, 1);
        if (list->limits[2] - BONUS_LIST_LOSS_DEPTH > bonus->coord.y) {
            list->states[i] = 0;
            continue;
        }
        // A bonus dropped this frame has equal positions and cannot be caught yet.
        s_pad_box box = pad_box(pad);
        int r = bonus_collide(bonus, box.x0, box.y0, box.x1, box.y1, box.left, box.right,
                              box.bottom, box.top);
        if (r == 0)
            continue;
        if (bonus->type >= 0 && bonus->type < BONUS_TYPE_COUNT)
            CHD_PlayStart(list->sounds[bonus->type], false);
        particle_create(list->particles, &bonus->coord, 5, PARTICLE_BONUS_TAKE, 0);
        bonus_list_internal_effect(bonus->type, pad, balls);
        list->states[i] = 0;
    }
}

void bonus_list_move(s_bonus_list* list)
{
    slots_each(list->bonuses, list->states, bonus_move);
}

void bonus_list_draw(s_bonus_list* list)
{
    slots_each(list->bonuses, list->states, bonus_draw);
}
