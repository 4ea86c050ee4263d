// The pad: mouse steering, launcher states with their sound and particles,
// length animation, the kick given to balls, drawing of the capsule.
#include "game/pad.h"

#include <GL/gl.h>

#include "audio/chord.h"
#include "game/ball_list.h"
#include "shell/vertex.h"

void pad_define(s_pad* pad, s_particle* particles, s_surface* surfaces, GLUquadric* quadric,
                f32 left, f32 right, f32 bottom)
{
    CHD_LoadSound("data/sounds/pad_ball.wav", 0, &pad->sound_ball);
    CHD_LoadSound("data/sounds/pad_load.wav", 2, &pad->sound_load);
    CHD_LoadSound("data/sounds/pad_release.wav", 0, &pad->sound_release);
    pad->texture = 0;  // a failed load binds "no texture"
    surface_load(surfaces, "data/pad.png", &pad->texture);
    pad->particles = particles;
    pad->quadric = quadric;
    pad->state = PAD_STATE_IDLE;
    pad_reset(pad, left, right, bottom);
}

void pad_reset(s_pad* pad, f32 left, f32 right, f32 bottom)
{
    if (pad->state == PAD_STATE_LOAD || pad->state == PAD_STATE_UNLOAD)
        CHD_PlayStop(pad->sound_load);
    coord_set_pos(&pad->coord, (left + right) / 2, bottom, 0);
    coord_set_rot(&pad->coord, 0, 90, 0);
    pad->resizing = 0;
    pad->resize_next = 0;
    pad->length = 2;
    pad->half_length = 2 * PAD_STEP;
    pad->load_next = 0;
    pad->load_time = 0;
    // A click still held from the level before must not launch into this one.
    pad->state = gl_vertex.key[VTX_MOUSE_LEFT] ? PAD_STATE_FIRED : PAD_STATE_IDLE;
    pad->limit_left = left;
    pad->limit_right = right;
    pad->target_x = pad->coord.x;
}

// Moves half_length toward its goal, with a pair of particles at the ends every 100 ms.
static void pad_internal_resize(s_pad* pad, f32 now)
{
    if (!pad->resizing)
        return;
    f32 d = (f32)pad->length * PAD_STEP - pad->half_length;
    if (-0.1f <= d && d <= 0.1f) {
        pad->resizing = 0;
        return;
    }
    if (now >= pad->resize_next) {
        u32 color = d < 0 ? 1 : 2;
        s_coord end;
        coord_set_pos(&end, pad->coord.x - pad->half_length, pad->coord.y, pad->coord.z);
        coord_set_rot(&end, 0, 0, 0);
        particle_create(pad->particles, &end, color, PARTICLE_PAD_LENGTH, d * 0.005f);
        end.x = pad->coord.x + pad->half_length;
        particle_create(pad->particles, &end, color, PARTICLE_PAD_LENGTH, d * -0.005f);
        pad->resize_next = now + PAD_PARTICLE_PERIOD;
    }
    pad->half_length = pad->half_length + d * 0.001f * gl_vertex.frame_time;
}

// Charge particles every 100 ms, converging faster for a larger charge.
static void pad_internal_load_particles(s_pad* pad, f32 now, f32 charge)
{
    if (now < pad->load_next)
        return;
    particle_create(pad->particles, &pad->coord, 0, PARTICLE_PAD_LOAD, charge * 0.001f);
    pad->load_next = now + PAD_PARTICLE_PERIOD;
}

// Charging time so far, capped.
static f32 pad_internal_charge(const s_pad* pad, f32 now)
{
    f32 t = now - pad->load_time;
    return t > PAD_LOAD_MAX ? PAD_LOAD_MAX : t;
}

static void pad_internal_launcher(s_pad* pad, s_ball_list* balls, f32 now)
{
    u8 held = gl_vertex.key[VTX_MOUSE_LEFT];
    u8 unloading = 0;
    switch (pad->state) {
    case PAD_STATE_UNLOAD: {
        f32 r = pad->load_time - now;
        if (r < 0) {
            CHD_PlayStop(pad->sound_load);
            pad->state = PAD_STATE_IDLE;
        } else {
            unloading = 1;
            pad_internal_load_particles(pad, now, r);
            // Falls from the pitch at letting go back to 1 over the unloading.
            CHD_SetFrequency(pad->sound_load, r / 500.0f + 1.0f, true);
        }
    }
        // The idle step runs in the same frame.
        [[fallthrough]];
    case PAD_STATE_IDLE:
        if (!held)
            break;
        if (balls->empty) {
            // Launching in the middle of an unloading would leave the charge
            // sound looping until the next charge: stop it here.
            if (unloading)
                CHD_PlayStop(pad->sound_load);
            CHD_PlayStart(pad->sound_ball, false);
            ball_list_insert(balls, pad->coord.x, pad->coord.y);
            pad->state = PAD_STATE_FIRED;
        } else {
            CHD_PlayStop(pad->sound_load);
            CHD_PlayStart(pad->sound_load, false);
            CHD_SetLoop(pad->sound_load, -1);
            pad->load_time = now;
            pad->state = PAD_STATE_LOAD;
        }
        break;
    case PAD_STATE_LOAD: {
        f32 t = pad_internal_charge(pad, now);
        pad_internal_load_particles(pad, now, t);
        if (held) {
            CHD_SetFrequency(pad->sound_load, t / PAD_LOAD_MAX + 1.0f, true);
        } else {
            // Unloading lasts a fifth of the charging time, at most 500 ms.
            pad->load_time = now + t * 500.0f / PAD_LOAD_MAX;
            pad->state = PAD_STATE_UNLOAD;
        }
        break;
    }
    case PAD_STATE_FIRED:
        if (!held)
            pad->state = PAD_STATE_IDLE;
        break;
    default:
        break;
    }
}

void pad_loop(s_pad* pad, s_ball_list* balls)
{
    f32 now = (f32)gl_vertex.ticks;
    pad_internal_resize(pad, now);
    pad_internal_launcher(pad, balls, now);
    // The clamp keeps the centre 0.5 inside the limits, whatever the length.
    f32 n = (f32)gl_vertex.mouse_dx * PAD_MOUSE_SCALE * pad->sensitivity + pad->coord.x;
    if (pad->limit_left > n - 0.5f)
        pad->target_x = pad->limit_left + 0.5f;
    else if (n + 0.5f > pad->limit_right)
        pad->target_x = pad->limit_right - 0.5f;
    else
        pad->target_x = n;
}

void pad_move(s_pad* pad)
{
    pad->coord.x = pad->target_x;
}

void pad_draw(s_pad* pad)
{
    f32 half = pad->half_length;
    coord_item(&pad->coord);
    glColor3f(1, 1, 1);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, pad->texture);
    // The capsule is built along local z; the placement's 90 degrees about y lays it along x.
    glPushMatrix();
    glTranslatef(0, 0, half);
    gluSphere(pad->quadric, 0.5, 16, 16);
    glPopMatrix();
    glPushMatrix();
    glTranslatef(0, 0, -half);
    gluSphere(pad->quadric, 0.5, 16, 16);
    gluCylinder(pad->quadric, 0.5, 0.5, 2 * half, 16, 16);
    glPopMatrix();
    glDisable(GL_TEXTURE_2D);
    coord_stop();
}

s_pad_box pad_box(const s_pad* pad)
{
    // The caps reach half a unit past the cylinder; the pad is a unit thick.
    return {pad->coord.x,
            pad->coord.y,
            pad->target_x,
            pad->coord.y,
            -0.5f - pad->half_length,
            pad->half_length + 0.5f,
            -0.5f,
            0.5f};
}

f32 pad_release(s_pad* pad)
{
    if (pad->state != PAD_STATE_LOAD)
        return 0;
    f32 now = (f32)gl_vertex.ticks;
    CHD_PlayStart(pad->sound_release, false);
    CHD_PlayStop(pad->sound_load);
    f32 t = pad_internal_charge(pad, now);
    particle_create(pad->particles, &pad->coord, 0, PARTICLE_PAD_RELEASE, t * 0.001f);
    pad->state = PAD_STATE_FIRED;
    return t * PAD_KICK_PER_MS;
}

void pad_length(s_pad* pad, signed char delta)
{
    i32 n = pad->length + delta;
    if (n < PAD_LENGTH_MIN)
        n = PAD_LENGTH_MIN;
    if (n > PAD_LENGTH_MAX)
        n = PAD_LENGTH_MAX;
    pad->resizing = 1;
    pad->length = n;
}
