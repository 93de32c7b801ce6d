#pragma once

#include "graphics/BufferTexture.h"
#include "pellux/scene/Matrix4.h"
#include "pellux/scene/Scene.h"
#include "pellux/scene/Vector3.h"
#include "renderer/GeometryBuffers.h"
#include "renderer/ProgramLocations.h"

#include <cstddef>
#include <memory>
#include <set>
#include <string>
#include <unordered_map>

namespace Pellux
{

class CameraNode;
class GraphicsContext;
class Material;
class MaterialDrawing;
class MaterialManager;
class MeshNode;
class RenderTarget;
class SceneNode;
class SinglePassAutoMapMaterial;
class SubMesh;

// What the camera of a pass gives the draws: its view, its projection for the viewport they draw in,
// its place and the direction it looks along (not normalised).
struct CameraView
{
    Matrix4 view;
    Matrix4 projection;
    Vector3 position;
    Vector3 direction;
};

// Draws scenes in one OpenGL context: runs a scene's passes, finds the material each sub-mesh draws
// with, and draws the engine's materials itself, feeding each program what its shaders declare. It
// alone sets OpenGL state inside a pass, through the pass's draw state; after a node or material of a
// program's own, which may set state itself, the pass forgets what it had set.
class Renderer
{
public:
    // `materials` is where sub-meshes find their materials by name; without it they find none.
    Renderer(GraphicsContext& graphics, MaterialManager* materials);
    ~Renderer();
    Renderer(const Renderer&) = delete;
    Renderer& operator=(const Renderer&) = delete;

    // The renderer of the calling thread's engine window; null while there is none.
    static Renderer* current();
    void makeCurrent();

    // The scene's passes into its target (prepared with the scene's prepareFrame()): the main pass,
    // early nodes first and each queue from the farthest to the nearest, then the shadow map of every
    // light that casts shadows.
    void renderMainPass(Scene& scene);
    void renderShadowPasses(Scene& scene);

    // Each sub-mesh with its material; a sub-mesh whose material is not registered draws with the
    // node's fallback material, or is skipped without one. Nothing while the node is invisible.
    void drawMeshNode(Scene& scene, MeshNode& node, RenderTarget* target);
    // True when every sub-mesh's material draws early; a missing material does not.
    bool drawnEarly(MeshNode& node);
    void draw(SinglePassAutoMapMaterial& material, Scene& scene, MeshNode& node, const SubMesh& subMesh,
              const RenderTarget& target);

    // What the draws see through: the camera of the pass (a shadow pass's light, else the scene's
    // active camera), worked out at the first request of each pass, after the first draw has set the
    // pass's viewport; outside a pass, at every request. Null without a camera.
    const CameraView* cameraView(Scene& scene);

    GraphicsContext& getGraphics() { return graphics; }
    GeometryBuffers& getGeometry() { return geometry; }
    // Where a skinned draw's joint matrices go, four texels each.
    BufferTexture& getJointTexture() { return jointTexture; }
    // The matrices of the node's skin (Skin::jointMatrices), worked out once in a pass for the node's
    // sub-meshes drawn one after another; outside a pass at every call.
    const std::vector<float>& jointMatricesOf(MeshNode& node);
    // Puts them into the joint texture, unless it holds them from the node's last draw in this pass.
    void uploadJointsOf(MeshNode& node);
    // The most joints it holds.
    std::size_t getJointLimit() const { return jointLimit; }
    // The one record of this program, made at the first request with the sources' declarations.
    ProgramLocations& locationsOf(unsigned int program, const ShaderVariables& uniforms, const ShaderVariables& inputs);

private:
    void renderNode(Scene& scene, SceneNode& node, RenderTarget* target);
    Material* materialOf(MeshNode& node, std::size_t index, const SubMesh& subMesh);
    Material* materialNamed(const std::string& name, const std::string& fallback);

    GraphicsContext& graphics;
    MaterialManager* materials;
    GeometryBuffers geometry;
    BufferTexture jointTexture;
    std::size_t jointLimit;
    // The node and pass the skin's matrices were last worked out for, and last uploaded for.
    const MeshNode* skinnedNode = nullptr;
    unsigned long long skinnedPass = 0;
    const MeshNode* uploadedNode = nullptr;
    unsigned long long uploadedPass = 0;
    std::unordered_map<unsigned int, std::unique_ptr<ProgramLocations>> programs;
    // By the material's resource id, which no other material ever has.
    std::unordered_map<unsigned int, std::unique_ptr<MaterialDrawing>> drawings;
    // Names of materials not found, reported once each: the lookup runs for every frame and pass.
    std::set<std::string> missingMaterials;
    // A shadow pass's light; null in the main pass and outside the renderer's passes.
    CameraNode* passCamera = nullptr;
    CameraView view;
    // The pass and camera `view` was worked out for.
    unsigned long long viewPass = 0;
    const CameraNode* viewOf = nullptr;
};

}
