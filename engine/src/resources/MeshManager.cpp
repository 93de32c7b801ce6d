#include "pellux/resources/MeshManager.h"

#include "pellux/foundation/Logger.h"
#include "pellux/foundation/StringUtils.h"
#include "pellux/resources/Mesh.h"
#include "resources/OgreXmlMeshReader.h"

namespace Pellux
{

MeshManager::MeshManager()
{
    findsFilesOutsideSearchPaths = false;
}

Mesh* MeshManager::get(const std::string& name)
{
    LOG(logger->trace) << "get(" << name << ")" << std::endl;
    return static_cast<Mesh*>(lookup(name, [this](const File& file) -> Resource* {
        return StringUtils::endsWith(file.getName(), ".xml") ? loadOgreXML(file) : nullptr;
    }));
}

void MeshManager::add(Mesh* mesh)
{
    store(mesh);
}

namespace
{
// "sub-mesh 2" of "mesh 'box': sub-mesh 2 ...".
std::string partOfTheMesh(const std::string& line)
{
    std::size_t at = line.find("': sub-mesh ");
    if (line.compare(0, 6, "mesh '") != 0 || at == std::string::npos)
        return "";
    std::size_t from = at + 3;
    return line.substr(from, line.find(' ', from + 9) - from);
}
}

MeshManager::OgreImport MeshManager::importOgreXML(const File& file)
{
    DiagnosticCollector collector(*logger);
    OgreImport result;
    result.mesh.reset(loadOgreXML(file, &result.read));
    result.diagnostics = collector.diagnostics(partOfTheMesh);
    return result;
}

Mesh* MeshManager::loadOgreXML(File file, bool* fileRead)
{
    LOG(logger->trace) << "loadOgreXML(" << file.getPath() << ")" << std::endl;
    Mesh* mesh = new Mesh(file.getName());
    std::string problem;
    bool read = OgreXmlMeshReader(*logger).read(file.getPath(), *mesh, problem);
    if (fileRead != nullptr)
        *fileRead = read;
    if (!read)
    {
        LOG(logger->err) << "Datei konnte nicht geladen werden: " << file.getPath() << " (" << problem << ")"
                         << std::endl;
        return mesh;
    }
    mesh->reportIndicesOutOfRange();
    LOG(logger->info) << "finished loading mesh: " << file.getName() << std::endl;
    return mesh;
}

}
