// Law of motion of the free-flying bodies: polar velocity, vector additions
// folded straight back into polar form, reflections as changes of direction.
#include "game/mobile.h"

#include <cmath>

void mobile_define(s_mobile* m, f32 x, f32 y, f32 angle, f32 speed)
{
    m->angle = angle;
    m->speed = speed;
    m->x = x;
    m->y = y;
}

void mobile_move(s_mobile* m, f32 time)
{
    f64 a = m->angle;
    m->x = (f32)(m->x + cos(a) * m->speed * time);
    m->y = (f32)(m->y + sin(a) * m->speed * time);
}

// Sum of the velocity and the vector (angle, amount), each component rounded
// to single precision as it is stored.
static void mobile_internal_sum(const s_mobile* m, f32 angle, f32 amount, f32* vx, f32* vy)
{
    f64 a = m->angle;
    f64 b = angle;
    *vx = (f32)(cos(a) * m->speed + cos(b) * amount);
    *vy = (f32)(sin(a) * m->speed + sin(b) * amount);
}

void mobile_compose(s_mobile* m, f32 angle, f32 amount)
{
    f32 vx, vy;
    mobile_internal_sum(m, angle, amount, &vx, &vy);
    m->angle = atan2f(vy, vx);
    m->speed = (f32)sqrt((f64)vx * vx + (f64)vy * vy);
}

void mobile_deviate(s_mobile* m, f32 angle, f32 amount)
{
    f32 vx, vy;
    mobile_internal_sum(m, angle, amount, &vx, &vy);
    m->angle = atan2f(vy, vx);
}

void mobile_bounce(s_mobile* m, int axis)
{
    // The angle is left unreduced: callers only ever take its sine and cosine.
    if (axis == 0)
        m->angle = 6.2831855f - m->angle;
    else if (axis == 1)
        m->angle = 3.1415927f - m->angle;
}

f32 mobile_speed_x(const s_mobile* m)
{
    return (f32)(cos((f64)m->angle) * m->speed);
}

f32 mobile_speed_y(const s_mobile* m)
{
    return (f32)(sin((f64)m->angle) * m->speed);
}
