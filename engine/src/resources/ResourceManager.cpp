#include "pellux/resources/ResourceManager.h"

#include "pellux/foundation/Logger.h"
#include "pellux/resources/Resource.h"

#include <filesystem>
#include <set>

namespace Pellux
{

namespace
{
bool leavesSearchPaths(const std::string& name)
{
    std::filesystem::path path(name);
    if (path.is_absolute() || path.has_root_name())
        return true;
    for (const std::filesystem::path& part : path)
        if (part == "..")
            return true;
    return false;
}
}

ResourceManager::ResourceManager() : logger(&Logger::getInstance()), searchPaths{"resources"}
{
}

// A resource is cached under its name and its file's full path, so it is freed once.
ResourceManager::~ResourceManager()
{
    std::set<Resource*> held(replaced.begin(), replaced.end());
    for (const auto& entry : resources)
        held.insert(entry.second);
    for (Resource* resource : held)
        delete resource;
}

Resource* ResourceManager::lookup(const std::string& name, const Loader& load)
{
    auto cached = resources.find(name);
    if (cached != resources.end())
    {
        LOG(logger->trace) << "retrieved resource from cache: " << name << std::endl;
        return cached->second;
    }

    if (std::optional<File> file = fileNamed(name))
    {
        std::string fullPath = file->getFullPath();
        auto cachedByPath = resources.find(fullPath);
        if (cachedByPath != resources.end())
        {
            LOG(logger->trace) << "retrieved resource from cache: " << name << std::endl;
            resources[name] = cachedByPath->second;
            return cachedByPath->second;
        }
        Resource* resource = load(*file);
        if (resource != nullptr)
        {
            resources[name] = resource;
            resources[fullPath] = resource;
        }
        return resource;
    }
    LOG(logger->err) << "no resource found: " << name << std::endl;
    return nullptr;
}

bool ResourceManager::canFind(const std::string& name) const
{
    return resources.count(name) > 0 || fileNamed(name).has_value();
}

std::optional<File> ResourceManager::fileNamed(const std::string& name) const
{
    // A resource is a file: an empty name must not find the search directory itself. Whether it
    // can be read (a pipe, a device, its size) the loading step says.
    auto isFile = [](const File& file) { return file.exists() && !std::filesystem::is_directory(file.getPath()); };
    if (!findsFilesOutsideSearchPaths && leavesSearchPaths(name))
        return std::nullopt;
    for (const std::string& directory : searchPaths)
    {
        File file(directory + "/" + name);
        if (isFile(file))
            return file;
    }
    if (std::filesystem::path(name).is_absolute())
    {
        File file(name);
        if (isFile(file))
            return file;
    }
    return std::nullopt;
}

void ResourceManager::store(Resource* resource)
{
    Resource*& entry = resources[resource->getName()];
    if (entry != nullptr && entry != resource)
        replaced.push_back(entry);
    entry = resource;
}

}
