// Face texture animations at driven clock values.
#include <gtest/gtest.h>

#include <cmath>

#include "level/shader.h"
#include "shell/vertex.h"

namespace {

s_face square_face()
{
    s_face face;
    face.vertices = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}};
    face.texcoords = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
    face.cur_vertices = face.vertices;
    face.cur_texcoords = face.texcoords;
    return face;
}

s_shader shader_of(shader_func func, std::vector<float> params)
{
    s_shader shader;
    shader.func = func;
    shader.params = params;
    return shader;
}

void run_at(u32 ticks, s_face& face, s_shader& shader)
{
    gl_vertex.ticks = ticks;
    shader.func(face, shader);
}

}  // namespace

TEST(ShaderRotate, quarter_turn_per_second_maps_1_half_to_half_1)
{
    s_face face = square_face();
    face.texcoords[1] = {1.0f, 0.5f};
    s_shader rotate = shader_of(shader_rotate, {0.09f});
    run_at(1000, face, rotate);
    EXPECT_NEAR(face.cur_texcoords[1].u, 0.5f, 1e-5);
    EXPECT_NEAR(face.cur_texcoords[1].v, 1.0f, 1e-5);
    EXPECT_EQ(face.texcoords[1].u, 1.0f);  // base untouched
}

TEST(ShaderRotate, repeated_runs_in_one_frame_give_the_same_result)
{
    s_face face = square_face();
    s_shader rotate = shader_of(shader_rotate, {0.03f});
    run_at(777, face, rotate);
    std::vector<s_texcoord> once = face.cur_texcoords;
    run_at(777, face, rotate);
    run_at(777, face, rotate);
    for (size_t i = 0; i < once.size(); i++) {
        EXPECT_EQ(face.cur_texcoords[i].u, once[i].u);
        EXPECT_EQ(face.cur_texcoords[i].v, once[i].v);
    }
}

TEST(ShaderScroll, adds_only_the_fractional_part_of_the_distance)
{
    s_face face = square_face();
    s_shader scroll = shader_of(shader_scroll, {0.5f, 0.0f});
    run_at(3000, face, scroll);
    EXPECT_FLOAT_EQ(face.cur_texcoords[1].u, 1.5f);
    EXPECT_FLOAT_EQ(face.cur_texcoords[2].v, 1.0f);
    run_at(4000, face, scroll);
    EXPECT_FLOAT_EQ(face.cur_texcoords[1].u, 1.0f);
    EXPECT_FLOAT_EQ(face.cur_texcoords[0].u, 0.0f);
}

TEST(ShaderScroll, negative_speed_wraps_into_zero_one)
{
    s_face face = square_face();
    s_shader scroll = shader_of(shader_scroll, {0.0f, -0.25f});
    run_at(1000, face, scroll);
    EXPECT_FLOAT_EQ(face.cur_texcoords[0].v, 0.75f);
}

TEST(ShaderTurb, offsets_u_by_u_alone_and_v_by_v_alone)
{
    s_face face = square_face();
    s_shader turb = shader_of(shader_turb, {0.1f, 0.001f, 0.5f});
    run_at(2000, face, turb);
    float phase = 2000.0f * 0.001f + 0.5f;
    EXPECT_NEAR(face.cur_texcoords[1].u, 1.0f + 0.1f * std::sin(1.0f * 0.1f + phase), 1e-6);
    EXPECT_NEAR(face.cur_texcoords[1].v, 0.0f + 0.1f * std::sin(phase), 1e-6);
}

TEST(ShaderWave, truncated_axis_1_9_ripples_y_only)
{
    s_face face = square_face();
    s_shader wave = shader_of(shader_wave, {1.9f, 0.5f, 0.002f, 1.0f});
    run_at(500, face, wave);
    for (size_t i = 0; i < 4; i++) {
        float w = 500.0f * 0.002f;
        EXPECT_NEAR(face.cur_vertices[i].y, face.vertices[i].y + 0.5 * std::sin(i * 1.0f + w), 1e-6);
        EXPECT_EQ(face.cur_vertices[i].x, face.vertices[i].x);
        EXPECT_EQ(face.cur_vertices[i].z, face.vertices[i].z);
    }
}

TEST(ShaderWave, axis_out_of_range_changes_nothing)
{
    const float axes[] = {3.0f, -1.0f, 1e30f, -1e30f};
    for (float axis : axes) {
        s_face face = square_face();
        s_shader wave = shader_of(shader_wave, {axis, 0.5f, 0.002f, 1.0f});
        run_at(500, face, wave);
        for (size_t i = 0; i < 4; i++) {
            EXPECT_EQ(face.cur_vertices[i].x, face.vertices[i].x) << axis;
            EXPECT_EQ(face.cur_vertices[i].y, face.vertices[i].y) << axis;
            EXPECT_EQ(face.cur_vertices[i].z, face.vertices[i].z) << axis;
        }
    }
}

TEST(ShaderRotzoom, clamps_only_the_first_stray_coordinate_of_each_pair)
{
    s_face face = square_face();
    face.texcoords = {{1.5f, 1.5f}, {0.5f, -0.5f}, {-1.0f, 0.5f}, {0.25f, 0.75f}};
    face.cur_texcoords = face.texcoords;
    s_shader zoom = shader_of(shader_rotzoom, {0.0f});  // no turn: clamping alone
    run_at(1000, face, zoom);
    EXPECT_EQ(face.cur_texcoords[0].u, 1.0f);
    EXPECT_EQ(face.cur_texcoords[0].v, 1.5f);  // still outside: one clamp per run
    EXPECT_EQ(face.cur_texcoords[1].v, 0.0f);
    EXPECT_EQ(face.cur_texcoords[2].u, 0.0f);
    EXPECT_EQ(face.cur_texcoords[3].u, 0.25f);
    EXPECT_EQ(face.cur_texcoords[3].v, 0.75f);
}

TEST(ShaderColor, channel_keeps_the_two_low_bits_of_the_truncated_number)
{
    const float channels[] = {3.0f, 4.0f, -1.0f, 2.7f, 1e20f};
    const int want[] = {3, 0, 3, 2, 0};
    for (int c = 0; c < 5; c++) {
        s_face face = square_face();
        s_shader color = shader_of(shader_color, {channels[c], 0.25f, 0.25f, 0.001f});
        run_at(1234, face, color);
        for (int k = 0; k < 4; k++)
            EXPECT_EQ(face.color[k], k == want[c] ? 0.25f : 1.0f) << channels[c];
    }
}

TEST(ShaderColor, swings_between_peak_and_twice_base_minus_peak)
{
    s_face face = square_face();
    s_shader color = shader_of(shader_color, {3.0f, 0.5f, 1.0f, 0.001f});
    float high = -1, low = 2;
    for (u32 t = 0; t < 6300; t += 10) {
        run_at(t, face, color);
        high = std::max(high, face.color[3]);
        low = std::min(low, face.color[3]);
    }
    EXPECT_NEAR(high, 1.0f, 1e-4);
    EXPECT_NEAR(low, 0.0f, 1e-4);
    run_at(1571, face, color);  // a quarter period: the peak
    EXPECT_NEAR(face.color[3], 1.0f, 1e-6);
}

TEST(ShaderGuards, too_few_parameters_change_nothing)
{
    struct { shader_func func; size_t needed; } kinds[] = {
        {shader_rotate, 1}, {shader_scroll, 2}, {shader_turb, 3},
        {shader_wave, 4},   {shader_rotzoom, 1}, {shader_color, 4},
    };
    for (auto& kind : kinds) {
        s_face face = square_face();
        face.texcoords[0] = {3.0f, 3.0f};
        std::vector<float> params(kind.needed - 1, 0.7f);
        s_shader shader = shader_of(kind.func, params);
        run_at(999, face, shader);
        EXPECT_EQ(face.cur_texcoords[0].u, 0.0f);
        EXPECT_EQ(face.cur_vertices[1].x, 1.0f);
        for (float c : face.color)
            EXPECT_EQ(c, 1.0f);
    }
}

TEST(ShaderGuards, short_current_lists_are_not_written_past)
{
    s_face face = square_face();
    face.cur_texcoords.resize(2);
    face.cur_vertices.resize(1);
    s_shader scroll = shader_of(shader_scroll, {0.5f, 0.5f});
    s_shader wave = shader_of(shader_wave, {0.0f, 1.0f, 1.0f, 1.0f});
    run_at(1000, face, scroll);
    run_at(1000, face, wave);
    EXPECT_EQ(face.cur_texcoords.size(), 2u);
    EXPECT_FLOAT_EQ(face.cur_texcoords[1].u, 1.5f);
}
