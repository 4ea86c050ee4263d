// Placements, their GL transforms and the frame-time laws that move them toward targets.
#include "gfx/coord.h"

#include <GL/gl.h>

#include <cmath>

#include "shell/vertex.h"

void coord_set_pos(s_coord* c, f32 x, f32 y, f32 z)
{
    c->x = x;
    c->y = y;
    c->z = z;
}

void coord_set_rot(s_coord* c, f32 rx, f32 ry, f32 rz)
{
    c->rx = rx;
    c->ry = ry;
    c->rz = rz;
}

void coord_copy_pos(s_coord* dst, const s_coord* src)
{
    dst->x = src->x;
    dst->y = src->y;
    dst->z = src->z;
}

void coord_copy_rot(s_coord* dst, const s_coord* src)
{
    dst->rx = src->rx;
    dst->ry = src->ry;
    dst->rz = src->rz;
}

void coord_item(const s_coord* c)
{
    glPushMatrix();
    glTranslatef(c->x, c->y, c->z);
    glRotatef(c->rx, 1, 0, 0);
    glRotatef(c->ry, 0, 1, 0);
    glRotatef(c->rz, 0, 0, 1);
}

// The inverse of coord_item: negated translation, rotations undone in reverse order.
void coord_view(const s_coord* c)
{
    glPushMatrix();
    glTranslatef(-c->x, -c->y, -c->z);
    glRotatef(c->rz, 0, 0, -1);
    glRotatef(c->ry, 0, -1, 0);
    glRotatef(c->rx, -1, 0, 0);
}

void coord_stop()
{
    glPopMatrix();
}

// One relative step of a single value.
static void coord_step_relative(f32* value, f32 target, f32 k)
{
    f32 dt = gl_vertex.frame_time;
    *value = *value + (target - *value) * k * dt;
}

// Moves an angle by whole turns to within half a turn of target.
static void coord_wrap_angle(f32* angle, f32 target)
{
    f32 difference = *angle - target;
    f32 w = (f32)fmod((f64)difference, 360.0) + target;
    // Exactly half a turn away counts as near: such an angle keeps its side.
    if (w < target - 180.0f)
        *angle = w + 360.0f;
    else if (w > target + 180.0f)
        *angle = w - 360.0f;
    else
        *angle = w;
}

// One speed-law step of a single value with its speed.
static void coord_step_speed(f32* value, f32* speed, f32 target, f32 k_limit, f32 k_accel)
{
    f32 dt = gl_vertex.frame_time;
    f32 d = target - *value;
    f32 limit = d * k_limit;
    if (d > -0.1f && d < 0.1f)
        *speed = 0.0f;
    else if ((limit > 0.0f && limit > *speed) || (limit < 0.0f && *speed > limit))
        *speed = *speed + d * k_accel * dt;
    else
        *speed = limit;
    *value = *value + *speed * dt;
}

void coord_interpolate_pos_relative(s_coord* current, const s_coord* target, f32 k)
{
    coord_step_relative(&current->x, target->x, k);
    coord_step_relative(&current->y, target->y, k);
    coord_step_relative(&current->z, target->z, k);
}

void coord_interpolate_rot_relative(s_coord* current, const s_coord* target, f32 k, u8 wrap)
{
    if (wrap) {
        coord_wrap_angle(&current->rx, target->rx);
        coord_wrap_angle(&current->ry, target->ry);
        coord_wrap_angle(&current->rz, target->rz);
    }
    coord_step_relative(&current->rx, target->rx, k);
    coord_step_relative(&current->ry, target->ry, k);
    coord_step_relative(&current->rz, target->rz, k);
}

void coord_interpolate_pos_speed(s_coord* current, s_coord* speed, const s_coord* target,
                                 f32 k_limit, f32 k_accel)
{
    coord_step_speed(&current->x, &speed->x, target->x, k_limit, k_accel);
    coord_step_speed(&current->y, &speed->y, target->y, k_limit, k_accel);
    coord_step_speed(&current->z, &speed->z, target->z, k_limit, k_accel);
}

void coord_interpolate_rot_speed(s_coord* current, s_coord* speed, const s_coord* target,
                                 f32 k_limit, f32 k_accel, u8 wrap)
{
    if (wrap) {
        coord_wrap_angle(&current->rx, target->rx);
        coord_wrap_angle(&current->ry, target->ry);
        coord_wrap_angle(&current->rz, target->rz);
    }
    coord_step_speed(&current->rx, &speed->rx, target->rx, k_limit, k_accel);
    coord_step_speed(&current->ry, &speed->ry, target->ry, k_limit, k_accel);
    coord_step_speed(&current->rz, &speed->rz, target->rz, k_limit, k_accel);
}
