#pragma once

#include "pellux/collada/ColladaDocument.h"

namespace Pellux
{

struct ColladaLoad;
class MeshNode;

// Binds the materials an instance names to the sub-meshes of its mesh node by symbol. Sub-meshes
// whose symbol is empty, or bound to no material the engine has, draw with the document's default
// material (plain light grey, the default shaders), made for the first of them; the loader counts
// them for its report.
void bindMaterials(ColladaLoad& load, const Collada::MeshInstance& instance, MeshNode& meshNode);

}
