#pragma once

#include "OrbitCamera.h"

#include "pellux/core/RenderEngine.h"

#include <array>
#include <optional>
#include <string>
#include <vector>

namespace Pellux
{
class CameraNode;
class LightNode;
class Scene;
}

// The viewer's window: draws the scene every frame and lets the user look around it. Left drag
// orbits, right or middle drag pans, the wheel zooms, F frames the scene, Space pauses and resumes
// the animation (in real time), 1 to 9 look through the document's cameras, Escape or closing the
// window ends it. The view starts as the scene's active camera shows it; the first move from a
// camera of the document goes on from where that camera stands, with a camera of the viewer's own.
class InteractiveView
{
public:
    // `documentCameras` are the cameras the document brought; `headlight` (or null) is a light of
    // the viewer's own that goes with the view; `title` names the document in the window's title.
    // `eye`, when given, is where the viewer's own camera stands at first, circling the origin.
    InteractiveView(Pellux::RenderEngine& engine, Pellux::Scene& scene,
                    std::vector<Pellux::CameraNode*> documentCameras, Pellux::LightNode* headlight, std::string title,
                    const std::optional<Pellux::Vector3>& eye);

    // Until Escape or the window closes.
    void run();

private:
    void followKeys();
    void followMouse();
    // The viewer's own camera made active, taking over the pose of a document camera showing now.
    void takeOver();
    void frameScene();
    void lookThrough(std::size_t cameraIndex);
    void updateTitle();
    // Whether the key went down since the last frame; a key held down counts once.
    bool wentDown(int key);

    Pellux::RenderEngine& engine;
    Pellux::Scene& scene;
    std::vector<Pellux::CameraNode*> documentCameras;
    Pellux::LightNode* headlight;
    std::string title;
    Pellux::CameraNode* ownCamera = nullptr;
    OrbitCamera orbit;
    Pellux::Bounds bounds;
    bool playing = true;
    Pellux::CursorPosition lastCursor;
    // Whether a mouse button that drags was down at the last frame.
    bool buttonHeld = false;
    // Keys by their engine code that were down at the last frame.
    std::array<bool, 512> keysDown{};
};
