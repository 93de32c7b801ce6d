#include "SceneFraming.h"

#include "pellux/resources/Mesh.h"
#include "pellux/resources/SubMesh.h"
#include "pellux/scene/Bounds.h"
#include "pellux/scene/CameraNode.h"
#include "pellux/scene/LightNode.h"
#include "pellux/scene/MeshNode.h"
#include "pellux/scene/Scene.h"

#include <algorithm>
#include <cmath>
#include <vector>

using namespace Pellux;

namespace
{
// Of every vertex, so that the camera sees the meshes whole.
Bounds meshBounds(Scene& scene)
{
    Bounds bounds;
    std::vector<SceneNode*> nodes;
    scene.getRoot()->collectDescendants(nodes);
    for (SceneNode* node : nodes)
    {
        auto* meshNode = dynamic_cast<MeshNode*>(node);
        if (meshNode == nullptr || meshNode->getMesh() == nullptr)
            continue;
        Matrix4 world = meshNode->getWorldMatrix();
        for (SubMesh* subMesh : meshNode->getMesh()->getSubMeshes())
        {
            const float* positions = subMesh->getAttribute("position");
            for (std::size_t vertex = 0; vertex < subMesh->getVertexCount("position"); ++vertex)
                bounds.add(world.transformPoint({positions[3 * vertex], positions[3 * vertex + 1], positions[3 * vertex + 2]}));
        }
    }
    return bounds;
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
}

bool frameScene(Scene& scene)
{
    Bounds bounds = meshBounds(scene);
    if (bounds.empty)
        return false;
    Vector3 centre = (bounds.low + bounds.high) * 0.5f;
    if (cameraInTree(scene) && cameraSees(*scene.getActiveCamera(), centre))
        return false;
    if (cameraInTree(scene))
    {
        // In the tree, so that it goes with the scene's nodes.
        auto* ownCamera = new CameraNode("viewer camera");
        scene.getRoot()->addChild(ownCamera);
        scene.setActiveCamera(ownCamera);
    }
    float radius = std::max((bounds.high - bounds.low).length() * 0.5f, 0.001f);
    CameraNode* camera = scene.getActiveCamera();
    float distance = radius / std::tan(camera->getFov() / 2) * 1.2f;
    Vector3 eye = centre + Vector3(0.55f, 0.45f, 0.7f).normalized() * distance;
    camera->setTransform(Matrix4::translation(eye));
    camera->lookAt(centre.x, centre.y, centre.z);
    camera->setNear(std::max(distance - 2 * radius, distance / 1000));
    camera->setFar(distance + 2 * radius);
    return true;
}

void lightSceneIfDark(Scene& scene)
{
    std::vector<SceneNode*> nodes;
    scene.getRoot()->collectDescendants(nodes);
    // Ambient light alone shows no shape.
    auto shinesOnShapes = [](SceneNode* node) {
        return node->getType() == "LightNode" && static_cast<LightNode*>(node)->getLightType() != LightNode::ambientLight;
    };
    if (std::any_of(nodes.begin(), nodes.end(), shinesOnShapes))
        return;
    auto* light = new LightNode("viewer light", 2);
    light->setTransform(scene.getActiveCamera()->getWorldMatrix());
    scene.getRoot()->addChild(light);
}
