// Particle effects: lifetimes by the driven clock, slot reuse, each type's
// speeds, and drawing read back from the window.
#include "gfx/particle.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>

#include "tests/gfx/gfx_fixtures.h"

using namespace gfx_test;

namespace {

void set_clock(u32 ticks, f32 frame_time)
{
    gl_vertex.ticks = ticks;
    gl_vertex.frame_time = frame_time;
}

// A system without textures, so no GL is needed; effects start at (1, 2, 3).
class particle_effects : public ::testing::Test {
protected:
    s_particle system = {};
    s_coord origin = {1, 2, 3, 0, 0, 0};
    void SetUp() override
    {
        set_clock(1000, 10);
    }
    void TearDown() override
    {
        particle_stop(&system);
    }
    void create(u32 color, u32 type, f32 param = 0)
    {
        ASSERT_EQ(0, particle_create(&system, &origin, color, type, param));
    }
};

TEST_F(particle_effects,
       effect_moves_through_its_duration_and_ends_after_it_even_across_the_clock_wrap)
{
    create(0, PARTICLE_BLOCK_HIT);  // 250 ms
    s_particle_dot first = system.groups[0].dots[0];
    origin.x = 50;
    for (u32 t = 1000; t <= 1250; t += 50) {
        set_clock(t, 10);
        particle_cycle(&system);
        ASSERT_EQ(1u, system.group_count) << "at tick " << t;
    }
    EXPECT_FLOAT_EQ(first.vx * 10 * 6, system.groups[0].dots[0].x) << "six cycles of 10 ms";
    EXPECT_EQ(1, system.groups[0].origin.x) << "the effect does not follow its creator";
    set_clock(1251, 10);
    particle_cycle(&system);
    EXPECT_EQ(0u, system.group_count);

    set_clock(0xFFFFFF00u, 10);
    create(0, PARTICLE_BLOCK_HIT);
    set_clock(0x10, 10);  // 272 ms later
    particle_cycle(&system);
    EXPECT_EQ(0u, system.group_count);
}

TEST_F(particle_effects, ending_the_first_of_three_moves_the_last_into_its_slot_still_moving)
{
    create(1, PARTICLE_BALL_SPARK);     // 250 ms
    create(2, PARTICLE_BONUS_FALL);     // 500 ms
    create(3, PARTICLE_BLOCK_DESTROY);  // 500 ms
    s_particle_dot* ended_buffer = system.groups[0].dots;
    s_particle_dot third = system.groups[2].dots[0];
    set_clock(1300, 20);
    particle_cycle(&system);
    ASSERT_EQ(2u, system.group_count);
    EXPECT_EQ(3u, system.groups[0].color);
    EXPECT_EQ(2u, system.groups[1].color);
    EXPECT_FLOAT_EQ(third.vx * 20, system.groups[0].dots[0].x);
    // The ended effect's buffer waits at the free end for the next effect.
    create(4, PARTICLE_PAD_RELEASE, 1);
    EXPECT_EQ(ended_buffer, system.groups[2].dots);
    EXPECT_EQ(200u, system.groups[2].dot_count);
    EXPECT_EQ(1, particle_create(&system, &origin, 0, PARTICLE_TYPE_COUNT, 0));
    EXPECT_EQ(1, particle_create(&system, &origin, PARTICLE_COLOR_COUNT, 0, 0));
    EXPECT_EQ(3u, system.group_count) << "rows outside the tables are refused";
}

// Particle speeds over a few hundred particles of each type: fixed, or spread
// from 0 up to a top; rings stay flat; the charge cloud starts 500 ms out.
TEST_F(particle_effects, each_type_flies_at_its_speeds)
{
    const struct {
        u32 type;
        f32 param, low, high, drift, back;
        bool flat;
    } rows[] = {
        {PARTICLE_PAD_RELEASE, 2, 0, 0.05f, 0, 0, false},
        {PARTICLE_BONUS_TAKE, 0, 0, 0.01f, 0, 0, false},
        {PARTICLE_PAD_LENGTH, 0.01f, 0.0025f, 0.0025f, 0.01f, 0, true},
        {PARTICLE_BLOCK_HIT, 0, 0.01f, 0.01f, 0, 0, false},
        {PARTICLE_BALL_TRAIL, 5, 0.005f, 0.005f, 0, 0, true},
        {PARTICLE_PAD_LOAD, 2, 0.02f, 0.02f, 0, 500, false},
        {PARTICLE_BLOCK_DESTROY, 0, 0, 0.01f, 0, 0, false},
        {PARTICLE_BALL_CREATE, 0, 0.01f, 0.01f, 0, 0, false},
        {PARTICLE_BONUS_FALL, 0, 0.0025f, 0.0025f, 0, 0, true},
        {PARTICLE_BALL_SPARK, 0, 0, 0.01f, 0, 0, false},
    };
    srand(3);
    for (const auto& r : rows) {
        SCOPED_TRACE(testing::Message() << "type " << r.type);
        f64 low = 1, high = 0;
        bool flat = true;
        for (u32 seen = 0; seen < 400; system.group_count = 0) {
            create(0, r.type, r.param);
            const s_particle_group& group = system.groups[0];
            ASSERT_LE(group.dot_count, (u32)PARTICLE_DOT_MAX);
            for (u32 d = 0; d < group.dot_count; d++, seen++) {
                const s_particle_dot& p = group.dots[d];
                f64 v = std::sqrt((p.vx - r.drift) * (p.vx - r.drift) + p.vy * p.vy + p.vz * p.vz);
                low = std::min(low, v);
                high = std::max(high, v);
                flat = flat && p.vz == 0;
                EXPECT_FLOAT_EQ(p.x, -r.back * p.vx);
            }
        }
        EXPECT_NEAR(low, r.low, r.high * 0.05);
        EXPECT_NEAR(high, r.high, r.high * 0.05);
        EXPECT_LE(high, r.high * 1.0001);
        EXPECT_EQ(flat, r.flat);
    }
}

// One still square at the origin of a cleared 256-pixel window, 32 pixels per unit.
class particle_drawing : public particle_effects {
protected:
    void SetUp() override
    {
        particle_effects::SetUp();
        ASSERT_TRUE(open_window(WINDOW_SIDE, WINDOW_SIDE)) << SDL_GetError();
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glOrtho(-4, 4, -4, 4, -20, 20);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glDisable(GL_DEPTH_TEST);
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT);
        origin = {0, 0, 0, 0, 0, 0};
    }
    // Born at 1000 as a block hit (250 ms), drawn at tick draw_at.
    void draw_one_square(u32 color, u32 draw_at = 1000)
    {
        set_clock(1000, 10);
        create(color, PARTICLE_BLOCK_HIT);
        system.groups[0].dot_count = 1;
        system.groups[0].dots[0] = s_particle_dot{0, 0, 0, 0, 0, 0};
        set_clock(draw_at, 10);
        particle_draw(&system);
    }
    Rgb at(f32 x, f32 y)
    {
        return read_pixel(128 + (int)(x * 32), 128 + (int)(y * 32));
    }
};

TEST_F(particle_drawing, draw_leaves_blend_texture_depth_mask_and_matrix_as_found)
{
    create(0, PARTICLE_BLOCK_HIT);
    for (bool on : {false, true}) {
        for (GLenum cap : {GL_BLEND, GL_TEXTURE_2D})
            on ? glEnable(cap) : glDisable(cap);
        particle_draw(&system);
        EXPECT_EQ(on, (bool)glIsEnabled(GL_BLEND));
        EXPECT_EQ(on, (bool)glIsEnabled(GL_TEXTURE_2D));
    }
    GLboolean depth_mask = GL_FALSE;
    glGetBooleanv(GL_DEPTH_WRITEMASK, &depth_mask);
    EXPECT_TRUE(depth_mask);
    GLint depth = -1;
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depth);
    EXPECT_EQ(1, depth);
    EXPECT_EQ((GLenum)GL_NO_ERROR, glGetError());
}

// Added over black with its own alpha: the pixel is the ramp's colour times its alpha.
TEST_F(particle_drawing, colour_ramps_from_birth_to_end_of_life)
{
    const struct {
        const char* name;
        u32 color, tick;
        Rgb pixel;
    } rows[] = {
        {"row 9 at birth", 9, 1000, {255, 153, 76}},
        {"row 7 at half life", 7, 1125, {96, 96, 96}},
        {"row 8 at the end", 8, 1250, {0, 0, 0}},
        {"row 8 with the clock set back", 8, 999, {0, 0, 0}},
    };
    for (const auto& r : rows) {
        glClear(GL_COLOR_BUFFER_BIT);
        system.group_count = 0;
        draw_one_square(r.color, r.tick);
        Rgb pixel = at(0, 0);
        for (int i = 0; i < 3; i++)
            EXPECT_NEAR(pixel[i], r.pixel[i], 3) << r.name << ", channel " << i;
    }
}

TEST_F(particle_drawing, squares_face_the_viewer_whatever_the_origin_rotation)
{
    // Turned 90 degrees about y, a square built in the origin's frame would be edge-on.
    coord_set_rot(&origin, 0, 90, 0);
    draw_one_square(8);
    EXPECT_GT(at(0, 0)[0], 200);
}

// A checkered picture shows upright and whole on every square.
TEST_F(particle_drawing, init_needs_its_picture_and_every_type_draws_it)
{
    TempCwd dir;
    s_surface surfaces;
    surface_init(&surfaces);
    EXPECT_EQ(1, particle_init(&system, &surfaces));
    EXPECT_EQ(nullptr, system.textures);
    std::filesystem::create_directory("data");
    // Top-left and bottom-right white, rows bottom first.
    write_file("data/particle.bmp",
               make_bmp({2, 2}, {0, 0, 0, 255, 255, 255, 255, 255, 255, 0, 0, 0}));
    ASSERT_EQ(0, particle_init(&system, &surfaces));
    for (int t = 1; t < PARTICLE_TYPE_COUNT; t++)
        EXPECT_EQ(system.textures[0], system.textures[t]);
    draw_one_square(8);
    EXPECT_GT(at(-0.2f, 0.2f)[0], 200);
    EXPECT_GT(at(0.2f, -0.2f)[0], 200);
    EXPECT_LT(at(0.2f, 0.2f)[0], 50);
    EXPECT_LT(at(-0.2f, -0.2f)[0], 50);
    particle_stop(&system);
    surface_stop(&surfaces);
}

}  // namespace
