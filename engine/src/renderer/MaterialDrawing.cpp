#include "renderer/MaterialDrawing.h"

#include "graphics/BufferTexture.h"
#include "graphics/GraphicsContext.h"
#include "pellux/foundation/Logger.h"
#include "pellux/graphics/RenderTarget.h"
#include "pellux/graphics/Texture.h"
#include "pellux/materials/SinglePassAutoMapMaterial.h"
#include "pellux/resources/SubMesh.h"
#include "pellux/scene/LightNode.h"
#include "pellux/scene/MeshNode.h"
#include "pellux/scene/RenderPass.h"
#include "pellux/scene/Scene.h"
#include "pellux/scene/Skin.h"
#include "renderer/Renderer.h"

#include <GL/glew.h>

#include <algorithm>
#include <cmath>

namespace Pellux
{

namespace
{
const int undeclared = ProgramLocations::undeclared;
// More texture-coordinate sets than any sub-mesh sensibly has; bounds a damaged count.
const int maxTexCoordSets = 32;

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
}

MaterialDrawing::MaterialDrawing(Renderer& renderer, SinglePassAutoMapMaterial& material)
    : renderer(renderer), material(material)
{
    if (!material.isLinked())
        return;
    shading = &renderer.locationsOf(material.getProgram(), material.getUniforms(), material.getAttributes());
    if (material.hasDepthOnlyProgram())
        depthOnly =
            &renderer.locationsOf(material.getDepthProgram(), material.getVertexUniforms(), material.getAttributes());
}

void MaterialDrawing::draw(Scene& scene, MeshNode& node, const SubMesh& subMesh, const RenderTarget& target)
{
    // Nothing is set for a sub-mesh that has nothing to draw.
    const RenderPass& pass = scene.getPass();
    if (shading == nullptr || !subMesh.isDrawable() || (pass.isShadow() && !material.castsShadows))
        return;
    ProgramLocations& at = pass.isShadow() && depthOnly != nullptr ? *depthOnly : *shading;
    GeometryBuffers::VertexArray vertexArray = vertexArrayFor(at, subMesh);
    planState(at, scene, pass, target);
    world = node.getWorldMatrix();
    planSkinning(at, node);
    // A transform that mirrors turns the winding of every face it places. A skin's joints may mirror,
    // or undo a mirror, as well; the first joint speaks for them all.
    bool jointsMirror = skinnedJoints > 0 && firstJointMatrix().determinant() < 0;
    state.setClockwiseFront((world.determinant() < 0) != jointsMirror);
    planMorphing(at, node, subMesh);
    state.setVertexArray(vertexArray.name);
    state.applyForDraw();
    // A mesh without colours is white.
    if (vertexArray.lacksColor)
        DrawState::useWhiteInput(at.color);
    mapUniforms(at, scene, subMesh);
    glDrawElements(drawingMode(subMesh.getPrimitive()), static_cast<GLsizei>(subMesh.getIndices().size()),
                   GL_UNSIGNED_INT, nullptr);
    // A pass leaves them to its end.
    if (!DrawState::inPass())
        DrawState::leaveDefaults();
}

void MaterialDrawing::planState(ProgramLocations& at, Scene& scene, const RenderPass& pass,
                                const RenderTarget& target)
{
    state.forGeometry(pass.isShadow(), target, at.getProgram(), material.isTransparent() && !pass.isShadow());
    state.setCulling(!material.isDoubleSided());
    samplers.clear();
    if (&at != shading)
        return;
    planTextures(at);
    planShadowMaps(at, scene, pass);
    planOpenTextures(at);
}

// Samplers of the shaders' own take the material's pictures, white where it gives none.
void MaterialDrawing::planOpenTextures(ProgramLocations& at)
{
    const std::vector<ProgramLocations::OpenUniform>& open = at.getOpenUniforms();
    const std::vector<const MaterialValue*>& given = openValuesFor(at);
    GraphicsContext& graphics = renderer.getGraphics();
    for (std::size_t index = 0; index < open.size(); ++index)
    {
        if (!open[index].fed || open[index].kind != MaterialValue::Kind::Texture)
            continue;
        Image* image = given[index] != nullptr ? given[index]->image : nullptr;
        addSampler(image != nullptr ? graphics.textureOf(image, given[index]->sampling)->getId()
                                    : graphics.whiteTexture(),
                   open[index].location);
    }
}

const std::vector<const MaterialValue*>& MaterialDrawing::openValuesFor(const ProgramLocations& at)
{
    ResolvedValues& resolved = &at == shading ? resolvedShading : resolvedDepth;
    if (resolved.at == &at && resolved.revision == material.getOpenValuesRevision())
        return resolved.values;
    resolved.at = &at;
    resolved.revision = material.getOpenValuesRevision();
    resolved.values.clear();
    const std::map<std::string, MaterialValue>& openValues = material.getOpenValues();
    for (const ProgramLocations::OpenUniform& uniform : at.getOpenUniforms())
    {
        auto value = openValues.find(uniform.name);
        bool fits = value != openValues.end() && uniform.fed && value->second.kind == uniform.kind;
        resolved.values.push_back(fits ? &value->second : nullptr);
    }
    return resolved.values;
}

void MaterialDrawing::addSampler(unsigned int texture, int location)
{
    int unit = state.addTexture(texture);
    if (unit >= 0)
        samplers.emplace_back(location, unit);
}

void MaterialDrawing::addBufferSampler(unsigned int texture, int location)
{
    int unit = state.addBufferTexture(texture);
    if (unit >= 0)
        samplers.emplace_back(location, unit);
}

// The joint matrices go where the shaders read them: the buffer texture, else the uniform array. A
// skin with more joints than they hold stands in its bind pose, said once. A declared buffer sampler
// always gets a unit of its own, as samplers of two kinds must not share one.
void MaterialDrawing::planSkinning(ProgramLocations& at, MeshNode& node)
{
    skinning = Skinning::None;
    skinnedJoints = 0;
    BufferTexture& jointTexture = renderer.getJointTexture();
    if (at.jointTexture != undeclared)
        addBufferSampler(jointTexture.getTexture(), at.jointTexture);
    Skin* skin = node.getSkin();
    if (skin == nullptr || at.jointCount == undeclared)
        return;
    std::size_t joints = skin->getJointCount();
    if (at.jointTexture != undeclared && joints <= renderer.getJointLimit())
        skinning = Skinning::Texture;
    else if (at.jointTexture == undeclared && at.jointMatrices != undeclared &&
             joints <= static_cast<std::size_t>(std::max(at.declaredJoints, 0)))
        skinning = Skinning::Uniforms;
    else if ((at.jointTexture != undeclared || at.jointMatrices != undeclared) && skin->claimTooManyJointsReport())
        LOG(Logger::getInstance().err) << "mesh node '" << node.getName() << "': its skin has "
                                       << std::to_string(joints) << " joints, more than the "
                                       << std::to_string(jointsHeld(at)) << " the shaders of material '"
                                       << material.getMaterialName() << "' hold; it is drawn in its bind pose"
                                       << std::endl;
    skinnedJoints = skinning == Skinning::None ? 0 : static_cast<int>(joints);
    if (skinnedJoints == 0)
        return;
    jointMatrices = &renderer.jointMatricesOf(node);
    if (skinning == Skinning::Texture)
        renderer.uploadJointsOf(node);
}

Matrix4 MaterialDrawing::firstJointMatrix() const
{
    Matrix4 first;
    for (int row = 0; row < 4; ++row)
        for (int column = 0; column < 4; ++column)
            first(row, column) = (*jointMatrices)[static_cast<std::size_t>(row * 4 + column)];
    return first;
}

std::size_t MaterialDrawing::jointsHeld(const ProgramLocations& at) const
{
    if (at.jointTexture != undeclared)
        return renderer.getJointLimit();
    return at.jointMatrices != undeclared ? static_cast<std::size_t>(std::max(at.declaredJoints, 0)) : 0;
}

// The draw shows the targets of the largest weights, as many as the shaders take. A program without a
// morph texture of the sub-mesh's samples the joint texture there, which it never reads.
void MaterialDrawing::planMorphing(ProgramLocations& at, const MeshNode& node, const SubMesh& subMesh)
{
    shownMorphs = 0;
    if (at.morphOffsets == undeclared)
        return;
    if (at.morphCount != undeclared && subMesh.hasMorphTargets())
        chooseMorphs(at, node.getMorphWeights(), subMesh.getMorphTargetCount());
    unsigned int offsets = shownMorphs > 0 ? renderer.getGeometry().morphTexture(subMesh)
                                           : renderer.getJointTexture().getTexture();
    addBufferSampler(offsets, at.morphOffsets);
}

void MaterialDrawing::chooseMorphs(const ProgramLocations& at, const std::vector<float>& weights, std::size_t targets)
{
    std::size_t room = std::min(static_cast<std::size_t>(std::max(at.declaredMorphs, 0)), morphIndices.size());
    std::size_t weighted = std::min(weights.size(), targets);
    for (std::size_t target = 0; target < weighted && room > 0; ++target)
    {
        float weight = weights[target];
        std::size_t shown = static_cast<std::size_t>(shownMorphs);
        if (weight == 0.0f || !std::isfinite(weight) ||
            (shown == room && std::fabs(weight) <= std::fabs(morphWeights[room - 1])))
            continue;
        // Sorted in by falling size; when full, the smallest held gives way.
        std::size_t place = std::min(shown, room - 1);
        for (; place > 0 && std::fabs(morphWeights[place - 1]) < std::fabs(weight); --place)
        {
            morphWeights[place] = morphWeights[place - 1];
            morphIndices[place] = morphIndices[place - 1];
        }
        morphWeights[place] = weight;
        morphIndices[place] = static_cast<int>(target);
        shownMorphs = static_cast<int>(std::min(shown + 1, room));
    }
}

void MaterialDrawing::planTextures(ProgramLocations& at)
{
    if (!at.texturesDeclared)
        return;
    GraphicsContext& graphics = renderer.getGraphics();
    const std::vector<Image*>& textures = material.getTextures();
    std::size_t elements = std::max(textures.size(), static_cast<std::size_t>(std::max(at.declaredTextures, 0)));
    elements = std::min(elements, static_cast<std::size_t>(DrawState::textureUnits()));
    for (std::size_t element = 0; element < elements; ++element)
    {
        Image* image = element < textures.size() ? textures[element] : nullptr;
        addSampler(image != nullptr ? graphics.textureOf(image)->getId() : graphics.whiteTexture(), at.texture(element));
    }
}

void MaterialDrawing::planShadowMaps(ProgramLocations& at, Scene& scene, const RenderPass& pass)
{
    if (!at.shadowMapsDeclared)
        return;
    const std::vector<LightNode*>& lights = scene.getLights();
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
GeometryBuffers::VertexArray MaterialDrawing::vertexArrayFor(ProgramLocations& at, const SubMesh& subMesh)
{
    GeometryBuffers& buffers = renderer.getGeometry();
    GeometryBuffers::VertexArray vertexArray = buffers.vertexArray(subMesh, at.getProgram(), at.color);
    if (vertexArray.made)
    {
        mapVertexArrays(at, subMesh);
        buffers.indexBuffer(subMesh);
    }
    return vertexArray;
}

void MaterialDrawing::mapUniforms(ProgramLocations& at, Scene& scene, const SubMesh& subMesh)
{
    mapCamera(at, scene);
    mapSkin(at);
    mapMorphs(at, subMesh);
    for (const auto& [location, unit] : samplers)
        at.sendInt(location, unit);
    if (&at == shading)
        mapSpecularCoefficient(at);
    mapUnlit(at);
    mapAmbientLight(at, scene);
    mapLights(at, scene);
    mapOpenValues(at);
    if (&at == shading)
        material.lightsDirty = false;
}

void MaterialDrawing::mapCamera(ProgramLocations& at, Scene& scene)
{
    if (at.world != undeclared)
        at.sendMatrix(at.world, world);
    const CameraView* view = renderer.cameraView(scene);
    if (view == nullptr)
        return;
    const CameraView& camera = *view;
    if (at.view != undeclared)
        at.sendMatrix(at.view, camera.view);
    if (at.proj != undeclared)
        at.sendMatrix(at.proj, camera.projection);
    if (at.camPos != undeclared)
        at.sendVector(at.camPos, camera.position);
    if (at.camDir != undeclared)
        at.sendVector(at.camDir, camera.direction);
}

void MaterialDrawing::mapVertexArrays(ProgramLocations& at, const SubMesh& subMesh)
{
    mapVertexArray(at.position, subMesh, VertexSemantic::Position);
    mapVertexArray(at.normal, subMesh, VertexSemantic::Normal);
    mapVertexArray(at.tangent, subMesh, VertexSemantic::Tangent);
    mapVertexArray(at.bitangent, subMesh, VertexSemantic::Bitangent);
    mapVertexArray(at.color, subMesh, VertexSemantic::Color);
    mapVertexArray(at.jointIndices, subMesh, VertexSemantic::JointIndices);
    mapVertexArray(at.jointWeights, subMesh, VertexSemantic::JointWeights);
    int sets = std::min(subMesh.getTexCoordSetCount(), maxTexCoordSets);
    for (int set = 0; set < sets; ++set)
        mapVertexArray(at.texCoord(static_cast<std::size_t>(set)), subMesh, VertexSemantic::TexCoord, set);
}

void MaterialDrawing::mapVertexArray(int location, const SubMesh& subMesh, VertexSemantic semantic, int set)
{
    if (location < 0)
        return;
    const VertexAttribute* attribute = subMesh.attribute(semantic, set);
    int components = componentCount(semantic);
    if (attribute == nullptr || attribute->components != components)
        return;
    glBindBuffer(GL_ARRAY_BUFFER, renderer.getGeometry().arrayBuffer(*attribute));
    GLuint input = static_cast<GLuint>(location);
    glEnableVertexAttribArray(input);
    glVertexAttribPointer(input, components, GL_FLOAT, GL_FALSE, 0, nullptr);
}

void MaterialDrawing::mapSkin(ProgramLocations& at)
{
    if (skinning == Skinning::Uniforms)
        glUniformMatrix4fv(at.jointMatrices, skinnedJoints, GL_TRUE, jointMatrices->data());
    if (at.jointCount != undeclared)
        at.sendInt(at.jointCount, skinnedJoints);
}

void MaterialDrawing::mapMorphs(ProgramLocations& at, const SubMesh& subMesh)
{
    if (at.morphCount == undeclared)
        return;
    at.sendInt(at.morphCount, shownMorphs);
    if (shownMorphs == 0)
        return;
    at.sendInt(at.morphTargetCount, static_cast<int>(subMesh.getMorphTargetCount()));
    glUniform1iv(at.morphIndices, shownMorphs, morphIndices.data());
    glUniform1fv(at.morphWeights, shownMorphs, morphWeights.data());
}

// Values are never removed, so one found stays where it is; a missing one may come with any value
// added.
const float* MaterialDrawing::valueOf(DrawnParameter& parameter)
{
    const std::map<std::string, float>& values = material.getValues();
    if (parameter.value == nullptr && parameter.valuesWhenLooked != values.size())
    {
        auto found = values.find(parameter.name);
        parameter.value = found != values.end() ? &found->second : nullptr;
        parameter.valuesWhenLooked = values.size();
    }
    return parameter.value;
}

// A material without the parameter sends what a program of its own would hold: 0.
void MaterialDrawing::mapSpecularCoefficient(ProgramLocations& at)
{
    if (at.specularCoefficient == undeclared)
        return;
    const float* value = valueOf(specularCoefficient);
    if (value == nullptr)
        material.getValue(specularCoefficient.name);
    at.sendFloat(at.specularCoefficient, value != nullptr ? *value : 0.0f);
}

// Without the parameter the material is lit, as every material was before it existed.
void MaterialDrawing::mapUnlit(ProgramLocations& at)
{
    if (at.unlit == undeclared)
        return;
    const float* value = valueOf(unlit);
    at.sendFloat(at.unlit, value != nullptr ? *value : 0.0f);
}

void MaterialDrawing::mapAmbientLight(ProgramLocations& at, const Scene& scene)
{
    if (at.ambientLight != undeclared)
        at.sendVector(at.ambientLight, scene.getAmbientLight());
}

// Every uniform of the shaders' own gets this material's value, or 0: another material of the same
// program may have sent it something else.
void MaterialDrawing::mapOpenValues(ProgramLocations& at)
{
    const std::vector<ProgramLocations::OpenUniform>& open = at.getOpenUniforms();
    if (open.empty())
        return;
    const std::vector<const MaterialValue*>& given = openValuesFor(at);
    for (std::size_t index = 0; index < open.size(); ++index)
    {
        // A uniform the linker left out, as one feeding an output no stage reads, takes nothing.
        if (!open[index].fed || open[index].kind == MaterialValue::Kind::Texture || open[index].location < 0)
            continue;
        MaterialValue zero;
        zero.kind = open[index].kind;
        at.sendValue(open[index], given[index] != nullptr ? *given[index] : zero);
    }
}

void MaterialDrawing::mapLights(ProgramLocations& at, Scene& scene)
{
    if (!at.lightArrayDeclared)
        return;
    const std::vector<LightNode*>& lights = scene.getLights();
    // A shader's array holds so many lights; reading past it is undefined in GLSL.
    std::size_t count = at.declaredLights > 0 ? std::min(lights.size(), static_cast<std::size_t>(at.declaredLights))
                                              : lights.size();
    if (at.lightCount != undeclared)
        at.sendInt(at.lightCount, static_cast<int>(count));
    for (std::size_t index = 0; index < count; ++index)
    {
        LightNode& light = *lights[index];
        if (!material.lightsDirty && at.holdsCurrent(index, light))
            continue;
        uploadLight(light, at.light(index));
        at.received(index, light);
    }
}

void MaterialDrawing::uploadLight(LightNode& light, const ProgramLocations::Light& at)
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
