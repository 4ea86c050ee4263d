// File names: endings compared as a player names files, without regard to case.
#include "shell/path.h"

#include <strings.h>

#include <cstring>

bool path_ends_with(const char* path, const char* ending)
{
    size_t length = strlen(path), size = strlen(ending);
    return length >= size && strcasecmp(path + length - size, ending) == 0;
}
