// Drawing of the pad and of the balls and bonuses in play, read back as pixels.
#include <gtest/gtest.h>

#include <GL/gl.h>
#include <GL/glu.h>

#include "game_fixture.h"

namespace {

using namespace game_test;

// An orthographic view of x -10..10, y -7.5..7.5 in a 640 x 480 window: 32
// pixels per unit, origin at the centre. A free slot left at the origin must not show.
class drawing : public play_field {
protected:
    void SetUp() override
    {
        play_field::SetUp();
        ASSERT_TRUE(open_window(640, 480, 24));
        quadric = gluNewQuadric();
        gluQuadricTexture(quadric, GL_TRUE);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glOrtho(-10, 10, -7.5, 7.5, -20, 20);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glDisable(GL_DEPTH_TEST);
        glDisable(GL_LIGHTING);
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT);
    }
    // Nothing left behind: no transform, no texturing, no error.
    void TearDown() override
    {
        gluDeleteQuadric(quadric);
        GLint depth = -1;
        glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depth);
        EXPECT_EQ(1, depth);
        EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
        EXPECT_EQ((GLenum)GL_NO_ERROR, glGetError());
        play_field::TearDown();
    }
    // World points that must be lit or black.
    void expect_pixels(std::initializer_list<std::pair<f32, f32>> lit,
                       std::initializer_list<std::pair<f32, f32>> dark)
    {
        for (auto [x, y] : lit)
            EXPECT_GT(read_pixel(320 + (int)(x * 32), 240 + (int)(y * 32))[0], 200)
                << x << ", " << y;
        for (auto [x, y] : dark)
            EXPECT_EQ(0, read_pixel(320 + (int)(x * 32), 240 + (int)(y * 32))[0]) << x << ", " << y;
    }
    GLUquadric* quadric = nullptr;
};

// Seen from the front and from above, the capsule is one unit thick and two
// half-lengths plus one long.
TEST_F(drawing, pad_capsule_lies_along_x_and_is_round)
{
    pad.quadric = quadric;
    park_pad(0);
    for (f32 tilt : {0, 90}) {
        glClear(GL_COLOR_BUFFER_BIT);
        glLoadIdentity();
        glRotatef(tilt, 1, 0, 0);
        pad_draw(&pad);
        expect_pixels({{0, 0}, {1.9f, 0}, {-1.9f, 0}},
                      {{2.2f, 0}, {-2.2f, 0}, {0, 0.7f}, {1.5f, 0.9f}, {1.5f, -0.9f}});
    }
}

TEST_F(drawing, balls_are_spheres_of_half_a_unit_and_bonuses_unit_cubes)
{
    place_ball(3, 5, 3, 5, 3, UP)->quadric = quadric;
    coord_set_rot(&balls.balls[3].coord, 30, 40, 0);
    place_bonus(2, BONUS_PAD_INC, -5, -3, -5, -3, UP);
    bonuses.bonuses[2].coord = {-5, -3, 0, 0, 0, 0};
    ball_list_draw(&balls);
    bonus_list_draw(&bonuses);
    expect_pixels({{5, 3}, {5.4f, 3}, {-5, -3}, {-5.45f, -3.45f}, {-4.55f, -2.55f}},
                  {{5.6f, 3}, {-5.6f, -3}, {0, 0}});
}

}  // namespace
