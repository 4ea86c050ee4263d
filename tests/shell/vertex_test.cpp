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

// Presses (d) and releases (u) of one key or button, frame by frame: a press
// reads held for the frame it arrives in, however short; a release counts at
// once unless the press came in the same frame.
TEST_F(Window, a_press_reads_held_for_its_frame_and_a_tap_is_released_the_next)
{
    struct Row {
        int key;  // SDL key symbol, or a mouse button below 8
        std::vector<const char*> frames;
        std::vector<int> held;
    };
    const Row rows[] = {
        {SDLK_SPACE, {"du", ""}, {1, 0}},
        {VTX_MOUSE_LEFT, {"du", ""}, {1, 0}},
        {SDLK_ESCAPE, {"d", "", "u"}, {1, 1, 0}},
        {SDLK_SPACE, {"dud", "", "u"}, {1, 1, 0}},
        {VTX_MOUSE_RIGHT, {"du", "du", ""}, {1, 1, 0}},
    };
    for (const Row& row : rows) {
        for (size_t frame = 0; frame < row.frames.size(); frame++) {
            for (const char* event = row.frames[frame]; *event; event++) {
                if (row.key < 8)
                    push_button(row.key, *event == 'd');
                else
                    push_key((SDLKey)row.key, *event == 'd');
            }
            VTX_Loop(0);
            EXPECT_EQ(gl_vertex.key[row.key], row.held[frame])
                << "key " << row.key << " frame " << frame << " after " << row.frames[frame];
        }
    }
}

TEST_F(Window, motion_of_all_the_frames_events_adds_up_and_lasts_one_frame)
{
    push_motion(7, 3);
    push_motion(-2, 5);
    push_motion(1, -1);
    VTX_Loop(0);
    EXPECT_EQ(gl_vertex.mouse_dx, 6);
    EXPECT_EQ(gl_vertex.mouse_dy, 7);
    VTX_Loop(0);
    EXPECT_EQ(gl_vertex.mouse_dx, 0);
    EXPECT_EQ(gl_vertex.mouse_dy, 0);
}

// Queues a gain or loss of the input focus.
void push_focus(bool gain)
{
    SDL_Event event = {};
    event.type = SDL_ACTIVEEVENT;
    event.active.gain = gain;
    event.active.state = SDL_APPINPUTFOCUS;
    SDL_PushEvent(&event);
}

// The game clock frame by frame through pauses: it stops where the last played
// frame left it, a frame that pauses plays no time, and play resumes without a jump.
TEST_F(Window, game_clock_stands_still_while_paused_and_resumes_without_a_jump)
{
    VTX_SetPausable(1);
    VTX_Loop(0);  // ticks 1000
    struct Row {
        u32 wall_ms;       // frame clock step before the frame
        const char* what;  // p: P tapped, l/g: focus lost/gained, c: left click,
                           // e: Escape down, m: mouse motion
        int paused;
        u32 ticks;
        float frame_time;
        int left, escape, motion;  // the frame's left button, Escape and mouse_dx
    };
    const Row rows[] = {
        {20, "", 0, 1020, 20, 0, 0, 0},     // playing
        {20, "pm", 1, 1020, 0, 0, 0, 0},    // the pausing frame plays no time
        {5000, "me", 1, 1020, 0, 0, 1, 0},  // a long pause; only Escape counts
        {20, "p", 0, 1020, 0, 0, 1, 0},     // resumed: this frame's time was paused
        {20, "m", 0, 1040, 20, 0, 1, 0},    // the pointer's return to the grab is no move
        {20, "m", 0, 1060, 20, 0, 1, 4},    // then motion counts again
        {20, "l", 1, 1060, 0, 0, 1, 0},     // focus lost
        {20, "g", 1, 1060, 0, 0, 1, 0},     // regained: still paused
        {20, "c", 0, 1060, 0, 0, 1, 0},     // the click that resumes is spent on it
        {20, "", 0, 1080, 20, 0, 1, 0},     // plays on
        {20, "lg", 0, 1100, 20, 0, 1, 0},   // lost and regained in one frame: no pause
        {20, "c", 0, 1120, 20, 1, 1, 0},    // a click while playing is a click
    };
    for (const Row& row : rows) {
        fake_now += row.wall_ms;
        for (const char* what = row.what; *what; what++) {
            if (*what == 'p') {
                push_key(SDLK_p, true);
                push_key(SDLK_p, false);
            }
            if (*what == 'l' || *what == 'g')
                push_focus(*what == 'g');
            if (*what == 'c')
                push_button(VTX_MOUSE_LEFT, true);
            if (*what == 'e')
                push_key(SDLK_ESCAPE, true);
            if (*what == 'm')
                push_motion(4, 0);
        }
        VTX_Loop(0);
        SCOPED_TRACE(std::string("frame with '") + row.what + "'");
        EXPECT_EQ(gl_vertex.paused, row.paused);
        EXPECT_EQ(gl_vertex.ticks, row.ticks);
        EXPECT_EQ(gl_vertex.frame_time, row.frame_time);
        EXPECT_EQ(gl_vertex.key[VTX_MOUSE_LEFT], row.left);
        EXPECT_EQ(gl_vertex.key[VTX_KEY_ESCAPE], row.escape);
        EXPECT_EQ(gl_vertex.mouse_dx, row.motion);
        push_button(VTX_MOUSE_LEFT, false);
    }
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

// The picture after each change of mode: a texture made before any of them
// still covers the whole new drawable, so the GL context survived and the
// viewport follows.
TEST_F(Window, resizes_and_full_screen_keep_the_textures_and_fill_the_new_size)
{
    const u8 texel[3] = {200, 40, 90};
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, 1, 1, 0, GL_RGB, GL_UNSIGNED_BYTE, texel);
    struct Row {
        const char* what;
        int width, height;  // a resize to this size; 0: full screen on (1) or off (-1)
        int expect_width, expect_height;  // 0: the desktop's
    };
    const Row rows[] = {
        {"grown", 100, 80, 100, 80},     {"squeezed to one pixel", 1, 1, 1, 1},
        {"back", 64, 48, 64, 48},        {"full screen", 0, 1, 0, 0},
        {"window again", 0, -1, 64, 48},
    };
    for (const Row& row : rows) {
        if (row.width)
            push_resize(row.width, row.height);
        else
            EXPECT_EQ(VTX_SetFullscreen(row.height > 0), 0) << row.what;
        VTX_Loop(0);
        int width = row.expect_width ? row.expect_width : gl_vertex.screen->w;
        int height = row.expect_height ? row.expect_height : gl_vertex.screen->h;
        EXPECT_EQ(gl_vertex.width, width) << row.what;
        EXPECT_EQ(gl_vertex.height, height) << row.what;
        EXPECT_TRUE(row.expect_width || width > 64) << "the desktop is larger than the window";
        VTX_ScrDimention(1);
        glEnable(GL_TEXTURE_2D);
        glBindTexture(GL_TEXTURE_2D, texture);
        glColor3f(1, 1, 1);
        glBegin(GL_QUADS);
        glTexCoord2f(0, 0);
        glVertex2i(0, 0);
        glTexCoord2f(1, 0);
        glVertex2i(width, 0);
        glTexCoord2f(1, 1);
        glVertex2i(width, height);
        glTexCoord2f(0, 1);
        glVertex2i(0, height);
        glEnd();
        glDisable(GL_TEXTURE_2D);
        for (auto [x, y] : {std::pair{0, 0}, std::pair{width - 1, height - 1}}) {
            EXPECT_EQ(read_pixel(x, y), (Rgb{200, 40, 90})) << row.what << " at " << x << ", " << y;
        }
        VTX_ScrDimention(0);
    }
    glDeleteTextures(1, &texture);
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
