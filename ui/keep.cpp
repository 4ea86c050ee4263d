// Kept files: nothing the player had is lost. A file that could not be read
// stays as it was until the game has something new to write, and then moves
// aside, so the player can still look at what was wrong.
#include "ui/keep.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "shell/file.h"

std::string keep_path(const char* variable, const char* fallback, const char* name)
{
    const char* base = getenv(variable);
    std::string folder;
    // The XDG rules ignore a relative folder.
    if (base && base[0] == '/')
        folder = base;
    else if (const char* home = getenv("HOME"); home && home[0])
        folder = std::string(home) + "/" + fallback;
    else
        return "";
    return folder + "/tumbrelix/" + name;
}

int keep_read(const std::string& path, u64 max_bytes, std::string* text, std::string* error)
{
    struct stat info;
    if (stat(path.c_str(), &info) != 0 && errno == ENOENT)
        return KEEP_MISSING;
    if (file_check(path.c_str(), FILE_REGULAR, max_bytes, error) ||
        file_read(path.c_str(), max_bytes, text, error))
        return KEEP_BAD;
    return KEEP_READ;
}

int keep_lines(const std::string& text, const std::string& name,
               const std::function<std::string(const std::string& line)>& take,
               std::string* problem)
{
    int bad = 0;
    file_lines(text, [&](int number, const std::string& line) {
        std::string wrong = take(line);
        if (!wrong.empty() && !bad) {
            *problem = name + ":" + std::to_string(number) + ": " + wrong;
            bad = 1;
        }
        return 0;
    });
    return bad;
}

// Makes every folder above path. 0, or 1 and error.
static int keep_folders(const std::string& path, std::string* error)
{
    for (size_t slash = path.find('/', 1); slash != std::string::npos;
         slash = path.find('/', slash + 1)) {
        std::string folder = path.substr(0, slash);
        if (mkdir(folder.c_str(), 0755) != 0 && errno != EEXIST) {
            *error = folder + ": cannot be made (" + strerror(errno) + ")";
            return 1;
        }
    }
    return 0;
}

int keep_save(const std::string& path, const std::string& text, u8* bad)
{
    std::string error;
    if (path.empty())
        return 1;
    if (keep_folders(path, &error) == 0 && *bad) {
        std::string aside = path + ".bad";
        if (rename(path.c_str(), aside.c_str()) != 0 && errno != ENOENT)
            error = path + ": cannot be kept as " + aside + " (" + strerror(errno) + ")";
        else
            *bad = 0;
    }
    // A bad file that could not be set aside is not written over.
    if (error.empty() && file_write(path.c_str(), text, &error) == 0)
        return 0;
    fprintf(stderr, "%s\n", error.c_str());
    return 1;
}

void keep_load(const std::string& path, u64 max_bytes, u8* bad,
               const std::function<int(const std::string& text, std::string* problem)>& parse)
{
    std::string text, problem;
    int read = keep_read(path, max_bytes, &text, &problem);
    if (read == KEEP_MISSING)
        return;
    if (read == KEEP_BAD)
        *bad = 1;
    else if (parse(text, &problem) == 0)
        return;
    fprintf(stderr, "%s\n", problem.c_str());
}
