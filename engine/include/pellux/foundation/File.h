#pragma once

#include <string>
#include <vector>

// One entry of the file system, looked up once when the File is made.
class File
{
public:
    explicit File(const std::string& path);

    bool exists() const { return found; }
    // The entry's own name (the last path component); "" when it does not exist.
    std::string getName() const { return entryName; }
    std::string getPath() const { return path; }
    // The absolute, normalised path, whether or not the entry exists; "" when it cannot be formed.
    std::string getFullPath() const;

    // The entries of this directory whose names match the "*" / "?" pattern, hidden ones left out.
    std::vector<File> listFiles(const std::string& pattern) const;

    std::string toString() const;

private:
    std::string path;
    std::string entryName;
    bool found = false;
};
