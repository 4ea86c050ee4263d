// Particle system: effect slots reused without allocation in play, ten typed
// generators, per-frame motion and additive camera-facing drawing.
#include "gfx/particle.h"

#include <GL/gl.h>

#include <cmath>
#include <cstdlib>
#include <cstring>

#include "shell/vertex.h"

const s_particle_define gl_particle_define[PARTICLE_TYPE_COUNT] = {
    {particle_func_pad_release, 200, 1000, 0.4f, 0.4f, PARTICLE_TEXTURE_PATH},
    {particle_func_bonus_take, 50, 1000, 0.4f, 0.8f, PARTICLE_TEXTURE_PATH},
    {particle_func_pad_length, 25, 750, 0.4f, 0.2f, PARTICLE_TEXTURE_PATH},
    {particle_func_block_hit, 25, 250, 0.4f, 0.4f, PARTICLE_TEXTURE_PATH},
    {particle_func_ball_trail, 25, 1000, 0.4f, 0.4f, PARTICLE_TEXTURE_PATH},
    {particle_func_pad_load, 100, 500, 0.0f, 0.8f, PARTICLE_TEXTURE_PATH},
    {particle_func_block_destroy, 100, 500, 0.4f, 0.4f, PARTICLE_TEXTURE_PATH},
    {particle_func_ball_create, 50, 1000, 0.4f, 0.4f, PARTICLE_TEXTURE_PATH},
    {particle_func_bonus_fall, 10, 500, 0.4f, 0.2f, PARTICLE_TEXTURE_PATH},
    {particle_func_ball_spark, 10, 250, 0.2f, 0.2f, PARTICLE_TEXTURE_PATH},
};

const s_particle_color gl_particle_color[PARTICLE_COLOR_COUNT] = {
    {{0.6f, 1, 0.6f, 1}, {0, 0, 1, 0}}, {{1, 0.6f, 0.6f, 1}, {1, 0, 0, 0}},
    {{0.3f, 1, 0.3f, 1}, {0, 1, 0, 0}}, {{1, 1, 0.3f, 1}, {1, 1, 0, 0}},
    {{1, 0.3f, 1, 1}, {1, 0, 1, 0}},    {{0.3f, 1, 1, 1}, {0, 1, 1, 0}},
    {{1, 1, 0, 1}, {1, 0.6f, 0, 0}},    {{0.5f, 0.5f, 0.5f, 1}, {1, 1, 1, 0}},
    {{1, 1, 0, 1}, {1, 0, 0, 0}},       {{1, 0.6f, 0.3f, 1}, {1, 0.6f, 0.3f, 0}},
};

// The effects were tuned with this five-decimal pi, not the exact one.
static f32 particle_internal_deg(int n)
{
    return (f32)n * 3.14159f / 180.0f;
}

// A random whole-degree angle, in radians.
static f32 particle_internal_angle()
{
    return particle_internal_deg(rand() % 360);
}

// Velocity of unit length toward azimuth a and elevation b, scaled by k.
static void particle_internal_dir(s_particle_dot* dot, f32 a, f32 b, f32 k)
{
    dot->x = dot->y = dot->z = 0;
    dot->vx = cosf(a) * cosf(b) * k;
    dot->vy = sinf(a) * cosf(b) * k;
    dot->vz = sinf(b) * k;
}

// Velocity of length k in the x-y plane toward a.
static void particle_internal_ring(s_particle_dot* dot, f32 a, f32 k)
{
    dot->x = dot->y = dot->z = 0;
    dot->vx = cosf(a) * k;
    dot->vy = sinf(a) * k;
    dot->vz = 0;
}

void particle_func_pad_release(s_particle_dot* dot, f32 param)
{
    f32 a = particle_internal_angle();
    f32 b = particle_internal_angle();
    f32 r = (f32)(rand() % 1000);
    particle_internal_dir(dot, a, b, r * 0.000025f * param);
}

void particle_func_bonus_take(s_particle_dot* dot, f32)
{
    f32 a = particle_internal_angle();
    f32 b = particle_internal_angle();
    f32 r = (f32)(rand() % 1000);
    particle_internal_dir(dot, a, b, r * 0.00001f);
}

void particle_func_pad_length(s_particle_dot* dot, f32 param)
{
    f32 a = particle_internal_angle();
    particle_internal_ring(dot, a, 0.0025f);
    dot->vx += param;
}

void particle_func_block_hit(s_particle_dot* dot, f32)
{
    f32 a = particle_internal_angle();
    f32 b = particle_internal_angle();
    particle_internal_dir(dot, a, b, 0.01f);
}

void particle_func_ball_trail(s_particle_dot* dot, f32 param)
{
    f32 a = particle_internal_angle();
    particle_internal_ring(dot, a, param * 0.001f);
}

void particle_func_pad_load(s_particle_dot* dot, f32 param)
{
    f32 a = particle_internal_angle();
    f32 b = particle_internal_angle();
    particle_internal_dir(dot, a, b, param * 0.01f);
    // Start 500 ms of travel out so the cloud closes on the origin as it ends.
    dot->x = dot->vx * -500.0f;
    dot->y = dot->vy * -500.0f;
    dot->z = dot->vz * -500.0f;
}

void particle_func_block_destroy(s_particle_dot* dot, f32)
{
    f32 a = particle_internal_angle();
    f32 b = particle_internal_angle();
    f32 r = (f32)(rand() % 1000);
    particle_internal_dir(dot, a, b, r * 0.00001f);
}

void particle_func_ball_create(s_particle_dot* dot, f32)
{
    f32 a = particle_internal_angle();
    // The elevation is used as radians without conversion: it scatters the
    // burst over every direction, which is the look the effect was made with.
    f32 e = (f32)(rand() % 500) * 0.1f + 5.0f;
    particle_internal_dir(dot, a, e, 0.01f);
}

void particle_func_bonus_fall(s_particle_dot* dot, f32)
{
    f32 a = particle_internal_angle();
    particle_internal_ring(dot, a, 0.0025f);
}

void particle_func_ball_spark(s_particle_dot* dot, f32)
{
    f32 a = particle_internal_angle();
    f32 b = particle_internal_angle();
    f32 r = (f32)(rand() % 1000);
    particle_internal_dir(dot, a, b, r * 0.01f * 0.001f);
}

// Grows the effect array to capacity zeroed slots; 1 if it cannot grow.
static int particle_internal_grow(s_particle* system, u32 capacity)
{
    s_particle_group* groups =
        (s_particle_group*)realloc(system->groups, (size_t)capacity * sizeof(s_particle_group));
    if (!groups)
        return 1;
    memset(groups + system->group_capacity, 0,
           (size_t)(capacity - system->group_capacity) * sizeof(s_particle_group));
    system->groups = groups;
    system->group_capacity = capacity;
    return 0;
}

// Makes room for one more effect slot; 1 if the array cannot grow.
static int particle_internal_reserve(s_particle* system)
{
    if (system->group_count < system->group_capacity)
        return 0;
    return particle_internal_grow(system, system->group_capacity + PARTICLE_GROUP_STEP);
}

// Gives a slot its particle buffer if it has none; 1 when memory ran out.
static int particle_internal_buffer(s_particle_group* group)
{
    // Every buffer has room for the largest type, so a reused slot never
    // reallocates whatever type it held before.
    if (!group->dots) {
        group->dots = (s_particle_dot*)malloc(PARTICLE_DOT_MAX * sizeof(s_particle_dot));
        // Written once now, so the pages are the process's from the start
        // rather than arriving one by one as a long run first reaches them.
        if (group->dots)
            memset(group->dots, 0, PARTICLE_DOT_MAX * sizeof(s_particle_dot));
    }
    return group->dots ? 0 : 1;
}

int particle_init(s_particle* system, s_surface* surfaces)
{
    system->groups = nullptr;
    system->group_count = 0;
    system->group_capacity = 0;
    // Zeroed so that a type whose texture never loaded binds "no texture".
    system->textures = (u32*)calloc(PARTICLE_TYPE_COUNT, sizeof(u32));
    if (!system->textures)
        return 1;
    for (u32 type = 0; type < PARTICLE_TYPE_COUNT; type++) {
        if (surface_load(surfaces, gl_particle_define[type].path, &system->textures[type])) {
            particle_stop(system);
            return 1;
        }
    }
    // Slots and their buffers are made here, not when play first needs them,
    // so a busy moment late in a run allocates nothing; past the reserve the
    // array still grows by its step rather than dropping effects.
    if (particle_internal_grow(system, PARTICLE_GROUP_RESERVE)) {
        particle_stop(system);
        return 1;
    }
    for (u32 i = 0; i < system->group_capacity; i++) {
        if (particle_internal_buffer(&system->groups[i])) {
            particle_stop(system);
            return 1;
        }
    }
    return 0;
}

int particle_create(s_particle* system, const s_coord* origin, u32 color, u32 type, f32 param)
{
    // Rows outside the tables would be read past their ends.
    if (type >= PARTICLE_TYPE_COUNT || color >= PARTICLE_COLOR_COUNT)
        return 1;
    if (particle_internal_reserve(system))
        return 1;
    s_particle_group* group = &system->groups[system->group_count];
    if (particle_internal_buffer(group))
        return 1;
    const s_particle_define* define = &gl_particle_define[type];
    for (u32 i = 0; i < define->count; i++)
        define->func(&group->dots[i], param);
    group->origin = *origin;
    group->color = color;
    group->type = type;
    group->dot_count = define->count;
    group->duration = define->duration;
    group->texture = system->textures ? system->textures[type] : 0;
    group->birth = gl_vertex.ticks;
    system->group_count++;
    return 0;
}

void particle_cycle(s_particle* system)
{
    f32 time = gl_vertex.frame_time;
    u32 i = 0;
    while (i < system->group_count) {
        s_particle_group* group = &system->groups[i];
        f64 age = (f64)(u32)(gl_vertex.ticks - group->birth) / group->duration;
        if (age <= 1) {
            for (u32 d = 0; d < group->dot_count; d++) {
                s_particle_dot* dot = &group->dots[d];
                dot->x += dot->vx * time;
                dot->y += dot->vy * time;
                dot->z += dot->vz * time;
            }
            i++;
            continue;
        }
        // The ended effect's buffer goes to the free end, kept for reuse, and
        // slot i is looked at again with the former last effect in it.
        u32 last = system->group_count - 1;
        s_particle_group ended = *group;
        *group = system->groups[last];
        system->groups[last] = ended;
        system->group_count--;
    }
}

// Draws one effect's squares in eye-space orientation around its origin.
static void particle_internal_draw_group(const s_particle_group* group)
{
    const s_particle_define* define = &gl_particle_define[group->type];
    const s_particle_color* color = &gl_particle_color[group->color];
    f32 t = (f32)(u32)(gl_vertex.ticks - group->birth) / (f32)group->duration;
    // A clock set back (or an effect created after this frame's cycle) must not
    // extrapolate the ramps.
    if (!(t <= 1))
        t = 1;
    f32 half = define->size_start + (define->size_end - define->size_start) * t;

    coord_item(&group->origin);
    f32 m[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, m);
    glLoadIdentity();
    glTranslatef(m[12], m[13], m[14]);
    glColor4f(color->start[0] + (color->end[0] - color->start[0]) * t,
              color->start[1] + (color->end[1] - color->start[1]) * t,
              color->start[2] + (color->end[2] - color->start[2]) * t,
              color->start[3] + (color->end[3] - color->start[3]) * t);
    glBindTexture(GL_TEXTURE_2D, group->texture);
    glBegin(GL_QUADS);
    for (u32 d = 0; d < group->dot_count; d++) {
        const s_particle_dot* p = &group->dots[d];
        f32 x = m[0] * p->x + m[4] * p->y + m[8] * p->z;
        f32 y = m[1] * p->x + m[5] * p->y + m[9] * p->z;
        f32 z = m[2] * p->x + m[6] * p->y + m[10] * p->z;
        glTexCoord2f(0, 0);
        glVertex3f(x - half, y - half, z);
        glTexCoord2f(0, 1);
        glVertex3f(x - half, y + half, z);
        glTexCoord2f(1, 1);
        glVertex3f(x + half, y + half, z);
        glTexCoord2f(1, 0);
        glVertex3f(x + half, y - half, z);
    }
    glEnd();
    coord_stop();
}

void particle_draw(s_particle* system)
{
    GLboolean blend = glIsEnabled(GL_BLEND);
    GLboolean texture = glIsEnabled(GL_TEXTURE_2D);
    if (!blend)
        glEnable(GL_BLEND);
    if (!texture)
        glEnable(GL_TEXTURE_2D);
    glPushMatrix();
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    // Hidden by solid geometry through the depth test, but particles do not
    // hide each other.
    glDepthMask(GL_FALSE);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    for (u32 i = 0; i < system->group_count; i++)
        particle_internal_draw_group(&system->groups[i]);
    if (!blend)
        glDisable(GL_BLEND);
    if (!texture)
        glDisable(GL_TEXTURE_2D);
    glDepthMask(GL_TRUE);
    glPopMatrix();
}

void particle_stop(s_particle* system)
{
    for (u32 i = 0; i < system->group_capacity; i++)
        free(system->groups[i].dots);
    free(system->groups);
    free(system->textures);
    system->groups = nullptr;
    system->textures = nullptr;
    system->group_count = 0;
    system->group_capacity = 0;
}
