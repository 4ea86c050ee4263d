// Particle effects: lifetimes by the driven clock, and drawing read back from the window.
#include "gfx/particle.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include "tests/support/test_support.h"

using namespace test_support;

const int WINDOW_SIDE = 256;

namespace {

// Effects without textures, born at tick 1000 at (1, 2, 3) unless moved.
class particle_effects : public ::testing::Test {
protected:
    s_particle system = {};
    s_coord origin = {1, 2, 3, 0, 0, 0};
    void TearDown() override
    {
        particle_stop(&system);
    }
    void create(u32 color, u32 type, f32 param = 0, u32 now = 1000)
    {
        gl_vertex.ticks = now;
        ASSERT_EQ(0, particle_create(&system, &origin, color, type, param));
    }
    void cycle(u32 now, f32 frame_time)
    {
        gl_vertex.ticks = now;
        gl_vertex.frame_time = frame_time;
        particle_cycle(&system);
    }
    // A cleared 256-pixel window, 32 pixels per unit, effects at its centre.
    void view()
    {
        ASSERT_TRUE(open_window(WINDOW_SIDE, WINDOW_SIDE)) << SDL_GetError();
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glOrtho(-4, 4, -4, 4, -20, 20);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glDisable(GL_DEPTH_TEST);
        origin = {0, 0, 0, 0, 0, 0};
    }
    // One still square of an effect (by default 250 ms long) born at 1000, drawn at tick now.
    void draw_one_square(u32 color, u32 now = 1000, u32 type = PARTICLE_BLOCK_HIT)
    {
        glClear(GL_COLOR_BUFFER_BIT);
        system.group_count = 0;
        create(color, type);
        system.groups[0].dot_count = 1;
        system.groups[0].dots[0] = {0, 0, 0, 0, 0, 0};
        gl_vertex.ticks = now;
        particle_draw(&system);
    }
};

// A falling bonus's effect, a flat ring at 0.0025 units per ms for 500 ms,
// created after a 250 ms spark: when the spark ends, the ring takes its slot.
TEST_F(particle_effects, effect_moves_through_its_duration_and_ends_after_it_across_the_clock_wrap)
{
    create(1, PARTICLE_BALL_SPARK);
    create(0, PARTICLE_BONUS_FALL);
    s_particle_dot first = system.groups[1].dots[0];
    EXPECT_FLOAT_EQ(0.0025f, std::hypot(first.vx, first.vy) + std::fabs(first.vz));
    origin.x = 50;
    for (u32 t = 1000; t <= 1500; t += 100) {
        cycle(t, 10);
        ASSERT_EQ(t <= 1200 ? 2u : 1u, system.group_count) << "at tick " << t;
    }
    EXPECT_FLOAT_EQ(first.vx * 10 * 6, system.groups[0].dots[0].x) << "six cycles of 10 ms";
    EXPECT_EQ(1, system.groups[0].origin.x) << "the effect does not follow its creator";
    cycle(1501, 10);
    EXPECT_EQ(0u, system.group_count);
    create(0, PARTICLE_BONUS_FALL, 0, 0xFFFFFF00u);
    cycle(0x200, 10);  // 768 ms later
    EXPECT_EQ(0u, system.group_count);
    EXPECT_EQ(1, particle_create(&system, &origin, 0, PARTICLE_TYPE_COUNT, 0));
    EXPECT_EQ(1, particle_create(&system, &origin, PARTICLE_COLOR_COUNT, 0, 0));
    EXPECT_EQ(0u, system.group_count) << "rows outside the tables are refused";
}

// Added over black with its own alpha, whatever the GL state it finds, which it
// leaves as found: blending and texturing either way, depth writes on, the matrix.
TEST_F(particle_effects, colour_ramps_from_birth_to_end_of_life)
{
    view();
    // colour row, tick drawn, pixel; row 8 at its end, then with the clock set back
    const std::tuple<u32, u32, Rgb> rows[] = {{9, 1000, {255, 153, 76}},
                                              {7, 1125, {96, 96, 96}},
                                              {8, 1250, {0, 0, 0}},
                                              {8, 999, {0, 0, 0}}};
    for (auto [colour, now, pixel] : rows) {
        bool on = colour == 7;
        for (GLenum cap : {GL_BLEND, GL_TEXTURE_2D})
            on ? glEnable(cap) : glDisable(cap);
        draw_one_square(colour, now);
        for (int i = 0; i < 3; i++)
            EXPECT_NEAR(read_pixel(128, 128)[i], pixel[i], 3) << "row " << colour << " at " << now;
        EXPECT_EQ(on, glIsEnabled(GL_BLEND) && glIsEnabled(GL_TEXTURE_2D));
    }
    GLint mask = GL_FALSE, depth = -1;
    glGetIntegerv(GL_DEPTH_WRITEMASK, &mask);
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depth);
    EXPECT_TRUE(mask == GL_TRUE && depth == 1);
}

// A taken bonus's squares grow from half-sides of 0.4 to 0.8 units over 1000 ms;
// a pad's change of length shrinks them from 0.4 to 0.2 over 750 ms.
TEST_F(particle_effects, squares_grow_or_shrink_over_the_effect_life)
{
    view();
    glEnable(GL_BLEND);
    // effect, tick drawn, distance from the centre in units, lit there
    const std::tuple<u32, u32, f32, bool> rows[] = {{PARTICLE_BONUS_TAKE, 1100, 0.6f, false},
                                                    {PARTICLE_BONUS_TAKE, 1900, 0.6f, true},
                                                    {PARTICLE_PAD_LENGTH, 1075, 0.3f, true},
                                                    {PARTICLE_PAD_LENGTH, 1675, 0.3f, false}};
    for (auto [type, now, distance, lit] : rows) {
        draw_one_square(7, now, type);
        EXPECT_EQ(lit, read_pixel(128 + (int)(distance * 32), 128)[0] > 10)
            << type << " at " << now;
    }
    glDisable(GL_BLEND);
}

// Turned edge-on by its origin's rotation a square would vanish; a checkered picture shows whole.
TEST_F(particle_effects, squares_face_the_viewer_and_show_the_particle_picture)
{
    view();
    TempCwd dir;
    s_surface surfaces;
    surface_init(&surfaces);
    EXPECT_EQ(1, particle_init(&system, &surfaces)) << "no picture";
    std::filesystem::create_directory("data");
    // Top-left and bottom-right white, rows bottom first.
    write_file("data/particle.bmp",
               make_bmp({2, 2}, {0, 0, 0, 255, 255, 255, 255, 255, 255, 0, 0, 0}));
    ASSERT_EQ(0, particle_init(&system, &surfaces));
    coord_set_rot(&origin, 0, 90, 0);
    draw_one_square(8);
    for (f32 x : {-0.2f, 0.2f})
        for (f32 y : {-0.2f, 0.2f})
            EXPECT_EQ(x * y < 0, (read_pixel(128 + x * 32, 128 + y * 32)[0] > 200))
                << x << ", " << y;
    particle_stop(&system);
    surface_stop(&surfaces);
}

}  // namespace
