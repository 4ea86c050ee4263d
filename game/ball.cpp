// One ball: launch, gravity and motion, timed particles, commit and drawing.
#include "game/ball.h"

#include <GL/gl.h>

#include <cstdlib>

#include "game/collide.h"
#include "shell/vertex.h"

f32 ball_launch_angle()
{
    return MOBILE_UP + ((f32)(rand() % 2000) * 0.001f - 1.0f) * 0.19634955f;
}

void ball_define(s_ball* ball, f32 x, f32 y, f32 weight, u32 texture, GLUquadric* quadric)
{
    coord_set_pos(&ball->coord, x, y, 0);
    coord_set_rot(&ball->coord, 0, 0, 0);
    mobile_define(&ball->mobile, x, y, ball_launch_angle(), BALL_START_SPEED);
    ball_type(ball, weight, texture);
    ball->trail_next = 0;
    ball->quadric = quadric;
    ball->state = 0;
}

void ball_type(s_ball* ball, f32 weight, u32 texture)
{
    ball->weight = weight;
    ball->texture = texture;
}

void ball_loop(s_ball* ball, s_particle* particles)
{
    f32 time = gl_vertex.frame_time;
    f32 now = (f32)gl_vertex.ticks;
    mobile_compose(&ball->mobile, MOBILE_DOWN, ball->weight * time);
    mobile_move(&ball->mobile, time);
    if (now < ball->trail_next)
        return;
    if (ball->mobile.speed > BALL_TRAIL_SPEED)
        particle_create(particles, &ball->coord, 1, PARTICLE_BALL_TRAIL,
                        ball->mobile.speed * 100.0f);
    if (ball->state & BALL_STATE_ONESHOT)
        particle_create(particles, &ball->coord, 6, PARTICLE_BALL_SPARK, 0);
    if (ball->state & BALL_STATE_TRAVERSE)
        particle_create(particles, &ball->coord, 5, PARTICLE_BALL_SPARK, 0);
    ball->trail_next = now + BALL_TRAIL_PERIOD;
}

int ball_collide(s_ball* ball, f32 bx0, f32 by0, f32 bx1, f32 by1, f32 b_left, f32 b_right,
                 f32 b_bottom, f32 b_top)
{
    return collide(ball->coord.x, ball->coord.y, ball->mobile.x, ball->mobile.y, -BALL_HALF,
                   BALL_HALF, -BALL_HALF, BALL_HALF, bx0, by0, bx1, by1, b_left, b_right, b_bottom,
                   b_top);
}

void ball_move(s_ball* ball)
{
    f32 time = gl_vertex.frame_time;
    f32 vx = mobile_speed_x(&ball->mobile);
    f32 vy = mobile_speed_y(&ball->mobile);
    ball->coord.x = ball->mobile.x;
    ball->coord.y = ball->mobile.y;
    // 125 degrees of roll per unit travelled: about x for vertical motion, about y for horizontal.
    ball->coord.rx = ball->coord.rx - vy * time * 0.5f * 250.0f;
    ball->coord.ry = ball->coord.ry + vx * time * 0.5f * 250.0f;
}

void ball_draw(s_ball* ball)
{
    coord_item(&ball->coord);
    glColor3f(1, 1, 1);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, ball->texture);
    gluSphere(ball->quadric, 0.5, 16, 16);
    glDisable(GL_TEXTURE_2D);
    coord_stop();
}
