// tumbrelix-assets: writes every picture, sound, music track and level of the
// game under one directory, the same bytes on every run.
#include <cstdio>
#include <string>

#include "tools/assets/assets.h"

int main(int argc, char** argv)
{
    if (argc != 2) {
        printf("usage: %s <output directory>\n", argv[0]);
        return 2;
    }
    std::string root = argv[1];
    while (root.size() > 1 && root.back() == '/')
        root.pop_back();
    int bad = 0;
    bad |= textures_write(root);
    bad |= font_write(root);
    bad |= sounds_write(root);
    bad |= music_write(root);
    bad |= levels_write(root);
    return bad ? 1 : 0;
}
