// Law of motion and swept box test: bounces, vector sums and face crossings.
#include <gtest/gtest.h>

#include <cmath>

#include "game/collide.h"
#include "game/mobile.h"

namespace {

const f32 PI_F = 3.1415927f;

// A unit-square ball (extents ±0.5) moving from (x0, y0) to (x1, y1) against a
// static box at (bx, by) spanning x ±1 and y from -1 to 0.5.
i8 ball_vs_block(f32 x0, f32 y0, f32 x1, f32 y1, f32 bx = 0, f32 by = 0)
{
    return collide(x0, y0, x1, y1, -0.5f, 0.5f, -0.5f, 0.5f, bx, by, bx, by, -1.0f, 1.0f, -1.0f, 0.5f);
}

TEST(Collide, ExistingOverlapOfAStillBoxIsNeverReported)
{
    EXPECT_EQ(0, ball_vs_block(0, 0, 0, 0));
    EXPECT_EQ(0, ball_vs_block(0.9f, 0.2f, 0.9f, 0.2f));
}

TEST(Collide, BottomEdgeEndingOnTopFaceIsNoHit)
{
    // Top face at 0.5, ball bottom edge ends exactly there.
    EXPECT_EQ(0, ball_vs_block(0, 2, 0, 1));
}

TEST(Collide, BottomEdgeStartingOnTopFaceAndMovingInIsTopHit)
{
    EXPECT_EQ(COLLIDE_TOP, ball_vs_block(0, 1, 0, 0.9f));
}

TEST(Collide, FallingOntoBlockIsTopRisingIntoItIsBottom)
{
    EXPECT_EQ(1, ball_vs_block(0, 2, 0, 0.8f));
    EXPECT_EQ(8, ball_vs_block(0, -2.2f, 0, -1.2f));
}

TEST(Collide, SideCrossingsReportLeftAndRight)
{
    EXPECT_EQ(COLLIDE_LEFT, ball_vs_block(-2, 0, -1.4f, 0));
    EXPECT_EQ(COLLIDE_RIGHT, ball_vs_block(2, 0, 1.4f, 0));
}

TEST(Collide, CornerCrossingsReportBothAxes)
{
    // Down-right over the top-left corner.
    EXPECT_EQ(COLLIDE_TOP | COLLIDE_LEFT, ball_vs_block(-2, 1.5f, -1.2f, 0.7f));
    // Up-left through the bottom-right corner.
    EXPECT_EQ(COLLIDE_BOTTOM | COLLIDE_RIGHT, ball_vs_block(2, -2, 1.2f, -1.2f));
}

TEST(Collide, CrossingWithoutOverlapOnTheOtherAxisIsNoHit)
{
    // Crosses the top face's height far to the right of the block.
    EXPECT_EQ(0, ball_vs_block(5, 2, 5, 0));
    // Crosses the left face's line far above the block.
    EXPECT_EQ(0, ball_vs_block(-2, 5, 0, 5));
}

TEST(Collide, MovingObstacleSweepsItsWholePath)
{
    // A ball resting above x = 10 is passed by a pad moving from x 0 to 20:
    // the pad's swept box covers x 10 on its way, so the ball falling into the
    // pad's height range hits it.
    i8 r = collide(10, 1.2f, 10, 0.9f, -0.5f, 0.5f, -0.5f, 0.5f, 0, 0, 20, 0, -2, 2, -0.5f, 0.5f);
    EXPECT_TRUE(r & COLLIDE_TOP);
    // The same fall against the pad standing still at x 0 misses.
    r = collide(10, 1.2f, 10, 0.9f, -0.5f, 0.5f, -0.5f, 0.5f, 0, 0, 0, 0, -2, 2, -0.5f, 0.5f);
    EXPECT_EQ(0, r);
}

TEST(MobileBounce, ReflectsOneComponentAndTwiceRestores)
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
}

TEST(MobileBounce, UsesSinglePrecisionTurnsAndIgnoresOtherAxes)
{
    s_mobile m;
    mobile_define(&m, 0, 0, 0.25f, 1);
    mobile_bounce(&m, 0);
    EXPECT_EQ(6.2831855f - 0.25f, m.angle);
    mobile_define(&m, 0, 0, 0.25f, 1);
    mobile_bounce(&m, 1);
    EXPECT_EQ(3.1415927f - 0.25f, m.angle);
    mobile_bounce(&m, 2);
    mobile_bounce(&m, -1);
    EXPECT_EQ(3.1415927f - 0.25f, m.angle);
}

TEST(MobileBounce, ReversesTheVelocityComponent)
{
    s_mobile m;
    mobile_define(&m, 0, 0, 0.6f, 0.02f);
    f32 vx = mobile_speed_x(&m), vy = mobile_speed_y(&m);
    mobile_bounce(&m, 0);
    EXPECT_NEAR(vx, mobile_speed_x(&m), 1e-8);
    EXPECT_NEAR(-vy, mobile_speed_y(&m), 1e-8);
    mobile_bounce(&m, 1);
    EXPECT_NEAR(-vx, mobile_speed_x(&m), 1e-8);
    EXPECT_NEAR(-vy, mobile_speed_y(&m), 1e-8);
}

TEST(MobileCompose, FromRestTakesTheAddedDirection)
{
    s_mobile m;
    mobile_define(&m, 0, 0, 2.5f, 0);
    mobile_compose(&m, MOBILE_UP, 0.004f);
    EXPECT_FLOAT_EQ(MOBILE_UP, m.angle);
    EXPECT_FLOAT_EQ(0.004f, m.speed);
}

TEST(MobileCompose, GravityBendsAndSlowsARisingBody)
{
    s_mobile m;
    mobile_define(&m, 0, 0, MOBILE_UP, 0.01f);
    mobile_compose(&m, MOBILE_DOWN, 0.00001f * 20);
    EXPECT_NEAR(0.0098f, m.speed, 1e-7);
    EXPECT_NEAR(MOBILE_UP, m.angle, 1e-6);
    // A larger pull than the speed turns it round.
    mobile_compose(&m, MOBILE_DOWN, 0.03f);
    EXPECT_NEAR(MOBILE_DOWN, m.angle, 1e-5);
    EXPECT_NEAR(0.0202f, m.speed, 1e-6);
}

TEST(MobileDeviate, TurnsButKeepsTheSpeed)
{
    s_mobile m;
    mobile_define(&m, 0, 0, MOBILE_UP, 0.01f);
    mobile_deviate(&m, 0, 0.01f);
    EXPECT_NEAR(PI_F / 4, m.angle, 1e-6);
    EXPECT_EQ(0.01f, m.speed);
}

TEST(MobileMove, AdvancesByVelocityTimesTime)
{
    s_mobile m;
    mobile_define(&m, 1, 2, PI_F / 4, 0.01f);
    mobile_move(&m, 100);
    EXPECT_NEAR(1 + std::sqrt(0.5), m.x, 1e-6);
    EXPECT_NEAR(2 + std::sqrt(0.5), m.y, 1e-6);
    mobile_move(&m, 0);
    EXPECT_NEAR(1 + std::sqrt(0.5), m.x, 1e-6);
}

TEST(MobileDefine, TakesPositionBeforeDirection)
{
    s_mobile m;
    mobile_define(&m, 3, 4, 0.5f, 0.25f);
    EXPECT_EQ(3, m.x);
    EXPECT_EQ(4, m.y);
    EXPECT_EQ(0.5f, m.angle);
    EXPECT_EQ(0.25f, m.speed);
}

}  // namespace
