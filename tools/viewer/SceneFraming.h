#pragma once

namespace Pellux
{
class Scene;
}

// For a document without a camera: a camera that sees every mesh. For one without lights: a
// light at the camera, so that the picture is lit.
void frameScene(Pellux::Scene& scene);
void lightSceneIfDark(Pellux::Scene& scene);
