// Files named by the player and files the game keeps: a reader takes only a
// regular file (or a folder where one is meant) within a size cap, so a device,
// a FIFO or an endless file gets one line instead of a hang; a writer writes a
// temporary file beside its target and renames it over, so a kill at any
// moment leaves the old file or the new one, never a torn one.
#pragma once

#include <cstdio>
#include <functional>
#include <string>

#include "shell/types.h"

enum e_file_kind {
    FILE_REGULAR = 1,  // a regular file, within the cap
    FILE_FOLDER = 2,   // a directory
};

// 0 and the kind found in *kind (may be null) when path is one of the kinds
// allowed (FILE_ bits) and, for a regular file, at most max_bytes long;
// else 1 and error "PATH: problem". Links are followed.
int file_check(const char* path, int kinds, u64 max_bytes, std::string* error, int* kind = nullptr);
// Reads the regular file at path, at most max_bytes, whole into text. 0; or 1
// and error "PATH: problem" (text is then left empty).
int file_read(const char* path, u64 max_bytes, std::string* text, std::string* error);

// Hands each line of text to take with its number, from 1, without its line end
// (nor the carriage return of files written on Windows); stops at the first
// non-zero answer of take and returns it, else 0.
int file_lines(const std::string& text,
               const std::function<int(int number, const std::string& line)>& take);

// A file being written into a temporary file beside its target.
struct s_file_save {
    FILE* file = nullptr;  // the temporary file, open for writing
    std::string path;      // the target
    std::string temp;      // the temporary file
};

// Creates the temporary file path + suffix for writing; it must not exist (a
// file the game did not create is never truncated). 0; or 1 and error.
int file_save_open(s_file_save* save, const char* path, const char* suffix, std::string* error);
// Flushes the temporary file to the disk and renames it over the target, then
// flushes the folder. 0; or 1 and error, the target untouched and the
// temporary removed.
int file_save_commit(s_file_save* save, std::string* error);
// Closes the temporary file; it stays on the disk unless remove is non-zero.
void file_save_close(s_file_save* save, u8 remove);
// Writes text to path as one save (a temporary named after the process,
// committed). 0; or 1 and error naming the file.
int file_write(const char* path, const std::string& text, std::string* error);
