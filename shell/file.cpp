// Files named by the player and files the game keeps: checked before reading,
// replaced whole when written.
#include "shell/file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

static int file_fail(const std::string& path, const std::string& problem, std::string* error)
{
    *error = path + ": " + problem;
    return 1;
}

static std::string file_too_large(u64 max_bytes)
{
    return "is larger than " + std::to_string(max_bytes) + " bytes";
}

// The problem with a file of this mode and size, or "" when it is acceptable.
static std::string file_problem(const struct stat& info, int kinds, u64 max_bytes, int* kind)
{
    if (S_ISDIR(info.st_mode)) {
        *kind = FILE_FOLDER;
        return kinds & FILE_FOLDER ? "" : "is a folder, not a file";
    }
    if (!S_ISREG(info.st_mode))
        return kinds & FILE_REGULAR ? "is not a regular file (a device, a FIFO or a socket)"
                                    : "is not a folder";
    *kind = FILE_REGULAR;
    if (!(kinds & FILE_REGULAR))
        return "is a file, not a folder";
    return (u64)info.st_size > max_bytes ? file_too_large(max_bytes) : "";
}

int file_check(const char* path, int kinds, u64 max_bytes, std::string* error, int* kind)
{
    struct stat info;
    if (stat(path, &info) != 0)
        return file_fail(path, strerror(errno), error);
    int found = 0;
    std::string problem = file_problem(info, kinds, max_bytes, &found);
    if (!problem.empty())
        return file_fail(path, problem, error);
    if (kind)
        *kind = found;
    return 0;
}

int file_read(const char* path, u64 max_bytes, std::string* text, std::string* error)
{
    text->clear();
    // Non-blocking, so a FIFO put in place after the check cannot hold the open.
    int fd = open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return file_fail(path, strerror(errno), error);
    struct stat info;
    int kind = 0;
    std::string problem = fstat(fd, &info) != 0
                              ? strerror(errno)
                              : file_problem(info, FILE_REGULAR, max_bytes, &kind);
    if (!problem.empty()) {
        close(fd);
        return file_fail(path, problem, error);
    }
    text->resize((size_t)info.st_size);
    size_t size = 0;
    // A file may grow while it is read, or report no size at all (/proc):
    // read until its end, but never past the cap.
    for (;;) {
        if (size == text->size()) {
            if (size > max_bytes)
                break;
            text->resize(size + 4096);
        }
        ssize_t got = read(fd, &(*text)[size], text->size() - size);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            int cause = errno;
            close(fd);
            text->clear();
            return file_fail(path, strerror(cause), error);
        }
        if (got == 0)
            break;
        size += (size_t)got;
    }
    close(fd);
    if (size > max_bytes) {
        text->clear();
        return file_fail(path, file_too_large(max_bytes), error);
    }
    text->resize(size);
    return 0;
}

int file_lines(const std::string& text,
               const std::function<int(int number, const std::string& line)>& take)
{
    int number = 1;
    for (size_t at = 0; at < text.size(); number++) {
        size_t end = text.find('\n', at);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(at, end - at);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (int answer = take(number, line))
            return answer;
        at = end + 1;
    }
    return 0;
}

int file_save_open(s_file_save* save, const char* path, const char* suffix, std::string* error)
{
    save->path = path;
    save->temp = save->path + suffix;
    int fd = open(save->temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0) {
        int cause = errno;
        if (cause == EEXIST)
            return file_fail(save->temp, "is in the way: move it, and try again", error);
        return file_fail(save->temp, std::string("cannot be written (") + strerror(cause) + ")",
                         error);
    }
    save->file = fdopen(fd, "w");
    if (!save->file) {
        int cause = errno;
        close(fd);
        unlink(save->temp.c_str());
        return file_fail(save->temp, std::string("cannot be written (") + strerror(cause) + ")",
                         error);
    }
    return 0;
}

// Flushes the folder holding path, so a rename in it lasts through a power cut.
static void file_sync_folder(const std::string& path)
{
    size_t slash = path.rfind('/');
    std::string folder = slash == std::string::npos ? "."
                         : slash == 0               ? "/"
                                                    : path.substr(0, slash);
    int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        fsync(fd);
        close(fd);
    }
}

int file_save_commit(s_file_save* save, std::string* error)
{
    int cause = 0;
    if (fflush(save->file) != 0 || ferror(save->file))
        cause = errno ? errno : EIO;
    else if (fsync(fileno(save->file)) != 0)
        cause = errno;
    if (fclose(save->file) != 0 && !cause)
        cause = errno;
    save->file = nullptr;
    if (!cause && rename(save->temp.c_str(), save->path.c_str()) != 0)
        cause = errno;
    if (cause) {
        unlink(save->temp.c_str());
        return file_fail(save->path, std::string("cannot be written (") + strerror(cause) + ")",
                         error);
    }
    file_sync_folder(save->path);
    return 0;
}

void file_save_close(s_file_save* save, u8 remove)
{
    if (save->file)
        fclose(save->file);
    save->file = nullptr;
    if (remove)
        unlink(save->temp.c_str());
}

int file_write(const char* path, const std::string& text, std::string* error)
{
    s_file_save save;
    std::string suffix = ".tmp" + std::to_string((long)getpid());
    if (file_save_open(&save, path, suffix.c_str(), error))
        return 1;
    if (fwrite(text.data(), 1, text.size(), save.file) != text.size()) {
        int cause = errno;
        file_save_close(&save, 1);
        return file_fail(path, std::string("cannot be written (") + strerror(cause) + ")", error);
    }
    return file_save_commit(&save, error);
}
