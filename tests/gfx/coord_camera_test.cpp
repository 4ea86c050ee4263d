// Placement laws at given frame times, placing and viewing transforms, and the
// camera's followers with the eye-space positions they give.
#include "gfx/camera.h"
#include "gfx/coord.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cstring>

#include "tests/gfx/gfx_fixtures.h"

using namespace gfx_test;

namespace {

TEST(coord_laws, relative_law_closes_k_times_dt_of_the_gap)
{
    // k * dt = 1 lands on the target, 2 overshoots to the mirror point.
    const f32 rows[][2] = {{20, 0.5f}, {400, 10}, {800, 20}};  // dt, value after
    for (const auto& row : rows) {
        gl_vertex.frame_time = row[0];
        f32 value = 0;
        internal_interpolate_relative(&value, 10, 0.0025f);
        EXPECT_FLOAT_EQ(value, row[1]) << "dt " << row[0];
    }
}

TEST(coord_laws, wrap_step_brings_an_angle_within_half_a_turn)
{
    // Exactly 180 away keeps its side.
    const f32 rows[][3] = {{350, 10, -10}, {-350, 10, 10}, {190, 10, 190}, {-170, 10, -170},
                           {730, 0, 10},   {-725, 0, -5},  {181, 0, -179}, {-181, 0, 179}};
    for (const auto& row : rows) {
        f32 angle = row[0];
        internal_rotate(&angle, row[1]);
        EXPECT_FLOAT_EQ(angle, row[2]) << row[0] << " toward " << row[1];
    }
    gl_vertex.frame_time = 0;
    s_coord current = {1, 2, 3, 350, 0, 0}, target = {0, 0, 0, 10, 0, 0};
    coord_interpolate_rot_relative(&current, &target, 0.005f, 0);
    EXPECT_FLOAT_EQ(current.rx, 350) << "wraps only when asked";
    coord_interpolate_rot_relative(&current, &target, 0.005f, 1);
    EXPECT_FLOAT_EQ(current.rx, -10);
}

TEST(coord_laws, speed_law_has_a_dead_zone_accelerates_and_is_cut_to_its_limit)
{
    gl_vertex.frame_time = 10;
    const struct {
        const char* name;
        f32 value, speed, target, limit, accel, speed_after, value_after;
    } rows[] = {
        {"dead zone below", 9.95f, 1000, 10, 0.0025f, 0.00025f, 0, 9.95f},
        {"dead zone above", 10.05f, -1000, 10, 0.0025f, 0.00025f, 0, 10.05f},
        {"accelerates to the limit 10 * k", 0, 0, 10, 0.0025f, 0.00025f, 0.025f, 0.25f},
        {"cut to the limit", 0, 0.05f, 10, 0.0025f, 0.00025f, 0.025f, 0.25f},
        {"moving away is braked", 0, 0.5f, -10, 0.0025f, 0.00025f, 0.475f, 4.75f},
        {"below the limit may pass it", 0, -0.001f, -10, 0.0025f, 0.01f, -1.001f, -10.01f},
        {"a zero limit holds still", 0, -0.5f, 10, 0, 0.00025f, 0, 0},
    };
    for (const auto& r : rows) {
        f32 value = r.value, speed = r.speed;
        internal_interpolate_speed(&value, &speed, r.target, r.limit, r.accel);
        EXPECT_FLOAT_EQ(speed, r.speed_after) << r.name;
        EXPECT_FLOAT_EQ(value, r.value_after) << r.name;
    }
}

// Column-major 4x4 matrices as GL keeps them.
struct Matrix {
    f32 m[16];
};

Matrix modelview()
{
    Matrix r;
    glGetFloatv(GL_MODELVIEW_MATRIX, r.m);
    return r;
}

GLint stack_depth()
{
    GLint depth = 0;
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depth);
    return depth;
}

void expect_matrix_near(const Matrix& actual, const Matrix& expected)
{
    for (int i = 0; i < 16; i++)
        EXPECT_NEAR(actual.m[i], expected.m[i], 1e-4) << "element " << i;
}

class camera_frames : public ::testing::Test {
protected:
    s_camera camera;
    void SetUp() override
    {
        ASSERT_TRUE(open_window(WINDOW_SIDE, WINDOW_SIDE)) << SDL_GetError();
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        camera_define(&camera);
    }
    // One frame of the given length; returns the model-view matrix inside it.
    Matrix frame(f32 ms)
    {
        gl_vertex.frame_time = ms;
        GLint depth = stack_depth();
        camera_begin(&camera);
        EXPECT_EQ(stack_depth(), depth + 2);
        Matrix inside = modelview();
        camera_stop();
        EXPECT_EQ(stack_depth(), depth);
        return inside;
    }
};

TEST_F(camera_frames, view_is_the_inverse_of_item_and_each_needs_its_stop)
{
    glTranslatef(1, 2, 3);
    Matrix before = modelview();
    // The viewer transform translates before it rotates, so it undoes a pure
    // rotation or a pure translation of coord_item, not both at once.
    s_coord turn = {0, 0, 0, 30, 40, 50}, shift = {4, 5, 6, 0, 0, 0};
    for (const s_coord* p : {&turn, &shift}) {
        coord_item(p);
        coord_view(p);
        expect_matrix_near(modelview(), before);
        coord_stop();
        coord_stop();
    }
    expect_matrix_near(modelview(), before);
}

TEST_F(camera_frames, first_begin_jumps_to_the_targets_whatever_the_law)
{
    camera_mode(&camera, CAMERA_RELATIVE, CAMERA_RELATIVE, CAMERA_SPEED, 3, 0);
    coord_set_pos(camera.view_target, 5, 0, 0);
    coord_set_pos(camera.item_target, 0, 0, -30);
    coord_set_rot(camera.item_target, 20, 0, 0);
    camera.item.speed.x = 9;
    frame(16);
    EXPECT_FLOAT_EQ(camera.view.current.x, 5);
    EXPECT_FLOAT_EQ(camera.item.current.z, -30);
    EXPECT_FLOAT_EQ(camera.item.current.rx, 20);
    EXPECT_EQ(camera.item.speed.x, 0);
}

// One 20 ms frame from rest at 0 toward 10 on every part of both followers.
TEST_F(camera_frames, default_coefficients_give_each_law_its_step)
{
    const std::pair<u32, f32> rows[] = {
        {CAMERA_SET, 10}, {CAMERA_RELATIVE, 0.5f}, {CAMERA_SPEED, 1}, {3, 0}};
    for (auto [law, position] : rows) {
        camera_define(&camera);
        frame(0);
        camera_mode(&camera, law, law, law, law, 0);
        for (s_coord* target : {camera.view_target, camera.item_target}) {
            coord_set_pos(target, 10, 10, 10);
            coord_set_rot(target, 10, 10, 10);
        }
        frame(20);
        // Rotations have twice the coefficients of positions.
        f32 rotation = law == CAMERA_SET ? position : 2 * position;
        for (const s_coord* c : {&camera.view.current, &camera.item.current}) {
            EXPECT_FLOAT_EQ(c->x, position) << "law " << law;
            EXPECT_FLOAT_EQ(c->z, position) << "law " << law;
            EXPECT_FLOAT_EQ(c->rx, rotation) << "law " << law;
            EXPECT_FLOAT_EQ(c->rz, rotation) << "law " << law;
        }
    }
}

TEST_F(camera_frames, speed_law_settles_within_the_dead_zone_and_never_writes_the_target)
{
    frame(0);
    camera_mode(&camera, CAMERA_SPEED, CAMERA_SPEED, CAMERA_SET, CAMERA_SET, 0);
    coord_set_pos(camera.view_target, 10, -7, 3);
    s_coord target = *camera.view_target;
    for (int i = 0; i < 2000; i++)
        frame(16);
    EXPECT_NEAR(camera.view.current.x, 10, 0.1);
    EXPECT_NEAR(camera.view.current.y, -7, 0.1);
    EXPECT_NEAR(camera.view.current.z, 3, 0.1);
    EXPECT_EQ(camera.view.speed.x, 0);
    EXPECT_EQ(memcmp(&target, camera.view_target, sizeof target), 0);
}

// Where a world point lands in eye space: the view's turn is undone about the
// world origin, then its position taken away, then the eye's placement applied.
TEST_F(camera_frames, world_points_land_in_eye_space_by_both_placements)
{
    const struct {
        s_coord view, item;
        f32 world[3], eye[3];
    } rows[] = {
        {{12, 0, 0, 0, 0, 0}, {0, 0, -30, 0, 0, 0}, {12, 0, 0}, {0, 0, -30}},
        {{12, 0, 0, 0, 0, 90}, {0, 0, -30, 0, 0, 0}, {0, 13, 0}, {1, 0, -30}},
        {{0, 0, 0, 0, 90, 0}, {0, 0, -30, 0, 0, 0}, {1, 0, 0}, {0, 0, -29}},
        {{0, 0, 0, 90, 0, 0}, {0.5f, 1, -30, 0, 0, 0}, {0, 0, 1}, {0.5f, 2, -30}},
        {{0, 0, 0, 0, 0, 0}, {0, 0, -30, 90, 0, 0}, {0, 1, 0}, {0, 0, -29}},
    };
    glTranslatef(0, 0, -1);  // whatever was there before is kept under the camera
    for (const auto& r : rows) {
        *camera.view_target = r.view;
        *camera.item_target = r.item;
        Matrix m = frame(0);
        for (int i = 0; i < 3; i++)
            EXPECT_NEAR(m.m[i] * r.world[0] + m.m[4 + i] * r.world[1] + m.m[8 + i] * r.world[2] +
                            m.m[12 + i],
                        r.eye[i] - (i == 2 ? 1 : 0), 1e-4)
                << "row " << &r - rows << ", axis " << i;
    }
}

}  // namespace
