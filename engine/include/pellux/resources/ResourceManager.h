#pragma once

#include "pellux/foundation/File.h"

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

class Logger;

namespace Pellux
{

class Resource;

// Finds resources by name: in its cache, else as a file below its search directories.
class ResourceManager
{
public:
    ResourceManager();
    // Frees every resource it holds or replaced, each once.
    virtual ~ResourceManager();
    ResourceManager(const ResourceManager&) = delete;
    ResourceManager& operator=(const ResourceManager&) = delete;

    const std::vector<std::string>& getSearchPaths() const { return searchPaths; }
    // Searched after the directories already known.
    void addSearchPath(const std::string& directory) { searchPaths.push_back(directory); }
    // Whether a lookup of the name would find something, without loading or logging anything.
    bool canFind(const std::string& name) const;

protected:
    using Loader = std::function<Resource*(const File& file)>;

    // The common lookup: the cache by name, then the first search directory holding the name (an
    // absolute path that none holds: the file itself), then the cache by that file's full path, and
    // only then `load`. What `load` makes is cached under the name and the full path.
    Resource* lookup(const std::string& name, const Loader& load);
    // Caches a resource made elsewhere under its own name. A resource it replaces there is kept,
    // not freed: what was handed it before (the nodes of a scene loaded earlier) may still use it.
    void store(Resource* resource);

    // The file the name stands for, if there is one.
    std::optional<File> fileNamed(const std::string& name) const;

    Logger* logger;
    // Whether a name may be an absolute path or climb out of the search directories with "..".
    bool findsFilesOutsideSearchPaths = true;
    std::vector<std::string> searchPaths;
    std::map<std::string, Resource*> resources;
    std::vector<Resource*> replaced;
};

}
