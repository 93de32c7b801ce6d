#pragma once

#include "pellux/collada/ColladaDocument.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace Pellux
{

class ColladaJointIndex;
struct ColladaLoad;
class Matrix4;
class Mesh;
class SceneNode;
class SubMesh;

// Builds a read document's skins: a mesh for each skin controller, and the joints of each node that
// instances one.
class ColladaSkinBuilder
{
public:
    explicit ColladaSkinBuilder(ColladaLoad& load);
    ~ColladaSkinBuilder();

    // A mesh for each skin, kept with its skin under the controller's id: the sub-meshes of the
    // geometry's own mesh with the bind shape applied and each vertex's joints and weights. Needs the
    // geometries' meshes.
    void makeSkinnedMeshes();
    // The mesh node of a node that instances a controller; it gets its joints from bindJoints().
    void attach(const Collada::MeshInstance& instance, SceneNode& node, const std::string& meshNodeName);
    // Gives every skinned mesh node its joints, found in the whole built tree; a skin keeps the joints
    // it finds, and one with none is drawn in its bind pose.
    void bindJoints();

private:
    void makeSkinnedMesh(const Collada::Skin& skin);
    SubMesh* skinnedSubMesh(const SubMesh& source, const Collada::Primitive& primitive, const Collada::Skin& skin,
                            const Matrix4& bindShape);
    std::vector<std::string> jointNames(const Collada::Skin& skin) const;
    const SceneNode* findJoint(const Collada::MeshInstance& instance, const Collada::Skin& skin,
                               const std::string& joint);

    ColladaLoad& load;
    // Made with the skinned meshes, for the joints of their nodes.
    std::unique_ptr<ColladaJointIndex> index;
    std::map<const Collada::Skin*, std::vector<std::string>> jointNamesOf;
};

}
