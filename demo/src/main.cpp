#include "FrameRateReporter.h"

#include "pellux/core/KeyCodes.h"
#include "pellux/core/RenderEngine.h"
#include "pellux/core/Tavrin.h"
#include "pellux/foundation/Logger.h"
#include "pellux/foundation/Settings.h"

#include <cstdlib>
#include <iostream>
#include <stdexcept>

namespace
{
// Bound before main, so the log's opening empty lines come first.
Logger& logger = Logger::getInstance();
const int exitKey = Pellux::Key::Escape;

int readInt(Pellux::Settings& settings, const char* section, const char* key)
{
    return std::atoi(settings.get(section, key).c_str());
}
}

int main()
{
    Pellux::Tavrin* root = nullptr;
    try
    {
        root = &Pellux::Tavrin::getInstance();
    }
    catch (const std::runtime_error& error)
    {
        std::cerr << error.what() << std::endl;
        return 1;
    }
    Pellux::RenderEngine& renderEngine = *root->getRenderEngine();
    Pellux::Settings& settings = *root->getSettings();

    int width = readInt(settings, "graphics", "width");
    int height = readInt(settings, "graphics", "height");
    bool fullScreen = settings.get("graphics", "fullscreen") != "0";
    if (!renderEngine.init(width, height, fullScreen))
    {
        LOG(logger.err) << "The demo needs a window with an OpenGL 3.2 core context; stopping" << std::endl;
        return 1;
    }
    renderEngine.endFrame();

    FrameRateReporter frameRate(logger);
    bool running = true;
    while (running)
    {
        frameRate.addFrame(renderEngine.getFrameTime(), renderEngine.getFps());
        if (renderEngine.isKeyPressed(exitKey))
            running = false;
        renderEngine.endFrame();
        running = running && renderEngine.isWindowOpen();
    }
    return 0;
}
