#pragma once

#include "pellux/collada/ColladaDocument.h"

namespace Pellux
{

struct ColladaLoad;

// Turns each geometry of a read document into a mesh of the mesh manager, one sub-mesh for each
// primitive.
class ColladaMeshBuilder
{
public:
    explicit ColladaMeshBuilder(ColladaLoad& load) : load(load) {}

    // Moves the geometries' vertex arrays into the meshes.
    void makeMeshes(std::vector<Collada::Geometry>& geometries);

private:
    void makeMesh(Collada::Geometry& geometry);

    ColladaLoad& load;
};

}
