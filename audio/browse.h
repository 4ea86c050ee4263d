// Directory walking: a stack of open directory listings, descended where the caller chooses.
#pragma once

#include <dirent.h>

#include <list>
#include <string>
#include <utility>

class Browse {
public:
    // The entry a listing read last; of it only the name and the directory flag are used.
    struct FindData {
        std::string name;
        bool directory;
    };
    // One open level of the walk.
    struct StackItemData {
        FindData find_data;  // the entry last read from the listing
        DIR* search;         // the open listing of this level
        bool first;          // find_data holds the first entry, not yet reported
    };

    Browse();
    // Closes every open level, innermost first.
    ~Browse();
    Browse(const Browse&) = delete;
    Browse& operator=(const Browse&) = delete;

    // Opens the directory GetPath() + name as a new level; false (nothing changed) if it cannot be listed.
    bool Open(const std::string& name);
    // Steps to the next entry of the top level; false at its end or with no level open.
    bool Next();
    // Closes the top level; false if no level is open.
    bool Close();
    // Name of the current entry, without directory part.
    const std::string& GetFile() const;
    // The open level names joined by "/", with a trailing "/"; "" with no level open.
    std::string GetPath() const;
    // GetPath() + GetFile().
    std::string GetFull() const;
    // True for a directory entry; "." and ".." count only when with_dots is set.
    bool IsDir(bool with_dots) const;

private:
    // Reads the listing's next entry into item.find_data; false at its end.
    bool ReadEntry(StackItemData& item, const std::string& path);

    std::string file;
    std::list<std::pair<std::string, StackItemData>> stack;
    bool is_dir;
};
