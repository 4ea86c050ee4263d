// Law of motion and swept box test: bounces, vector sums and face crossings.
#include <gtest/gtest.h>

#include "game/collide.h"
#include "game/mobile.h"

namespace {

const f32 PI_F = 3.1415927f;

// A ball of extents ±0.5 moving from (x0, y0) to (x1, y1) against a still box at
// the origin spanning x ±1 and y -1..0.5.
TEST(Collide, ReportsTheFacesASweptBoxCrosses)
{
    struct row {
        const char* name;
        f32 x0, y0, x1, y1;
        int expected;
    };
    const row rows[] = {
        {"existing overlap, still", 0, 0, 0, 0, 0},
        {"existing overlap near the edge, still", 0.9f, 0.2f, 0.9f, 0.2f, 0},
        {"bottom edge ends exactly on the top face", 0, 2, 0, 1, 0},
        {"bottom edge starts on the top face and moves in", 0, 1, 0, 0.9f, COLLIDE_TOP},
        {"falling onto the top", 0, 2, 0, 0.8f, 1},
        {"rising into the bottom", 0, -2.2f, 0, -1.2f, 8},
        {"moving right into the left face", -2, 0, -1.4f, 0, COLLIDE_LEFT},
        {"moving left into the right face", 2, 0, 1.4f, 0, COLLIDE_RIGHT},
        {"down-right over the top-left corner", -2, 1.5f, -1.2f, 0.7f, 3},
        {"up-left through the bottom-right corner", 2, -2, 1.2f, -1.2f, 12},
        {"crosses the top's height far to the right", 5, 2, 5, 0, 0},
        {"crosses the left face's line far above", -2, 5, 0, 5, 0},
    };
    for (const row& r : rows) {
        SCOPED_TRACE(r.name);
        EXPECT_EQ(r.expected, collide(r.x0, r.y0, r.x1, r.y1, -0.5f, 0.5f, -0.5f, 0.5f, 0, 0, 0, 0,
                                      -1, 1, -1, 0.5f));
    }
}

TEST(Collide, MovingObstacleSweepsItsWholePath)
{
    // A ball sinking at x 10 is hit by a pad passing from x 0 to 20, missed by one standing at 0.
    EXPECT_TRUE(
        collide(10, 1.2f, 10, 0.9f, -0.5f, 0.5f, -0.5f, 0.5f, 0, 0, 20, 0, -2, 2, -0.5f, 0.5f) &
        COLLIDE_TOP);
    EXPECT_EQ(
        0, collide(10, 1.2f, 10, 0.9f, -0.5f, 0.5f, -0.5f, 0.5f, 0, 0, 0, 0, -2, 2, -0.5f, 0.5f));
}

TEST(MobileBounce, ReflectsOneAxisInSinglePrecisionAndTwiceRestores)
{
    s_mobile m;
    mobile_define(&m, 0, 0, PI_F / 4, 0.01f);
    mobile_bounce(&m, 0);
    EXPECT_NEAR(7 * PI_F / 4, m.angle, 1e-6);
    mobile_bounce(&m, 0);
    EXPECT_NEAR(PI_F / 4, m.angle, 1e-6);
    mobile_bounce(&m, 1);
    EXPECT_NEAR(3 * PI_F / 4, m.angle, 1e-6);
    mobile_bounce(&m, 1);
    EXPECT_NEAR(PI_F / 4, m.angle, 1e-6);
    EXPECT_EQ(0.01f, m.speed);

    mobile_define(&m, 0, 0, 0.25f, 1);
    mobile_bounce(&m, 0);
    EXPECT_EQ(6.2831855f - 0.25f, m.angle);
    mobile_define(&m, 0, 0, 0.25f, 1);
    mobile_bounce(&m, 1);
    mobile_bounce(&m, 2);
    mobile_bounce(&m, -1);
    EXPECT_EQ(3.1415927f - 0.25f, m.angle) << "axes other than 0 and 1 are ignored";
}

TEST(MobileCompose, SumsVelocitiesSoRestTakesThePullAndAStrongerPullTurnsItRound)
{
    s_mobile m;
    mobile_define(&m, 0, 0, 2.5f, 0);
    mobile_compose(&m, MOBILE_UP, 0.004f);
    EXPECT_FLOAT_EQ(MOBILE_UP, m.angle);
    EXPECT_FLOAT_EQ(0.004f, m.speed);
    mobile_compose(&m, MOBILE_DOWN, 0.03f);
    EXPECT_NEAR(MOBILE_DOWN, m.angle, 1e-5);
    EXPECT_NEAR(0.026f, m.speed, 1e-6);
}

TEST(MobileDeviate, TurnsButKeepsTheSpeed)
{
    s_mobile m;
    mobile_define(&m, 0, 0, MOBILE_UP, 0.01f);
    mobile_deviate(&m, 0, 0.01f);
    EXPECT_NEAR(PI_F / 4, m.angle, 1e-6);
    EXPECT_EQ(0.01f, m.speed);
}

}  // namespace
