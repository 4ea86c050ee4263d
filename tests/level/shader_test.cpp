// Face texture animations at driven clock values.
#include <gtest/gtest.h>

#include <cmath>

#include "level/shader.h"
#include "shell/vertex.h"

namespace {

s_face square_face()
{
    s_face face;
    face.vertices = face.cur_vertices = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}};
    face.texcoords = face.cur_texcoords = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
    return face;
}

// Runs a shader of the given kind on face at a clock value; returns the shader.
s_shader run_at(u32 ticks, s_face& face, shader_func func, std::vector<float> params)
{
    s_shader shader;
    shader.func = func;
    shader.params = params;
    gl_vertex.ticks = ticks;
    shader.func(face, shader);
    return shader;
}

}  // namespace

TEST(ShaderRotate, quarter_turn_per_second_maps_1_half_to_half_1_and_reruns_agree)
{
    s_face face = square_face();
    face.texcoords[1] = {1.0f, 0.5f};
    run_at(1000, face, shader_rotate, {0.09f});
    EXPECT_NEAR(face.cur_texcoords[1].u, 0.5f, 1e-5);
    EXPECT_NEAR(face.cur_texcoords[1].v, 1.0f, 1e-5);
    EXPECT_EQ(face.texcoords[1].u, 1.0f);  // base untouched
    std::vector<s_texcoord> once = face.cur_texcoords;
    run_at(1000, face, shader_rotate, {0.09f});
    run_at(1000, face, shader_rotate, {0.09f});
    for (size_t i = 0; i < once.size(); i++) {
        EXPECT_EQ(face.cur_texcoords[i].u, once[i].u);
        EXPECT_EQ(face.cur_texcoords[i].v, once[i].v);
    }
}

TEST(ShaderScroll, adds_only_the_fractional_part_of_the_distance_wrapped_into_0_1)
{
    const struct {
        u32 ticks;
        float du, dv, want_u1, want_v0;
    } cases[] = {
        {3000, 0.5f, 0, 1.5f, 0}, {4000, 0.5f, 0, 1.0f, 0}, {1000, 0, -0.25f, 1.0f, 0.75f}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.ticks);
        s_face face = square_face();
        run_at(c.ticks, face, shader_scroll, {c.du, c.dv});
        EXPECT_FLOAT_EQ(face.cur_texcoords[1].u, c.want_u1);
        EXPECT_FLOAT_EQ(face.cur_texcoords[0].v, c.want_v0);
    }
}

TEST(ShaderTurb, offsets_u_by_u_alone_and_v_by_v_alone)
{
    s_face face = square_face();
    run_at(2000, face, shader_turb, {0.1f, 0.001f, 0.5f});
    float phase = 2000.0f * 0.001f + 0.5f;
    EXPECT_NEAR(face.cur_texcoords[1].u, 1.0f + 0.1f * std::sin(1.0f * 0.1f + phase), 1e-6);
    EXPECT_NEAR(face.cur_texcoords[1].v, 0.0f + 0.1f * std::sin(phase), 1e-6);
}

TEST(ShaderWave, truncated_axis_1_9_ripples_y_only_and_axes_out_of_range_change_nothing)
{
    for (float axis : {1.9f, 3.0f, -1.0f, 1e30f, -1e30f}) {
        SCOPED_TRACE(axis);
        s_face face = square_face();
        run_at(500, face, shader_wave, {axis, 0.5f, 0.002f, 1.0f});
        for (size_t i = 0; i < 4; i++) {
            float ripple = axis == 1.9f ? 0.5f * std::sin(i * 1.0f + 500.0f * 0.002f) : 0.0f;
            EXPECT_NEAR(face.cur_vertices[i].y, face.vertices[i].y + ripple, 1e-6);
            EXPECT_EQ(face.cur_vertices[i].x, face.vertices[i].x);
            EXPECT_EQ(face.cur_vertices[i].z, face.vertices[i].z);
        }
    }
}

TEST(ShaderRotzoom, clamps_only_the_first_stray_coordinate_of_each_pair)
{
    s_face face = square_face();
    face.texcoords =
        face.cur_texcoords = {{1.5f, 1.5f}, {0.5f, -0.5f}, {-1.0f, 0.5f}, {0.25f, 0.75f}};
    run_at(1000, face, shader_rotzoom, {0.0f});  // no turn: clamping alone
    const float want[4][2] = {{1.0f, 1.5f}, {0.5f, 0.0f}, {0.0f, 0.5f}, {0.25f, 0.75f}};
    for (int i = 0; i < 4; i++) {
        EXPECT_EQ(face.cur_texcoords[i].u, want[i][0]) << i;
        EXPECT_EQ(face.cur_texcoords[i].v, want[i][1])
            << i;  // [0] still outside: one clamp per run
    }
}

TEST(ShaderColor, channel_keeps_the_two_low_bits_of_the_truncated_number)
{
    const float channels[][2] = {{3.0f, 3}, {4.0f, 0}, {-1.0f, 3}, {2.7f, 2}, {1e20f, 0}};
    for (const auto& c : channels) {
        s_face face = square_face();
        run_at(1234, face, shader_color, {c[0], 0.25f, 0.25f, 0.001f});
        for (int k = 0; k < 4; k++)
            EXPECT_EQ(face.color[k], k == (int)c[1] ? 0.25f : 1.0f) << c[0];
    }
}

TEST(ShaderColor, swings_between_peak_and_twice_base_minus_peak)
{
    s_face face = square_face();
    float high = -1, low = 2;
    for (u32 t = 0; t < 6300; t += 10) {
        run_at(t, face, shader_color, {3.0f, 0.5f, 1.0f, 0.001f});
        high = std::max(high, face.color[3]);
        low = std::min(low, face.color[3]);
    }
    EXPECT_NEAR(high, 1.0f, 1e-4);
    EXPECT_NEAR(low, 0.0f, 1e-4);
    run_at(1571, face, shader_color, {3.0f, 0.5f, 1.0f, 0.001f});  // a quarter period: the peak
    EXPECT_NEAR(face.color[3], 1.0f, 1e-6);
}

TEST(ShaderGuards, too_few_parameters_change_nothing)
{
    const std::pair<shader_func, size_t> kinds[] = {{shader_rotate, 1},  {shader_scroll, 2},
                                                    {shader_turb, 3},    {shader_wave, 4},
                                                    {shader_rotzoom, 1}, {shader_color, 4}};
    for (const auto& [func, needed] : kinds) {
        s_face face = square_face();
        face.texcoords[0] = {3.0f, 3.0f};
        run_at(999, face, func, std::vector<float>(needed - 1, 0.7f));
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
    run_at(1000, face, shader_scroll, {0.5f, 0.5f});
    run_at(1000, face, shader_wave, {0.0f, 1.0f, 1.0f, 1.0f});
    EXPECT_EQ(face.cur_texcoords.size(), 2u);
    EXPECT_FLOAT_EQ(face.cur_texcoords[1].u, 1.5f);
}
