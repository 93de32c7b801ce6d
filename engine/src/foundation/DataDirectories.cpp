#include "pellux/foundation/DataDirectories.h"

#include "pellux/foundation/Logger.h"

#include <algorithm>
#include <filesystem>

namespace fs = std::filesystem;

namespace Pellux
{

namespace
{
const char* const workingResources = "resources";

std::vector<std::string>& addedDirectories()
{
    static std::vector<std::string> directories;
    return directories;
}

// The directory of the running program's file; empty when the system does not tell.
fs::path programDirectory()
{
    std::error_code unknown;
    fs::path program = fs::read_symlink("/proc/self/exe", unknown);
    return unknown ? fs::path() : program.parent_path();
}

void addOnce(std::vector<std::string>& directories, const fs::path& directory)
{
    std::string normal = directory.lexically_normal().string();
    if (std::find(directories.begin(), directories.end(), normal) == directories.end())
        directories.push_back(normal);
}
}

std::vector<std::string> DataDirectories::list()
{
    std::vector<std::string> directories;
    for (const std::string& added : addedDirectories())
        addOnce(directories, added);
    addOnce(directories, workingResources);
    fs::path program = programDirectory();
    if (!program.empty())
    {
        addOnce(directories, program / "resources");
        addOnce(directories, program / PELLUX_DATA_DIR_FROM_PROGRAMS / "resources");
    }
    addOnce(directories, fs::path(PELLUX_INSTALLED_DATA_DIR) / "resources");
    return directories;
}

File DataDirectories::find(const std::string& name)
{
    std::vector<std::string> directories = list();
    for (const std::string& directory : directories)
    {
        File file((fs::path(directory) / name).string());
        if (file.exists())
            return file;
    }
    std::string searched;
    for (const std::string& directory : directories)
        searched += (searched.empty() ? "" : ", ") + File(directory).getFullPath();
    LOG(Logger::getInstance().err) << "engine file " << name << " not found in " << searched << std::endl;
    return File((fs::path(workingResources) / name).string());
}

void DataDirectories::addDirectory(const std::string& directory)
{
    addedDirectories().push_back(directory);
}

}
