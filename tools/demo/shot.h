// Screenshots of the game window as PNG files.
#pragma once

// Reserves the pixel buffer for a window of up to width x height, so taking a
// screenshot allocates nothing in our own code; 0 on success.
int shot_init(int width, int height);
// Writes the frame just drawn (the back buffer) to path as an RGB PNG; 0 on success,
// 1 with a message on standard error otherwise.
int shot_write(const char* path, int width, int height);
// Releases the pixel buffer.
void shot_stop();
