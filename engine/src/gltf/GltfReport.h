#pragma once

#include <cstdint>
#include <set>
#include <string>

class Logger;

namespace Pellux::Gltf
{

// The problems of one document, each said once in one ERR line naming the document and the place
// in it: "glTF <document>: <place>: <problem>", or without a place "glTF <document>: <problem>".
class DocumentReport
{
public:
    DocumentReport(const std::string& documentPath, Logger& logger);

    void operator()(const std::string& place, const std::string& problem);

private:
    std::string documentPath;
    Logger& logger;
    std::set<std::string> reported;
};

// An element's place, as "meshes[3]".
std::string indexed(const std::string& array, std::uint64_t index);

}
