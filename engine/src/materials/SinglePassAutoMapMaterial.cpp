#include "pellux/materials/SinglePassAutoMapMaterial.h"

#include "pellux/core/RenderEngine.h"
#include "pellux/core/ShaderCompiler.h"
#include "pellux/core/Tavrin.h"
#include "pellux/foundation/FileChecks.h"
#include "pellux/foundation/Logger.h"
#include "pellux/materials/GeometryBuffers.h"
#include "pellux/materials/RenderTarget.h"
#include "pellux/materials/Texture.h"
#include "pellux/resources/Mesh.h"
#include "pellux/resources/SubMesh.h"
#include "pellux/scene/CameraNode.h"
#include "pellux/scene/LightNode.h"
#include "pellux/scene/MeshNode.h"
#include "pellux/scene/RenderPass.h"
#include "pellux/scene/Scene.h"
#include "pellux/scene/Skin.h"

#include <GL/glew.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <iostream>
#include <typeinfo>

namespace Pellux
{

namespace
{
const int undeclared = ProgramLocations::undeclared;
// More texture-coordinate sets than any sub-mesh sensibly has; bounds a damaged count.
const int maxTexCoordSets = 32;

// The material's voice: compile and link outcomes through the logger.
class MaterialShaderReports : public ShaderReports
{
public:
    void cannotOpen(ShaderStage, const std::string& path) override
    {
        std::cerr << "Error: file could not be opened: " << path << std::endl;
    }

    void compiled(const std::string& path) override
    {
        LOG(log.info) << "finished loading shader: " << path << std::endl;
    }

    void compileFailed(ShaderStage stage, const std::string& infoLog, const std::string& path) override
    {
        LOG(log.err) << (stage == ShaderStage::Vertex ? "Vertex" : "Fragment") << "-shader compile error:\n\n"
                     << infoLog << std::endl;
        LOG(log.err) << "failed to load shader: " << path << std::endl;
    }

    void linked() override { LOG(log.info) << "Shader-program linked successfully." << std::endl; }

    void linkFailed(const std::string& infoLog) override
    {
        LOG(log.err) << "Shader-program link error: " << infoLog << std::endl;
    }

private:
    Logger& log = Logger::getInstance();
};

std::shared_ptr<File> orNamelessFile(std::shared_ptr<File> file)
{
    return file ? file : std::make_shared<File>("");
}

int uniformComponents(GLenum stageLimit)
{
    GLint components = 0;
    glGetIntegerv(stageLimit, &components);
    return components;
}

bool isSampler(const ShaderVariable& variable)
{
    return variable.type.find("sampler") != std::string::npos;
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

// A parameter the engine keeps without a uniform.
const char* const keptParameter = "specularExponent";

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
    Scanned vertex = scan(*this->vertexShaderFile, true);
    Scanned fragment = scan(*this->fragmentShaderFile, false);
    vertexUniforms = vertex.uniforms;
    uniforms = std::move(vertex.uniforms);
    attributes = std::move(vertex.inputs);
    // A uniform both shaders declare keeps the fragment shader's record.
    for (auto& [uniformName, variable] : fragment.uniforms)
        uniforms[uniformName] = std::move(variable);
    build();
}

SinglePassAutoMapMaterial::Scanned SinglePassAutoMapMaterial::scan(const File& file, bool readInputs)
{
    std::string fullPath = file.getFullPath();
    LOG(logger->info) << "parse File: " << fullPath << std::endl;
    Scanned scanned;
    // The compiler reports a file it cannot read.
    if (!unreadableFileReason(fullPath).empty())
        return scanned;
    std::ifstream source(fullPath);
    scanShaderDeclarations(source, readInputs, scanned.uniforms, scanned.inputs);
    limitArrayLengths(scanned.uniforms, fullPath,
                      uniformComponents(readInputs ? GL_MAX_VERTEX_UNIFORM_COMPONENTS : GL_MAX_FRAGMENT_UNIFORM_COMPONENTS));
    return scanned;
}

// The draw walks every element of the arrays it feeds, so a length no program can have would make
// it walk for ever.
void SinglePassAutoMapMaterial::limitArrayLengths(ShaderVariables& declared, const std::string& path,
                                                  int otherUniformLimit)
{
    for (auto& [uniformName, variable] : declared)
    {
        int limit = isSampler(variable) ? DrawState::textureUnits() : otherUniformLimit;
        if (variable.count <= limit)
            continue;
        LOG(logger->err) << "shader " << path << ": uniform '" << uniformName << "' declares "
                         << std::to_string(variable.count) << " elements, more than OpenGL holds; "
                         << std::to_string(limit) << " are used" << std::endl;
        variable.count = limit;
    }
}

void SinglePassAutoMapMaterial::build()
{
    LOG(logger->info) << "create shader" << std::endl;
    MaterialShaderReports reports;
    std::string vertexSource;
    std::string fragmentSource;
    GLuint vertexShader = ShaderCompiler::load(vertexShaderFile->getPath(), ShaderStage::Vertex, reports, &vertexSource);
    GLuint fragmentShader =
        ShaderCompiler::load(fragmentShaderFile->getPath(), ShaderStage::Fragment, reports, &fragmentSource);
    program = ShaderCompiler::link(vertexShader, fragmentShader, reports, linked);
    if (!linked)
        return;
    shading = &ProgramLocations::of(program, uniforms, attributes);
    buildDepthProgram(vertexShader, vertexSource, fragmentSource);
}

void SinglePassAutoMapMaterial::buildDepthProgram(unsigned int vertexShader, const std::string& vertexSource,
                                                  const std::string& fragmentSource)
{
    if (depthDependsOnShading(vertexSource, fragmentSource))
        return;
    GLuint emptyShader = ShaderCompiler::compileQuietly(ShaderStage::Fragment, emptyFragmentShader);
    GLuint depthProgram = ShaderCompiler::linkQuietly(vertexShader, emptyShader);
    if (depthProgram != 0)
        depthOnly = &ProgramLocations::of(depthProgram, vertexUniforms, attributes);
}

void SinglePassAutoMapMaterial::setFloat(const std::string& name, float value)
{
    values[name] = value;
    if (name != keptParameter && !ProgramLocations::feedsItself(name))
        setValue(name, MaterialValue::number(value));
}

void SinglePassAutoMapMaterial::setValue(const std::string& name, const MaterialValue& value)
{
    openValues[name] = value;
    ++openValuesRevision;
    auto declared = uniforms.find(name);
    MaterialValue::Kind kind = MaterialValue::Kind::Number;
    if (declared == uniforms.end())
    {
        if (firstReportOf(name))
            LOG(logger->err) << "material '" << getMaterialName() << "': no shader of it declares the uniform '" << name
                             << "'; its value is kept and not sent" << std::endl;
    }
    else if ((!MaterialValue::kindFor(declared->second.type, kind) || kind != value.kind) && firstReportOf(name))
        LOG(logger->err) << "material '" << getMaterialName() << "': the uniform '" << name << "' is a "
                         << declared->second.type << ", which the value given does not fit; it is not sent" << std::endl;
}

// Once for each name.
bool SinglePassAutoMapMaterial::firstReportOf(const std::string& name)
{
    return reportedValues.insert(name).second;
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
    // Nothing is set for a sub-mesh that has nothing to draw.
    const RenderPass& pass = scene->getPass();
    if (!linked || !subMesh->isDrawable() || (pass.isShadow() && !castsShadows))
        return;
    ProgramLocations& at = pass.isShadow() && depthOnly != nullptr ? *depthOnly : *shading;
    GeometryBuffers::VertexArray vertexArray = vertexArrayFor(at, *subMesh);
    planState(at, scene, pass, *target);
    state.setVertexArray(vertexArray.name);
    state.applyForDraw();
    // A mesh without colours is white.
    if (vertexArray.lacksColor)
        DrawState::useWhiteInput(at.color);
    mapUniforms(at, scene, node);
    glDrawElements(drawingMode(subMesh->getPrimitive()), static_cast<GLsizei>(subMesh->getIndices().size()),
                   GL_UNSIGNED_INT, nullptr);
    // A pass leaves them to its end.
    if (!DrawState::inPass())
        DrawState::leaveDefaults();
}

bool SinglePassAutoMapMaterial::setsStateOnlyThroughDrawState() const
{
    return typeid(*this) == typeid(SinglePassAutoMapMaterial);
}

void SinglePassAutoMapMaterial::drawNode(Scene* scene, MeshNode* node, RenderTarget* target)
{
    if (node->getMesh() == nullptr)
        return;
    for (SubMesh* subMesh : node->getMesh()->getSubMeshes())
        draw(scene, node, subMesh, target);
}

void SinglePassAutoMapMaterial::planState(ProgramLocations& at, Scene* scene, const RenderPass& pass,
                                          const RenderTarget& target)
{
    state.forGeometry(pass, target, at.getProgram(), transparent && !pass.isShadow());
    samplers.clear();
    if (&at != shading)
        return;
    planTextures(at);
    planShadowMaps(at, scene, pass);
    planOpenTextures(at);
}

// Samplers of the shaders' own take the material's pictures, white where it gives none.
void SinglePassAutoMapMaterial::planOpenTextures(ProgramLocations& at)
{
    const std::vector<ProgramLocations::OpenUniform>& open = at.getOpenUniforms();
    const std::vector<const MaterialValue*>& given = openValuesFor(at);
    RenderEngine* renderEngine = Tavrin::getInstance().getRenderEngine();
    for (std::size_t index = 0; index < open.size(); ++index)
    {
        if (!open[index].fed || open[index].kind != MaterialValue::Kind::Texture)
            continue;
        Image* image = given[index] != nullptr ? given[index]->image : nullptr;
        addSampler(image != nullptr ? renderEngine->getTexture(image)->getId() : whiteTexture(), open[index].location);
    }
}

const std::vector<const MaterialValue*>& SinglePassAutoMapMaterial::openValuesFor(const ProgramLocations& at)
{
    ResolvedValues& resolved = &at == shading ? resolvedShading : resolvedDepth;
    if (resolved.at == &at && resolved.revision == openValuesRevision)
        return resolved.values;
    resolved.at = &at;
    resolved.revision = openValuesRevision;
    resolved.values.clear();
    for (const ProgramLocations::OpenUniform& uniform : at.getOpenUniforms())
    {
        auto value = openValues.find(uniform.name);
        bool fits = value != openValues.end() && uniform.fed && value->second.kind == uniform.kind;
        resolved.values.push_back(fits ? &value->second : nullptr);
    }
    return resolved.values;
}

void SinglePassAutoMapMaterial::addSampler(unsigned int texture, int location)
{
    int unit = state.addTexture(texture);
    if (unit >= 0)
        samplers.emplace_back(location, unit);
}

void SinglePassAutoMapMaterial::planTextures(ProgramLocations& at)
{
    if (!at.texturesDeclared)
        return;
    RenderEngine* renderEngine = Tavrin::getInstance().getRenderEngine();
    std::size_t elements = std::max(textures.size(), static_cast<std::size_t>(std::max(at.declaredTextures, 0)));
    elements = std::min(elements, static_cast<std::size_t>(DrawState::textureUnits()));
    for (std::size_t element = 0; element < elements; ++element)
    {
        Image* image = element < textures.size() ? textures[element] : nullptr;
        addSampler(image != nullptr ? renderEngine->getTexture(image)->getId() : whiteTexture(), at.texture(element));
    }
}

void SinglePassAutoMapMaterial::planShadowMaps(ProgramLocations& at, Scene* scene, const RenderPass& pass)
{
    if (!at.shadowMapsDeclared)
        return;
    const std::vector<LightNode*>& lights = scene->getLights();
    for (std::size_t index = 0; index < lights.size(); ++index)
    {
        LightNode* light = lights[index];
        if (!light->castsShadows())
            continue;
        // The map being drawn into is not read at the same time.
        unsigned int depth = pass.light == light ? 0 : light->getShadowMap()->getDepthTexture();
        addSampler(depth, at.shadowMap(index));
    }
}

// Made once for each program that draws the sub-mesh: the program's inputs point at the sub-mesh's
// arrays, and inputs without an array stay off.
GeometryBuffers::VertexArray SinglePassAutoMapMaterial::vertexArrayFor(ProgramLocations& at, const SubMesh& subMesh)
{
    GeometryBuffers& buffers = GeometryBuffers::get();
    GeometryBuffers::VertexArray vertexArray = buffers.vertexArray(subMesh, at.getProgram(), at.color);
    if (vertexArray.made)
    {
        mapVertexArrays(at, subMesh);
        buffers.indexBuffer(subMesh);
    }
    return vertexArray;
}

void SinglePassAutoMapMaterial::mapUniforms(ProgramLocations& at, Scene* scene, MeshNode* node)
{
    mapCamera(at, scene, node);
    mapSkin(at, *node);
    for (const auto& [location, unit] : samplers)
        at.sendInt(location, unit);
    if (&at == shading)
        mapSpecularCoefficient(at);
    mapUnlit(at);
    mapAmbientLight(at, *scene);
    mapLights(at, scene);
    mapOpenValues(at);
    if (&at == shading)
        lightsDirty = false;
}

void SinglePassAutoMapMaterial::mapCamera(ProgramLocations& at, Scene* scene, MeshNode* node)
{
    if (at.world != undeclared)
        at.sendMatrix(at.world, node->getWorldMatrix());
    if (scene->getActiveCamera() == nullptr)
        return;
    const Scene::CameraView& camera = scene->getCameraView();
    if (at.view != undeclared)
        at.sendMatrix(at.view, camera.view);
    if (at.proj != undeclared)
        at.sendMatrix(at.proj, camera.projection);
    if (at.camPos != undeclared)
        at.sendVector(at.camPos, camera.position);
    if (at.camDir != undeclared)
        at.sendVector(at.camDir, camera.direction);
}

void SinglePassAutoMapMaterial::mapVertexArrays(ProgramLocations& at, const SubMesh& subMesh)
{
    static const std::vector<std::string> texCoordNames = [] {
        std::vector<std::string> names;
        for (int set = 0; set < maxTexCoordSets; ++set)
            names.push_back("texCoord_" + std::to_string(set));
        return names;
    }();
    mapVertexArray(at.position, subMesh, "position", 3);
    mapVertexArray(at.normal, subMesh, "normal", 3);
    mapVertexArray(at.tangent, subMesh, "tangents", 3);
    mapVertexArray(at.bitangent, subMesh, "bitangents", 3);
    mapVertexArray(at.color, subMesh, "color", 4);
    mapVertexArray(at.jointIndices, subMesh, "jointIndices", 4);
    mapVertexArray(at.jointWeights, subMesh, "jointWeights", 4);
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
}

// A skinned node sends its joints. An unskinned one sends none, and neither does a skin with more
// joints than the shaders hold: such a mesh is drawn as it stands, in its bind pose.
void SinglePassAutoMapMaterial::mapSkin(ProgramLocations& at, MeshNode& node)
{
    if (at.jointCount == undeclared)
        return;
    Skin* skin = node.getSkin();
    GLsizei joints = 0;
    if (skin != nullptr && at.jointMatrices != undeclared)
    {
        if (skin->getJointCount() <= static_cast<std::size_t>(std::max(at.declaredJoints, 0)))
        {
            joints = static_cast<GLsizei>(skin->getJointCount());
            glUniformMatrix4fv(at.jointMatrices, joints, GL_TRUE, skin->jointMatrices(node).data());
        }
        else if (skin->claimTooManyJointsReport())
        {
            LOG(logger->err) << "mesh node '" << node.getName() << "': its skin has "
                             << std::to_string(skin->getJointCount()) << " joints, more than the "
                             << std::to_string(at.declaredJoints) << " the shaders of material '"
                             << getMaterialName() << "' hold; it is drawn in its bind pose" << std::endl;
        }
    }
    at.sendInt(at.jointCount, joints);
}

// Values are never removed, so one found stays where it is; a missing one may come with any value
// added.
const float* SinglePassAutoMapMaterial::valueOf(DrawnParameter& parameter)
{
    if (parameter.value == nullptr && parameter.valuesWhenLooked != values.size())
    {
        auto found = values.find(parameter.name);
        parameter.value = found != values.end() ? &found->second : nullptr;
        parameter.valuesWhenLooked = values.size();
    }
    return parameter.value;
}

// A material without the parameter sends what a program of its own would hold: 0.
void SinglePassAutoMapMaterial::mapSpecularCoefficient(ProgramLocations& at)
{
    if (at.specularCoefficient == undeclared)
        return;
    const float* value = valueOf(specularCoefficient);
    if (value == nullptr)
        getValue(specularCoefficient.name);
    at.sendFloat(at.specularCoefficient, value != nullptr ? *value : 0.0f);
}

// Without the parameter the material is lit, as every material was before it existed.
void SinglePassAutoMapMaterial::mapUnlit(ProgramLocations& at)
{
    if (at.unlit == undeclared)
        return;
    const float* value = valueOf(unlit);
    at.sendFloat(at.unlit, value != nullptr ? *value : 0.0f);
}

void SinglePassAutoMapMaterial::mapAmbientLight(ProgramLocations& at, const Scene& scene)
{
    if (at.ambientLight != undeclared)
        at.sendVector(at.ambientLight, scene.getAmbientLight());
}

// Every uniform of the shaders' own gets this material's value, or 0: another material of the same
// program may have sent it something else.
void SinglePassAutoMapMaterial::mapOpenValues(ProgramLocations& at)
{
    const std::vector<ProgramLocations::OpenUniform>& open = at.getOpenUniforms();
    if (open.empty())
        return;
    const std::vector<const MaterialValue*>& given = openValuesFor(at);
    for (std::size_t index = 0; index < open.size(); ++index)
    {
        if (!open[index].fed || open[index].kind == MaterialValue::Kind::Texture)
            continue;
        MaterialValue zero;
        zero.kind = open[index].kind;
        at.sendValue(open[index], given[index] != nullptr ? *given[index] : zero);
    }
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
        at.sendInt(at.lightCount, static_cast<int>(count));
    for (std::size_t index = 0; index < count; ++index)
    {
        LightNode& light = *lights[index];
        if (!lightsDirty && at.holdsCurrent(index, light))
            continue;
        uploadLight(light, at.light(index));
        at.received(index, light);
    }
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
    Vector4 sent = color ? *color : Vector4(0.0f, 0.0f, 0.0f, 0.0f);
    glUniform4f(at.color, sent.x, sent.y, sent.z, sent.w);
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

}
