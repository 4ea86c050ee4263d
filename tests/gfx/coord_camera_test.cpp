// Placement laws at given frame times, and the steps the camera's followers
// take by them.
#include "gfx/camera.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include "tests/support/test_support.h"

using namespace test_support;

const int WINDOW_SIDE = 256;

namespace {

TEST(coord_laws, speed_law_has_a_dead_zone_accelerates_and_is_cut_to_its_limit)
{
    gl_vertex.frame_time = 10;
    // name, value, speed, target, k_limit, k_accel, speed after, value after
    const std::tuple<const char*, f32, f32, f32, f32, f32, f32, f32> rows[] = {
        {"dead zone below", 9.95f, 1000, 10, 0.0025f, 0.00025f, 0, 9.95f},
        {"dead zone above", 10.05f, -1000, 10, 0.0025f, 0.00025f, 0, 10.05f},
        {"accelerates to the limit 10 * k", 0, 0, 10, 0.0025f, 0.00025f, 0.025f, 0.25f},
        {"cut to the limit", 0, 0.05f, 10, 0.0025f, 0.00025f, 0.025f, 0.25f},
        {"moving away is braked", 0, 0.5f, -10, 0.0025f, 0.00025f, 0.475f, 4.75f},
        {"below the limit may pass it", 0, -0.001f, -10, 0.0025f, 0.01f, -1.001f, -10.01f},
        {"a zero limit holds still", 0, -0.5f, 10, 0, 0.00025f, 0, 0},
    };
    for (auto [name, value, speed, target, limit, accel, speed_after, value_after] : rows) {
        s_coord at = {value, 0, 0, 0, 0, 0}, velocity = {speed, 0, 0, 0, 0, 0},
                goal = {target, 0, 0, 0, 0, 0};
        coord_interpolate_pos_speed(&at, &velocity, &goal, limit, accel);
        EXPECT_FLOAT_EQ(velocity.x, speed_after) << name;
        EXPECT_FLOAT_EQ(at.x, value_after) << name;
    }
}

// Asked to, a rotation first moves by whole turns to within half a turn of its
// target; exactly half a turn away keeps its side.
TEST(coord_laws, rotation_takes_the_shorter_way_round_only_when_asked)
{
    gl_vertex.frame_time = 0;
    s_coord current = {0, 0, 0, 350, -725, 181}, target = {0, 0, 0, 10, 0, 1}, speed = {};
    coord_interpolate_rot_relative(&current, &target, 0.005f, 0);
    EXPECT_EQ(350, current.rx);
    coord_interpolate_rot_speed(&current, &speed, &target, 0.005f, 0.0005f, 1);
    EXPECT_TRUE(current.rx == -10 && current.ry == -5 && current.rz == 181) << current.rz;
}

// A point drawn in an item's place, or seen by a viewer, lands where a quarter
// turn about each axis in turn puts it (x right, y up, z toward the viewer).
TEST(coord, a_quarter_turn_about_each_axis_moves_a_point_where_it_should)
{
    ASSERT_TRUE(open_window(WINDOW_SIDE, WINDOW_SIDE)) << SDL_GetError();
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_LIGHTING);
    glDisable(GL_BLEND);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(-2, 2, -2, 2, -10, 10);  // 64 pixels a unit, the origin in the middle
    glMatrixMode(GL_MODELVIEW);
    glPointSize(5);
    // name, placement, a viewer's (else an item's), point, where it lands (x, y)
    const std::tuple<const char*, s_coord, bool, s_coord, f32, f32> rows[] = {
        {"item about x", {0.5f, 0, 0, 90, 0, 0}, false, {0, 0, 1, 0, 0, 0}, 0.5f, -1},
        {"item about y", {0, 0.5f, 0, 0, 90, 0}, false, {0, 0, 1, 0, 0, 0}, 1, 0.5f},
        {"item about z", {0, 0, 0, 0, 0, 90}, false, {1, 0, 0, 0, 0, 0}, 0, 1},
        {"viewer about x", {0.5f, 0, 0, 90, 0, 0}, true, {0, 0, 1, 0, 0, 0}, -0.5f, 1},
        {"viewer about y", {0, 0.5f, 0, 0, 90, 0}, true, {0, 0, 1, 0, 0, 0}, -1, -0.5f},
        {"viewer about z", {0, 0, 0, 0, 0, 90}, true, {1, 0, 0, 0, 0, 0}, 0, -1},
    };
    for (const auto& [name, place, viewer, point, x, y] : rows) {
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT);
        glLoadIdentity();
        viewer ? coord_view(&place) : coord_item(&place);
        glColor3f(1, 1, 1);
        glBegin(GL_POINTS);
        glVertex3f(point.x, point.y, point.z);
        glEnd();
        coord_stop();
        EXPECT_EQ((Rgb{255, 255, 255}), read_pixel(128 + (int)(64 * x), 128 + (int)(64 * y)))
            << name;
    }
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopAttrib();
}

// One 20 ms frame from rest at 0 toward 10 on every part of both followers;
// the first frame after camera_define jumps whatever the law.
TEST(camera, first_frame_jumps_then_each_law_takes_its_default_step_leaving_the_matrix_stack)
{
    ASSERT_TRUE(open_window(WINDOW_SIDE, WINDOW_SIDE)) << SDL_GetError();
    s_camera camera;
    auto frame = [&](f32 ms) {
        gl_vertex.frame_time = ms;
        camera_begin(&camera);
        camera_stop();
    };
    const std::pair<u32, f32> rows[] = {
        {CAMERA_SET, 10}, {CAMERA_RELATIVE, 0.5f}, {CAMERA_SPEED, 1}, {3, 0}};
    for (auto [law, position] : rows) {
        camera_define(&camera);
        camera_mode(&camera, law, law, law, law, 0);
        coord_set_pos(camera.item_target, 3, 3, 3);
        frame(20);
        EXPECT_FLOAT_EQ(camera.item.current.y, 3) << "jumped, law " << law;
        for (s_coord* target : {camera.view_target, camera.item_target}) {
            coord_set_pos(target, 10, 10, 10);
            coord_set_rot(target, 10, 10, 10);
        }
        camera.item.current = camera.view.current = {0, 0, 0, 0, 0, 0};
        frame(20);
        // Rotations have twice the coefficients of positions.
        f32 rotation = law == CAMERA_SET ? position : 2 * position;
        for (const s_coord* c : {&camera.view.current, &camera.item.current}) {
            EXPECT_NEAR(c->x + c->y + c->z, 3 * position, 1e-5) << "law " << law;
            EXPECT_NEAR(c->rx + c->ry + c->rz, 3 * rotation, 1e-5) << "law " << law;
        }
    }
    GLint depth = -1;
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depth);
    EXPECT_TRUE(depth == 1 && glGetError() == GL_NO_ERROR);
}

}  // namespace
