#pragma once

#include "pellux/scene/Bounds.h"

#include <vector>

namespace Pellux
{
class CameraNode;
class LightNode;
class Scene;
}

// The world-space box of every vertex of the scene's meshes as it is drawn now: skinned meshes
// where their joints hold them.
Pellux::Bounds drawnBounds(Pellux::Scene& scene);
// The cameras of the scene's tree, depth first; lights, which are cameras for their shadow maps,
// are not among them.
std::vector<Pellux::CameraNode*> camerasOf(Pellux::Scene& scene);

// For a document without a camera, or whose camera looks away from its meshes: a camera that sees
// every mesh; true when it made one. For one without lights, or with ambient lights only: a light at
// the camera, so that the picture shows the shapes; it returns that light, or null.
bool frameScene(Pellux::Scene& scene);
Pellux::LightNode* lightSceneIfDark(Pellux::Scene& scene);
