// The window module in a real window: frame clock, event table, projection.
#include "shell/vertex.h"

#include <SDL/SDL.h>
#include <GL/gl.h>
#include <gtest/gtest.h>
#include <cmath>

#include "tests/support/test_support.h"

using namespace test_support;

namespace {

u32 fake_now;
u32 fake_clock()
{
    return fake_now;
}

class Window : public ::testing::Test {
protected:
    void SetUp() override
    {
        VTX_SetClock(fake_clock);
        fake_now = 1000;
        ASSERT_TRUE(open_window(64, 48, 16)) << SDL_GetError();
    }
    void TearDown() override
    {
        VTX_Stop();
        VTX_SetClock(nullptr);
    }
};

TEST_F(Window, first_frame_has_no_duration_and_takes_the_clock)
{
    EXPECT_EQ(gl_vertex.ticks, 0u);
    EXPECT_EQ(VTX_Loop(0), 0);
    EXPECT_EQ(gl_vertex.ticks, 1000u);
    EXPECT_EQ(gl_vertex.frame_time, 0.0f);
    fake_now = 1020;
    VTX_Loop(0);
    EXPECT_EQ(gl_vertex.frame_time, 20.0f);
    EXPECT_EQ(gl_vertex.ticks, 1020u);
}

TEST_F(Window, wrapping_tick_counter_gives_the_small_difference)
{
    fake_now = 0xFFFFFFF0u;
    VTX_Loop(0);
    fake_now = 0x10;
    VTX_Loop(0);
    EXPECT_EQ(gl_vertex.frame_time, 32.0f);
}

TEST_F(Window, fps_follows_the_last_frame_and_is_zero_after_an_empty_one)
{
    VTX_Loop(0);
    EXPECT_EQ(VTX_GetFps(), 0.0f);
    fake_now += 20;
    VTX_Loop(0);
    EXPECT_FLOAT_EQ(VTX_GetFps(), 50.0f);
    VTX_Loop(0);
    EXPECT_EQ(VTX_GetFps(), 0.0f);
}

TEST_F(Window, keys_are_held_between_down_and_up)
{
    push_key(SDLK_SPACE, true);
    VTX_Loop(0);
    EXPECT_EQ(gl_vertex.key[32], 1);
    VTX_Loop(0);
    EXPECT_EQ(gl_vertex.key[32], 1);
    push_key(SDLK_SPACE, false);
    VTX_Loop(0);
    EXPECT_EQ(gl_vertex.key[32], 0);
}

TEST_F(Window, key_pressed_and_released_within_one_frame_ends_released)
{
    push_key(SDLK_ESCAPE, true);
    push_key(SDLK_ESCAPE, false);
    VTX_Loop(0);
    EXPECT_EQ(gl_vertex.key[27], 0);
}

TEST_F(Window, last_motion_event_of_the_frame_counts_and_lasts_one_frame)
{
    push_motion(7, 3);
    push_motion(-2, 5);
    VTX_Loop(0);
    EXPECT_EQ(gl_vertex.mouse_dx, -2);
    EXPECT_EQ(gl_vertex.mouse_dy, 5);
    VTX_Loop(0);
    EXPECT_EQ(gl_vertex.mouse_dx, 0);
    EXPECT_EQ(gl_vertex.mouse_dy, 0);
}

TEST_F(Window, mouse_buttons_one_to_five_land_in_the_key_table)
{
    for (Uint8 button = 1; button <= 5; button++)
        push_button(button, true);
    VTX_Loop(0);
    for (int button = 1; button <= 5; button++)
        EXPECT_EQ(gl_vertex.key[button], 1) << button;
    push_button(3, false);
    VTX_Loop(0);
    EXPECT_EQ(gl_vertex.key[3], 0);
    EXPECT_EQ(gl_vertex.key[1], 1);
}

TEST_F(Window, resize_to_height_zero_keeps_a_finite_projection)
{
    push_resize(64, 0);
    VTX_Loop(0);
    EXPECT_EQ(gl_vertex.width, 64);
    EXPECT_EQ(gl_vertex.height, 0);
    GLfloat projection[16];
    glGetFloatv(GL_PROJECTION_MATRIX, projection);
    for (float value : projection)
        EXPECT_TRUE(std::isfinite(value));
    // With the width itself as aspect ratio.
    float f = 1.0f / tanf(22.5f * (float)M_PI / 180.0f);
    EXPECT_NEAR(projection[0], f / 64.0f, 1e-5);
    EXPECT_NEAR(projection[5], f, 1e-5);
}

TEST_F(Window, orthographic_projection_maps_pixels_from_the_bottom_left)
{
    VTX_ScrDimention(1);
    EXPECT_FALSE(glIsEnabled(GL_DEPTH_TEST));
    GLfloat projection[16];
    glGetFloatv(GL_PROJECTION_MATRIX, projection);
    EXPECT_NEAR(projection[0], 2.0f / 64, 1e-6);
    EXPECT_NEAR(projection[5], 2.0f / 48, 1e-6);
    EXPECT_NEAR(projection[12], -1.0f, 1e-6);
    VTX_ScrDimention(0);
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
}

TEST_F(Window, quit_request_sets_quit_and_it_stays_set)
{
    SDL_Event event = {};
    event.type = SDL_QUIT;
    SDL_PushEvent(&event);
    EXPECT_EQ(VTX_Loop(0), 1);
    EXPECT_EQ(VTX_Loop(0), 1);
    EXPECT_EQ(gl_vertex.quit, 1);
}

TEST_F(Window, loop_shows_the_frame_and_clears_the_buffers)
{
    glClearColor(0, 0, 1, 1);
    VTX_Loop(0);
    unsigned char pixel[4] = {};
    glReadPixels(10, 10, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, pixel);
    EXPECT_EQ(pixel[2], 255);
    EXPECT_EQ(pixel[0], 0);
}

TEST(WindowLifecycle, stop_without_init_or_twice_does_nothing)
{
    VTX_Stop();
    EXPECT_EQ(gl_vertex.ready, 0);
    ASSERT_EQ(VTX_Init(32, 32, 16, 0), 0);
    EXPECT_EQ(gl_vertex.ready, 1);
    EXPECT_EQ(gl_vertex.time_scale, 1.0f);
    VTX_Stop();
    VTX_Stop();
    EXPECT_EQ(gl_vertex.ready, 0);
}

}  // namespace
