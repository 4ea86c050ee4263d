// The ball list: set-up, insertion, bonus effects, and the collision pass of
// every ball against the level's blocks, the walls and the pad.
#include "game/ball_list.h"

#include <algorithm>

#include <cstdlib>
#include <cstring>

#include "audio/chord.h"
#include "game/bonus_list.h"
#include "game/collide.h"
#include "game/pad.h"
#include "game/slots.h"
#include "shell/vertex.h"

static const char* const ball_list_texture_paths[3] = {
    "data/ball_heavy.png",
    "data/ball_light.png",
    "data/ball_normal.png",
};

static const f32 ball_list_weights[3] = {BALL_WEIGHT_HEAVY, BALL_WEIGHT_LIGHT, BALL_WEIGHT_NORMAL};

void ball_list_define(s_ball_list* list, s_particle* particles, s_surface* surfaces,
                      GLUquadric* quadric, f32 left, f32 right, f32 bottom, f32 top)
{
    CHD_LoadSound("data/sounds/ball_block_destroy.wav", 0, &list->sound_block_destroy);
    CHD_LoadSound("data/sounds/ball_block_hit.wav", 0, &list->sound_block_hit);
    CHD_LoadSound("data/sounds/ball_block_unbreakable.wav", 0, &list->sound_block_unbreakable);
    CHD_LoadSound("data/sounds/ball_pad.wav", 0, &list->sound_pad);
    CHD_LoadSound("data/sounds/ball_wall.wav", 0, &list->sound_wall);
    for (int t = 0; t < 3; t++) {
        list->textures[t] = 0;  // a failed load binds "no texture"
        surface_load(surfaces, ball_list_texture_paths[t], &list->textures[t]);
    }
    list->particles = particles;
    list->quadric = quadric;
    ball_list_reset(list, left, right, bottom, top);
}

void ball_list_reset(s_ball_list* list, f32 left, f32 right, f32 bottom, f32 top)
{
    slots_clear(list->balls, list->states);
    list->empty = 1;
    list->limits[0] = left;
    list->limits[1] = right;
    list->limits[2] = bottom;
    list->limits[3] = top;
}

void ball_list_insert(s_ball_list* list, f32 x, f32 y)
{
    s_coord start;
    coord_set_pos(&start, x, y, 0);
    coord_set_rot(&start, 0, 0, 0);
    int slot = slots_free(list->states, BALL_LIST_SIZE);
    if (slot == BALL_LIST_SIZE) {
        list->empty = 0;
        return;
    }
    // A split appears at the lowest-numbered ball in play; only a launch with
    // no ball in play uses the point given.
    for (int i = 0; i < BALL_LIST_SIZE; i++) {
        if (list->states[i] == 1) {
            coord_set_pos(&start, list->balls[i].coord.x, list->balls[i].coord.y, 0);
            break;
        }
    }
    // A ball may be half into a wall before it turns back. A new ball starting
    // there would crawl back in for seconds on the small sideways part of its
    // launch: it starts against the wall instead.
    start.x = std::min(std::max(start.x, list->limits[0] + BALL_HALF), list->limits[1] - BALL_HALF);
    start.y = std::min(start.y, list->limits[3] - BALL_HALF);
    particle_create(list->particles, &start, 4, PARTICLE_BALL_CREATE, 0);
    ball_define(&list->balls[slot], start.x, start.y, BALL_WEIGHT_NORMAL,
                list->textures[BALL_TYPE_NORMAL], list->quadric);
    list->states[slot] = 1;
    list->empty = 0;
}

void ball_list_state(s_ball_list* list, char flags)
{
    for (int i = 0; i < BALL_LIST_SIZE; i++)
        if (list->states[i] == 1)
            list->balls[i].state |= (u8)flags;
}

void ball_list_type(s_ball_list* list, e_ball_type type)
{
    if (type != BALL_TYPE_HEAVY && type != BALL_TYPE_LIGHT && type != BALL_TYPE_NORMAL)
        return;
    for (int i = 0; i < BALL_LIST_SIZE; i++)
        if (list->states[i] == 1)
            ball_type(&list->balls[i], ball_list_weights[type], list->textures[type]);
}

void ball_list_loop(s_ball_list* list)
{
    slots_each(list->balls, list->states,
               [list](s_ball* ball) { ball_loop(ball, list->particles); });
}

// Tests one ball against every living block, counting hits and destroying
// blocks; returns the faces crossed by the blocks it bounces off.
static int ball_list_internal_blocks(s_ball_list* list, s_ball* ball,
                                     std::vector<s_block_group>& groups, s_bonus_list* bonuses)
{
    int hit = 0;
    // The ball's swept box, formed exactly as the swept test forms it, lets a
    // block that shares neither its columns nor its rows be passed over with
    // four comparisons: the test would report nothing for it.
    f64 left = (f64)std::min(ball->coord.x, ball->mobile.x) - (f64)BALL_HALF;
    f64 right = (f64)std::max(ball->coord.x, ball->mobile.x) + (f64)BALL_HALF;
    f64 bottom = (f64)std::min(ball->coord.y, ball->mobile.y) - (f64)BALL_HALF;
    f64 top = (f64)std::max(ball->coord.y, ball->mobile.y) + (f64)BALL_HALF;
    for (s_block_group& group : groups) {
        f64 size_left = group.sizes[0][0], size_right = group.sizes[0][1];
        f64 size_bottom = group.sizes[1][0], size_top = group.sizes[1][1];
        for (s_block& block : group.blocks) {
            if (!block.alive)
                continue;
            f64 x = block.position.x, y = block.position.y;
            bool columns = right > x + size_left && x + size_right > left;
            bool rows = top > y + size_bottom && y + size_top > bottom;
            if (!columns && !rows)
                continue;
            int r = ball_collide(ball, block.position.x, block.position.y, block.position.x,
                                 block.position.y, group.sizes[0][0], group.sizes[0][1],
                                 group.sizes[1][0], group.sizes[1][1]);
            if (r == 0)
                continue;
            if (group.lives <= 0) {
                CHD_PlayStart(list->sound_block_unbreakable, false);
                particle_create(bonuses->particles, &ball->coord, 7, PARTICLE_BLOCK_HIT, 0);
                hit |= r;
                continue;
            }
            if (!(ball->state & BALL_STATE_ONESHOT)) {
                block.hits++;
                if (block.hits < group.lives) {
                    CHD_PlayStart(list->sound_block_hit, false);
                    particle_create(bonuses->particles, &ball->coord, 2, PARTICLE_BLOCK_HIT, 0);
                    hit |= r;
                    continue;
                }
            }
            if (ball->state & BALL_STATE_TRAVERSE)
                r = 0;
            // rand() is drawn only when the B key does not force the drop.
            if (gl_vertex.key[VTX_KEY_B] || rand() % BALL_LIST_BONUS_ODDS == 0)
                bonus_list_insert(bonuses, block.position.x, block.position.y);
            CHD_PlayStart(list->sound_block_destroy, false);
            particle_create(bonuses->particles, &ball->coord, 8, PARTICLE_BLOCK_DESTROY, 0);
            block.alive = false;
            hit |= r;
        }
    }
    return hit;
}

// A wall bounces only a ball heading outwards, so one already turned back
// cannot be flipped again while it is still past the limit. A ball goes on
// into the wall by what is left of its step, which at a frame's usual length
// is less than its radius; a long frame could carry it out of a small field
// altogether, frame after frame, so it stops at the wall's line.
static void ball_list_internal_walls(s_ball_list* list, s_mobile* m)
{
    f32 vx = mobile_speed_x(m);
    f32 vy = mobile_speed_y(m);
    if ((list->limits[0] > m->x - BALL_HALF && vx < 0) ||
        (m->x + BALL_HALF > list->limits[1] && vx > 0)) {
        CHD_PlayStart(list->sound_wall, false);
        mobile_bounce(m, 1);
    }
    if (m->y + BALL_HALF > list->limits[3] && vy > 0) {
        CHD_PlayStart(list->sound_wall, false);
        mobile_bounce(m, 0);
    }
    m->x = std::min(std::max(m->x, list->limits[0]), list->limits[1]);
    m->y = std::min(m->y, list->limits[3]);
}

// Bounce, kick, sideways deflection and damping of a ball that touched the pad;
// false when it did not.
static bool ball_list_internal_pad(s_ball_list* list, s_ball* ball, s_pad* pad)
{
    s_pad_box box = pad_box(pad);
    int r = ball_collide(ball, box.x0, box.y0, box.x1, box.y1, box.left, box.right, box.bottom,
                         box.top);
    if (r == 0)
        return false;
    s_mobile* m = &ball->mobile;
    CHD_PlayStart(list->sound_pad, false);
    if (r & COLLIDE_MASK_Y)
        mobile_bounce(m, 0);
    if (r & COLLIDE_MASK_X)
        mobile_bounce(m, 1);
    mobile_compose(m, MOBILE_UP, pad_release(pad));
    mobile_deviate(m, 0, (m->x - pad->coord.x) / pad->half_length * m->speed * 0.75f);
    // Keeps rallies from speeding up for ever while never letting a ball crawl.
    if (m->speed > BALL_START_SPEED)
        m->speed *= 0.95f;
    else
        m->speed = BALL_START_SPEED;
    return true;
}

void ball_list_collide(s_ball_list* list, s_pad* pad, std::vector<s_block_group>& groups,
                       s_bonus_list* bonuses)
{
    for (int i = 0; i < BALL_LIST_SIZE; i++) {
        if (list->states[i] != 1)
            continue;
        s_ball* ball = &list->balls[i];
        s_mobile* m = &ball->mobile;

        // Blocks were moved while the previous frame was drawn, so this pass
        // sees their positions of that frame. However many blocks were hit,
        // each velocity component is reversed at most once.
        int hit = ball_list_internal_blocks(list, ball, groups, bonuses);
        if (hit & COLLIDE_MASK_Y)
            mobile_bounce(m, 0);
        if (hit & COLLIDE_MASK_X)
            mobile_bounce(m, 1);

        ball_list_internal_walls(list, m);

        if (list->limits[2] - BALL_LIST_LOSS_DEPTH > m->y) {
            list->states[i] = 0;
            list->empty = 1;
            for (int j = 0; j < BALL_LIST_SIZE; j++)
                if (list->states[j] != 0)
                    list->empty = 0;
            continue;
        }

        // The pad's sideways kick can turn a ball that is still past a wall
        // outwards again; left so, a ball bouncing on the pad in a corner
        // would never come back in. The walls have the last word.
        if (ball_list_internal_pad(list, ball, pad))
            ball_list_internal_walls(list, m);
    }
}

void ball_list_move(s_ball_list* list)
{
    slots_each(list->balls, list->states, ball_move);
}

void ball_list_draw(s_ball_list* list)
{
    slots_each(list->balls, list->states, ball_draw);
}
