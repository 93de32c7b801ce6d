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
const int undeclared = -2;
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
    GLuint vertexShader = loadVertexShader(*this->vertexShaderFile);
    GLuint fragmentShader = loadFragmentShader(*this->fragmentShaderFile);
    linkProgram(vertexShader, fragmentShader);
}

void SinglePassAutoMapMaterial::scan(const File& file, bool readInputs)
{
    std::string fullPath = file.getFullPath();
    LOG(logger->info) << "parse File: " << fullPath << std::endl;
    std::ifstream source(fullPath);
    scanShaderDeclarations(source, readInputs, uniforms, attributes);
}

unsigned int SinglePassAutoMapMaterial::loadVertexShader(const File& file)
{
    return loadShader(file, GL_VERTEX_SHADER, "Vertex-shader compile error:\n\n");
}

unsigned int SinglePassAutoMapMaterial::loadFragmentShader(const File& file)
{
    return loadShader(file, GL_FRAGMENT_SHADER, "Fragment-shader compile error:\n\n");
}

unsigned int SinglePassAutoMapMaterial::loadShader(const File& file, unsigned int type, const char* errorHeading)
{
    std::string path = file.getPath();
    std::string source;
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
    lookUpLocations();
}

int SinglePassAutoMapMaterial::uniformLocation(const std::string& name) const
{
    return linked && uniforms.count(name) > 0 ? glGetUniformLocation(program, name.c_str()) : undeclared;
}

int SinglePassAutoMapMaterial::inputLocation(const std::string& name) const
{
    return linked && attributes.count(name) > 0 ? glGetAttribLocation(program, name.c_str()) : undeclared;
}

void SinglePassAutoMapMaterial::lookUpLocations()
{
    worldLocation = uniformLocation("world");
    viewLocation = uniformLocation("view");
    projLocation = uniformLocation("proj");
    camPosLocation = uniformLocation("camPos");
    camDirLocation = uniformLocation("camDir");
    specularCoefficientLocation = uniformLocation("specularCoefficient");
    lightCountLocation = uniformLocation("lightCount");
    positionLocation = inputLocation("position");
    normalLocation = inputLocation("normal");
    tangentLocation = inputLocation("tangent");
    bitangentLocation = inputLocation("bitangent");
    texturesDeclared = uniforms.count("textures") > 0;
    lightArrayDeclared = uniforms.count("lightArray") > 0;
    shadowMapsDeclared = uniforms.count("shadowMaps") > 0;
}

int SinglePassAutoMapMaterial::elementLocation(std::vector<int>& cache, const char* arrayName, std::size_t index)
{
    while (cache.size() <= index)
        cache.push_back(glGetUniformLocation(program, (std::string(arrayName) + "[" +
                                                       std::to_string(cache.size()) + "]").c_str()));
    return cache[index];
}

int SinglePassAutoMapMaterial::texCoordLocation(std::size_t set)
{
    while (texCoordLocations.size() <= set)
        texCoordLocations.push_back(inputLocation("texCoord_" + std::to_string(texCoordLocations.size())));
    return texCoordLocations[set];
}

const SinglePassAutoMapMaterial::LightLocations& SinglePassAutoMapMaterial::lightLocations(std::size_t index)
{
    while (lightArrayLocations.size() <= index)
    {
        std::string element = "lightArray[" + std::to_string(lightArrayLocations.size()) + "]";
        auto at = [&](const char* member) { return glGetUniformLocation(program, (element + member).c_str()); };
        lightArrayLocations.push_back(LightLocations{
            at(".position"), at(".direction"),
            {at(".vecViewProj_0"), at(".vecViewProj_1"), at(".vecViewProj_2"), at(".vecViewProj_3")},
            at(".color"), at(".diffuseCoefficient"), at(".constAttenuation"), at(".linearAttenuation"),
            at(".quadraticAttenuation"), at(".type"), at(".hotspotAngle"), at(".falloffAngle"),
            at(".shadowType"), at(".shadowDensity")});
    }
    return lightArrayLocations[index];
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
    glUseProgram(program);
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
    mapCamera(scene, node);
    mapVertexArrays(*subMesh);
    int unit = 0;
    mapTextures(unit);
    mapSpecularCoefficient();
    mapLights(scene);
    mapShadowMaps(scene, target, unit);
    lightsDirty = false;
}

void SinglePassAutoMapMaterial::mapCamera(Scene* scene, MeshNode* node)
{
    if (worldLocation != undeclared)
        uploadMatrix(worldLocation, node->getWorldMatrix());
    CameraNode* camera = scene->getActiveCamera();
    if (camera == nullptr)
        return;
    if (viewLocation != undeclared)
        uploadMatrix(viewLocation, camera->getViewMatrix());
    if (projLocation != undeclared)
        uploadMatrix(projLocation, camera->getProjectionMatrix());
    if (camPosLocation != undeclared)
        uploadVector(camPosLocation, camera->getWorldPosition());
    if (camDirLocation != undeclared)
        uploadVector(camDirLocation, camera->getWorldDirection());
}

void SinglePassAutoMapMaterial::mapVertexArrays(const SubMesh& subMesh)
{
    enabledInputs.clear();
    mapVertexArray(positionLocation, subMesh, "position", 3);
    mapVertexArray(normalLocation, subMesh, "normal", 3);
    mapVertexArray(tangentLocation, subMesh, "tangents", 3);
    mapVertexArray(bitangentLocation, subMesh, "bitangents", 3);
    static const std::vector<std::string> texCoordNames = [] {
        std::vector<std::string> names;
        for (int set = 0; set < maxTexCoordSets; ++set)
            names.push_back("texCoord_" + std::to_string(set));
        return names;
    }();
    const float* setCount = subMesh.getAttribute("texCoordCount");
    float sets = setCount != nullptr && std::isfinite(*setCount) ? std::clamp(*setCount, 0.0f, 1.0f * maxTexCoordSets) : 0;
    for (std::size_t set = 0; set < static_cast<std::size_t>(sets); ++set)
        mapVertexArray(texCoordLocation(set), subMesh, texCoordNames[set], 2);
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

void SinglePassAutoMapMaterial::mapTextures(int& unit)
{
    if (!texturesDeclared)
        return;
    RenderEngine* renderEngine = Tavrin::getInstance().getRenderEngine();
    std::size_t declared = static_cast<std::size_t>(std::max(uniforms.at("textures").count, 0));
    std::size_t elements = std::max(textures.size(), declared);
    for (std::size_t element = 0; element < elements; ++element, ++unit)
    {
        Image* image = element < textures.size() ? textures[element] : nullptr;
        unsigned int texture = image != nullptr ? renderEngine->getTexture(image)->getId() : whiteTexture();
        bindToUnit(unit, texture, elementLocation(textureLocations, "textures", element));
    }
}

void SinglePassAutoMapMaterial::mapSpecularCoefficient()
{
    if (specularCoefficientLocation == undeclared)
        return;
    if (float* value = getValue("specularCoefficient"))
        glUniform1f(specularCoefficientLocation, *value);
}

void SinglePassAutoMapMaterial::mapLights(Scene* scene)
{
    if (!lightArrayDeclared)
        return;
    const std::vector<LightNode*>& lights = scene->getLights();
    // A shader's array holds so many lights; reading past it is undefined in GLSL.
    int declared = uniforms.at("lightArray").count;
    std::size_t count = declared > 0 ? std::min(lights.size(), static_cast<std::size_t>(declared)) : lights.size();
    if (lightCountLocation != undeclared)
        glUniform1i(lightCountLocation, static_cast<GLint>(count));
    for (std::size_t index = 0; index < count; ++index)
        if (lights[index]->hasChanged() || lightsDirty)
            uploadLight(*lights[index], lightLocations(index));
}

void SinglePassAutoMapMaterial::uploadLight(LightNode& light, const LightLocations& at)
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

void SinglePassAutoMapMaterial::mapShadowMaps(Scene* scene, RenderTarget* target, int& unit)
{
    const std::vector<LightNode*>& lights = scene->getLights();
    for (std::size_t index = 0; index < lights.size(); ++index)
    {
        if (lights[index]->getShadowType() != 1)
            continue;
        if (shadowMapsDeclared)
        {
            RenderTarget* shadowMap = lights[index]->getShadowMap();
            // The map being drawn into is not read at the same time.
            unsigned int depth = shadowMap == target ? 0 : shadowMap->getDepthTexture();
            bindToUnit(unit, depth, elementLocation(shadowMapLocations, "shadowMaps", index));
        }
        ++unit;
    }
}

}
