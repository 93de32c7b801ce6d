#pragma once

#include "pellux/foundation/File.h"
#include "pellux/materials/Material.h"
#include "pellux/materials/ShaderDeclarations.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace Pellux
{

class Image;
class LightNode;

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
    void setFloat(const std::string& name, float value) { values[name] = value; }
    void setInt(const std::string& name, int value) { setFloat(name, static_cast<float>(value)); }
    // Null, logged at level ERR, when the parameter was never set.
    float* getValue(const std::string& name);

    unsigned int getProgram() const { return program; }
    bool isLinked() const { return linked; }
    const ShaderVariables& getUniforms() const { return uniforms; }
    const ShaderVariables& getAttributes() const { return attributes; }
    const std::vector<Image*>& getTextures() const { return textures; }

    // Draws nothing for a program that did not link or a sub-mesh that is empty or not drawable.
    void draw(Scene* scene, MeshNode* node, SubMesh* subMesh, RenderTarget* target) override;
    void drawNode(Scene* scene, MeshNode* node, RenderTarget* target) override;
    // Feeds every declared engine name: matrices, camera, vertex arrays, textures, parameters,
    // lights and shadow maps. Light members go only for lights that changed, or all of them
    // while `lightsDirty` is set.
    void mapUniforms(Scene* scene, MeshNode* node, SubMesh* subMesh, RenderTarget* target);

private:
    // The uniform locations of one element of "lightArray".
    struct LightLocations
    {
        int position, direction, viewProjection[4], color, diffuseCoefficient, constAttenuation,
            linearAttenuation, quadraticAttenuation, type, hotspotAngle, falloffAngle, shadowType, shadowDensity;
    };

    void lookUpLocations();
    int uniformLocation(const std::string& name) const;
    int inputLocation(const std::string& name) const;
    const LightLocations& lightLocations(std::size_t index);
    int elementLocation(std::vector<int>& cache, const char* arrayName, std::size_t index);
    int texCoordLocation(std::size_t set);

    void mapCamera(Scene* scene, MeshNode* node);
    void mapVertexArrays(const SubMesh& subMesh);
    void mapVertexArray(int location, const SubMesh& subMesh, const std::string& arrayName, int components);
    void mapTextures(int& unit);
    void mapSpecularCoefficient();
    void mapLights(Scene* scene);
    void uploadLight(LightNode& light, const LightLocations& at);
    void mapShadowMaps(Scene* scene, RenderTarget* target, int& unit);
    void bindToUnit(int unit, unsigned int texture, int location);

    void scan(const File& file, bool readInputs);
    unsigned int loadVertexShader(const File& file);
    unsigned int loadFragmentShader(const File& file);
    unsigned int loadShader(const File& file, unsigned int type, const char* errorHeading);
    void linkProgram(unsigned int vertexShader, unsigned int fragmentShader);

    std::shared_ptr<File> vertexShaderFile;
    std::shared_ptr<File> geometryShaderFile;
    std::shared_ptr<File> fragmentShaderFile;
    ShaderVariables uniforms;
    ShaderVariables attributes;
    unsigned int program = 0;
    bool linked = false;
    std::vector<Image*> textures;
    std::map<std::string, float> values;

    // Looked up once after linking; "undeclared" for names the sources do not declare.
    int worldLocation, viewLocation, projLocation, camPosLocation, camDirLocation;
    int specularCoefficientLocation, lightCountLocation;
    int positionLocation, normalLocation, tangentLocation, bitangentLocation;
    bool texturesDeclared = false;
    bool lightArrayDeclared = false;
    bool shadowMapsDeclared = false;
    std::vector<int> textureLocations;
    std::vector<int> shadowMapLocations;
    std::vector<int> texCoordLocations;
    std::vector<LightLocations> lightArrayLocations;
    std::vector<unsigned int> enabledInputs;
};

}
