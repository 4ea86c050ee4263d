// Face texture animations of the level, computed from each face's base state and the frame clock.
#include "level/shader.h"

#include <cmath>

#include "shell/vertex.h"

// Single-precision constants of the rotation kinds (3.14159 is a hair below pi).
constexpr float SHADER_PI = 3.14159f;
constexpr float SHADER_HALF_CIRCLE = 180.0f;

// The current texture coordinates are written by index of the base ones; the
// reader keeps both lists the same length, but a hand-built face may not.
static size_t shader_texcoord_count(const s_face& face)
{
    size_t n = face.texcoords.size();
    return n < face.cur_texcoords.size() ? n : face.cur_texcoords.size();
}

void shader_dummy(s_face&, s_shader&)
{}

// Rotation shared by ROTATE and ROTZOOM, about the texture's centre.
static void shader_turn(s_face& face, float speed)
{
    float now = (float)gl_vertex.ticks;
    float angle = now * speed * SHADER_PI / SHADER_HALF_CIRCLE;
    float c = (float)cos((double)angle);
    float s = (float)sin((double)angle);
    size_t n = shader_texcoord_count(face);
    for (size_t i = 0; i < n; i++) {
        float du = face.texcoords[i].u - 0.5f;
        float dv = face.texcoords[i].v - 0.5f;
        face.cur_texcoords[i].u = du * c - dv * s + 0.5f;
        face.cur_texcoords[i].v = du * s + dv * c + 0.5f;
    }
}

void shader_rotate(s_face& face, s_shader& shader)
{
    if (shader.params.size() < SHADER_ROTATE_PARAMS)
        return;
    shader_turn(face, shader.params[0]);
}

void shader_scroll(s_face& face, s_shader& shader)
{
    if (shader.params.size() < SHADER_SCROLL_PARAMS)
        return;
    float t = (float)gl_vertex.ticks / 1000.0f;
    float along_u = shader.params[0] * t;
    float along_v = shader.params[1] * t;
    // Only the fractional part counts: the texture repeats every unit.
    float du = along_u - std::floor(along_u);
    float dv = along_v - std::floor(along_v);
    size_t n = shader_texcoord_count(face);
    for (size_t i = 0; i < n; i++) {
        face.cur_texcoords[i].u = face.texcoords[i].u + du;
        face.cur_texcoords[i].v = face.texcoords[i].v + dv;
    }
}

void shader_turb(s_face& face, s_shader& shader)
{
    if (shader.params.size() < SHADER_TURB_PARAMS)
        return;
    float amplitude = shader.params[0];
    float timed = (float)gl_vertex.ticks * shader.params[1];
    float phase = timed + shader.params[2];
    size_t n = shader_texcoord_count(face);
    for (size_t i = 0; i < n; i++) {
        float u = face.texcoords[i].u;
        float v = face.texcoords[i].v;
        face.cur_texcoords[i].u = (float)(u + amplitude * sin((double)(u * amplitude + phase)));
        face.cur_texcoords[i].v = (float)(v + amplitude * sin((double)(v * amplitude + phase)));
    }
}

void shader_wave(s_face& face, s_shader& shader)
{
    if (shader.params.size() < SHADER_WAVE_PARAMS)
        return;
    float p0 = shader.params[0];
    // Truncation towards zero: 1.9 is axis 1, -0.5 is axis 0; range checked
    // first so that a huge value never reaches the integer conversion.
    if (!(p0 > -1.0f && p0 < 3.0f))
        return;
    int axis = (int)p0;
    float amplitude = shader.params[1];
    float w = (float)gl_vertex.ticks * shader.params[2];
    float step = shader.params[3];
    size_t n = face.vertices.size();
    if (n > face.cur_vertices.size())
        n = face.cur_vertices.size();
    for (size_t i = 0; i < n; i++) {
        float angle = (float)i * step + w;
        double ripple = amplitude * sin((double)angle);
        const s_point& base = face.vertices[i];
        s_point& cur = face.cur_vertices[i];
        if (axis == 0)
            cur.x = (float)(base.x + ripple);
        else if (axis == 1)
            cur.y = (float)(base.y + ripple);
        else
            cur.z = (float)(base.z + ripple);
    }
}

void shader_rotzoom(s_face& face, s_shader& shader)
{
    if (shader.params.size() < SHADER_ROTZOOM_PARAMS)
        return;
    shader_turn(face, shader.params[0]);
    // One clamp per pair and run: a corner outside on both axes keeps its v outside.
    size_t n = shader_texcoord_count(face);
    for (size_t i = 0; i < n; i++) {
        s_texcoord& t = face.cur_texcoords[i];
        if (t.u < 0.0f)
            t.u = 0.0f;
        else if (t.u > 1.0f)
            t.u = 1.0f;
        else if (t.v < 0.0f)
            t.v = 0.0f;
        else if (t.v > 1.0f)
            t.v = 1.0f;
    }
}

// Channel number from p0: truncated, keeping the two lowest bits (4 is red,
// -1 is alpha). Floats this large are multiples of 4, so their channel is 0.
static int shader_channel(float p0)
{
    if (!(std::fabs(p0) < 9.0e18f))
        return 0;
    return (int)((long long)p0 & 3);
}

void shader_color(s_face& face, s_shader& shader)
{
    if (shader.params.size() < SHADER_COLOR_PARAMS)
        return;
    int channel = shader_channel(shader.params[0]);
    float base = shader.params[1];
    float swing = shader.params[2] - base;
    double now = (double)gl_vertex.ticks;
    face.color[channel] = (float)(base + swing * sin(now * shader.params[3]));
}

// Each kind's row holds its parameter count, so a kind that would read past its
// parameters does nothing instead.
s_shader_item g_items[8] = {
    {"DUMMY", shader_dummy, 0},
    {"ROTATE", shader_rotate, SHADER_ROTATE_PARAMS},
    {"SCROLL", shader_scroll, SHADER_SCROLL_PARAMS},
    {"TURB", shader_turb, SHADER_TURB_PARAMS},
    {"WAVE", shader_wave, SHADER_WAVE_PARAMS},
    {"ROTZOOM", shader_rotzoom, SHADER_ROTZOOM_PARAMS},
    {"COLOR", shader_color, SHADER_COLOR_PARAMS},
    {"", nullptr, 0},
};
