// The files the front end keeps between runs (settings, progress): where they
// live under the XDG folders, read through shell/file, and saved whole with a
// bad file set aside rather than overwritten.
#pragma once

#include <functional>
#include <string>

#include "shell/types.h"

// How keep_read went.
enum e_keep_read {
    KEEP_READ = 0,     // text holds the file
    KEEP_MISSING = 1,  // there is no file: the defaults, silently
    KEEP_BAD = 2,      // it cannot be read; error names it
};

// $<variable>/tumbrelix/<name>, or ~/<fallback>/tumbrelix/<name> when the
// variable is unset or not absolute; "" when neither is known.
std::string keep_path(const char* variable, const char* fallback, const char* name);
// Reads the file at path, at most max_bytes, into text (e_keep_read).
int keep_read(const std::string& path, u64 max_bytes, std::string* text, std::string* error);
// Reads the file at path (keep_read) and hands its text to parse (0 when sound,
// else 1 and problem): a missing file changes nothing, an unreadable one sets
// *bad, and either problem goes to standard error in one line.
void keep_load(const std::string& path, u64 max_bytes, u8* bad,
               const std::function<int(const std::string& text, std::string* problem)>& parse);
// Hands each line of text to take (without its line end, nor a carriage return
// before it); the first problem take finds ("" for none) goes into problem as
// "NAME:LINE: problem", the later lines still read. 0, or 1 when a line had one.
int keep_lines(const std::string& text, const std::string& name,
               const std::function<std::string(const std::string& line)>& take,
               std::string* problem);
// Writes text as the file at path, making its folders. When *bad is set the
// file there is first renamed to path + ".bad", and *bad is cleared. 0; or 1 and
// one line on standard error.
int keep_save(const std::string& path, const std::string& text, u8* bad);
