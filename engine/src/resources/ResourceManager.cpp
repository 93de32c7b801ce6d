#include "pellux/resources/ResourceManager.h"

#include "pellux/foundation/Logger.h"
#include "pellux/resources/Resource.h"

#include <filesystem>

namespace Pellux
{

ResourceManager::ResourceManager() : logger(&Logger::getInstance()), searchPaths{"resources"}
{
}

Resource* ResourceManager::lookup(const std::string& name, const Loader& load)
{
    auto cached = resources.find(name);
    if (cached != resources.end())
    {
        LOG(logger->trace) << "retrieved resource from cache: " << name << std::endl;
        return cached->second;
    }

    for (const std::string& directory : searchPaths)
    {
        File file(directory + "/" + name);
        // A resource is a file: an empty name must not find the search directory itself.
        if (!file.exists() || std::filesystem::is_directory(file.getPath()))
            continue;
        std::string fullPath = file.getFullPath();
        auto cachedByPath = resources.find(fullPath);
        if (cachedByPath != resources.end())
        {
            LOG(logger->trace) << "retrieved resource from cache: " << name << std::endl;
            resources[name] = cachedByPath->second;
            return cachedByPath->second;
        }
        Resource* resource = load(file);
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

void ResourceManager::store(Resource* resource)
{
    Resource*& entry = resources[resource->getName()];
    if (entry != nullptr && entry != resource)
        replaced.push_back(entry);
    entry = resource;
}

}
