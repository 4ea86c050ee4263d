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
        if (!game_test::window_open())
            GTEST_SKIP() << "no GL window";
        quadric = gluNewQuadric();
        gluQuadricNormals(quadric, GLU_SMOOTH);
        gluQuadricTexture(quadric, GL_TRUE);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glOrtho(-10, 10, -7.5, 7.5, -20, 20);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glDisable(GL_DEPTH_TEST);
        glDisable(GL_LIGHTING);
        glDisable(GL_TEXTURE_2D);
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT);
    }
    void TearDown() override
    {
        if (quadric)
            gluDeleteQuadric(quadric);
    }

    // Brightness (red) of the pixel at world (x, y).
    int at(f32 x, f32 y)
    {
        u8 rgb[3];
        glReadBuffer(GL_BACK);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(320 + (int)(x * 32), 240 + (int)(y * 32), 1, 1, GL_RGB, GL_UNSIGNED_BYTE, rgb);
        return rgb[0];
    }

    // Checks that the object left no transform or texturing behind.
    void expect_state_restored()
    {
        GLint depth = -1;
        glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depth);
        EXPECT_EQ(1, depth);
        EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
        EXPECT_EQ((GLenum)GL_NO_ERROR, glGetError());
    }

    GLUquadric* quadric = nullptr;
};

TEST_F(Draw, PadCapsuleLiesAlongXAndIsTwoHalfLengthsPlusOneLong)
{
    s_pad pad = {};
    coord_set_pos(&pad.coord, 0, 0, 0);
    coord_set_rot(&pad.coord, 0, 90, 0);
    pad.half_length = 1.5f;
    pad.quadric = quadric;
    pad_draw(&pad);
    EXPECT_GT(at(0, 0), 200);
    EXPECT_GT(at(1.9f, 0), 200);
    EXPECT_GT(at(-1.9f, 0), 200);
    EXPECT_EQ(0, at(2.2f, 0));
    EXPECT_EQ(0, at(-2.2f, 0));
    EXPECT_EQ(0, at(0, 0.7f));
    expect_state_restored();
}

TEST_F(Draw, BallIsASphereOfHalfAUnitAtItsPosition)
{
    s_ball ball = {};
    coord_set_pos(&ball.coord, 5, 3, 0);
    coord_set_rot(&ball.coord, 30, 40, 0);
    ball.quadric = quadric;
    ball_draw(&ball);
    EXPECT_GT(at(5, 3), 200);
    EXPECT_GT(at(5.4f, 3), 200);
    EXPECT_EQ(0, at(5.6f, 3));
    EXPECT_EQ(0, at(0, 0));
    expect_state_restored();
}

TEST_F(Draw, BonusIsAUnitCube)
{
    s_bonus bonus = {};
    coord_set_pos(&bonus.coord, -5, -3, 0);
    bonus_draw(&bonus);
    EXPECT_GT(at(-5, -3), 200);
    EXPECT_GT(at(-5.45f, -3.45f), 200);
    EXPECT_EQ(0, at(-5.6f, -3));
    expect_state_restored();
}

}  // namespace
