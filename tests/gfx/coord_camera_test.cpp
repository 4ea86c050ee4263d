// Placement laws at given frame times, the GL transforms of placements, and the
// camera's followers and the model-view matrix it leaves.
#include "gfx/camera.h"
#include "gfx/coord.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "tests/gfx/gfx_fixtures.h"

using namespace gfx_test;

namespace {

// Every law reads the frame time of the window module; tests set it directly.
class Laws : public ::testing::Test {
protected:
    f32 saved = 0;
    void SetUp() override { saved = gl_vertex.frame_time; }
    void TearDown() override { gl_vertex.frame_time = saved; }
};

f32 rotated(f32 angle, f32 target)
{
    internal_rotate(&angle, target);
    return angle;
}

TEST_F(Laws, relative_law_closes_k_times_dt_of_the_gap)
{
    gl_vertex.frame_time = 20;
    f32 value = 0;
    internal_interpolate_relative(&value, 10, 0.0025f);
    EXPECT_FLOAT_EQ(value, 0.5f);
    // k * dt = 1 lands, 2 overshoots to the mirror point.
    gl_vertex.frame_time = 400;
    value = 0;
    internal_interpolate_relative(&value, 10, 0.0025f);
    EXPECT_FLOAT_EQ(value, 10.0f);
    gl_vertex.frame_time = 800;
    value = 0;
    internal_interpolate_relative(&value, 10, 0.0025f);
    EXPECT_FLOAT_EQ(value, 20.0f);
}

TEST_F(Laws, wrap_step_brings_an_angle_within_half_a_turn)
{
    EXPECT_FLOAT_EQ(rotated(350, 10), -10);
    EXPECT_FLOAT_EQ(rotated(-350, 10), 10);
    EXPECT_FLOAT_EQ(rotated(190, 10), 190);   // exactly 180 away keeps its side
    EXPECT_FLOAT_EQ(rotated(-170, 10), -170);
    EXPECT_FLOAT_EQ(rotated(730, 0), 10);
    EXPECT_FLOAT_EQ(rotated(-725, 0), -5);
    EXPECT_FLOAT_EQ(rotated(181, 0), -179);
    EXPECT_FLOAT_EQ(rotated(-181, 0), 179);
}

TEST_F(Laws, wrap_applies_to_rotation_only_when_asked)
{
    gl_vertex.frame_time = 0;
    s_coord current = {1, 2, 3, 350, 0, 0};
    s_coord target = {0, 0, 0, 10, 0, 0};
    coord_interpolate_rot_relative(&current, &target, 0.005f, 0);
    EXPECT_FLOAT_EQ(current.rx, 350);
    coord_interpolate_rot_relative(&current, &target, 0.005f, 1);
    EXPECT_FLOAT_EQ(current.rx, -10);
    EXPECT_FLOAT_EQ(current.x, 1);  // positions untouched by rotation laws
}

TEST_F(Laws, speed_law_stops_dead_inside_the_zone_around_the_target)
{
    gl_vertex.frame_time = 10;
    f32 value = 9.95f, speed = 1000;
    internal_interpolate_speed(&value, &speed, 10, 0.0025f, 0.00025f);
    EXPECT_EQ(speed, 0.0f);
    EXPECT_EQ(value, 9.95f);
    value = 10.05f;
    speed = -1000;
    internal_interpolate_speed(&value, &speed, 10, 0.0025f, 0.00025f);
    EXPECT_EQ(speed, 0.0f);
    EXPECT_EQ(value, 10.05f);
}

TEST_F(Laws, speed_law_accelerates_toward_the_limit_and_cuts_above_it)
{
    gl_vertex.frame_time = 10;
    f32 value = 0, speed = 0;
    internal_interpolate_speed(&value, &speed, 10, 0.0025f, 0.00025f);
    EXPECT_FLOAT_EQ(speed, 0.025f);  // 10 * 0.00025 * 10: reaches the limit 10 * 0.0025
    EXPECT_FLOAT_EQ(value, 0.25f);
    value = 0;
    speed = 0.05f;  // beyond the limit
    internal_interpolate_speed(&value, &speed, 10, 0.0025f, 0.00025f);
    EXPECT_FLOAT_EQ(speed, 0.025f);
    EXPECT_FLOAT_EQ(value, 0.25f);
    // Moving away from the target is below the limit: it is braked by the acceleration.
    value = 0;
    speed = 0.5f;
    internal_interpolate_speed(&value, &speed, -10, 0.0025f, 0.00025f);
    EXPECT_FLOAT_EQ(speed, 0.475f);
    // Below the limit toward a negative target: accelerates (may pass the limit).
    value = 0;
    speed = -0.001f;
    internal_interpolate_speed(&value, &speed, -10, 0.0025f, 0.01f);
    EXPECT_FLOAT_EQ(speed, -0.001f - 1.0f);
}

TEST_F(Laws, zero_frame_time_moves_nothing)
{
    gl_vertex.frame_time = 0;
    s_coord current = {1, 2, 3, 4, 5, 6};
    s_coord speed = {0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f};
    s_coord target = {100, 100, 100, 100, 100, 100};
    coord_interpolate_pos_relative(&current, &target, 0.0025f);
    coord_interpolate_rot_relative(&current, &target, 0.005f, 0);
    coord_interpolate_pos_speed(&current, &speed, &target, 0.0025f, 0.00025f);
    coord_interpolate_rot_speed(&current, &speed, &target, 0.005f, 0.0005f, 0);
    EXPECT_FLOAT_EQ(current.x, 1);
    EXPECT_FLOAT_EQ(current.y, 2);
    EXPECT_FLOAT_EQ(current.z, 3);
    EXPECT_FLOAT_EQ(current.rx, 4);
    EXPECT_FLOAT_EQ(current.ry, 5);
    EXPECT_FLOAT_EQ(current.rz, 6);
    EXPECT_FLOAT_EQ(speed.x, (100 - 1) * 0.0025f);  // speed still cut to its limit
}

TEST(CoordSetters, set_and_copy_touch_only_their_half)
{
    s_coord a = {1, 2, 3, 4, 5, 6}, b = {0, 0, 0, 0, 0, 0};
    coord_copy_pos(&b, &a);
    EXPECT_EQ(b.x + b.y + b.z, 6);
    EXPECT_EQ(b.rx + b.ry + b.rz, 0);
    coord_copy_rot(&b, &a);
    EXPECT_EQ(b.rz, 6);
    coord_set_pos(&b, 7, 8, 9);
    coord_set_rot(&b, 10, 11, 12);
    EXPECT_EQ(b.z, 9);
    EXPECT_EQ(b.rx, 10);
    EXPECT_EQ(a.x, 1);
}

// ---------------------------------------------------------------- GL transforms

// Column-major 4x4 matrices as GL keeps them.
struct Matrix {
    f64 m[16];
};

Matrix identity()
{
    Matrix r = {};
    r.m[0] = r.m[5] = r.m[10] = r.m[15] = 1;
    return r;
}

Matrix multiply(const Matrix& a, const Matrix& b)
{
    Matrix r = {};
    for (int col = 0; col < 4; col++)
        for (int row = 0; row < 4; row++)
            for (int k = 0; k < 4; k++)
                r.m[col * 4 + row] += a.m[k * 4 + row] * b.m[col * 4 + k];
    return r;
}

Matrix translation(f64 x, f64 y, f64 z)
{
    Matrix r = identity();
    r.m[12] = x;
    r.m[13] = y;
    r.m[14] = z;
    return r;
}

// Rotation by degrees about a unit axis, as glRotate defines it.
Matrix rotation(f64 degrees, f64 x, f64 y, f64 z)
{
    f64 a = degrees * M_PI / 180, c = cos(a), s = sin(a), t = 1 - c;
    Matrix r = identity();
    r.m[0] = x * x * t + c;
    r.m[1] = y * x * t + z * s;
    r.m[2] = x * z * t - y * s;
    r.m[4] = x * y * t - z * s;
    r.m[5] = y * y * t + c;
    r.m[6] = y * z * t + x * s;
    r.m[8] = x * z * t + y * s;
    r.m[9] = y * z * t - x * s;
    r.m[10] = z * z * t + c;
    return r;
}

Matrix modelview()
{
    f32 m[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, m);
    Matrix r;
    for (int i = 0; i < 16; i++)
        r.m[i] = m[i];
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

class Transforms : public Laws {
protected:
    void SetUp() override
    {
        Laws::SetUp();
        open_window();
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
    }
};

TEST_F(Transforms, view_is_the_inverse_of_item_and_each_needs_its_stop)
{
    glTranslatef(1, 2, 3);
    Matrix before = modelview();
    GLint depth = stack_depth();
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
    s_coord c = {4, 5, 6, 30, 40, 50};
    coord_view(&c);
    coord_item(&c);
    EXPECT_EQ(stack_depth(), depth + 2);
    coord_stop();
    EXPECT_EQ(stack_depth(), depth + 1);
    coord_stop();
    EXPECT_EQ(stack_depth(), depth);
    expect_matrix_near(modelview(), before);
}

TEST_F(Transforms, item_translates_then_rotates_about_x_y_z)
{
    s_coord c = {4, 5, 6, 30, 40, 50};
    coord_item(&c);
    Matrix expected = multiply(
        multiply(multiply(translation(4, 5, 6), rotation(30, 1, 0, 0)), rotation(40, 0, 1, 0)),
        rotation(50, 0, 0, 1));
    expect_matrix_near(modelview(), expected);
    coord_stop();
}

// ---------------------------------------------------------------- camera

class Camera : public Transforms {
protected:
    s_camera camera;
    void SetUp() override
    {
        Transforms::SetUp();
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

TEST_F(Camera, define_sets_coefficients_laws_handles_and_first)
{
    EXPECT_FLOAT_EQ(camera.view.pos_k, 0.0025f);
    EXPECT_FLOAT_EQ(camera.item.pos_k_accel, 0.00025f);
    EXPECT_FLOAT_EQ(camera.view.rot_k, 0.005f);
    EXPECT_FLOAT_EQ(camera.item.rot_k_accel, 0.0005f);
    EXPECT_EQ(camera.view.pos_mode, (u32)CAMERA_SET);
    EXPECT_EQ(camera.item.rot_mode, (u32)CAMERA_SET);
    EXPECT_EQ(camera.wrap, 0);
    EXPECT_EQ(camera.first, 1);
    EXPECT_EQ(camera.view_target, &camera.view.target);
    EXPECT_EQ(camera.item_target, &camera.item.target);
}

TEST_F(Camera, first_begin_jumps_to_the_targets_whatever_the_law)
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
    EXPECT_EQ(camera.first, 0);
    // Later frames glide: the relative law moves 20 ms * 0.25 % of 10.
    coord_set_pos(camera.view_target, 15, 0, 0);
    frame(20);
    EXPECT_FLOAT_EQ(camera.view.current.x, 5.5f);
}

TEST_F(Camera, set_law_follows_the_target_every_frame)
{
    frame(0);
    for (int i = 1; i <= 3; i++) {
        coord_set_pos(camera.item_target, (f32)i, (f32)-i, 2.0f * i);
        coord_set_rot(camera.view_target, (f32)i * 10, 0, 0);
        frame(i == 2 ? 0.0f : 33.0f);
        EXPECT_FLOAT_EQ(camera.item.current.x, (f32)i);
        EXPECT_FLOAT_EQ(camera.item.current.z, 2.0f * i);
        EXPECT_FLOAT_EQ(camera.view.current.rx, (f32)i * 10);
    }
}

TEST_F(Camera, unknown_law_freezes_while_the_target_moves)
{
    coord_set_pos(camera.view_target, 1, 2, 3);
    frame(10);
    camera_mode(&camera, 3, 3, 3, 3, 0);
    coord_set_pos(camera.view_target, 50, 50, 50);
    coord_set_rot(camera.view_target, 50, 50, 50);
    frame(10);
    EXPECT_FLOAT_EQ(camera.view.current.x, 1);
    EXPECT_FLOAT_EQ(camera.view.current.z, 3);
    EXPECT_FLOAT_EQ(camera.view.current.rx, 0);
}

TEST_F(Camera, speed_law_settles_within_the_dead_zone_and_never_writes_the_target)
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

TEST_F(Camera, mode_change_does_not_rearm_the_jump)
{
    frame(0);
    camera_mode(&camera, CAMERA_RELATIVE, CAMERA_RELATIVE, CAMERA_RELATIVE, CAMERA_RELATIVE, 0);
    coord_set_pos(camera.item_target, 10, 0, 0);
    frame(20);
    EXPECT_FLOAT_EQ(camera.item.current.x, 0.5f);
}

TEST_F(Camera, modelview_is_item_placement_times_inverse_view_placement)
{
    coord_set_pos(camera.view_target, 3, -2, 1);
    coord_set_rot(camera.view_target, 15, 25, 35);
    coord_set_pos(camera.item_target, 0.5f, 1, -30);
    coord_set_rot(camera.item_target, -20, 10, 5);
    glTranslatef(0, 0, -1);  // whatever was there before is kept under the camera
    Matrix outer = modelview();
    Matrix inside = frame(16);
    Matrix item = multiply(multiply(multiply(translation(0.5, 1, -30), rotation(-20, 1, 0, 0)),
                                    rotation(10, 0, 1, 0)),
                           rotation(5, 0, 0, 1));
    Matrix view = multiply(multiply(multiply(translation(-3, 2, -1), rotation(35, 0, 0, -1)),
                                    rotation(25, 0, -1, 0)),
                           rotation(15, -1, 0, 0));
    expect_matrix_near(inside, multiply(outer, multiply(item, view)));
    expect_matrix_near(modelview(), outer);
}

TEST_F(Camera, view_0_puts_the_looked_at_point_30_units_ahead)
{
    coord_set_pos(camera.view_target, 12, 0, 0);
    coord_set_pos(camera.item_target, 0, 0, -30);
    gl_vertex.frame_time = 0;
    camera_begin(&camera);
    f32 m[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, m);
    camera_stop();
    // The world point (12, 0, 0) maps to the eye-space point (0, 0, -30).
    f32 ex = m[0] * 12 + m[12], ey = m[1] * 12 + m[13], ez = m[2] * 12 + m[14];
    EXPECT_NEAR(ex, 0, 1e-5);
    EXPECT_NEAR(ey, 0, 1e-5);
    EXPECT_NEAR(ez, -30, 1e-5);
}

}  // namespace
