#pragma once

#include <map>
#include <string>

class Logger;

namespace Pellux
{

// Something loaded once and shared: numbered in construction order and entered in one registry.
class Resource
{
public:
    Resource();
    virtual ~Resource();
    Resource(const Resource&) = delete;
    Resource& operator=(const Resource&) = delete;

    virtual std::string getType() const { return "Resource"; }
    unsigned int getId() const { return id; }
    std::string getName() const { return name; }

    // Every living resource by id.
    static const std::map<unsigned int, Resource*>& getRegistry();
    // One line per resource: id, ":\t", type, " - ", name.
    static std::string dumpRegistry();

protected:
    Logger* logger;
    unsigned int id;
    std::string name;
};

}
