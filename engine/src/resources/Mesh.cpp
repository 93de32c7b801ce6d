#include "pellux/resources/Mesh.h"

#include "pellux/foundation/Logger.h"
#include "pellux/resources/SubMesh.h"

#include <sstream>

namespace Pellux
{

Mesh::Mesh(const std::string& name)
{
    this->name = name;
}

Mesh::~Mesh()
{
    for (SubMesh* subMesh : subMeshes)
        delete subMesh;
}

void Mesh::reportIndicesOutOfRange() const
{
    for (std::size_t number = 0; number < subMeshes.size(); ++number)
        if (subMeshes[number]->hasIndicesOutOfRange())
            LOG(logger->err) << "mesh '" << name << "': sub-mesh " << static_cast<float>(number)
                             << " has indices past its vertex data and is not drawn" << std::endl;
}

std::string Mesh::toString() const
{
    std::ostringstream text;
    text << "Mesh(#" << static_cast<const void*>(this) << ")\t" << name;
    return text.str();
}

}
