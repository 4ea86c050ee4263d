// tumbrelix-assets: writes every picture, sound, music track, level and icon of
// the game under one directory, the same bytes on every run.
#include <getopt.h>

#include <cstdio>
#include <string>

#include "shell/options.h"
#include "tools/assets/assets.h"

static const s_usage assets_usage = {
    "tumbrelix-assets",
    "[OPTION]... DIR",
    "Write every picture, sound, music track, level and icon of Tumbrelix under DIR\n"
    "(DIR/data, DIR/levels, DIR/dist/icons), the same bytes on every run.\n",
    nullptr,
    nullptr,
    0,
};

int main(int argc, char** argv)
{
    const char* name = options_name(argc, argv, "tumbrelix-assets");
    if (int status = options_parse(argc, argv, name, assets_usage); status >= 0)
        return status;
    if (argc - optind != 1)
        return options_refuse(name, optind < argc ? "expected one output directory"
                                                  : "missing output directory");
    std::string root = argv[optind];
    while (root.size() > 1 && root.back() == '/')
        root.pop_back();
    return assets_write_parts(root, {textures_write, font_write, sounds_write, music_write,
                                     levels_write, icon_write})
               ? 1
               : 0;
}
