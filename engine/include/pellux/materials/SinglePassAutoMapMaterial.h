#pragma once

#include "pellux/foundation/File.h"
#include "pellux/materials/DrawState.h"
#include "pellux/materials/GeometryBuffers.h"
#include "pellux/materials/Material.h"
#include "pellux/materials/MaterialValue.h"
#include "pellux/materials/ProgramLocations.h"
#include "pellux/materials/ShaderDeclarations.h"

#include <map>
#include <set>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace Pellux
{

class Image;
class LightNode;
struct RenderPass;

// A material of one GLSL program that finds out from its sources which engine data it wants:
// it records the uniforms both shaders declare and the vertex inputs of the vertex shader, and
// feeds exactly those names when it draws, all lights in one pass.
class SinglePassAutoMapMaterial : public Material
{
public:
    // Scans, compiles and links at once; needs a current OpenGL context. Problems are logged and
    // leave a material that draws nothing. The geometry shader is kept, never used.
    SinglePassAutoMapMaterial(std::string name, std::shared_ptr<File> vertexShaderFile,
                              std::shared_ptr<File> geometryShaderFile, std::shared_ptr<File> fragmentShaderFile);

    // The n-th image added goes to element n of the sampler array "textures".
    void addTexture(Image* image) { textures.push_back(image); }
    // A parameter: "specularCoefficient" and "unlit" feed the engine's uniforms of those names, any
    // other name a uniform of the shaders' own (as setValue does), "specularExponent" nothing.
    void setFloat(const std::string& name, float value);
    void setInt(const std::string& name, int value) { setFloat(name, static_cast<float>(value)); }
    // The value of a uniform the shaders declare under a name of their own, sent at each of this
    // material's draws; where the material gives none, the uniform gets 0 (a sampler: white), so
    // that no value of another material of the same program shows. A name no shader declares, or a
    // value of another kind than the uniform's, is reported once and not sent.
    void setValue(const std::string& name, const MaterialValue& value);
    // Null, logged at level ERR, when the parameter was never set.
    float* getValue(const std::string& name);

    // A transparent material's surfaces are drawn after every opaque one, far to near, without
    // writing depth, and leave the target's alpha opaque where something opaque lies behind.
    void setTransparent(bool isTransparent)
    {
        transparent = isTransparent;
        drawnEarly = !isTransparent;
    }
    bool isTransparent() const { return transparent; }

    unsigned int getProgram() const { return program; }
    // The program depth maps are drawn with: the vertex shader and an empty fragment shader, or the
    // material's own program where the shaders' effect on depth needs it.
    unsigned int getDepthProgram() const { return depthOnly ? depthOnly->getProgram() : program; }
    bool isLinked() const { return linked; }
    const ShaderVariables& getUniforms() const { return uniforms; }
    const ShaderVariables& getAttributes() const { return attributes; }
    const std::vector<Image*>& getTextures() const { return textures; }
    std::shared_ptr<File> getVertexShaderFile() const { return vertexShaderFile; }
    std::shared_ptr<File> getFragmentShaderFile() const { return fragmentShaderFile; }

    // Draws in the scene's current pass; nothing for a program that did not link or a sub-mesh that
    // is empty or not drawable. Every value the shaders take is sent from this material and the
    // scene, whatever another material of the same program sent before.
    void draw(Scene* scene, MeshNode* node, SubMesh* subMesh, RenderTarget* target) override;
    void drawNode(Scene* scene, MeshNode* node, RenderTarget* target) override;
    // A subclass may set state in a draw of its own, so only this class answers yes.
    bool setsStateOnlyThroughDrawState() const override;

private:
    struct Scanned
    {
        ShaderVariables uniforms;
        ShaderVariables inputs;
    };

    Scanned scan(const File& file, bool readInputs);
    void limitArrayLengths(ShaderVariables& declared, const std::string& path, int otherUniformLimit);
    void build();
    void buildDepthProgram(unsigned int vertexShader, const std::string& vertexSource,
                           const std::string& fragmentSource);

    // The OpenGL state of one draw, textures included; the depth-only program samples nothing.
    void planState(ProgramLocations& at, Scene* scene, const RenderPass& pass, const RenderTarget& target);
    void planTextures(ProgramLocations& at);
    void planShadowMaps(ProgramLocations& at, Scene* scene, const RenderPass& pass);
    void planOpenTextures(ProgramLocations& at);
    void addSampler(unsigned int texture, int location);

    // The vertex array object that feeds the program's inputs from the sub-mesh.
    GeometryBuffers::VertexArray vertexArrayFor(ProgramLocations& at, const SubMesh& subMesh);
    // Feeds every declared engine name to the program in use: matrices, camera, samplers, parameters
    // and lights. Light members go only where the program does not hold the light as it is now, or
    // to every light while `lightsDirty` is set.
    void mapUniforms(ProgramLocations& at, Scene* scene, MeshNode* node);
    void mapCamera(ProgramLocations& at, Scene* scene, MeshNode* node);
    void mapSkin(ProgramLocations& at, MeshNode& node);
    void mapVertexArrays(ProgramLocations& at, const SubMesh& subMesh);
    void mapVertexArray(int location, const SubMesh& subMesh, const std::string& arrayName, int components);
    void mapSpecularCoefficient(ProgramLocations& at);
    void mapUnlit(ProgramLocations& at);
    void mapAmbientLight(ProgramLocations& at, const Scene& scene);
    void mapLights(ProgramLocations& at, Scene* scene);
    void mapOpenValues(ProgramLocations& at);
    // The material's value for each of the program's open uniforms, null where it gives none or one
    // of another kind; worked out again when the material's values changed.
    const std::vector<const MaterialValue*>& openValuesFor(const ProgramLocations& at);
    bool firstReportOf(const std::string& name);
    void uploadLight(LightNode& light, const ProgramLocations::Light& at);

    std::shared_ptr<File> vertexShaderFile;
    std::shared_ptr<File> geometryShaderFile;
    std::shared_ptr<File> fragmentShaderFile;
    ShaderVariables uniforms;
    ShaderVariables attributes;
    // The vertex shader's own uniforms: all that the depth-only program has.
    ShaderVariables vertexUniforms;
    unsigned int program = 0;
    bool linked = false;
    bool transparent = false;
    std::vector<Image*> textures;
    std::map<std::string, float> values;
    std::map<std::string, MaterialValue> openValues;
    unsigned long long openValuesRevision = 0;
    struct ResolvedValues
    {
        const ProgramLocations* at = nullptr;
        unsigned long long revision = ~0ull;
        std::vector<const MaterialValue*> values;
    };
    // For the shading program and the depth-only one.
    ResolvedValues resolvedShading;
    ResolvedValues resolvedDepth;
    std::set<std::string> reportedValues;
    // A parameter every draw reads, looked up by name only until it is found, and while missing only
    // after a value was added.
    struct DrawnParameter
    {
        std::string name;
        const float* value = nullptr;
        std::size_t valuesWhenLooked = static_cast<std::size_t>(-1);
    };
    const float* valueOf(DrawnParameter& parameter);
    DrawnParameter specularCoefficient{"specularCoefficient"};
    DrawnParameter unlit{"unlit"};

    ProgramLocations* shading = nullptr;
    ProgramLocations* depthOnly = nullptr;
    DrawState state;
    // Sampler locations with the units the draw's textures are on.
    std::vector<std::pair<int, int>> samplers;
};

}
