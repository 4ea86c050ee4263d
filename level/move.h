// Block movements: each kind computes a block's position afresh from its
// origin, the movement's parameters and the frame clock (gl_vertex.ticks).
#pragma once

#include "level/level.h"

// Parameters every moving kind reads: p0 distance or offset, p1 leg duration or period (ms).
enum { MOVE_PARAM_COUNT = 2 };

// What the reader accepts of a moving kind's numbers. A leg or a turn shorter than
// a millisecond is over within any frame, a block sent farther leaves any field;
// within these a position stays a number however long the game runs.
constexpr float MOVE_DURATION_MIN_MS = 1.0f;   // least p1
constexpr float MOVE_DISTANCE_MAX = 10000.0f;  // largest |p0|, level units

// Block movement kinds by keyword, the map reader's table; ends with {"", nullptr, 0}.
extern s_move_item g_mitems[6];

// Does nothing (unknown kinds, and moving kinds given too few parameters).
void move_dummy(s_block& block, s_move& move);
// Runs round a unit circle centred at origin + (p0, p0), one turn per p1 ms.
void move_circle(s_block& block, s_move& move);
// Back and forth along x and y by p0, p1 ms each way.
void move_diagonal(s_block& block, s_move& move);
// Back and forth along x by p0, p1 ms each way.
void move_horizontal(s_block& block, s_move& move);
// Back and forth along y by p0, p1 ms each way.
void move_vertical(s_block& block, s_move& move);
