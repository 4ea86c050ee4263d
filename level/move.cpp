// Block movements of the level: circular and back-and-forth paths driven by the frame clock.
#include "level/move.h"

#include <cmath>

#include "shell/vertex.h"

// Slightly below 2*pi: a full circle takes a hair more than p1 milliseconds.
constexpr float MOVE_TURN = 6.28318f;

void move_dummy(s_block&, s_move&)
{}

// Turns the leg when it has run out, then returns the distance covered along
// it. Whatever the last frame overshot the leg by is dropped, so after a long
// pause the block starts the next leg from the end it was heading for.
static float move_leg_offset(s_move& move, bool& reverse)
{
    float now = (float)gl_vertex.ticks;
    float p0 = move.params[0];
    float p1 = move.params[1];
    float elapsed = now - move.start;
    if (elapsed >= p1) {
        move.start = now;
        move.reverse = !move.reverse;
    }
    reverse = move.reverse;
    float s = (now - move.start) * p0;
    return s / p1;
}

// Writes a coordinate the law computed. The reader keeps every level's numbers
// where the laws give numbers; a level built in memory may not be, and there a
// result that overflowed or is not a number leaves the block where it was
// rather than make it vanish where no ball can hit it.
static void move_write(float& coordinate, float value)
{
    if (std::isfinite(value))
        coordinate = value;
}

// Applies the back-and-forth law to the axes chosen: the offset goes out from
// the origin on the way out and comes back from origin + p0 on the way back.
static void move_back_and_forth(s_block& block, s_move& move, bool along_x, bool along_y)
{
    if (move.params.size() < MOVE_PARAM_COUNT)
        return;
    bool reverse;
    float s = move_leg_offset(move, reverse);
    if (reverse)
        s = move.params[0] - s;
    if (along_x)
        move_write(block.position.x, s + block.origin.x);
    if (along_y)
        move_write(block.position.y, s + block.origin.y);
}

void move_circle(s_block& block, s_move& move)
{
    if (move.params.size() < MOVE_PARAM_COUNT)
        return;
    float now = (float)gl_vertex.ticks;
    float p0 = move.params[0];
    float turned = (now - move.start) * MOVE_TURN;
    float angle = turned / move.params[1];
    move_write(block.position.x, (float)(p0 + ((double)block.origin.x + cos((double)angle))));
    move_write(block.position.y, (float)(p0 + ((double)block.origin.y + sin((double)angle))));
}

void move_diagonal(s_block& block, s_move& move)
{
    move_back_and_forth(block, move, true, true);
}

void move_horizontal(s_block& block, s_move& move)
{
    move_back_and_forth(block, move, true, false);
}

void move_vertical(s_block& block, s_move& move)
{
    move_back_and_forth(block, move, false, true);
}

// Each kind's row holds its parameter count, so a kind given fewer does nothing.
s_move_item g_mitems[6] = {
    {"DUMMY", move_dummy, 0},
    {"CIRCLE", move_circle, MOVE_PARAM_COUNT},
    {"DIAGONAL", move_diagonal, MOVE_PARAM_COUNT},
    {"HORIZONTAL", move_horizontal, MOVE_PARAM_COUNT},
    {"VERTICAL", move_vertical, MOVE_PARAM_COUNT},
    {"", nullptr, 0},
};
