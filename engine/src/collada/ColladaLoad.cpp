#include "pellux/collada/ColladaLoad.h"

#include "pellux/foundation/Logger.h"

namespace Pellux
{

void ColladaLoad::report(const std::string& kind, const std::string& id, const std::string& problem)
{
    std::string line = "COLLADA " + kind + " '" + id + "': " + problem;
    if (reported.insert(line).second)
        LOG(logger.err) << line << std::endl;
}

}
