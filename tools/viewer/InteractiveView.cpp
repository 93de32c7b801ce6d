#include "InteractiveView.h"

#include "SceneFraming.h"

#include "pellux/core/KeyCodes.h"
#include "pellux/scene/CameraNode.h"
#include "pellux/scene/LightNode.h"
#include "pellux/scene/Scene.h"

#include <algorithm>

using namespace Pellux;

namespace
{
float dot(const Vector3& a, const Vector3& b)
{
    return a.x * b.x + a.y * b.y + a.z * b.z;
}
}

InteractiveView::InteractiveView(RenderEngine& engine, Scene& scene, std::vector<CameraNode*> documentCameras,
                                 LightNode* headlight, std::string title, const std::optional<Vector3>& eye)
    : engine(engine), scene(scene), documentCameras(std::move(documentCameras)), headlight(headlight),
      title(std::move(title)), bounds(drawnBounds(scene))
{
    CameraNode* active = scene.getActiveCamera();
    bool fromDocument =
        std::find(this->documentCameras.begin(), this->documentCameras.end(), active) != this->documentCameras.end();
    if (fromDocument)
        return;
    // The viewer placed this camera at the eye, or framed the scene with it from the orbit's first direction.
    ownCamera = active;
    if (eye)
        orbit.lookFrom(*eye, *eye * -1, eye->length());
    else
        orbit.frame(bounds, ownCamera->getFov());
}

void InteractiveView::run()
{
    lastCursor = engine.getCursorPosition();
    updateTitle();
    while (true)
    {
        CameraNode* camera = scene.getActiveCamera();
        if (camera == ownCamera)
            orbit.placeCamera(*ownCamera, bounds);
        if (headlight != nullptr)
            headlight->setTransform(camera->getWorldMatrix());
        engine.drawScene(scene, 1.0f);
        engine.endFrame();
        if (!engine.isWindowOpen() || engine.isKeyPressed(Key::Escape))
            return;
        followKeys();
        followMouse();
        if (playing)
            scene.setTime(scene.getTime() + engine.getFrameTime());
    }
}

void InteractiveView::followKeys()
{
    if (wentDown('F'))
        frameScene();
    if (wentDown(' '))
    {
        playing = !playing;
        updateTitle();
    }
    for (int digit = 1; digit <= 9; ++digit)
        if (wentDown('0' + digit))
            lookThrough(static_cast<std::size_t>(digit - 1));
}

void InteractiveView::followMouse()
{
    CursorPosition cursor = engine.getCursorPosition();
    auto right = static_cast<float>(cursor.x - lastCursor.x);
    auto down = static_cast<float>(cursor.y - lastCursor.y);
    lastCursor = cursor;
    bool orbiting = engine.isMouseButtonPressed(MouseButton::Left);
    bool panningRight = engine.isMouseButtonPressed(MouseButton::Right);
    bool panning = engine.isMouseButtonPressed(MouseButton::Middle) || panningRight;
    float wheel = engine.getWheelOffset();
    // Only a move while a button was held already drags: a move just before a press does not.
    bool dragged = (orbiting || panning) && buttonHeld && (right != 0 || down != 0);
    buttonHeld = orbiting || panning;
    if (!dragged && wheel == 0)
        return;
    takeOver();
    float windowHeight = RenderEngine::getScreenRectangle()->height;
    if (dragged && orbiting)
        orbit.orbit(right, down, windowHeight);
    else if (dragged)
        orbit.pan(right, down, windowHeight, ownCamera->getFov());
    orbit.zoom(wheel);
}

void InteractiveView::takeOver()
{
    CameraNode* active = scene.getActiveCamera();
    if (active == ownCamera)
        return;
    if (ownCamera == nullptr)
    {
        // In the tree, so that it goes with the scene's nodes.
        ownCamera = new CameraNode("viewer camera");
        scene.getRoot()->addChild(ownCamera);
    }
    ownCamera->setFov(active->getFov());
    Vector3 eye = active->getWorldPosition();
    Vector3 direction = active->getWorldDirection();
    // Circling the point ahead that is as far as the middle of the scene, or the scene's size
    // ahead when the middle lies behind.
    Vector3 middle = (bounds.low + bounds.high) * 0.5f;
    float ahead = dot(middle - eye, direction) / direction.length();
    float size = (bounds.high - bounds.low).length();
    orbit.lookFrom(eye, direction, ahead > 0 ? ahead : size);
    scene.setActiveCamera(ownCamera);
    updateTitle();
}

void InteractiveView::frameScene()
{
    takeOver();
    // Where the animation has the meshes now.
    Bounds now = drawnBounds(scene);
    if (!now.empty)
        bounds = now;
    orbit.frame(bounds, ownCamera->getFov());
}

void InteractiveView::lookThrough(std::size_t cameraIndex)
{
    if (cameraIndex >= documentCameras.size())
        return;
    scene.setActiveCamera(documentCameras[cameraIndex]);
    updateTitle();
}

void InteractiveView::updateTitle()
{
    std::string text = "pellux-view: " + title;
    if (scene.getActiveCamera() != ownCamera)
        text += " - camera " + scene.getActiveCamera()->getName();
    if (!playing)
        text += " - paused";
    engine.setWindowTitle(text);
}

bool InteractiveView::wentDown(int key)
{
    bool down = engine.isKeyPressed(key);
    bool wasDown = keysDown[static_cast<std::size_t>(key)];
    keysDown[static_cast<std::size_t>(key)] = down;
    return down && !wasDown;
}
