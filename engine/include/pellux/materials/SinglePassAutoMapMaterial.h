#pragma once

#include "pellux/foundation/File.h"
#include "pellux/materials/Material.h"
#include "pellux/materials/MaterialValue.h"
#include "pellux/materials/ShaderDeclarations.h"

#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace Pellux
{

class Image;

// A material of one GLSL program that finds out from its sources which engine data it wants: it
// records the uniforms both shaders declare and the vertex inputs of the vertex shader, and the
// renderer feeds exactly those names when it draws with it, all lights in one pass. The material
// holds its programs (the shading one and the depth-only one), its parameters and its fixed state.
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
    // A double-sided material's back faces are drawn too, not culled.
    void setDoubleSided(bool isDoubleSided) { doubleSided = isDoubleSided; }
    bool isDoubleSided() const { return doubleSided; }

    unsigned int getProgram() const { return program; }
    // The program depth maps are drawn with: the vertex shader and an empty fragment shader, or the
    // material's own program where the shaders' effect on depth needs it.
    unsigned int getDepthProgram() const { return depthOnly != 0 ? depthOnly : program; }
    bool hasDepthOnlyProgram() const { return depthOnly != 0; }
    // Depth maps are drawn with the depth-only program although the fragment shader discards: for a
    // material whose values never let it discard (a glTF material that is not masked). Before the
    // material first draws.
    void drawDepthWithoutShading();
    bool isLinked() const { return linked; }
    const ShaderVariables& getUniforms() const { return uniforms; }
    const ShaderVariables& getAttributes() const { return attributes; }
    // The vertex shader's own uniforms: all that the depth-only program has.
    const ShaderVariables& getVertexUniforms() const { return vertexUniforms; }
    const std::map<std::string, float>& getValues() const { return values; }
    const std::map<std::string, MaterialValue>& getOpenValues() const { return openValues; }
    // Changes whenever a value of the shaders' own is set.
    unsigned long long getOpenValuesRevision() const { return openValuesRevision; }
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
    void build();
    void buildDepthProgram(unsigned int vertexShader, const std::string& vertexSource,
                           const std::string& fragmentSource);
    bool firstReportOf(const std::string& name);

    std::shared_ptr<File> vertexShaderFile;
    std::shared_ptr<File> geometryShaderFile;
    std::shared_ptr<File> fragmentShaderFile;
    ShaderVariables uniforms;
    ShaderVariables attributes;
    ShaderVariables vertexUniforms;
    unsigned int program = 0;
    unsigned int vertexShader = 0;
    // 0 where the shading program draws depth maps too.
    unsigned int depthOnly = 0;
    bool linked = false;
    bool transparent = false;
    bool doubleSided = false;
    std::vector<Image*> textures;
    std::map<std::string, float> values;
    std::map<std::string, MaterialValue> openValues;
    unsigned long long openValuesRevision = 0;
    std::set<std::string> reportedValues;
};

}
