// tumbrelix-map: shows level authors what the reader makes of a map file (print) and what looks wrong in it (check).
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

#include "level/reader.h"

static int map_usage(const char* self)
{
    std::cerr << "usage: " << self << " print FILE\n"
              << "       " << self << " check FILE...\n";
    return 2;
}

// Writes the reader's description of one level; 1 if it cannot be read.
static int map_print(const char* path)
{
    try {
        s_map map;
        Reader reader(path);
        reader.read(map);
        reader.print(map);
    } catch (const std::string& message) {
        std::cerr << message << '\n';
        return 1;
    }
    return 0;
}

// Reads one level as the game does and reports every finding; returns its error count.
static int map_check(const char* path)
{
    std::vector<s_reader_note> notes;
    s_map map;
    bool opened = false;
    try {
        Reader reader(path);
        opened = true;
        reader.setNotes(&notes);
        reader.read(map);
    } catch (const std::string& message) {
        if (!opened)
            notes.push_back({0, true, message});
    }
    std::stable_sort(
        notes.begin(), notes.end(),
        [](const s_reader_note& a, const s_reader_note& b) { return a.line < b.line; });
    int errors = 0, warnings = 0;
    for (const s_reader_note& note : notes) {
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

int main(int argc, char** argv)
{
    if (argc == 3 && strcmp(argv[1], "print") == 0)
        return map_print(argv[2]);
    if (argc >= 3 && strcmp(argv[1], "check") == 0) {
        int errors = 0;
        for (int i = 2; i < argc; i++)
            errors += map_check(argv[i]);
        return errors ? 1 : 0;
    }
    return map_usage(argv[0]);
}
