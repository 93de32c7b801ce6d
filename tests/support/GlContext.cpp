#include "GlContext.h"

#include "CaptureOutput.h"

#include "pellux/core/Tavrin.h"

#include <GL/glew.h>

#include <filesystem>
#include <iostream>

Pellux::RenderEngine* openRenderEngine()
{
    static Pellux::RenderEngine* engine = [] {
        std::filesystem::current_path(PELLUX_DEMO_DIR);
        Pellux::RenderEngine* rootEngine = nullptr;
        bool opened = false;
        std::string log = captureStdout([&] {
            rootEngine = Pellux::Tavrin::getInstance().getRenderEngine();
            opened = rootEngine->init(640, 480);
        });
        if (!opened)
            std::cerr << log;
        return opened ? rootEngine : nullptr;
    }();
    return engine;
}

Rgba readPixel(int x, int y)
{
    unsigned char pixel[4] = {0, 0, 0, 0};
    glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, pixel);
    return {pixel[0], pixel[1], pixel[2], pixel[3]};
}

bool glErrorRaised()
{
    bool raised = false;
    while (glGetError() != GL_NO_ERROR)
        raised = true;
    return raised;
}
