// Placement laws at given frame times, the GL transforms of placements, and the
// camera's followers and the model-view matrix it leaves.
#include "gfx/camera.h"
#include "gfx/coord.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cstring>

#include "tests/gfx/gfx_fixtures.h"

using namespace gfx_test;

namespace {

// Every law reads the frame time of the window module; tests set it directly.
class Laws : public ::testing::Test {
protected:
    f32 saved = 0;
    void SetUp() override
    {
        saved = gl_vertex.frame_time;
    }
    void TearDown() override
    {
        gl_vertex.frame_time = saved;
    }
};

TEST_F(Laws, relative_law_closes_k_times_dt_of_the_gap)
{
    // k * dt = 1 lands on the target, 2 overshoots to the mirror point.
    const f32 rows[][2] = {{20, 0.5f}, {400, 10}, {800, 20}};  // dt, value after
    for (const auto& row : rows) {
        SCOPED_TRACE(row[0]);
        gl_vertex.frame_time = row[0];
        f32 value = 0;
        internal_interpolate_relative(&value, 10, 0.0025f);
        EXPECT_FLOAT_EQ(value, row[1]);
    }
}

TEST_F(Laws, wrap_step_brings_an_angle_within_half_a_turn)
{
    // Exactly 180 away keeps its side.
    const f32 rows[][3] = {{350, 10, -10}, {-350, 10, 10}, {190, 10, 190}, {-170, 10, -170},
                           {730, 0, 10},   {-725, 0, -5},  {181, 0, -179}, {-181, 0, 179}};
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << row[0] << " toward " << row[1]);
        f32 angle = row[0];
        internal_rotate(&angle, row[1]);
        EXPECT_FLOAT_EQ(angle, row[2]);
    }
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

TEST_F(Laws, speed_law_has_a_dead_zone_accelerates_and_is_cut_to_its_limit)
{
    gl_vertex.frame_time = 10;
    struct Row {
        const char* name;
        f32 value, speed, target, accel, speed_after, value_after;
    } rows[] = {
        {"dead zone below", 9.95f, 1000, 10, 0.00025f, 0, 9.95f},
        {"dead zone above", 10.05f, -1000, 10, 0.00025f, 0, 10.05f},
        {"accelerates to the limit 10 * k", 0, 0, 10, 0.00025f, 0.025f, 0.25f},
        {"cut to the limit", 0, 0.05f, 10, 0.00025f, 0.025f, 0.25f},
        {"moving away is braked", 0, 0.5f, -10, 0.00025f, 0.475f, 4.75f},
        {"below the limit may pass it", 0, -0.001f, -10, 0.01f, -1.001f, -10.01f},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        f32 value = r.value, speed = r.speed;
        internal_interpolate_speed(&value, &speed, r.target, 0.0025f, r.accel);
        EXPECT_FLOAT_EQ(speed, r.speed_after);
        EXPECT_FLOAT_EQ(value, r.value_after);
    }
}

TEST_F(Laws, zero_frame_time_moves_nothing)
{
    gl_vertex.frame_time = 0;
    s_coord current = {1, 2, 3, 4, 5, 6}, before = current;
    s_coord speed = {0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f};
    s_coord target = {100, 100, 100, 100, 100, 100};
    coord_interpolate_pos_relative(&current, &target, 0.0025f);
    coord_interpolate_rot_relative(&current, &target, 0.005f, 0);
    coord_interpolate_pos_speed(&current, &speed, &target, 0.0025f, 0.00025f);
    coord_interpolate_rot_speed(&current, &speed, &target, 0.005f, 0.0005f, 0);
    EXPECT_EQ(memcmp(&current, &before, sizeof current), 0);
    EXPECT_FLOAT_EQ(speed.x, (100 - 1) * 0.0025f);  // speed still cut to its limit
}

TEST(CoordSetters, set_and_copy_touch_only_their_half)
{
    s_coord a = {1, 2, 3, 4, 5, 6}, b = {0, 0, 0, 0, 0, 0};
    coord_copy_pos(&b, &a);
    EXPECT_EQ(b.x + b.y + b.z, 6);
    EXPECT_EQ(b.rx + b.ry + b.rz, 0);
    coord_copy_rot(&b, &a);
    EXPECT_EQ(b.rx + b.ry + b.rz, 15);
}

// ---------------------------------------------------------------- GL transforms

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

// The current matrix times translation (x, y, z) and rotations about x, y and z,
// in the order coord_item documents, composed by GL itself.
Matrix placed(f32 x, f32 y, f32 z, f32 rx, f32 ry, f32 rz)
{
    glPushMatrix();
    glTranslatef(x, y, z);
    glRotatef(rx, 1, 0, 0);
    glRotatef(ry, 0, 1, 0);
    glRotatef(rz, 0, 0, 1);
    Matrix r = modelview();
    glPopMatrix();
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
        ASSERT_TRUE(open_window(WINDOW_SIDE, WINDOW_SIDE)) << SDL_GetError();
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
    coord_stop();
    EXPECT_EQ(stack_depth(), depth);
    expect_matrix_near(modelview(), before);
}

TEST_F(Transforms, item_translates_then_rotates_about_x_y_z)
{
    s_coord c = {4, 5, 6, 30, 40, 50};
    coord_item(&c);
    Matrix inside = modelview();
    coord_stop();
    expect_matrix_near(inside, placed(4, 5, 6, 30, 40, 50));
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
    // Later frames glide, even after a change of mode: 20 ms * 0.25 % of 10.
    camera_mode(&camera, CAMERA_RELATIVE, CAMERA_RELATIVE, CAMERA_RELATIVE, CAMERA_RELATIVE, 0);
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

TEST_F(Camera, modelview_is_item_placement_times_inverse_view_placement)
{
    coord_set_pos(camera.view_target, 3, -2, 1);
    coord_set_rot(camera.view_target, 15, 25, 35);
    coord_set_pos(camera.item_target, 0.5f, 1, -30);
    coord_set_rot(camera.item_target, -20, 10, 5);
    glTranslatef(0, 0, -1);  // whatever was there before is kept under the camera
    Matrix outer = modelview();
    Matrix inside = frame(16);
    // The view placement is undone: translation negated first, then the
    // rotations negated in reverse order.
    glPushMatrix();
    glTranslatef(0.5f, 1, -30);
    glRotatef(-20, 1, 0, 0);
    glRotatef(10, 0, 1, 0);
    glRotatef(5, 0, 0, 1);
    glTranslatef(-3, 2, -1);
    glRotatef(-35, 0, 0, 1);
    glRotatef(-25, 0, 1, 0);
    glRotatef(-15, 1, 0, 0);
    expect_matrix_near(inside, modelview());
    glPopMatrix();
    expect_matrix_near(modelview(), outer);
}

TEST_F(Camera, view_0_puts_the_looked_at_point_30_units_ahead)
{
    coord_set_pos(camera.view_target, 12, 0, 0);
    coord_set_pos(camera.item_target, 0, 0, -30);
    Matrix m = frame(0);
    // The world point (12, 0, 0) maps to the eye-space point (0, 0, -30).
    EXPECT_NEAR(m.m[0] * 12 + m.m[12], 0, 1e-5);
    EXPECT_NEAR(m.m[1] * 12 + m.m[13], 0, 1e-5);
    EXPECT_NEAR(m.m[2] * 12 + m.m[14], -30, 1e-5);
}

}  // namespace
