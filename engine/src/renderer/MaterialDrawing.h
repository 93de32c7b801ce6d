#pragma once

#include "graphics/DrawState.h"
#include "pellux/resources/VertexLayout.h"
#include "pellux/scene/Matrix4.h"
#include "renderer/GeometryBuffers.h"
#include "renderer/ProgramLocations.h"

#include <array>
#include <cstddef>
#include <string>
#include <utility>
#include <vector>

namespace Pellux
{

class LightNode;
class MeshNode;
class Renderer;
class RenderTarget;
class Scene;
class SinglePassAutoMapMaterial;
class SubMesh;
struct RenderPass;

// How the renderer draws with one engine material: the OpenGL state of each draw, planned as a whole,
// and every value the material's programs declare, fed from the material, the node, the pass's camera
// and the scene's lights. Kept from draw to draw, so that a draw builds no strings and allocates
// nothing once the material has drawn.
class MaterialDrawing
{
public:
    MaterialDrawing(Renderer& renderer, SinglePassAutoMapMaterial& material);

    // Nothing for a program that did not link, a sub-mesh that is empty or not drawable, or a
    // material that casts no shadow in a shadow pass. Every value the shaders take is sent from this
    // material and the scene, whatever another material of the same program sent before.
    void draw(Scene& scene, MeshNode& node, const SubMesh& subMesh, const RenderTarget& target);

private:
    // The OpenGL state of one draw, textures included; the depth-only program samples nothing.
    void planState(ProgramLocations& at, Scene& scene, const RenderPass& pass, const RenderTarget& target);
    void planTextures(ProgramLocations& at);
    void planShadowMaps(ProgramLocations& at, Scene& scene, const RenderPass& pass);
    void planOpenTextures(ProgramLocations& at);
    void addSampler(unsigned int texture, int location);
    void addBufferSampler(unsigned int texture, int location);
    void planSkinning(ProgramLocations& at, MeshNode& node);
    std::size_t jointsHeld(const ProgramLocations& at) const;
    Matrix4 firstJointMatrix() const;
    void planMorphing(ProgramLocations& at, const MeshNode& node, const SubMesh& subMesh);
    void chooseMorphs(const ProgramLocations& at, const std::vector<float>& weights, std::size_t targets);

    // The vertex array object that feeds the program's inputs from the sub-mesh.
    GeometryBuffers::VertexArray vertexArrayFor(ProgramLocations& at, const SubMesh& subMesh);
    void mapVertexArrays(ProgramLocations& at, const SubMesh& subMesh);
    void mapVertexArray(int location, const SubMesh& subMesh, VertexSemantic semantic, int set = 0);

    // Feeds every declared engine name to the program in use: matrices, camera, samplers, parameters
    // and lights. Light members go only where the program does not hold the light as it is now, or to
    // every light while the material's `lightsDirty` is set.
    void mapUniforms(ProgramLocations& at, Scene& scene, const SubMesh& subMesh);
    void mapCamera(ProgramLocations& at, Scene& scene);
    void mapSkin(ProgramLocations& at);
    void mapMorphs(ProgramLocations& at, const SubMesh& subMesh);
    void mapSpecularCoefficient(ProgramLocations& at);
    void mapUnlit(ProgramLocations& at);
    void mapAmbientLight(ProgramLocations& at, const Scene& scene);
    void mapLights(ProgramLocations& at, Scene& scene);
    void mapOpenValues(ProgramLocations& at);
    void uploadLight(LightNode& light, const ProgramLocations::Light& at);

    // The material's value for each of the program's open uniforms, null where it gives none or one
    // of another kind; worked out again when the material's values changed.
    const std::vector<const MaterialValue*>& openValuesFor(const ProgramLocations& at);

    // A parameter every draw reads, looked up by name only until it is found, and while missing only
    // after a value was added.
    struct DrawnParameter
    {
        std::string name;
        const float* value = nullptr;
        std::size_t valuesWhenLooked = static_cast<std::size_t>(-1);
    };
    const float* valueOf(DrawnParameter& parameter);

    struct ResolvedValues
    {
        const ProgramLocations* at = nullptr;
        unsigned long long revision = ~0ull;
        std::vector<const MaterialValue*> values;
    };

    Renderer& renderer;
    SinglePassAutoMapMaterial& material;
    ProgramLocations* shading = nullptr;
    ProgramLocations* depthOnly = nullptr;
    // For the shading program and the depth-only one.
    ResolvedValues resolvedShading;
    ResolvedValues resolvedDepth;
    DrawnParameter specularCoefficient{"specularCoefficient"};
    DrawnParameter unlit{"unlit"};
    DrawState state;
    // The drawn node's world matrix, worked out once for the draw.
    Matrix4 world;
    // Sampler locations with the units the draw's textures are on.
    std::vector<std::pair<int, int>> samplers;
    // Where the draw's joint matrices go, and how many count.
    enum class Skinning
    {
        None,
        Texture,
        Uniforms
    };
    Skinning skinning = Skinning::None;
    int skinnedJoints = 0;
    // The skin's matrices for the draw, row by row, while skinnedJoints is not 0.
    const std::vector<float>* jointMatrices = nullptr;
    // The morph targets the draw shows, the largest weights first.
    std::array<int, 16> morphIndices{};
    std::array<float, 16> morphWeights{};
    int shownMorphs = 0;
};

}
