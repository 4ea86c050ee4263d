// Command-line conventions shared by the game and its tools, in the GNU style a
// Debian user expects: --help and --version on standard output, mistakes on
// standard error with a hint, status 2.
#include "shell/options.h"
#include "shell/version.h"

#include <getopt.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

// Codes of the two options every program answers itself.
enum { OPTIONS_HELP = 'h', OPTIONS_VERSION = -2 };

static const s_option options_common[] = {
    {"help", nullptr, OPTIONS_HELP, "display this help and exit"},
    {"version", nullptr, OPTIONS_VERSION, "output version information and exit"},
};

const char* options_name(int argc, char** argv, const char* program)
{
    if (argc < 1 || !argv[0] || !*argv[0])
        return program;
    char* slash = strrchr(argv[0], '/');
    if (slash && slash[1])
        argv[0] = slash + 1;
    return argv[0];
}

// "--name VALUE", as the help's left column shows an option.
static std::string options_label(const s_option& option)
{
    std::string label = std::string("--") + option.name;
    return option.value ? label + " " + option.value : label;
}

// Writes text, its lines after the first indented to column indent.
static void options_indented(const char* text, int indent)
{
    for (const char* c = text; *c; c++) {
        putchar(*c);
        if (*c == '\n' && c[1])
            printf("%*s", indent, "");
    }
}

void options_help(const char* name, const s_usage& usage)
{
    const char* line = usage.synopsis;
    for (const char* lead = "Usage:"; line; lead = "  or: ") {
        const char* end = strchr(line, '\n');
        int length = end ? (int)(end - line) : (int)strlen(line);
        printf("%s %s %.*s\n", lead, name, length, line);
        line = end ? end + 1 : nullptr;
    }
    printf("%s\n", usage.summary);
    std::vector<s_option> all(usage.options, usage.options + usage.count);
    all.insert(all.end(), std::begin(options_common), std::end(options_common));
    size_t width = 0;
    for (const s_option& option : all)
        width = std::max(width, options_label(option).size());
    // GNU's layout: the short form, if any, before the long one, the help two
    // spaces past the longest; continued lines two further in.
    int column = 6 + (int)width + 2;
    for (const s_option& option : all) {
        printf("  %s %-*s  ", option.code == OPTIONS_HELP ? "-h," : "   ", (int)width,
               options_label(option).c_str());
        options_indented(option.help, column + 2);
        putchar('\n');
    }
    if (usage.notes)
        printf("\n%s", usage.notes);
}

int options_parse(int argc, char** argv, const char* name, const s_usage& usage,
                  const std::function<int(const s_option& option, const char* value)>& take)
{
    std::vector<option> table;
    for (const s_option& row : options_common)
        table.push_back({row.name, no_argument, nullptr, row.code});
    for (int i = 0; i < usage.count; i++)
        table.push_back({usage.options[i].name,
                         usage.options[i].value ? required_argument : no_argument, nullptr,
                         usage.options[i].code});
    table.push_back({nullptr, 0, nullptr, 0});
    const char* shorts = usage.operand_ends ? "+h" : "h";
    for (int code; (code = getopt_long(argc, argv, shorts, table.data(), nullptr)) != -1;) {
        if (code == OPTIONS_HELP) {
            options_help(name, usage);
            return 0;
        }
        if (code == OPTIONS_VERSION) {
            options_version(usage.program);
            return 0;
        }
        if (code == '?')
            return options_refuse(name, nullptr);
        const s_option* row = std::find_if(usage.options, usage.options + usage.count,
                                           [code](const s_option& o) { return o.code == code; });
        if (take(*row, optarg) != 0)
            return OPTIONS_BAD_USAGE;
    }
    return -1;
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

int options_number(const s_option& option, const char* text, double low, double high,
                   double* number)
{
    char* end = nullptr;
    errno = 0;
    *number = strtod(text ? text : "", &end);
    if (text && end != text && *end == 0 && errno == 0 && *number >= low && *number <= high)
        return 0;
    fprintf(stderr, "--%s: expected a number from %g to %g, got '%s'\n", option.name, low, high,
            text ? text : "");
    return 1;
}
