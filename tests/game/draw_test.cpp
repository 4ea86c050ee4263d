// Drawing of the pad, balls and bonuses in a real GL context, read back as pixels.
#include <gtest/gtest.h>

#include <GL/gl.h>
#include <GL/glu.h>

#include "game/ball.h"
#include "game/bonus.h"
#include "game/pad.h"
#include "game_fixture.h"

namespace {

// An orthographic view of x -10..10, y -7.5..7.5: 32 pixels per unit, origin at the centre.
class Draw : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!game_test::gl_ready())
            GTEST_SKIP() << "no GL window";
        quadric = gluNewQuadric();
        gluQuadricNormals(quadric, GLU_SMOOTH);
        gluQuadricTexture(quadric, GL_TRUE);
        glMatrixMode(GL_PROJECTION);
        glOrtho(-10, 10, -7.5, 7.5, -20, 20);
        glMatrixMode(GL_MODELVIEW);
        glDisable(GL_LIGHTING);
        glDisable(GL_TEXTURE_2D);
    }

    // The object left no transform or texturing behind.
    void TearDown() override
    {
        if (!quadric)
            return;
        gluDeleteQuadric(quadric);
        GLint depth = -1;
        glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depth);
        EXPECT_EQ(1, depth);
        EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
        EXPECT_EQ((GLenum)GL_NO_ERROR, glGetError());
    }

    // Pixels at world (x, y) that must be lit (red above 200) or black.
    void expect_pixels(std::initializer_list<std::pair<f32, f32>> lit,
                       std::initializer_list<std::pair<f32, f32>> dark)
    {
        for (auto [x, y] : lit)
            EXPECT_GT(game_test::red_at(320 + (int)(x * 32), 240 + (int)(y * 32)), 200)
                << x << ", " << y;
        for (auto [x, y] : dark)
            EXPECT_EQ(0, game_test::red_at(320 + (int)(x * 32), 240 + (int)(y * 32)))
                << x << ", " << y;
    }

    GLUquadric* quadric = nullptr;
};

TEST_F(Draw, PadCapsuleLiesAlongXAndIsTwoHalfLengthsPlusOneLong)
{
    s_pad pad = {};
    coord_set_rot(&pad.coord, 0, 90, 0);
    pad.half_length = 1.5f;
    pad.quadric = quadric;
    pad_draw(&pad);
    expect_pixels({{0, 0}, {1.9f, 0}, {-1.9f, 0}}, {{2.2f, 0}, {-2.2f, 0}, {0, 0.7f}});
}

TEST_F(Draw, BallIsASphereOfHalfAUnitAtItsPosition)
{
    s_ball ball = {};
    coord_set_pos(&ball.coord, 5, 3, 0);
    coord_set_rot(&ball.coord, 30, 40, 0);
    ball.quadric = quadric;
    ball_draw(&ball);
    expect_pixels({{5, 3}, {5.4f, 3}}, {{5.6f, 3}, {0, 0}});
}

TEST_F(Draw, BonusIsAUnitCube)
{
    s_bonus bonus = {};
    coord_set_pos(&bonus.coord, -5, -3, 0);
    bonus_draw(&bonus);
    expect_pixels({{-5, -3}, {-5.45f, -3.45f}}, {{-5.6f, -3}});
}

}  // namespace
