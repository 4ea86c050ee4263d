// Face texture animations: what a unit square face shows at given clock values.
#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

#include "level/shader.h"
#include "shell/vertex.h"

namespace {

// What the animation changed from the face's base state, to two decimals: each texture
// coordinate pair, vertex and colour that differs.
std::string changes(const s_face& f)
{
    std::ostringstream out;
    auto put = [&](const std::string& what, std::vector<float> base, std::vector<float> now) {
        for (std::vector<float>* list : {&base, &now})
            for (float& v : *list)
                v = std::round(v * 100) / 100 + 0.0f;  // + 0 turns -0 into 0
        if (base != now)
            out << " " << what;
        for (size_t i = 0; base != now && i < now.size(); i++)
            out << " " << now[i];
    };
    for (size_t i = 0; i < f.texcoords.size(); i++)
        put("t" + std::to_string(i), {f.texcoords[i].u, f.texcoords[i].v},
            {f.cur_texcoords[i].u, f.cur_texcoords[i].v});
    for (size_t i = 0; i < f.vertices.size(); i++)
        put("v" + std::to_string(i), {f.vertices[i].x, f.vertices[i].y, f.vertices[i].z},
            {f.cur_vertices[i].x, f.cur_vertices[i].y, f.cur_vertices[i].z});
    put("rgba", {1, 1, 1, 1}, {f.color, f.color + 4});
    return out.str().empty() ? "unchanged" : out.str().substr(1);
}

}  // namespace

TEST(shader, each_kind_shows_the_face_changed_from_its_base_at_the_clock_value_given)
{
    const float PI = 3.14159265f;
    const struct {
        shader_func func;
        std::vector<float> params;
        u32 ticks;
        std::string want;
        float scale = 1;  // of the base texture coordinates
    } cases[] = {
        // 30 degrees about the centre
        {shader_rotate, {0.03f}, 1000, "t0 0.32 -0.18 t1 1.18 0.32 t2 0.68 1.18 t3 -0.18 0.68"},
        // the fractional part of the distance only
        {shader_scroll, {0.5f, -0.25f}, 3000, "t0 0.5 0.25 t1 1.5 0.25 t2 1.5 1.25 t3 0.5 1.25"},
        // u moved by u alone, v by v alone
        {shader_turb,
         {0.1f, 1e-3f, 0.5f},
         2000,
         "t0 0.06 0.06 t1 1.05 0.06 t2 1.05 1.05 t3 0.06 1.05"},
        // axes truncated towards zero: 1.9 is y, -0.5 is x, 2.5 is z; 3 and -1 are none
        {shader_wave, {1.9f, 0.5f, PI / 1000, PI / 2}, 500, "v0 0 0.5 0 v2 1 0.5 0"},
        {shader_wave, {-0.5f, 0.5f, PI / 1000, PI / 2}, 500, "v0 0.5 0 0 v2 0.5 1 0"},
        {shader_wave, {2.5f, 0.5f, PI / 1000, PI / 2}, 500, "v0 0 0 0.5 v2 1 1 -0.5"},
        {shader_wave, {3.0f, 0.5f, 1, 1}, 500, "unchanged"},
        {shader_wave, {-1.0f, 0.5f, 1, 1}, 500, "unchanged"},
        {shader_wave, {1e30f, 0.5f, 1, 1}, 500, "unchanged"},
        // clamped into 0..1, but only the first stray coordinate of a pair
        {shader_rotzoom, {0.045f}, 1000, "t0 0.5 0 t1 1 0.5 t2 0.5 1 t3 0 0.5"},
        {shader_rotzoom, {0}, 0, "t1 1 0 t2 1 3 t3 0 1", 3},
        // the channel keeps the two low bits: -1 is alpha, 2.7 blue, 1e20 red
        {shader_color, {-1, 0.25f, 0.25f, 1}, 0, "rgba 1 1 1 0.25"},
        {shader_color, {2.7f, 0.25f, 0.25f, 1}, 0, "rgba 1 1 0.25 1"},
        {shader_color, {1e20f, 0.25f, 0.25f, 1}, 0, "rgba 0.25 1 1 1"},
        // the peak at a quarter period, twice the base less the peak at three quarters
        {shader_color, {3, 0.5f, 0.8f, 0.001f}, 1571, "rgba 1 1 1 0.8"},
        {shader_color, {3, 0.5f, 0.8f, 0.001f}, 4712, "rgba 1 1 1 0.2"},
    };
    for (size_t i = 0; i < std::size(cases); i++) {
        const auto& c = cases[i];
        s_face face;
        face.vertices = face.cur_vertices = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}};
        face.texcoords = {{0, 0}, {c.scale, 0}, {c.scale, c.scale}, {0, c.scale}};
        face.cur_texcoords = face.texcoords;
        s_shader shader;
        shader.func = c.func;
        shader.params = c.params;
        gl_vertex.ticks = c.ticks;
        shader.func(face, shader);
        shader.func(face, shader);  // each run starts again from the base state
        EXPECT_EQ(changes(face), c.want) << "row " << i;
    }
    gl_vertex.ticks = 0;
}
