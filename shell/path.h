// File names: the one test of a name's ending that the texture store, the
// sound decoders and the music player share.
#pragma once

// True when path ends with ending, ASCII letters compared without case;
// "" ends every path. Neither may be null.
bool path_ends_with(const char* path, const char* ending);
