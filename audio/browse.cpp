// Directory walking over opendir/readdir, one open listing per level of the walk.
#include "audio/browse.h"

#include <sys/stat.h>

Browse::Browse() : file(), stack(), is_dir(false)
{}

Browse::~Browse()
{
    while (Close()) {
    }
}

bool Browse::ReadEntry(StackItemData& item, const std::string& path)
{
    dirent* entry = readdir(item.search);
    if (!entry)
        return false;
    item.find_data.name = entry->d_name;
    if (entry->d_type == DT_DIR) {
        item.find_data.directory = true;
    } else if (entry->d_type == DT_UNKNOWN || entry->d_type == DT_LNK) {
        // Some file systems do not say, and a link counts as what it points to.
        struct stat info;
        std::string full = path + entry->d_name;
        item.find_data.directory = stat(full.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
    } else {
        item.find_data.directory = false;
    }
    return true;
}

bool Browse::Open(const std::string& name)
{
    if (name.empty())
        return false;
    std::string path = GetPath() + name;
    DIR* search = opendir(path.c_str());
    if (!search)
        return false;
    StackItemData item{{std::string(), false}, search, false};
    // Like a search that hands over its first entry as it starts.
    item.first = ReadEntry(item, path + "/");
    stack.emplace_back(name, item);
    return true;
}

bool Browse::Next()
{
    if (stack.empty())
        return false;
    StackItemData& item = stack.back().second;
    if (item.first)
        item.first = false;
    else if (!ReadEntry(item, GetPath()))
        return false;
    file = item.find_data.name;
    is_dir = item.find_data.directory;
    return true;
}

bool Browse::Close()
{
    if (stack.empty())
        return false;
    closedir(stack.back().second.search);
    stack.pop_back();
    return true;
}

const std::string& Browse::GetFile() const
{
    return file;
}

std::string Browse::GetPath() const
{
    std::string path;
    for (const auto& level : stack) {
        if (!path.empty())
            path += "/";
        path += level.first;
    }
    if (!path.empty())
        path += "/";
    return path;
}

std::string Browse::GetFull() const
{
    return GetPath() + file;
}

bool Browse::IsDir(bool with_dots) const
{
    if (!is_dir)
        return false;
    return with_dots || (file != "." && file != "..");
}
