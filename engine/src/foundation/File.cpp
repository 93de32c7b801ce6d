#include "pellux/foundation/File.h"

#include <algorithm>
#include <filesystem>
#include <fnmatch.h>
#include <iostream>

namespace fs = std::filesystem;

namespace
{
const std::size_t maxFullPathLength = 4096;

// The absolute form of `path` with "." and ".." resolved and no trailing separator.
bool formFullPath(const std::string& path, std::string& fullPath)
{
    if (path.empty())
        return false;
    std::error_code error;
    fs::path absolute = fs::absolute(path, error);
    if (error)
        return false;
    fs::path normal = absolute.lexically_normal();
    if (!normal.has_filename() && normal != normal.root_path())
        normal = normal.parent_path();
    fullPath = normal.string();
    return fullPath.size() < maxFullPathLength;
}

std::string entryNameOf(const std::string& path)
{
    std::string fullPath;
    fs::path named = formFullPath(path, fullPath) ? fs::path(fullPath) : fs::path(path).lexically_normal();
    std::string name = named.filename().string();
    return name.empty() ? named.string() : name;
}

// The names in `directory` that match `pattern`, sorted; "." and ".." take part as the
// directory search of other platforms reports them too.
bool matchingNames(const std::string& directory, const std::string& pattern, std::vector<std::string>& names)
{
    std::error_code error;
    fs::directory_iterator entries(directory, error);
    if (error)
        return false;
    std::vector<std::string> candidates = {".", ".."};
    for (const fs::directory_entry& entry : entries)
        candidates.push_back(entry.path().filename().string());
    for (const std::string& name : candidates)
        if (fnmatch(pattern.c_str(), name.c_str(), 0) == 0)
            names.push_back(name);
    std::sort(names.begin(), names.end());
    return !names.empty();
}
}

File::File(const std::string& path) : path(path)
{
    std::error_code error;
    found = !path.empty() && fs::exists(fs::status(path, error));
    if (found)
        entryName = entryNameOf(path);
}

std::string File::getFullPath() const
{
    std::string fullPath;
    if (formFullPath(path, fullPath))
        return fullPath;
    std::cout << "error while retrieving full path: " << path << std::endl;
    return std::string();
}

std::vector<File> File::listFiles(const std::string& pattern) const
{
    std::vector<std::string> names;
    if (!matchingNames(path, pattern, names))
    {
        std::cout << "error while listing files, path='" << path << "', pattern='" << pattern << "'"
                  << std::endl;
        return {};
    }
    std::vector<File> files;
    for (const std::string& name : names)
        if (name.front() != '.')
            files.emplace_back((fs::path(path) / name).string());
    return files;
}

std::string File::toString() const
{
    return "=== File ===\nname:\t" + getName() + "\npath:\t" + getPath() + "\nfullPath:\t" + getFullPath() + "\n";
}
