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

// The box the drawn meshes fill at any time of the scene's animations: the boxes at the scene's
// time and at evenly spaced times from 0 to the last key, taken together. The scene is left at its
// time.
Pellux::Bounds animatedBounds(Pellux::Scene& scene);

// For a document without a camera, or whose camera looks away from its meshes: a camera that sees
// every mesh within `bounds`; true when it made one. For one without lights, or with ambient lights
// only: a light at the camera, so that the picture shows the shapes; it returns that light, or null.
bool frameScene(Pellux::Scene& scene, const Pellux::Bounds& bounds);
Pellux::LightNode* lightSceneIfDark(Pellux::Scene& scene);

// A camera of the viewer's own at `eye`, looking at the origin with +Y up, its near and far planes around
// `bounds`; the document's cameras stay where they are.
void lookFromEye(Pellux::Scene& scene, const Pellux::Bounds& bounds, const Pellux::Vector3& eye);
