// Particle effects: lifetimes by the driven clock, slot reuse, ramps, GL state.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>

#include "game_fixture.h"

namespace {

using namespace game_test;

// A system ready for effects without any texture (no GL needed).
class Particles : public ::testing::Test {
protected:
    void SetUp() override
    {
        system = {};
        system.textures = (u32*)calloc(PARTICLE_TYPE_COUNT, sizeof(u32));
        coord_set_pos(&origin, 1, 2, 3);
        coord_set_rot(&origin, 0, 0, 0);
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

    s_particle system;
    s_coord origin;
};

TEST_F(Particles, EffectIsMovedThroughItsDurationAndRemovedAfterEvenAcrossTheClockWrap)
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

TEST_F(Particles, ThirtyThirdEffectGrowsTheArrayKeepingTheFirst32)
{
    for (u32 i = 0; i < 32; i++) {
        origin.x = (f32)i;
        create(0, PARTICLE_BLOCK_HIT);
    }
    EXPECT_EQ(32u, system.group_capacity);
    s_particle_dot kept = system.groups[31].dots[24];
    create(0, PARTICLE_BALL_SPARK);
    EXPECT_EQ(64u, system.group_capacity);
    EXPECT_EQ(33u, system.group_count);
    for (u32 i = 0; i < 32; i++)
        EXPECT_EQ((f32)i, system.groups[i].origin.x);
    EXPECT_EQ(kept.vx, system.groups[31].dots[24].vx);
}

TEST_F(Particles, EndingTheFirstOfThreeMovesTheThirdIntoItsSlotStillMoving)
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
}

TEST_F(Particles, RowsOutsideTheTablesAreRefused)
{
    EXPECT_EQ(1, particle_create(&system, &origin, 0, PARTICLE_TYPE_COUNT, 0));
    EXPECT_EQ(1, particle_create(&system, &origin, PARTICLE_COLOR_COUNT, 0, 0));
    EXPECT_EQ(0u, system.group_count);
}

TEST(ParticleGenerators, PadLoadStartsFiveHundredMillisecondsOutAndFliesIn)
{
    srand(7);
    s_particle_dot dot;
    particle_func_pad_load(&dot, 2.0f);
    EXPECT_FLOAT_EQ(-500 * dot.vx, dot.x);
    EXPECT_FLOAT_EQ(-500 * dot.vy, dot.y);
    EXPECT_FLOAT_EQ(-500 * dot.vz, dot.z);
    EXPECT_NEAR(0.02, std::sqrt(dot.vx * dot.vx + dot.vy * dot.vy + dot.vz * dot.vz), 1e-6);
}

TEST(ParticleGenerators, PadLengthRingDriftsByParam)
{
    srand(3);
    for (int i = 0; i < 20; i++) {
        s_particle_dot dot;
        particle_func_pad_length(&dot, 0.01f);
        EXPECT_NEAR(0.0025, std::hypot(dot.vx - 0.01f, dot.vy), 1e-6);
        EXPECT_EQ(0, dot.vz);
        EXPECT_EQ(0, dot.x);
    }
}

TEST(ParticleGenerators, DrawsAngleThenElevationThenRadiusWithFiveDecimalPi)
{
    srand(11);
    int a = rand() % 360, b = rand() % 360, r = rand() % 1000;
    srand(11);
    s_particle_dot dot;
    particle_func_block_destroy(&dot, 0);
    f32 ra = (f32)a * 3.14159f / 180.0f, rb = (f32)b * 3.14159f / 180.0f, k = (f32)r * 0.00001f;
    EXPECT_FLOAT_EQ(cosf(ra) * cosf(rb) * k, dot.vx);
    EXPECT_FLOAT_EQ(sinf(ra) * cosf(rb) * k, dot.vy);
    EXPECT_FLOAT_EQ(sinf(rb) * k, dot.vz);
}

TEST(ParticleGenerators, BallCreateTakesElevationAsRadians)
{
    srand(5);
    int a = rand() % 360, e = rand() % 500;
    srand(5);
    s_particle_dot dot;
    particle_func_ball_create(&dot, 0);
    f32 elevation = (f32)e * 0.1f + 5.0f;
    EXPECT_FLOAT_EQ(sinf(elevation) * 0.01f, dot.vz);
    EXPECT_FLOAT_EQ(cosf((f32)a * 3.14159f / 180.0f) * cosf(elevation) * 0.01f, dot.vx);
}

TEST(ParticleTables, EveryTypeFitsTheDotBuffers)
{
    for (int t = 0; t < PARTICLE_TYPE_COUNT; t++)
        EXPECT_LE(gl_particle_define[t].count, (u32)PARTICLE_DOT_MAX) << "type " << t;
}

// Draws one still square at the origin into a cleared window.
class ParticlesGl : public Particles {
protected:
    void SetUp() override
    {
        Particles::SetUp();
        if (!gl_ready())
            GTEST_SKIP() << "no GL window";
        coord_set_pos(&origin, 0, 0, 0);
    }

    // Born at 1000, drawn at tick draw_at; one square, so the additive blend is measurable.
    void draw_one_square(u32 color, u32 draw_at = 1000)
    {
        create(color, PARTICLE_BLOCK_HIT);
        system.groups[0].dot_count = 1;
        system.groups[0].dots[0] = s_particle_dot{0, 0, 0, 0, 0, 0};
        set_clock(draw_at, 10);
        particle_draw(&system);
    }
};

TEST_F(ParticlesGl, DrawRestoresBlendTextureDepthMaskAndMatrixAsFound)
{
    create(0, PARTICLE_BLOCK_HIT);
    for (bool on : {false, true}) {
        SCOPED_TRACE(on ? "enabled before" : "disabled before");
        for (GLenum cap : {GL_BLEND, GL_TEXTURE_2D})
            on ? glEnable(cap) : glDisable(cap);
        particle_draw(&system);
        EXPECT_EQ(on, (bool)glIsEnabled(GL_BLEND));
        EXPECT_EQ(on, (bool)glIsEnabled(GL_TEXTURE_2D));
    }
    glDisable(GL_BLEND);
    glDisable(GL_TEXTURE_2D);
    GLboolean depth_mask = GL_FALSE;
    glGetBooleanv(GL_DEPTH_WRITEMASK, &depth_mask);
    EXPECT_TRUE(depth_mask);
    GLint depth = -1;
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depth);
    EXPECT_EQ(1, depth);
    EXPECT_EQ((GLenum)GL_NO_ERROR, glGetError());
}

TEST_F(ParticlesGl, ColourRowSevenAtHalfLifeDrawsThreeQuartersGreyAtHalfAlpha)
{
    draw_one_square(7, 1125);
    GLfloat colour[4];
    glGetFloatv(GL_CURRENT_COLOR, colour);
    const f32 expected[4] = {0.75f, 0.75f, 0.75f, 0.5f};
    for (int i = 0; i < 4; i++)
        EXPECT_FLOAT_EQ(expected[i], colour[i]) << "channel " << i;
    EXPECT_NEAR(0.375 * 255, red_at(320, 240), 6) << "additive over black with source alpha";
}

TEST_F(ParticlesGl, SquaresFaceTheViewerWhateverTheOriginRotation)
{
    // Turned 90 degrees about y, a square built in the origin's frame would be edge-on.
    coord_set_rot(&origin, 0, 90, 0);
    draw_one_square(8);
    EXPECT_GT(red_at(320, 240), 200);
}

TEST(ParticleInit, FailsWithoutItsTextureAndSharesOneTextureAcrossTypesWithIt)
{
    if (!gl_ready())
        GTEST_SKIP() << "no GL window";
    TempCwd dir;
    s_surface surfaces;
    surface_init(&surfaces);
    s_particle system;
    EXPECT_EQ(1, particle_init(&system, &surfaces));
    EXPECT_EQ(nullptr, system.textures);
    EXPECT_EQ(0u, system.group_count);
    particle_stop(&system);

    std::filesystem::create_directory("data");
    ASSERT_TRUE(write_file("data/particle.bmp", solid_bmp(4, 4, 255, 255, 255)));
    ASSERT_EQ(0, particle_init(&system, &surfaces));
    EXPECT_NE(0u, system.textures[0]);
    for (int t = 1; t < PARTICLE_TYPE_COUNT; t++)
        EXPECT_EQ(system.textures[0], system.textures[t]);
    s_coord origin = {0, 0, 0, 0, 0, 0};
    ASSERT_EQ(0, particle_create(&system, &origin, 0, PARTICLE_BONUS_FALL, 0));
    EXPECT_EQ(system.textures[0], system.groups[0].texture);
    particle_stop(&system);
    surface_stop(&surfaces);
}

}  // namespace
