#include "collada/ColladaLoad.h"

#include "pellux/foundation/Logger.h"

namespace Pellux
{

void ColladaLoad::report(const std::string& kind, const std::string& id, const std::string& problem)
{
    log(Collada::problem(kind, id, problem));
}

void ColladaLoad::report(const Collada::Problems& problems)
{
    for (const std::string& line : problems)
        log(line);
}

void ColladaLoad::log(const std::string& line)
{
    if (reported.insert(line).second)
        LOG(logger.err) << line << std::endl;
}

}
