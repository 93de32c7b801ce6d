#pragma once

#include "pellux/collada/ColladaDocument.h"

#include <map>
#include <set>
#include <string>
#include <vector>

class Logger;

namespace Pellux
{

class Image;
class Mesh;
class MeshNode;
class Scene;
class SceneNode;
class Tavrin;

// What building one read document into a scene refers back to, and its reports.
struct ColladaLoad
{
    ColladaLoad(Tavrin& engine, Scene& scene, Logger& logger, const Collada::Document& document)
        : engine(engine), scene(scene), logger(logger), document(document)
    {
    }

    // Logs at level ERR "COLLADA <kind> '<id>': <problem>", once for each distinct line.
    void report(const std::string& kind, const std::string& id, const std::string& problem);
    // Logs the problems the reading found, each distinct line once.
    void report(const Collada::Problems& problems);

    // Whose managers take the document's images, meshes and materials.
    Tavrin& engine;
    Scene& scene;
    Logger& logger;
    const Collada::Document& document;
    // Off where there is no OpenGL context: then no material is made, as materials compile their
    // shaders, and the names of those that would be are kept in `materialsNotMade`.
    bool rendering = true;
    std::set<std::string> materialsNotMade;
    // The document's path as the caller named it, and the absolute path of the directory it lies
    // in, where its images are looked for last; empty when it is not known.
    std::string documentName;
    std::string documentDirectory;
    // The material of primitives that name none the engine has, made for the first of them, and
    // how many there are.
    std::string defaultMaterial;
    std::size_t primitivesWithoutMaterial = 0;
    // The images by id, null where the document's image could not be loaded.
    std::map<std::string, Image*> images;
    // The effects by id, and the 1 x 1 image of the diffuse colour each colour-only effect's
    // materials share, made for the first of them.
    std::map<std::string, const Collada::Effect*> effects;
    std::map<std::string, Image*> colorImages;
    // The visual scene's top-level nodes: the up-axis conversion applies to them only.
    std::set<const SceneNode*> topLevelNodes;
    // The transform elements each node of the tree is made of, which its animations drive.
    std::map<const SceneNode*, const std::vector<Collada::Transform>*> nodeTransforms;
    // The mesh built for each of this document's geometries by id, with the geometry; of several
    // with one id, the last.
    struct BuiltGeometry
    {
        Mesh* mesh;
        const Collada::Geometry* geometry;
    };
    std::map<std::string, BuiltGeometry> geometryMeshes;
    // The mesh made for each skin controller by its id, with the skin it was made from: controllers
    // and geometries name their meshes apart, and a mesh is bound only with its own skin.
    struct SkinnedMesh
    {
        Mesh* mesh;
        const Collada::Skin* skin;
    };
    std::map<std::string, SkinnedMesh> skinnedMeshes;
    // The node built for each node of the document.
    std::map<const Collada::Node*, SceneNode*> builtNodes;
    // The mesh nodes of skinned meshes, which get their joints once the whole tree is built.
    struct SkinnedNode
    {
        MeshNode* node;
        const Collada::MeshInstance* instance;
        const Collada::Skin* skin;
    };
    std::vector<SkinnedNode> skinnedNodes;

private:
    void log(const std::string& line);

    std::set<std::string> reported;
};

}
