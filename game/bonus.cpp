// One bonus: launch, gravity and tumbling, falling particles, commit and drawing.
#include "game/bonus.h"

#include <GL/gl.h>

#include <cstdlib>

#include "game/ball.h"
#include "game/collide.h"
#include "shell/vertex.h"

// A spin from -0.1 up to just under 0.1 degrees per ms.
static f32 bonus_internal_spin()
{
    return ((f32)(rand() % 2000) * 0.001f - 1.0f) * 0.1f;
}

void bonus_define(s_bonus* bonus, f32 x, f32 y, int type, u32 texture)
{
    coord_set_pos(&bonus->coord, x, y, 0);
    coord_set_rot(&bonus->coord, 0, 0, 0);
    mobile_define(&bonus->mobile, x, y, ball_launch_angle(), BALL_START_SPEED);
    // Separate statements keep the draws in the order x, y, z.
    bonus->spin[0] = bonus_internal_spin();
    bonus->spin[1] = bonus_internal_spin();
    bonus->spin[2] = bonus_internal_spin();
    bonus->fall_next = 0;
    bonus->texture = texture;
    bonus->type = type;
}

void bonus_loop(s_bonus* bonus, s_particle* particles)
{
    f32 time = gl_vertex.frame_time;
    f32 now = (f32)gl_vertex.ticks;
    mobile_compose(&bonus->mobile, MOBILE_DOWN, time * BONUS_WEIGHT);
    mobile_move(&bonus->mobile, time);
    if (now >= bonus->fall_next) {
        particle_create(particles, &bonus->coord, 3, PARTICLE_BONUS_FALL, 0);
        bonus->fall_next = now + BONUS_FALL_PERIOD;
    }
    bonus->coord.rx += bonus->spin[0] * time;
    bonus->coord.ry += bonus->spin[1] * time;
    bonus->coord.rz += bonus->spin[2] * time;
}

int bonus_collide(s_bonus* bonus, f32 bx0, f32 by0, f32 bx1, f32 by1, f32 b_left, f32 b_right,
                  f32 b_bottom, f32 b_top)
{
    return collide(bonus->coord.x, bonus->coord.y, bonus->mobile.x, bonus->mobile.y, -0.5f, 0.5f,
                   -0.5f, 0.5f, bx0, by0, bx1, by1, b_left, b_right, b_bottom, b_top);
}

void bonus_move(s_bonus* bonus)
{
    bonus->coord.x = bonus->mobile.x;
    bonus->coord.y = bonus->mobile.y;
}

// One face of the cube: the whole texture over four corners given as the signs
// of the two varying coordinates; axis is the fixed one (0 x, 1 y, 2 z).
static void bonus_internal_face(int axis, f32 fixed)
{
    static const f32 corners[4][2] = {{-0.5f, -0.5f}, {-0.5f, 0.5f}, {0.5f, 0.5f}, {0.5f, -0.5f}};
    static const f32 texcoords[4][2] = {{0, 0}, {0, 1}, {1, 1}, {1, 0}};
    for (int c = 0; c < 4; c++) {
        glTexCoord2f(texcoords[c][0], texcoords[c][1]);
        f32 a = corners[c][0], b = corners[c][1];
        if (axis == 2)
            glVertex3f(a, b, fixed);
        else if (axis == 0)
            glVertex3f(fixed, a, b);
        else
            glVertex3f(a, fixed, b);
    }
}

void bonus_draw(s_bonus* bonus)
{
    coord_item(&bonus->coord);
    glColor3f(1, 1, 1);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, bonus->texture);
    glBegin(GL_QUADS);
    bonus_internal_face(2, 0.5f);
    bonus_internal_face(2, -0.5f);
    bonus_internal_face(0, -0.5f);
    bonus_internal_face(0, 0.5f);
    bonus_internal_face(1, -0.5f);
    bonus_internal_face(1, 0.5f);
    glEnd();
    glDisable(GL_TEXTURE_2D);
    coord_stop();
}
