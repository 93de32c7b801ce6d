#pragma once

namespace Pellux
{
class Scene;
}

// For a document without a camera, or whose camera looks away from its meshes: a camera that sees
// every mesh; true when it made one. For one without lights, or with ambient lights only: a light at
// the camera, so that the picture shows the shapes.
bool frameScene(Pellux::Scene& scene);
void lightSceneIfDark(Pellux::Scene& scene);
