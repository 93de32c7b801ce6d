#pragma once

#include "pellux/resources/Resource.h"

#include <string>
#include <vector>

namespace Pellux
{

class SubMesh;

// A named geometry made of sub-meshes, which it owns.
class Mesh : public Resource
{
public:
    explicit Mesh(const std::string& name);
    ~Mesh() override;

    std::string getType() const override { return "Mesh"; }

    void addSubMesh(SubMesh* subMesh) { subMeshes.push_back(subMesh); }
    const std::vector<SubMesh*>& getSubMeshes() const { return subMeshes; }

    // Logs at level ERR each sub-mesh whose indices reach past its vertex data: it is not drawn.
    void reportIndicesOutOfRange() const;

    std::string toString() const;

private:
    std::vector<SubMesh*> subMeshes;
};

}
