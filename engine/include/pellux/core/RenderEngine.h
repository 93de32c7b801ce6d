#pragma once

#include "pellux/core/FrameTimer.h"
#include "pellux/foundation/Rectangle.h"

#include <memory>

struct GLFWwindow;

namespace Pellux
{

// The window with its OpenGL 3.2 core context, the frame boundary and the keyboard.
class RenderEngine
{
public:
    RenderEngine() = default;

    // Opens the window: full screen at the desktop's resolution, or a window of width x height
    // when fullScreen is false. False when no window with a usable context could be made.
    bool init(int width, int height, bool fullScreen = true);

    // Back to the window, swap, poll events, clear to opaque black and measure the frame.
    void endFrame();

    bool isWindowOpen() const;
    // `key` is an engine key code (see KeyCodes.h).
    bool isKeyPressed(int key) const;
    Rectangle getViewport() const;

    // The duration of the previous frame in seconds.
    float getFrameTime() const { return timer.getFrameTime(); }
    float getFps() const { return timer.getFps(); }

    // The window's drawable area, shared with every render target that draws to the screen.
    static std::shared_ptr<Rectangle> getScreenRectangle() { return screenRectangle; }
    static void onWindowResize(int width, int height);

private:
    bool openWindow(int width, int height, bool fullScreen);
    bool loadEntryPoints();

    FrameTimer timer;
    GLFWwindow* window = nullptr;

    static std::shared_ptr<Rectangle> screenRectangle;
};

}
