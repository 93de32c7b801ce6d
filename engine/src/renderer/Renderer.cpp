#include "renderer/Renderer.h"

#include "graphics/DrawState.h"
#include "graphics/GraphicsContext.h"
#include "pellux/foundation/Logger.h"
#include "pellux/graphics/GlErrorCheck.h"
#include "pellux/graphics/RenderTarget.h"
#include "pellux/materials/Material.h"
#include "pellux/materials/MaterialManager.h"
#include "pellux/materials/SinglePassAutoMapMaterial.h"
#include "pellux/resources/Mesh.h"
#include "pellux/resources/SubMesh.h"
#include "pellux/scene/CameraNode.h"
#include "pellux/scene/LightNode.h"
#include "pellux/scene/MeshNode.h"
#include "pellux/scene/SceneNode.h"
#include "pellux/scene/Skin.h"
#include "pellux/scene/SoundNode.h"
#include "renderer/MaterialDrawing.h"

#include <typeinfo>

namespace Pellux
{

namespace
{
// As OpenGL's own current context is, this is the calling thread's.
thread_local Renderer* currentRenderer = nullptr;

void reportErrorsOf(GlErrorCheck& errors, const RenderPass& pass)
{
    if (!errors.isEnabled())
        return;
    if (!pass.isShadow())
        errors.after("main pass");
    else
        errors.after("shadow pass of light '" + (pass.light != nullptr ? pass.light->getName() : std::string()) + "'");
}

// The engine's own kinds of node draw only through their materials, which answer for themselves;
// any other kind may set OpenGL state in its render().
bool drawsOnlyThroughMaterials(const SceneNode& node)
{
    const std::type_info& kind = typeid(node);
    return kind == typeid(MeshNode) || kind == typeid(SceneNode) || kind == typeid(LightNode) ||
           kind == typeid(CameraNode) || kind == typeid(SoundNode);
}
}

Renderer::Renderer(GraphicsContext& graphics, MaterialManager* materials)
    : graphics(graphics), materials(materials), jointLimit(BufferTexture::texelLimit() / 4)
{
}

Renderer::~Renderer()
{
    if (currentRenderer == this)
        currentRenderer = nullptr;
}

const std::vector<float>& Renderer::jointMatricesOf(MeshNode& node)
{
    unsigned long long pass = DrawState::currentPass();
    if (pass == 0 || skinnedNode != &node || skinnedPass != pass)
    {
        skinnedNode = &node;
        skinnedPass = pass;
        node.getSkin()->jointMatrices(node);
    }
    return node.getSkin()->heldJointMatrices();
}

void Renderer::uploadJointsOf(MeshNode& node)
{
    unsigned long long pass = DrawState::currentPass();
    if (pass != 0 && uploadedNode == &node && uploadedPass == pass)
        return;
    const std::vector<float>& matrices = jointMatricesOf(node);
    jointTexture.upload(matrices.data(), matrices.size());
    uploadedNode = &node;
    uploadedPass = pass;
}

Renderer* Renderer::current()
{
    return currentRenderer;
}

void Renderer::makeCurrent()
{
    currentRenderer = this;
}

ProgramLocations& Renderer::locationsOf(unsigned int program, const ShaderVariables& uniforms,
                                        const ShaderVariables& inputs)
{
    std::unique_ptr<ProgramLocations>& record = programs[program];
    if (!record)
        record = std::make_unique<ProgramLocations>(program, uniforms, inputs);
    return *record;
}

void Renderer::renderNode(Scene& scene, SceneNode& node, RenderTarget* target)
{
    node.render(&scene, target);
    if (!drawsOnlyThroughMaterials(node))
        DrawState::forgetApplied();
}

void Renderer::renderMainPass(Scene& scene)
{
    scene.pass = RenderPass::main();
    passCamera = nullptr;
    RenderTarget* target = scene.getRenderTarget();
    DrawState::beginPass();
    renderNode(scene, *scene.root, target);
    scene.lateQueue.clear();
    for (SceneNode* node : scene.ordered)
    {
        if (!node->isVisible())
            continue;
        if (node->drawnEarly())
            renderNode(scene, *node, target);
        else
            scene.lateQueue.push_back(node);
    }
    for (SceneNode* node : scene.lateQueue)
        renderNode(scene, *node, target);
    DrawState::endPass();
    reportErrorsOf(graphics.errors(), scene.pass);
}

// Seen from each light in turn; the scene's active camera stays as it is.
void Renderer::renderShadowPasses(Scene& scene)
{
    for (LightNode* light : scene.lights)
    {
        // Only the maps of shadow type 1 reach the shaders; the others would never be read.
        if (!light->castsShadows())
            continue;
        passCamera = light;
        scene.pass = RenderPass::shadowOf(light);
        RenderTarget* shadowMap = light->getShadowMap();
        shadowMap->bind();
        DrawState::beginPass();
        for (SceneNode* node : scene.ordered)
            renderNode(scene, *node, shadowMap);
        DrawState::endPass();
        reportErrorsOf(graphics.errors(), scene.pass);
    }
    passCamera = nullptr;
    scene.pass = RenderPass::main();
}

const CameraView* Renderer::cameraView(Scene& scene)
{
    CameraNode* camera = passCamera != nullptr ? passCamera : scene.getActiveCamera();
    if (camera == nullptr)
        return nullptr;
    unsigned long long currentPass = DrawState::currentPass();
    if (currentPass != 0 && currentPass == viewPass && camera == viewOf)
        return &view;
    view.view = camera->getViewMatrix();
    view.projection = camera->getProjectionMatrix();
    view.position = camera->getWorldPosition();
    view.direction = camera->getWorldDirection();
    viewPass = currentPass;
    viewOf = camera;
    return &view;
}

Material* Renderer::materialNamed(const std::string& name, const std::string& fallback)
{
    Material* material = materials != nullptr ? materials->get(name) : nullptr;
    if (material == nullptr && !fallback.empty() && materials != nullptr)
        material = materials->get(fallback);
    if (material == nullptr && missingMaterials.insert(name).second)
        LOG(Logger::getInstance().err) << "material not found: " << name << std::endl;
    return material;
}

// Looked up by name only when the sub-mesh's name or the registry changed: a sub-mesh given another
// material draws with it from its next draw on.
Material* Renderer::materialOf(MeshNode& node, std::size_t index, const SubMesh& subMesh)
{
    if (index > node.moreFound.size())
        node.moreFound.resize(index);
    MeshNode::FoundMaterial& found = index == 0 ? node.firstFound : node.moreFound[index - 1];
    unsigned long long registryRevision = materials != nullptr ? materials->getRevision() : 0;
    if (found.subMesh == &subMesh && found.registry == materials && found.registryRevision == registryRevision &&
        found.subMeshName == subMesh.getMaterialName())
        return found.material;
    found.material = materialNamed(node.getMaterialName(subMesh), node.fallbackMaterial);
    found.subMesh = &subMesh;
    found.subMeshName = subMesh.getMaterialName();
    found.registry = materials;
    found.registryRevision = registryRevision;
    return found.material;
}

void Renderer::drawMeshNode(Scene& scene, MeshNode& node, RenderTarget* target)
{
    if (!node.isVisible() || node.getMesh() == nullptr)
        return;
    const std::vector<SubMesh*>& subMeshes = node.getMesh()->getSubMeshes();
    for (std::size_t index = 0; index < subMeshes.size(); ++index)
        if (Material* material = materialOf(node, index, *subMeshes[index]))
        {
            material->draw(&scene, &node, subMeshes[index], target);
            if (!material->setsStateOnlyThroughDrawState())
                DrawState::forgetApplied();
        }
}

bool Renderer::drawnEarly(MeshNode& node)
{
    if (node.getMesh() == nullptr)
        return true;
    const std::vector<SubMesh*>& subMeshes = node.getMesh()->getSubMeshes();
    for (std::size_t index = 0; index < subMeshes.size(); ++index)
    {
        Material* material = materialOf(node, index, *subMeshes[index]);
        if (material == nullptr || !material->drawnEarly)
            return false;
    }
    return true;
}

void Renderer::draw(SinglePassAutoMapMaterial& material, Scene& scene, MeshNode& node, const SubMesh& subMesh,
                    const RenderTarget& target)
{
    std::unique_ptr<MaterialDrawing>& drawing = drawings[material.getId()];
    if (!drawing)
        drawing = std::make_unique<MaterialDrawing>(*this, material);
    drawing->draw(scene, node, subMesh, target);
}

}
