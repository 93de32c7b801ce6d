#include "SceneFraming.h"

#include "OrbitCamera.h"

#include "pellux/resources/Mesh.h"
#include "pellux/resources/SubMesh.h"
#include "pellux/scene/Animation.h"
#include "pellux/scene/Bounds.h"
#include "pellux/scene/CameraNode.h"
#include "pellux/scene/LightNode.h"
#include "pellux/scene/MeshNode.h"
#include "pellux/scene/Scene.h"
#include "pellux/scene/Skin.h"

#include <algorithm>
#include <cmath>
#include <vector>

using namespace Pellux;

namespace
{
// Where the vertex is drawn: bent by its joints when the node is skinned, as the shaders bend it.
Vector3 drawnPosition(const Vector3& position, const SubMesh& subMesh, std::size_t vertex, const Matrix4& world,
                      const std::vector<float>* joints)
{
    const VertexAttribute* indexArray = subMesh.attribute(VertexSemantic::JointIndices);
    const VertexAttribute* weightArray = subMesh.attribute(VertexSemantic::JointWeights);
    if (joints == nullptr || indexArray == nullptr || weightArray == nullptr ||
        weightArray->vertexCount() <= vertex || indexArray->vertexCount() <= vertex)
        return world.transformPoint(position);
    const float* indices = indexArray->values->data();
    const float* weights = weightArray->values->data();
    Vector3 bent;
    float rest = 1;
    for (std::size_t slot = 0; slot < 4; ++slot)
    {
        float weight = weights[4 * vertex + slot];
        std::size_t first = static_cast<std::size_t>(indices[4 * vertex + slot]) * 16;
        if (weight == 0 || first + 16 > joints->size())
            continue;
        const float* m = &(*joints)[first];
        Matrix4 joint(m[0], m[1], m[2], m[3], m[4], m[5], m[6], m[7], m[8], m[9], m[10], m[11], m[12], m[13], m[14], m[15]);
        bent = bent + joint.transformPoint(position) * weight;
        rest -= weight;
    }
    return world.transformPoint(bent + position * rest);
}

bool cameraInTree(Scene& scene)
{
    std::vector<SceneNode*> nodes;
    scene.getRoot()->collectDescendants(nodes);
    return std::find(nodes.begin(), nodes.end(), scene.getActiveCamera()) != nodes.end();
}

// Whether the middle of the meshes lies in front of the camera, inside its view cone.
bool cameraSees(CameraNode& camera, const Vector3& centre)
{
    Vector3 toCentre = centre - camera.getWorldPosition();
    float distance = toCentre.length();
    if (distance == 0)
        return false;
    float cosine = (toCentre.x * camera.getWorldDirection().x + toCentre.y * camera.getWorldDirection().y +
                    toCentre.z * camera.getWorldDirection().z) / (distance * camera.getWorldDirection().length());
    return cosine > std::cos(camera.getFov());
}

// The scene's active camera when the document brought none; otherwise a new one, made active, so that
// the document's cameras keep their places.
CameraNode& viewerCamera(Scene& scene)
{
    if (cameraInTree(scene))
    {
        // In the tree, so that it goes with the scene's nodes.
        auto* ownCamera = new CameraNode("viewer camera");
        scene.getRoot()->addChild(ownCamera);
        scene.setActiveCamera(ownCamera);
    }
    return *scene.getActiveCamera();
}
}

Bounds drawnBounds(Scene& scene)
{
    Bounds bounds;
    for (MeshNode* meshNode : scene.getMeshNodes())
    {
        if (meshNode->getMesh() == nullptr)
            continue;
        Matrix4 world = meshNode->getWorldMatrix();
        const std::vector<float>* joints =
            meshNode->getSkin() != nullptr ? &meshNode->getSkin()->jointMatrices(*meshNode) : nullptr;
        for (SubMesh* subMesh : meshNode->getMesh()->getSubMeshes())
        {
            const VertexAttribute* positions = subMesh->attribute(VertexSemantic::Position);
            std::size_t vertices = positions != nullptr ? positions->vertexCount() : 0;
            for (std::size_t vertex = 0; vertex < vertices; ++vertex)
            {
                const float* xyz = positions->values->data() + 3 * vertex;
                Vector3 position(xyz[0], xyz[1], xyz[2]);
                bounds.add(drawnPosition(position, *subMesh, vertex, world, joints));
            }
        }
    }
    return bounds;
}

std::vector<CameraNode*> camerasOf(Scene& scene)
{
    std::vector<SceneNode*> nodes;
    scene.getRoot()->collectDescendants(nodes);
    std::vector<CameraNode*> cameras;
    // Lights are cameras too, which their shadow maps are drawn through.
    for (SceneNode* node : nodes)
        if (node->getKind() == NodeKind::Camera)
            cameras.push_back(static_cast<CameraNode*>(node));
    return cameras;
}

Bounds animatedBounds(Scene& scene)
{
    const int samples = 8;
    float now = scene.getTime();
    float end = 0;
    for (Animation* animation : scene.getAnimations())
        end = std::max(end, animation->getEndTime());
    Bounds bounds = drawnBounds(scene);
    for (int sample = 0; end > 0 && sample <= samples; ++sample)
    {
        scene.setTime(end * static_cast<float>(sample) / samples);
        Bounds then = drawnBounds(scene);
        if (!then.empty)
        {
            bounds.add(then.low);
            bounds.add(then.high);
        }
    }
    scene.setTime(now);
    return bounds;
}

bool frameScene(Scene& scene, const Bounds& bounds)
{
    if (bounds.empty)
        return false;
    Vector3 centre = (bounds.low + bounds.high) * 0.5f;
    if (cameraInTree(scene) && cameraSees(*scene.getActiveCamera(), centre))
        return false;
    CameraNode& camera = viewerCamera(scene);
    OrbitCamera view;
    view.frame(bounds, camera.getFov());
    view.placeCamera(camera, bounds);
    return true;
}

void lookFromEye(Scene& scene, const Bounds& bounds, const Vector3& eye)
{
    OrbitCamera view;
    view.lookFrom(eye, eye * -1, eye.length());
    view.placeCamera(viewerCamera(scene), bounds);
}

LightNode* lightSceneIfDark(Scene& scene)
{
    std::vector<SceneNode*> nodes;
    scene.getRoot()->collectDescendants(nodes);
    // Ambient light alone shows no shape.
    auto shinesOnShapes = [](SceneNode* node) {
        return node->getKind() == NodeKind::Light &&
               static_cast<LightNode*>(node)->getLightKind() != LightKind::Ambient;
    };
    if (std::any_of(nodes.begin(), nodes.end(), shinesOnShapes))
        return nullptr;
    auto* light = new LightNode("viewer light", LightKind::Point);
    light->setTransform(scene.getActiveCamera()->getWorldMatrix());
    scene.getRoot()->addChild(light);
    return light;
}
