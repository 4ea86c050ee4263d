// The window module in a real window: the frame and game clocks, the input
// table, pausing, the projections and the modes of the window.
#include "shell/vertex.h"

#include <unistd.h>

#include <SDL/SDL.h>
#include <GL/gl.h>
#include <gtest/gtest.h>

#include "shell/clock.h"
#include "tests/support/test_support.h"

using namespace test_support;

namespace {

// Starts just short of the tick counter's wrap, which the clock must take in its stride.
const u32 CLOCK_START = 0xFFFFFFFFu - 10;
u32 fake_now;
u32 fake_clock()
{
    return fake_now;
}

class window : public ::testing::Test {
protected:
    void SetUp() override
    {
        VTX_SetClock(fake_clock);
        fake_now = CLOCK_START;
        ASSERT_TRUE(open_window(64, 48, 16)) << SDL_GetError();
    }
    void TearDown() override
    {
        VTX_Stop();
        VTX_SetClock(nullptr);
    }
};

// Queues a gain or loss of the input focus.
void push_focus(bool gain)
{
    SDL_Event event = {};
    event.type = SDL_ACTIVEEVENT;
    event.active.gain = gain;
    event.active.state = SDL_APPINPUTFOCUS;
    SDL_PushEvent(&event);
}

// The real clock under the window's: across whole seconds it moves by what passed.
TEST(clock, moves_by_the_time_that_passed_across_a_second)
{
    u64 start = clock_ns();
    f64 start_ms = clock_ms();
    usleep(1100000);
    u64 passed = clock_ns() - start;
    EXPECT_TRUE(passed >= 1100000000u && passed < 2000000000u) << passed;
    EXPECT_NEAR(clock_ms() - start_ms, passed / 1e6, 100);
}

// Frame by frame: the clocks from the first frame on and across the wrap of the
// tick counter; a pause stops the game clock where the last played frame left
// it, the frame that pauses plays no time, and play resumes without a jump.
TEST_F(window, game_clock_stands_still_while_paused_and_resumes_without_a_jump)
{
    VTX_SetPausable(1);
    struct Row {
        u32 wall_ms;       // frame clock step before the frame
        const char* what;  // p: P tapped, l/g: focus lost/gained, c: left click,
                           // e: Escape down, m: a mouse motion of 4, -2
        int paused;
        u32 ticks;  // since the first frame
        float frame_time, fps;
        int left, escape, motion;  // the frame's left button, Escape and mouse_dx
    };
    const Row rows[] = {
        {0, "", 0, 0, 0, 0, 0, 0, 0},         // the first frame has no length
        {20, "", 0, 20, 20, 50, 0, 0, 0},     // through the wrap
        {0, "", 0, 20, 0, 0, 0, 0, 0},        // a frame of no time
        {20, "pm", 1, 20, 0, 0, 0, 0, 0},     // the pausing frame plays no time
        {5000, "me", 1, 20, 0, 0, 0, 1, 0},   // a long pause; only Escape counts
        {20, "p", 0, 20, 0, 0, 0, 1, 0},      // resumed: this frame's time was paused
        {20, "m", 0, 40, 20, 50, 0, 1, 4},    // the pointer's return to the grab was no move
        {20, "mm", 0, 60, 20, 50, 0, 1, 8},   // then every motion of the frame counts
        {20, "l", 1, 60, 0, 0, 0, 1, 0},      // focus lost
        {20, "g", 1, 60, 0, 0, 0, 1, 0},      // regained: still paused
        {20, "c", 0, 60, 0, 0, 0, 1, 0},      // the click that resumes is spent on it
        {20, "", 0, 80, 20, 50, 0, 1, 0},     // plays on
        {20, "lg", 0, 100, 20, 50, 0, 1, 0},  // lost and regained in one frame: no pause
        {40, "c", 0, 140, 40, 25, 1, 1, 0},   // a click while playing is a click
        {20, "l", 1, 140, 0, 0, 0, 1, 0},     // lost again
        {20, "p", 0, 140, 0, 0, 0, 1, 0},     // P resumes with the focus still away
        {20, "", 0, 160, 20, 50, 0, 1, 0},    // and only a new loss pauses again
    };
    for (const Row& row : rows) {
        fake_now += row.wall_ms;
        for (const char* what = row.what; *what; what++) {
            if (*what == 'p') {
                push_press(SDLK_p, true);
                push_press(SDLK_p, false);
            }
            if (*what == 'l' || *what == 'g')
                push_focus(*what == 'g');
            if (*what == 'c')
                push_press(VTX_MOUSE_LEFT, true);
            if (*what == 'e')
                push_press(SDLK_ESCAPE, true);
            if (*what == 'm')
                push_motion(4, -2);
        }
        EXPECT_EQ(VTX_Loop(0), 0);
        SCOPED_TRACE(testing::Message() << "frame with '" << row.what << "' at " << fake_now);
        EXPECT_EQ(gl_vertex.paused, row.paused);
        EXPECT_EQ(gl_vertex.ticks, CLOCK_START + row.ticks);
        EXPECT_EQ(gl_vertex.frame_time, row.frame_time);
        EXPECT_FLOAT_EQ(VTX_GetFps(), row.fps);
        EXPECT_EQ(gl_vertex.key[VTX_MOUSE_LEFT], row.left);
        EXPECT_EQ(gl_vertex.key[VTX_KEY_ESCAPE], row.escape);
        EXPECT_EQ(gl_vertex.mouse_dx, row.motion);
        EXPECT_EQ(gl_vertex.mouse_dy, -row.motion / 2);
        push_press(VTX_MOUSE_LEFT, false);
    }
}

// Presses (d) and releases (u) of one key or button, frame by frame: a press
// reads held for the frame it arrives in, however short; a release counts at
// once unless the press came in the same frame.
TEST_F(window, a_press_reads_held_for_its_frame_and_a_tap_is_released_the_next)
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
        {SDLK_ESCAPE, {"du", ""}, {0, 0}},  // a brushed Escape does not quit
        {SDLK_SPACE, {"dud", "", "u"}, {1, 1, 0}},
        {VTX_MOUSE_RIGHT, {"du", "du", ""}, {1, 1, 0}},
        {VTX_MOUSE_MIDDLE, {"d", "u"}, {1, 0}},
        {4, {"du", ""}, {1, 0}},  // the wheel: a tap each notch
        {5, {"du", ""}, {1, 0}},
    };
    for (const Row& row : rows) {
        for (size_t frame = 0; frame < row.frames.size(); frame++) {
            for (const char* event = row.frames[frame]; *event; event++)
                push_press(row.key, *event == 'd');
            VTX_Loop(0);
            EXPECT_EQ(gl_vertex.key[row.key], row.held[frame])
                << "key " << row.key << " frame " << frame << " after " << row.frames[frame];
        }
    }
}

// A grabbed pointer that strays toward an edge is sent back to the middle, so the
// next motions are not stopped by the edge; its return is no motion of the player's.
TEST_F(window, grabbed_pointer_near_an_edge_returns_to_the_middle_without_moving_anything)
{
    VTX_SetMouse(0, 1);
    for (int frame = 0; frame < 3; frame++)
        VTX_Loop(0);
    for (auto [stray_x, stray_y] : {std::pair{60, 24}, {32, 3}}) {  // sideways, then up
        SDL_WarpMouse(stray_x, stray_y);
        int x = 0, y = 0;
        for (int frame = 0; frame < 10 && !(x == 32 && y == 24); frame++) {
            VTX_Loop(0);
            SDL_GetMouseState(&x, &y);
        }
        EXPECT_TRUE(x == 32 && y == 24) << "from " << stray_x << ", " << stray_y;
    }
    EXPECT_EQ(gl_vertex.mouse_dx, 0);
    VTX_SetMouse(1, 0);
}

TEST_F(window, loop_shows_the_frame_clears_the_buffers_and_a_close_request_stays)
{
    glClearColor(0, 0, 1, 1);
    EXPECT_EQ(VTX_Loop(0), 0);
    EXPECT_EQ(read_pixel(10, 10), (Rgb{0, 0, 255}));
    SDL_Event event = {};
    event.type = SDL_QUIT;
    SDL_PushEvent(&event);
    EXPECT_EQ(VTX_Loop(0), 1);
    EXPECT_EQ(VTX_Loop(0), 1);
}

// The picture after each change of mode: a texture made before any of them
// still covers the whole new drawable, so the GL context survived and the
// viewport and both projections follow.
TEST_F(window, resizes_and_full_screen_keep_the_textures_and_fill_the_new_size)
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
        {"unchanged", 0, -1, 64, 48},          {"grown", 100, 80, 100, 80},
        {"squeezed to one pixel", 1, 1, 1, 1}, {"back", 64, 48, 64, 48},
        {"full screen", 0, 1, 0, 0},           {"window again", 0, -1, 64, 48},
    };
    for (const Row& row : rows) {
        if (row.width)
            push_resize(row.width, row.height);
        else
            EXPECT_EQ(VTX_SetFullscreen(row.height > 0), 0) << row.what;
        VTX_Loop(0);
        int width = row.expect_width ? row.expect_width : gl_vertex.screen->w;
        int height = row.expect_height ? row.expect_height : gl_vertex.screen->h;
        EXPECT_TRUE(gl_vertex.width == width && gl_vertex.height == height) << row.what;
        EXPECT_TRUE(row.expect_width || width > 64) << "the desktop is larger than the window";
        GLfloat m[16];
        glGetFloatv(GL_PROJECTION_MATRIX, m);
        EXPECT_NEAR(m[0] * (f32)width / (f32)height, m[5], 1e-4) << "the perspective's aspect";
        VTX_ScrDimention(1);
        glEnable(GL_TEXTURE_2D);
        glColor3f(1, 1, 1);
        glBegin(GL_QUADS);
        const int corners[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
        for (const auto& corner : corners) {
            glTexCoord2i(corner[0], corner[1]);
            glVertex2i(corner[0] * width, corner[1] * height);
        }
        glEnd();
        glDisable(GL_TEXTURE_2D);
        for (auto [x, y] : {std::pair{0, 0}, std::pair{width - 1, height - 1}}) {
            EXPECT_EQ(read_pixel(x, y), (Rgb{200, 40, 90})) << row.what << " at " << x << ", " << y;
        }
        VTX_ScrDimention(0);
    }
    glDeleteTextures(1, &texture);
}

// The first gamepad, through SDL's event queue, frame by frame of 20 ms: the
// stick steers as the mouse, not at all within its dead zone and faster the
// further it leans, the d-pad at full speed; both hold the menus' directions;
// button 0 is the left button; Start pauses and resumes; the game speed
// slows the game clock and keeps its fractions.
TEST_F(window, gamepad_steers_as_the_mouse_clicks_and_pauses)
{
    VTX_SetPausable(1);
    VTX_Loop(0);
    struct Row {
        Sint16 stick;  // axis 0
        Uint8 hat;     // SDL_HAT_ bits
        int button;    // pressed this frame, released the next; -1 none
        f32 scale;     // the game speed
        int dx, right, left, paused;
        u32 ticks;  // the game clock's step
    };
    const Row rows[] = {
        {0, 0, -1, 1, 0, 0, 0, 0, 20},
        {6000, 0, -1, 1, 0, 0, 0, 0, 20},     // within the dead zone
        {32767, 0, -1, 1, 24, 1, 0, 0, 20},   // full right: 1.2 pixels a ms
        {-16384, 0, -1, 1, -9, 0, 0, 0, 20},  // half left: (0.5 - 0.2) / 0.8 of it
        {0, SDL_HAT_LEFT, -1, 1, -24, 0, 0, 0, 20},
        {0, 0, 0, 1, 0, 0, 1, 0, 20},        // button 0: the left button
        {0, 0, 7, 1, 0, 0, 0, 1, 0},         // Start pauses
        {0, 0, 7, 1, 0, 0, 0, 0, 0},         // and resumes
        {0, 0, -1, 0.625f, 0, 0, 0, 0, 12},  // 12.5 ms: the half carries over
        {0, 0, -1, 0.625f, 0, 0, 0, 0, 13},
        {0, 0, -1, 0.625f, 0, 0, 0, 0, 12},
    };
    int row_number = 0;
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << "row " << row_number++);
        SDL_Event event = {};
        event.type = SDL_JOYAXISMOTION;
        event.jaxis.value = row.stick;
        SDL_PushEvent(&event);
        event = {};
        event.type = SDL_JOYHATMOTION;
        event.jhat.value = row.hat;
        SDL_PushEvent(&event);
        if (row.button >= 0) {
            event = {};
            event.type = SDL_JOYBUTTONDOWN;
            event.jbutton.button = (Uint8)row.button;
            SDL_PushEvent(&event);
        }
        gl_vertex.time_scale = row.scale;
        u32 before = gl_vertex.ticks;
        fake_now += 20;
        VTX_Loop(0);
        EXPECT_EQ(gl_vertex.mouse_dx, row.dx);
        EXPECT_EQ(gl_vertex.key[VTX_JOY_RIGHT], row.right);
        EXPECT_EQ(gl_vertex.key[VTX_MOUSE_LEFT], row.left);
        EXPECT_EQ(gl_vertex.paused, row.paused);
        EXPECT_EQ(gl_vertex.ticks - before, row.ticks);
        if (row.button >= 0) {
            event.type = SDL_JOYBUTTONUP;
            SDL_PushEvent(&event);
        }
    }
}

TEST(window_lifecycle, stop_without_init_or_twice_does_nothing)
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

// The limit as each call sets it, and the pace it keeps: frames never start
// sooner than one period after the previous deadline, and a late frame does
// not make the next ones hurry.
TEST_F(window, frame_limit_paces_frames_from_their_deadlines)
{
    const struct {
        int asked, kept;
    } limits[] = {{0, 0},
                  {VTX_MAX_FPS_AUTO, VTX_MAX_FPS_DEFAULT},
                  {-7, 0},
                  {250, 250},
                  {VTX_MAX_FPS_HIGHEST + 1, VTX_MAX_FPS_HIGHEST}};
    for (const auto& limit : limits) {
        VTX_SetMaxFps(limit.asked);
        EXPECT_EQ(VTX_GetMaxFps(), limit.kept) << limit.asked;
    }
    VTX_SetMaxFps(250);
    const u64 period = CLOCK_NS_PER_S / 250;
    u64 start = clock_ns();
    for (int frame = 0; frame < 26; frame++) {
        VTX_Loop(0);
        // Each picture reaches the display after its deadline, not before.
        EXPECT_GE(gl_vertex.shown_ms * 1e6, (f64)(start + frame * period)) << frame;
    }
    EXPECT_GE(clock_ns() - start, 25 * period);
    clock_wait_until(clock_ns() + 5 * period);
    u64 late = clock_ns();
    VTX_Loop(0);
    VTX_Loop(0);
    EXPECT_GE(clock_ns() - late, period);
    VTX_SetMaxFps(0);
}

}  // namespace
