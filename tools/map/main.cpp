// tumbrelix-map: shows level authors what the reader makes of a map file (print) and what looks wrong in it (check).
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

#include <getopt.h>
#include <sys/stat.h>

#include "level/check.h"
#include "level/reader.h"
#include "shell/options.h"
#include "shell/pack.h"

static const s_usage map_usage = {
    "tumbrelix-map",
    "check FILE...\n"
    "print FILE",
    "Read level map files as the game reads them.\n"
    "\n"
    "  check FILE...  report every problem of each FILE on its line, then a summary\n"
    "                 line; exit with status 1 when any FILE has an error; a\n"
    "                 pack FOLDER is checked whole: its pack file and every level,\n"
    "                 with a warning for a level no one can clear\n"
    "  print FILE     write the level the reader made of FILE as a map file, in\n"
    "                 the form the editor saves\n",
    "TEXTURE paths are checked relative to the game's folder, as the game reads them.\n",
    nullptr,
    0,
};

// Writes one level as the reader read it, in map form; 1 if it cannot be read.
static int map_print(const char* path)
{
    try {
        s_map map;
        Reader reader(path);
        reader.read(map);
        check_print(map, std::cout);
    } catch (const std::string& message) {
        std::cerr << message << '\n';
        return 1;
    }
    return 0;
}

// Breakable blocks of a level as read.
static size_t map_breakable(const s_map& map)
{
    size_t count = 0;
    for (const s_block_group& group : map.groups)
        count += group.lives > 0 ? group.blocks.size() : 0;
    return count;
}

// Reads one level as the game does and reports every finding; returns its error
// count. In a pack, a level without a breakable block would hold the pack up forever.
static int map_check(const char* path, bool in_pack = false)
{
    std::vector<s_check_note> notes;
    s_map map;
    check_level(path, map, notes);
    bool sound = std::none_of(notes.begin(), notes.end(),
                              [](const s_check_note& note) { return note.error; });
    if (in_pack && sound && map_breakable(map) == 0)
        notes.push_back({0, false,
                         "no breakable block: the level can never be cleared, so the pack never "
                         "moves on from it"});
    int errors = 0, warnings = 0;
    for (const s_check_note& note : notes) {
        if (note.line > 0)
            std::cout << path << ":" << note.line << ": ";
        else
            std::cout << path << ": ";
        std::cout << (note.error ? "error: " : "warning: ") << note.text << '\n';
        if (note.error)
            errors++;
        else
            warnings++;
    }
    size_t blocks = 0;
    for (const s_block_group& group : map.groups)
        blocks += group.blocks.size();
    std::cout << path << ": " << map.faces.size() << " faces, " << map.groups.size() << " groups, "
              << blocks << " blocks, " << warnings << " warnings, " << errors << " errors\n";
    return errors;
}

// Checks a map file, or a pack folder whole; returns the error count.
static int map_check_path(const char* path)
{
    struct stat info;
    if (stat(path, &info) != 0 || !S_ISDIR(info.st_mode))
        return map_check(path);
    std::vector<s_pack_level> levels;
    std::string error;
    if (pack_list(&levels, path, &error)) {
        std::cout << error << '\n';
        return 1;
    }
    int errors = 0;
    for (const s_pack_level& level : levels)
        errors += map_check(level.path.c_str(), true);
    std::cout << path << ": " << levels.size() << " levels, " << errors << " errors\n";
    return errors;
}

int main(int argc, char** argv)
{
    const char* name = options_name(argc, argv, "tumbrelix-map");
    if (int status = options_parse(argc, argv, name, map_usage); status >= 0)
        return status;
    int files = argc - optind - 1;
    const char* command = files >= 0 ? argv[optind] : "";
    if (files < 0)
        return options_refuse(name, "missing command: check or print");
    if (strcmp(command, "print") == 0)
        return files == 1 ? map_print(argv[optind + 1])
                          : options_refuse(name, "print reads exactly one FILE");
    if (strcmp(command, "check") != 0) {
        std::string problem = "unknown command '" + std::string(command) + "': check or print";
        return options_refuse(name, problem.c_str());
    }
    if (files == 0)
        return options_refuse(name, "check: missing FILE");
    int errors = 0;
    for (int i = optind + 1; i < argc; i++)
        errors += map_check_path(argv[i]);
    return errors ? 1 : 0;
}
