// Pack reading: the pack file's lines, or a folder's map files in name order;
// every level is read once here, so a broken one is reported before play begins
// rather than when a player reaches it.
#include "shell/pack.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "level/reader.h"
#include "shell/file.h"

static const char* const PACK_BLANKS = " \t";

// Writes the one line of a failure, "FILE:LINE: problem" or "FILE: problem"; returns 1.
static int pack_fail(std::string* error, const std::string& file, int line,
                     const std::string& problem)
{
    *error = file + (line > 0 ? ":" + std::to_string(line) : "") + ": " + problem;
    return 1;
}

// The name a level goes by when the pack gives none: its file name without
// folder and extension, with what the font cannot show replaced.
static std::string pack_stem(const std::string& path)
{
    std::string name = path.substr(path.find_last_of('/') + 1);
    size_t dot = name.find_last_of('.');
    if (dot != std::string::npos && dot > 0)
        name.resize(dot);
    for (char& c : name)
        if ((u8)c < 32 || (u8)c > 126)
            c = '?';
    if (name.size() > PACK_NAME_MAX)
        name.resize(PACK_NAME_MAX);
    return name;
}

// A path named in a folder, as seen from the working directory; absolute ones stand alone.
static std::string pack_join(const std::string& folder, const std::string& file)
{
    if (!file.empty() && file[0] == '/')
        return file;
    return folder == "/" ? "/" + file : folder + "/" + file;
}

// Reads one line of a pack file; a level line appends its level. 0, or 1 and the message.
static int pack_line(std::vector<s_pack_level>* levels, const std::string& folder,
                     const std::string& file, int number, const std::string& line,
                     std::string* error)
{
    if (line.size() > PACK_LINE_MAX)
        return pack_fail(error, file, number,
                         "line longer than " + std::to_string(PACK_LINE_MAX) + " characters");
    for (char c : line)
        if ((u8)c < 32 && c != '\t') {
            char problem[64];
            snprintf(problem, sizeof problem, "control character (byte 0x%02X)", (u8)c);
            return pack_fail(error, file, number, problem);
        }
    size_t start = line.find_first_not_of(PACK_BLANKS);
    if (start == std::string::npos || line[start] == '#')
        return 0;
    size_t end = line.find_first_of(PACK_BLANKS, start);
    std::string map = line.substr(start, end - start);
    std::string name;
    size_t from = end == std::string::npos ? end : line.find_first_not_of(PACK_BLANKS, end);
    if (from != std::string::npos)
        name = line.substr(from, line.find_last_not_of(PACK_BLANKS) + 1 - from);

    if (levels->size() >= PACK_LEVELS_MAX)
        return pack_fail(error, file, number,
                         "more than " + std::to_string(PACK_LEVELS_MAX) + " levels");
    for (char c : name)
        if ((u8)c > 126 || c == '\t') {
            char problem[96];
            snprintf(problem, sizeof problem,
                     "the name holds a character the font cannot show (byte 0x%02X)", (u8)c);
            return pack_fail(error, file, number, problem);
        }
    if (name.size() > PACK_NAME_MAX)
        return pack_fail(error, file, number,
                         "the name is longer than " + std::to_string(PACK_NAME_MAX) +
                             " characters");
    std::string path = pack_join(folder, map);
    struct stat info;
    if (stat(path.c_str(), &info) != 0)
        return pack_fail(error, file, number, "no map file " + path + " (" + strerror(errno) + ")");
    if (!S_ISREG(info.st_mode))
        return pack_fail(error, file, number, path + " is not a map file");
    levels->push_back({path, name.empty() ? pack_stem(map) : name});
    return 0;
}

// Reads the pack file at file, found in folder. 0, or 1 and the message.
static int pack_file(std::vector<s_pack_level>* levels, const std::string& folder,
                     const std::string& file, std::string* error)
{
    struct stat info;
    if (stat(file.c_str(), &info) != 0 || !S_ISREG(info.st_mode))
        return pack_fail(error, file, 0, "is not a file");
    if (info.st_size > PACK_FILE_MAX)
        return pack_fail(error, file, 0,
                         "is larger than 1 MiB; a pack file lists one level a line");
    std::string text;
    if (file_read(file.c_str(), PACK_FILE_MAX, &text, error))
        return 1;
    if (file_lines(text, [&](int number, const std::string& line) {
            return pack_line(levels, folder, file, number, line, error);
        }))
        return 1;
    if (levels->empty())
        return pack_fail(error, file, 0, "lists no level (one a line: map file, then its name)");
    return 0;
}

// A folder without a pack file: its .map files in name order. 0, or 1 and the message.
static int pack_folder(std::vector<s_pack_level>* levels, const std::string& folder,
                       std::string* error)
{
    namespace fs = std::filesystem;
    std::vector<std::string> names;
    std::error_code code;
    for (fs::directory_iterator it(folder, code), end; !code && it != end; it.increment(code)) {
        std::string name = it->path().filename().string();
        std::error_code kind;
        if (name.size() > 4 && name.compare(name.size() - 4, 4, ".map") == 0 &&
            it->is_regular_file(kind))
            names.push_back(name);
        if (names.size() > PACK_LEVELS_MAX)
            return pack_fail(error, folder, 0,
                             "holds more than " + std::to_string(PACK_LEVELS_MAX) + " map files");
    }
    if (code)
        return pack_fail(error, folder, 0, "cannot be listed (" + code.message() + ")");
    if (names.empty())
        return pack_fail(error, folder, 0,
                         std::string("holds neither ") + PACK_FILE_NAME +
                             " nor any .map file to play");
    std::sort(names.begin(), names.end());
    for (const std::string& name : names)
        levels->push_back({pack_join(folder, name), pack_stem(name)});
    return 0;
}

int pack_list(std::vector<s_pack_level>* levels, const char* folder_path, std::string* error)
{
    std::string folder = folder_path;
    while (folder.size() > 1 && folder.back() == '/')
        folder.pop_back();
    std::string list = pack_join(folder, PACK_FILE_NAME);
    struct stat info;
    bool listed = stat(list.c_str(), &info) == 0 || errno != ENOENT;
    levels->clear();
    return listed ? pack_file(levels, folder, list, error) : pack_folder(levels, folder, error);
}

int pack_read(s_pack* pack, const char* path, std::string* error)
{
    std::string given = path ? path : "";
    struct stat info;
    if (stat(given.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) {
        // The level reader has the last word on a file that cannot be opened.
        pack->levels.assign(1, {given, pack_stem(given)});
        pack->current = 0;
        pack->cycles = 0;
        return 0;
    }
    std::vector<s_pack_level> levels;
    if (pack_list(&levels, given.c_str(), error))
        return 1;
    for (const s_pack_level& level : levels) {
        s_map map;
        if (reader_load(level.path, map, error))
            return 1;
    }
    pack->levels = std::move(levels);
    pack->current = 0;
    pack->cycles = 1;
    return 0;
}

u32 pack_next(const s_pack* pack)
{
    return pack->levels.empty() ? 0 : (pack->current + 1) % (u32)pack->levels.size();
}
