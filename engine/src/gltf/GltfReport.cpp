#include "gltf/GltfReport.h"

#include "pellux/foundation/Logger.h"

namespace Pellux::Gltf
{

DocumentReport::DocumentReport(const std::string& documentPath, Logger& logger)
    : documentPath(documentPath), logger(logger)
{
}

void DocumentReport::operator()(const std::string& place, const std::string& problem)
{
    std::string line = "glTF " + documentPath + ": " + (place.empty() ? "" : place + ": ") + problem;
    if (reported.insert(line).second)
        LOG(logger.err) << line << std::endl;
}

std::string indexed(const std::string& array, std::uint64_t index)
{
    return array + "[" + std::to_string(index) + "]";
}

}
