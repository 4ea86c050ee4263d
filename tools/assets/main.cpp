// tumbrelix-assets: writes every picture, sound, music track, level and icon of
// the game under one directory, the same bytes on every run.
#include <getopt.h>

#include <cstdio>
#include <string>

#include "shell/options.h"
#include "tools/assets/assets.h"

enum { ASSETS_VERSION = 256 };  // long options without a short form

static const option assets_options[] = {
    {"help", no_argument, nullptr, 'h'},
    {"version", no_argument, nullptr, ASSETS_VERSION},
    {nullptr, 0, nullptr, 0},
};

static void assets_help(const char* name)
{
    printf("Usage: %s [OPTION]... DIR\n"
           "Write every picture, sound, music track, level and icon of Tumbrelix under DIR\n"
           "(DIR/data, DIR/levels, DIR/dist/icons), the same bytes on every run.\n"
           "\n"
           "  -h, --help     display this help and exit\n"
           "      --version  output version information and exit\n",
           name);
}

int main(int argc, char** argv)
{
    const char* name = options_name(argc, argv, "tumbrelix-assets");
    for (int option; (option = getopt_long(argc, argv, "h", assets_options, nullptr)) != -1;) {
        if (option == 'h') {
            assets_help(name);
            return 0;
        }
        if (option == ASSETS_VERSION) {
            options_version("tumbrelix-assets");
            return 0;
        }
        return options_refuse(name, nullptr);
    }
    if (argc - optind != 1)
        return options_refuse(name, optind < argc ? "expected one output directory"
                                                  : "missing output directory");
    std::string root = argv[optind];
    while (root.size() > 1 && root.back() == '/')
        root.pop_back();
    int bad = 0;
    bad |= textures_write(root);
    bad |= font_write(root);
    bad |= sounds_write(root);
    bad |= music_write(root);
    bad |= levels_write(root);
    bad |= icon_write(root);
    return bad ? 1 : 0;
}
