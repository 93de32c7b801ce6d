#include "pellux/resources/Resource.h"

#include "pellux/foundation/Logger.h"

namespace Pellux
{

namespace
{
// Never destroyed: the resources the engine keeps until exit stay reachable through it to the end.
std::map<unsigned int, Resource*>& registry()
{
    static auto* resources = new std::map<unsigned int, Resource*>();
    return *resources;
}

// Ids are never reused, also when a resource is destroyed and leaves the registry.
unsigned int nextId = 0;
}

Resource::Resource() : logger(&Logger::getInstance()), id(nextId++)
{
    LOG(logger->info) << "create new Resource" << std::endl;
    registry()[id] = this;
}

Resource::~Resource()
{
    registry().erase(id);
}

const std::map<unsigned int, Resource*>& Resource::getRegistry()
{
    return registry();
}

std::string Resource::dumpRegistry()
{
    std::string text;
    for (const auto& [resourceId, resource] : registry())
        text += std::to_string(resourceId) + ":\t" + resource->getType() + " - " + resource->getName() + "\n";
    return text;
}

}
