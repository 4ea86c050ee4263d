// The demo's autopilot: predicts where each falling ball meets the pad line
// and moves the pad there through the same mouse input a player gives.
#include "tools/demo/autopilot.h"

#include "shell/vertex.h"

#include <cmath>

enum {
    AUTOPILOT_VIEW_EVERY = 9000,   // ms between two presses of Space
    AUTOPILOT_INSERT_EVERY = 400,  // ms between two stress balls
};

constexpr f32 AUTOPILOT_BALL_RADIUS = 0.5f;
constexpr f32 AUTOPILOT_REACH = 0.04f;       // most the pad is moved per ms, level units
constexpr f32 AUTOPILOT_CHARGE_AHEAD = 900;  // ms before a catch at which charging may start

static u32 autopilot_next(s_autopilot* pilot)
{
    pilot->random = pilot->random * 1664525u + 1013904223u;
    return pilot->random >> 8;
}

// A uniform number in [low, high).
static f32 autopilot_uniform(s_autopilot* pilot, f32 low, f32 high)
{
    return low + (high - low) * (f32)(autopilot_next(pilot) & 0xFFFF) / 65536.0f;
}

void autopilot_define(s_autopilot* pilot, u32 seed, int keep_balls, f32 error_scale)
{
    pilot->error_scale = error_scale;
    pilot->random = seed * 2654435761u + 1;
    pilot->keep_balls = keep_balls;
    pilot->aim_slot = -1;
    pilot->aim_error = 0;
    pilot->charging = 0;
    pilot->next_view = 0;
    pilot->next_insert = 0;
}

int autopilot_balls_in_play(const s_game* game)
{
    int count = 0;
    for (int slot = 0; slot < BALL_LIST_SIZE; slot++)
        count += game->balls.states[slot] == 1;
    return count;
}

// Milliseconds until a ball comes down to height line, or -1 if it never does.
static f32 autopilot_time_to(const s_ball* ball, f32 line)
{
    f32 vy = sinf(ball->mobile.angle) * ball->mobile.speed;
    f32 g = ball->weight;
    f32 dy = ball->mobile.y - line;
    if (g <= 0)
        return vy < 0 && dy > 0 ? dy / -vy : -1;
    // dy + vy t - g t^2 / 2 = 0, the later root is the way down.
    f32 disc = vy * vy + 2 * g * dy;
    if (disc < 0)
        return -1;
    f32 t = (vy + sqrtf(disc)) / g;
    return t > 0 ? t : -1;
}

// Where a ball will be across the field after t ms, folding its path at the side walls.
static f32 autopilot_x_at(const s_ball* ball, f32 t, f32 left, f32 right)
{
    f32 low = left + AUTOPILOT_BALL_RADIUS, span = right - left - 2 * AUTOPILOT_BALL_RADIUS;
    if (span <= 0)
        return (left + right) / 2;
    f32 x = ball->mobile.x + cosf(ball->mobile.angle) * ball->mobile.speed * t - low;
    x = fmodf(x, 2 * span);
    if (x < 0)
        x += 2 * span;
    return low + (x > span ? 2 * span - x : x);
}

void autopilot_steer(s_autopilot* pilot, s_game* game)
{
    const s_pad* pad = &game->pad;
    const f32* limits = game->balls.limits;
    u32 now = gl_vertex.ticks;
    f32 line = pad->coord.y + 1.0f;

    // A rising ball will meet blocks before it comes down, so a prediction of
    // its landing is worthless: the pad waits under the lowest rising ball instead.
    int soonest = -1, lowest = -1;
    f32 soonest_t = 0, aim_x = pad->coord.x;
    for (int slot = 0; slot < BALL_LIST_SIZE; slot++) {
        if (game->balls.states[slot] != 1)
            continue;
        const s_ball* ball = &game->balls.balls[slot];
        if (sinf(ball->mobile.angle) > 0) {
            if (lowest < 0 || ball->mobile.y < game->balls.balls[lowest].mobile.y)
                lowest = slot;
            continue;
        }
        f32 t = autopilot_time_to(ball, line);
        if (t >= 0 && (soonest < 0 || t < soonest_t)) {
            soonest = slot;
            soonest_t = t;
        }
    }
    if (soonest >= 0) {
        if (soonest != pilot->aim_slot) {
            // A new approach: pick how far off this catch will be.
            pilot->aim_slot = soonest;
            f32 reach = pad->half_length + 0.5f;
            pilot->aim_error = autopilot_uniform(pilot, -0.8f, 0.8f) * reach;
            if (autopilot_next(pilot) % 12 == 0)
                pilot->aim_error = (reach + 0.8f) * (pilot->aim_error < 0 ? -1 : 1);
        }
        aim_x = autopilot_x_at(&game->balls.balls[soonest], soonest_t, limits[0], limits[1]) +
                pilot->aim_error * pilot->error_scale;
    } else {
        pilot->aim_slot = -1;
        if (lowest >= 0)
            aim_x = game->balls.balls[lowest].mobile.x;
    }

    f32 step = aim_x - pad->coord.x, reach = AUTOPILOT_REACH * gl_vertex.frame_time;
    step = step > reach ? reach : step < -reach ? -reach : step;
    gl_vertex.mouse_dx = (i32)lrintf(step * 100);

    // The left button: launch when nothing is in play, else charge before some catches.
    bool empty = game->balls.empty != 0;
    u8* button = &gl_vertex.key[VTX_MOUSE_LEFT];
    if (empty) {
        pilot->charging = 0;
        *button = *button ? 0 : 1;
    } else if (pilot->charging) {
        if (pad->state != PAD_STATE_LOAD || soonest < 0) {
            pilot->charging = 0;
            *button = 0;
        }
    } else {
        *button = 0;
        if (soonest >= 0 && soonest_t < AUTOPILOT_CHARGE_AHEAD && pad->state == PAD_STATE_IDLE &&
            autopilot_next(pilot) % 90 == 0) {
            pilot->charging = 1;
            *button = 1;
        }
    }

    if (pilot->next_view == 0)
        pilot->next_view = now + AUTOPILOT_VIEW_EVERY;
    if (now >= pilot->next_view) {
        gl_vertex.key[VTX_KEY_SPACE] = 1;
        pilot->next_view = now + AUTOPILOT_VIEW_EVERY;
    }

    if (pilot->keep_balls > 0 && !empty && autopilot_balls_in_play(game) < pilot->keep_balls &&
        now >= pilot->next_insert) {
        ball_list_insert(&game->balls, pad->coord.x, pad->coord.y);
        pilot->next_insert = now + AUTOPILOT_INSERT_EVERY;
    }
}
