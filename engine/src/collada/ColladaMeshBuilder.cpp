#include "collada/ColladaMeshBuilder.h"

#include "collada/ColladaLoad.h"
#include "pellux/core/Tavrin.h"
#include "pellux/resources/Mesh.h"
#include "pellux/resources/MeshManager.h"
#include "pellux/resources/SubMesh.h"

namespace Pellux
{

void ColladaMeshBuilder::makeMeshes(std::vector<Collada::Geometry>& geometries)
{
    for (Collada::Geometry& geometry : geometries)
        makeMesh(geometry);
}

void ColladaMeshBuilder::makeMesh(Collada::Geometry& geometry)
{
    if (geometry.repeatsAnId)
        load.report("geometry", geometry.id, "has the id of an earlier geometry and takes its place");
    auto* mesh = new Mesh(geometry.id);
    load.engine.getMeshManager()->add(mesh);
    load.geometryMeshes[geometry.id] = {mesh, &geometry};
    load.report(geometry.problems);
    for (Collada::Primitive& primitive : geometry.primitives)
    {
        auto* subMesh = new SubMesh();
        subMesh->setMaterialName(primitive.material);
        subMesh->setPrimitive(primitive.kind == Collada::Primitive::Kind::Lines ? SubMesh::lines : SubMesh::triangles);
        for (auto& [name, array] : primitive.arrays)
            subMesh->setAttribute(array.semantic, std::move(array.values), array.set);
        subMesh->setTexCoordSetCount(static_cast<int>(primitive.texCoordSets.size()));
        for (std::size_t vertex = 0; vertex < primitive.vertexCount; ++vertex)
            subMesh->addIndex(static_cast<unsigned int>(vertex));
        mesh->addSubMesh(subMesh);
    }
    mesh->reportIndicesOutOfRange();
}

}
