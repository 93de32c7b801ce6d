#include "pellux/materials/SinglePassAutoMapMaterial.h"

#include "pellux/core/RenderEngine.h"
#include "pellux/core/ShaderCompiler.h"
#include "pellux/core/Tavrin.h"
#include "pellux/foundation/Logger.h"
#include "pellux/materials/GeometryBuffers.h"
#include "pellux/materials/RenderTarget.h"
#include "pellux/materials/Texture.h"
#include "pellux/resources/Mesh.h"
#include "pellux/resources/SubMesh.h"
#include "pellux/scene/CameraNode.h"
#include "pellux/scene/LightNode.h"
#include "pellux/scene/MeshNode.h"
#include "pellux/scene/Scene.h"

#include <GL/glew.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <iostream>

namespace Pellux
{

namespace
{
const int undeclared = ProgramLocations::undeclared;
// More texture-coordinate sets than any sub-mesh sensibly has; bounds a damaged count.
const int maxTexCoordSets = 32;

std::shared_ptr<File> orNamelessFile(std::shared_ptr<File> file)
{
    return file ? file : std::make_shared<File>("");
}

int maxTextureUnits()
{
    static GLint units = [] {
        GLint count = 0;
        glGetIntegerv(GL_MAX_COMBINED_TEXTURE_IMAGE_UNITS, &count);
        return count;
    }();
    return units;
}

// What a sampler reads where the material has no image: white, so the picture shows the lighting alone.
unsigned int whiteTexture()
{
    static Texture* white = [] {
        const unsigned char pixel[4] = {255, 255, 255, 255};
        return new Texture(1, 1, pixel);
    }();
    return white->getId();
}

GLenum drawingMode(int primitive)
{
    switch (primitive)
    {
    case 1: return GL_LINES;
    case 2: return GL_POINTS;
    default: return GL_TRIANGLES;
    }
}

void uploadMatrix(int location, const Matrix4& matrix)
{
    glUniformMatrix4fv(location, 1, GL_TRUE, matrix.data());
}

void uploadVector(int location, const Vector3& vector)
{
    glUniform3f(location, vector.x, vector.y, vector.z);
}

// What an empty fragment shader would change: discarded fragments, written depths, and a vertex
// shader that reads textures.
bool depthDependsOnShading(const std::string& vertexSource, const std::string& fragmentSource)
{
    return fragmentSource.find("discard") != std::string::npos ||
           fragmentSource.find("gl_FragDepth") != std::string::npos ||
           vertexSource.find("sampler") != std::string::npos;
}

const char* const emptyFragmentShader = "#version 150\nout vec4 fragColor;\nvoid main() { fragColor = vec4(1.0); }\n";
}

SinglePassAutoMapMaterial::SinglePassAutoMapMaterial(std::string name, std::shared_ptr<File> vertexShaderFile,
                                                     std::shared_ptr<File> geometryShaderFile,
                                                     std::shared_ptr<File> fragmentShaderFile)
    : Material(std::move(name)),
      vertexShaderFile(orNamelessFile(std::move(vertexShaderFile))),
      geometryShaderFile(std::move(geometryShaderFile)),
      fragmentShaderFile(orNamelessFile(std::move(fragmentShaderFile)))
{
    if (!this->vertexShaderFile->exists())
        LOG(logger->err) << "Datei existiert nicht: " << this->vertexShaderFile->getPath() << std::endl;
    scan(*this->vertexShaderFile, true);
    scan(*this->fragmentShaderFile, false);
    LOG(logger->info) << "create shader" << std::endl;
    std::string vertexSource;
    std::string fragmentSource;
    GLuint vertexShader = loadShader(*this->vertexShaderFile, GL_VERTEX_SHADER, "Vertex-shader compile error:\n\n",
                                     vertexSource);
    GLuint fragmentShader = loadShader(*this->fragmentShaderFile, GL_FRAGMENT_SHADER,
                                       "Fragment-shader compile error:\n\n", fragmentSource);
    linkProgram(vertexShader, fragmentShader);
    if (linked)
        linkDepthProgram(vertexShader, vertexSource, fragmentSource);
}

void SinglePassAutoMapMaterial::scan(const File& file, bool readInputs)
{
    std::string fullPath = file.getFullPath();
    LOG(logger->info) << "parse File: " << fullPath << std::endl;
    std::ifstream source(fullPath);
    scanShaderDeclarations(source, readInputs, uniforms, attributes);
}

unsigned int SinglePassAutoMapMaterial::loadShader(const File& file, unsigned int type, const char* errorHeading,
                                                   std::string& source)
{
    std::string path = file.getPath();
    if (!ShaderCompiler::readSource(path, source))
    {
        std::cerr << "Error: file could not be opened: " << path << std::endl;
        return 0;
    }
    std::string infoLog;
    GLuint shader = ShaderCompiler::compile(type, source, infoLog);
    if (shader != 0)
    {
        LOG(logger->info) << "finished loading shader: " << path << std::endl;
        return shader;
    }
    LOG(logger->err) << errorHeading << infoLog << std::endl;
    LOG(logger->err) << "failed to load shader: " << path << std::endl;
    return 0;
}

void SinglePassAutoMapMaterial::linkProgram(unsigned int vertexShader, unsigned int fragmentShader)
{
    std::string infoLog;
    program = ShaderCompiler::link(vertexShader, fragmentShader, linked, infoLog);
    if (linked)
        LOG(logger->info) << "Shader-program linked successfully." << std::endl;
    else
        LOG(logger->err) << "Shader-program link error: " << infoLog << std::endl;
    if (linked)
        shading = std::make_unique<ProgramLocations>(program, uniforms, attributes);
}

void SinglePassAutoMapMaterial::linkDepthProgram(unsigned int vertexShader, const std::string& vertexSource,
                                                 const std::string& fragmentSource)
{
    if (depthDependsOnShading(vertexSource, fragmentSource))
        return;
    std::string infoLog;
    GLuint emptyShader = ShaderCompiler::compile(GL_FRAGMENT_SHADER, emptyFragmentShader, infoLog);
    bool depthLinked = false;
    GLuint depthProgram = ShaderCompiler::link(vertexShader, emptyShader, depthLinked, infoLog);
    if (depthLinked)
        depthOnly = std::make_unique<ProgramLocations>(depthProgram, uniforms, attributes);
}

ProgramLocations& SinglePassAutoMapMaterial::locationsFor(const RenderTarget& target)
{
    return target.isDepthMap() && depthOnly ? *depthOnly : *shading;
}

float* SinglePassAutoMapMaterial::getValue(const std::string& name)
{
    auto found = values.find(name);
    if (found != values.end())
        return &found->second;
    LOG(logger->err) << "value ist NULL: " << name << std::endl;
    return nullptr;
}

void SinglePassAutoMapMaterial::draw(Scene* scene, MeshNode* node, SubMesh* subMesh, RenderTarget* target)
{
    if (!linked || subMesh->getIndices().empty() || !subMesh->isDrawable())
        return;
    // Depth maps take the offset so that surfaces do not shadow themselves.
    if (target->isDepthMap())
    {
        glEnable(GL_POLYGON_OFFSET_FILL);
        glPolygonOffset(1.1f, 4.0f);
    }
    else
    {
        glDisable(GL_POLYGON_OFFSET_FILL);
        glPolygonOffset(0.0f, 0.0f);
    }
    glBindFramebuffer(GL_FRAMEBUFFER, target->getFramebuffer());
    std::shared_ptr<Rectangle> size = target->getSize();
    glViewport(0, 0, std::max(static_cast<int>(size->width), 0), std::max(static_cast<int>(size->height), 0));
    glUseProgram(locationsFor(*target).getProgram());
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_CULL_FACE);

    GeometryBuffers& buffers = GeometryBuffers::get();
    glBindVertexArray(buffers.vertexArray());
    mapUniforms(scene, node, subMesh, target);
    buffers.indexBuffer(*subMesh);
    glLineWidth(10.0f);
    glPointSize(10.0f);
    glDrawElements(drawingMode(subMesh->getPrimitive()), static_cast<GLsizei>(subMesh->getIndices().size()),
                   GL_UNSIGNED_INT, nullptr);
    for (unsigned int input : enabledInputs)
        glDisableVertexAttribArray(input);
    glBindVertexArray(0);
    glUseProgram(0);
}

void SinglePassAutoMapMaterial::drawNode(Scene* scene, MeshNode* node, RenderTarget* target)
{
    if (node->getMesh() == nullptr)
        return;
    for (SubMesh* subMesh : node->getMesh()->getSubMeshes())
        draw(scene, node, subMesh, target);
}

void SinglePassAutoMapMaterial::mapUniforms(Scene* scene, MeshNode* node, SubMesh* subMesh, RenderTarget* target)
{
    ProgramLocations& at = locationsFor(*target);
    mapCamera(at, scene, node);
    mapVertexArrays(at, *subMesh);
    if (&at == shading.get())
    {
        int unit = 0;
        mapTextures(at, unit);
        mapSpecularCoefficient(at);
        mapLights(at, scene);
        mapShadowMaps(at, scene, target, unit);
        lightsDirty = false;
    }
    else
    {
        mapLights(at, scene);
    }
    at.hasDrawn = true;
}

void SinglePassAutoMapMaterial::mapCamera(ProgramLocations& at, Scene* scene, MeshNode* node)
{
    if (at.world != undeclared)
        uploadMatrix(at.world, node->getWorldMatrix());
    CameraNode* camera = scene->getActiveCamera();
    if (camera == nullptr)
        return;
    if (at.view != undeclared)
        uploadMatrix(at.view, camera->getViewMatrix());
    if (at.proj != undeclared)
        uploadMatrix(at.proj, camera->getProjectionMatrix());
    if (at.camPos != undeclared)
        uploadVector(at.camPos, camera->getWorldPosition());
    if (at.camDir != undeclared)
        uploadVector(at.camDir, camera->getWorldDirection());
}

void SinglePassAutoMapMaterial::mapVertexArrays(ProgramLocations& at, const SubMesh& subMesh)
{
    static const std::vector<std::string> texCoordNames = [] {
        std::vector<std::string> names;
        for (int set = 0; set < maxTexCoordSets; ++set)
            names.push_back("texCoord_" + std::to_string(set));
        return names;
    }();
    enabledInputs.clear();
    mapVertexArray(at.position, subMesh, "position", 3);
    mapVertexArray(at.normal, subMesh, "normal", 3);
    mapVertexArray(at.tangent, subMesh, "tangents", 3);
    mapVertexArray(at.bitangent, subMesh, "bitangents", 3);
    const float* setCount = subMesh.getAttribute("texCoordCount");
    float sets = setCount != nullptr && std::isfinite(*setCount) ? std::clamp(*setCount, 0.0f, 1.0f * maxTexCoordSets) : 0;
    for (std::size_t set = 0; set < static_cast<std::size_t>(sets); ++set)
        mapVertexArray(at.texCoord(set), subMesh, texCoordNames[set], 2);
}

void SinglePassAutoMapMaterial::mapVertexArray(int location, const SubMesh& subMesh, const std::string& arrayName,
                                               int components)
{
    if (location < 0)
        return;
    auto attribute = subMesh.getAttributes().find(arrayName);
    if (attribute == subMesh.getAttributes().end() || attribute->second.components != components)
        return;
    glBindBuffer(GL_ARRAY_BUFFER, GeometryBuffers::get().arrayBuffer(attribute->second));
    GLuint input = static_cast<GLuint>(location);
    glEnableVertexAttribArray(input);
    glVertexAttribPointer(input, components, GL_FLOAT, GL_FALSE, 0, nullptr);
    enabledInputs.push_back(input);
}

void SinglePassAutoMapMaterial::bindToUnit(int unit, unsigned int texture, int location)
{
    if (unit >= maxTextureUnits())
        return;
    glActiveTexture(GL_TEXTURE0 + static_cast<GLenum>(unit));
    glBindTexture(GL_TEXTURE_2D, texture);
    glUniform1i(location, unit);
}

void SinglePassAutoMapMaterial::mapTextures(ProgramLocations& at, int& unit)
{
    if (!at.texturesDeclared)
        return;
    RenderEngine* renderEngine = Tavrin::getInstance().getRenderEngine();
    std::size_t elements = std::max(textures.size(), static_cast<std::size_t>(std::max(at.declaredTextures, 0)));
    for (std::size_t element = 0; element < elements; ++element, ++unit)
    {
        Image* image = element < textures.size() ? textures[element] : nullptr;
        unsigned int texture = image != nullptr ? renderEngine->getTexture(image)->getId() : whiteTexture();
        bindToUnit(unit, texture, at.texture(element));
    }
}

void SinglePassAutoMapMaterial::mapSpecularCoefficient(ProgramLocations& at)
{
    if (at.specularCoefficient == undeclared)
        return;
    if (float* value = getValue("specularCoefficient"))
        glUniform1f(at.specularCoefficient, *value);
}

void SinglePassAutoMapMaterial::mapLights(ProgramLocations& at, Scene* scene)
{
    if (!at.lightArrayDeclared)
        return;
    const std::vector<LightNode*>& lights = scene->getLights();
    // A shader's array holds so many lights; reading past it is undefined in GLSL.
    std::size_t count = at.declaredLights > 0 ? std::min(lights.size(), static_cast<std::size_t>(at.declaredLights))
                                              : lights.size();
    if (at.lightCount != undeclared)
        glUniform1i(at.lightCount, static_cast<GLint>(count));
    bool sendAll = lightsDirty || !at.hasDrawn;
    for (std::size_t index = 0; index < count; ++index)
        if (sendAll || lights[index]->hasChanged())
            uploadLight(*lights[index], at.light(index));
}

void SinglePassAutoMapMaterial::uploadLight(LightNode& light, const ProgramLocations::Light& at)
{
    uploadVector(at.position, light.getWorldPosition());
    uploadVector(at.direction, light.getWorldDirection());
    Matrix4 viewProjection = light.getProjectionMatrix() * light.getViewMatrix();
    for (int row = 0; row < 4; ++row)
        glUniform4f(at.viewProjection[row], viewProjection(row, 0), viewProjection(row, 1), viewProjection(row, 2),
                    viewProjection(row, 3));
    std::shared_ptr<Vector4> color = light.getColor();
    if (color)
        glUniform4f(at.color, color->x, color->y, color->z, color->w);
    glUniform1f(at.diffuseCoefficient, light.getDiffuseCoefficient());
    glUniform1f(at.constAttenuation, light.getConstAttenuation());
    glUniform1f(at.linearAttenuation, light.getLinearAttenuation());
    glUniform1f(at.quadraticAttenuation, light.getQuadraticAttenuation());
    glUniform1i(at.type, light.getLightType());
    glUniform1f(at.hotspotAngle, light.getHotspotAngle());
    glUniform1f(at.falloffAngle, light.getFalloffAngle());
    glUniform1i(at.shadowType, light.getShadowType());
    glUniform1f(at.shadowDensity, light.getShadowDensity());
}

void SinglePassAutoMapMaterial::mapShadowMaps(ProgramLocations& at, Scene* scene, RenderTarget* target, int& unit)
{
    const std::vector<LightNode*>& lights = scene->getLights();
    for (std::size_t index = 0; index < lights.size(); ++index)
    {
        if (lights[index]->getShadowType() != 1)
            continue;
        if (at.shadowMapsDeclared)
        {
            RenderTarget* shadowMap = lights[index]->getShadowMap();
            // The map being drawn into is not read at the same time.
            unsigned int depth = shadowMap == target ? 0 : shadowMap->getDepthTexture();
            bindToUnit(unit, depth, at.shadowMap(index));
        }
        ++unit;
    }
}

}
