#pragma once

#include "gltf/GltfAccessors.h"
#include "gltf/GltfReport.h"
#include "gltf/TinyGltf.h"
#include "pellux/gltf/GltfSceneloader.h"
#include "pellux/graphics/Texture.h"
#include "pellux/resources/VertexLayout.h"

#include <array>
#include <map>
#include <utility>
#include <set>
#include <string>
#include <vector>

class Logger;

namespace Pellux
{

class Image;
class Mesh;
class MeshNode;
class SceneNode;
class Scene;
class SinglePassAutoMapMaterial;
class SubMesh;
class Tavrin;
class TrsAnimation;

namespace Gltf
{

// An attribute the engine draws: its semantic, its set and the components it holds.
struct DrawnAttribute
{
    VertexSemantic semantic = VertexSemantic::Position;
    int set = 0;
    int components = 0;
};

// Builds a read glTF document into a scene: meshes (shared by the nodes that use them) and materials
// into the engine's managers, the default scene's nodes with their transforms, cameras and lights
// below the scene's root. Every problem is one ERR line naming the document and the place in it.
class Builder
{
public:
    // The accessors' values are taken from `accessorValues`, where the checks left them.
    Builder(Tavrin& engine, const tinygltf::Model& model, AccessorValues& accessorValues,
            const std::string& documentPath, Scene& scene, Logger& logger);

    // False, after its line, when the document needs an extension the engine does not know.
    bool checkExtensions();
    // Without `rendering` no material is made, as materials need OpenGL. Returns how many materials
    // it made, or would have.
    std::size_t build(bool rendering, const GltfSceneloader::Selection& selection);

private:
    void report(const std::string& place, const std::string& problem);
    void makeMaterials();
    void makeMaterial(std::size_t index);
    SinglePassAutoMapMaterial* metallicRoughnessMaterial(const std::string& name);
    static float emissiveStrengthOf(const tinygltf::Material& material);
    // What a material says of one of its pictures.
    struct TextureReference
    {
        int index = -1;
        int texCoord = 0;
        const tinygltf::ExtensionMap* extensions = nullptr;
    };
    template <class Info>
    static TextureReference referenceTo(const Info& info)
    {
        return TextureReference{info.index, info.texCoord, &info.extensions};
    }
    struct CoordinateTransform
    {
        int set = 0;
        std::array<float, 9> rowByRow{1, 0, 0, 0, 1, 0, 0, 0, 1};
    };
    bool setTexture(SinglePassAutoMapMaterial& material, const std::string& uniform, const TextureReference& reference,
                    const std::string& place, bool srgb);
    CoordinateTransform coordinateTransformOf(const TextureReference& reference, const std::string& place);
    TextureSampling samplingOf(int texture);
    Image* imageOfTexture(int texture, const std::string& place);
    std::string defaultMaterial();
    void makeMeshes();
    SubMesh* makeSubMesh(const tinygltf::Primitive& primitive, const std::string& place);
    bool readAttributes(const tinygltf::Primitive& primitive, const std::string& place, SubMesh& subMesh,
                        std::size_t& vertices);
    bool readPositions(const tinygltf::Primitive& primitive, const std::string& place, SubMesh& subMesh,
                       std::size_t& vertices);
    bool readAttribute(int accessor, const DrawnAttribute& drawn, std::size_t vertices, const std::string& place,
                       SubMesh& subMesh);
    void readMorphTargets(const tinygltf::Primitive& primitive, const std::string& place, std::size_t vertices,
                          SubMesh& subMesh);
    std::vector<unsigned int> readIndices(const tinygltf::Primitive& primitive, const std::string& place,
                                          std::size_t vertices, unsigned int& largest, bool& sound);
    int normalTextureSet(int material) const;
    bool readTangents(const tinygltf::Primitive& primitive, const std::string& place, SubMesh& subMesh);
    void computeTangents(SubMesh& subMesh, int set, std::vector<unsigned int>& indices);
    void buildScene();
    std::vector<int> rootNodes();
    SceneNode* makeNode(std::size_t index, SceneNode& parent);
    void attachCamera(const tinygltf::Node& node, std::size_t index, SceneNode& made);
    void attachLight(const tinygltf::Node& node, std::size_t index, SceneNode& made);
    std::string uniqueChildName(const SceneNode& parent, const std::string& wanted, std::size_t index);
    void bindSkin(std::size_t nodeIndex, MeshNode& meshNode);
    void dropUnknownJoints(MeshNode& meshNode, std::size_t jointCount, const std::string& skinPlace);
    void makeAnimations();
    // Whether the selection plays the document's animation of that index.
    bool plays(std::size_t animation);
    std::size_t morphTargetCountOf(int mesh) const;
    void addChannel(const tinygltf::Animation& animation, const tinygltf::AnimationChannel& channel,
                    const std::string& place, std::map<int, TrsAnimation*>& animated);

    Tavrin& engine;
    const tinygltf::Model& model;
    AccessorValues& accessorValues;
    std::string documentPath;
    std::string documentFolder;
    Scene& scene;
    DocumentReport problems;
    std::vector<std::string> materialNames;
    std::string defaultMaterialName;
    bool rendering = true;
    GltfSceneloader::Selection selection;
    std::vector<Mesh*> meshes;
    // The scene node made for each of the document's nodes; null for those not in the scene.
    std::vector<SceneNode*> madeNodes;
    // The mesh node made for each of the document's nodes with a mesh, by the node's index.
    std::map<std::size_t, MeshNode*> meshNodes;
    // The skinned nodes' indices with their mesh nodes, bound once every joint is made.
    std::vector<std::pair<std::size_t, MeshNode*>> skinned;
    bool cameraChosen = false;
};

}

}
