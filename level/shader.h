// Face texture animations: each kind computes part of a face's current state
// (texture coordinates, vertices or colour) from its base state and the frame
// clock alone, so running one several times in a frame changes nothing more.
#pragma once

#include "level/level.h"

// Parameters each kind reads; a shader given fewer behaves as DUMMY.
enum {
    SHADER_ROTATE_PARAMS = 1,
    SHADER_SCROLL_PARAMS = 2,
    SHADER_TURB_PARAMS = 3,
    SHADER_WAVE_PARAMS = 4,
    SHADER_ROTZOOM_PARAMS = 1,
    SHADER_COLOR_PARAMS = 4,
};

// Face animation kinds by keyword, the map reader's table; ends with {"", nullptr, 0}.
extern s_shader_item g_items[8];

// Does nothing (unknown kinds, and kinds given too few parameters).
void shader_dummy(s_face& face, s_shader& shader);
// Turns the texture about (0.5, 0.5) at p0 degrees per ms.
void shader_rotate(s_face& face, s_shader& shader);
// Slides the texture by p0 along u and p1 along v, texture units per second.
void shader_scroll(s_face& face, s_shader& shader);
// Wobbles the texture: amplitude p0, time frequency p1 (rad/ms), phase p2.
void shader_turb(s_face& face, s_shader& shader);
// Ripples one axis (p0) of the vertices: amplitude p1, frequency p2 (rad/ms), phase step p3.
void shader_wave(s_face& face, s_shader& shader);
// Turns the texture like ROTATE, then pulls one stray coordinate of each pair back into [0, 1].
void shader_rotzoom(s_face& face, s_shader& shader);
// Pulses colour channel p0 around p1 with peak p2 at p3 rad/ms.
void shader_color(s_face& face, s_shader& shader);
