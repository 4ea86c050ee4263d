// Command-line conventions shared by the game and its tools, in the GNU style a
// Debian user expects: --version on standard output, mistakes on standard
// error with a hint, status 2.
#include "shell/options.h"
#include "shell/version.h"

#include <cstdio>
#include <cstring>

const char* options_name(int argc, char** argv, const char* program)
{
    if (argc < 1 || !argv[0] || !*argv[0])
        return program;
    char* slash = strrchr(argv[0], '/');
    if (slash && slash[1])
        argv[0] = slash + 1;
    return argv[0];
}

void options_version(const char* program)
{
    printf("%s %s\n"
           "Copyright (C) 2026 the Tumbrelix developers.\n",
           program, TUMBRELIX_VERSION);
}

int options_refuse(const char* name, const char* problem)
{
    if (problem)
        fprintf(stderr, "%s: %s\n", name, problem);
    fprintf(stderr, "Try '%s --help' for more information.\n", name);
    return OPTIONS_BAD_USAGE;
}
