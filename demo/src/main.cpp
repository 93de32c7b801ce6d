#include "FrameRateReporter.h"
#include "Show.h"
#include "ShowCapture.h"
#include "ShowSetUp.h"
#include "ShowSound.h"

#include "pellux/core/RenderEngine.h"
#include "pellux/core/Tavrin.h"
#include "pellux/foundation/Logger.h"
#include "pellux/foundation/Settings.h"
#include "pellux/materials/MaterialManager.h"
#include "pellux/resources/ImageManager.h"
#include "pellux/scene/Scene.h"
#include "pellux/scene/SoundNode.h"

#include <iostream>

namespace
{
// Bound before main, so the log's opening empty lines come first.
Logger& logger = Logger::getInstance();
}

int main(int argc, char** argv)
{
    ShowCapture capture;
    std::string error;
    if (!capture.parse(argc, argv, error))
    {
        std::cerr << "pellux-demo: " << error << "\n" << demoUsage << std::endl;
        return 2;
    }
    // The show's window and fonts are chosen in its settings: it does not start without them.
    File settingsFile = Pellux::Settings::file();
    if (!settingsFile.exists())
    {
        std::cerr << "Datei existiert nicht: " << settingsFile.getFullPath() << std::endl;
        return 1;
    }
    Pellux::Tavrin* root = &Pellux::Tavrin::getInstance();
    root->initFonts();
    Pellux::RenderEngine& renderEngine = *root->getRenderEngine();
    Pellux::Settings& settings = *root->getSettings();

    int width = settings.getSize("graphics", "width");
    int height = settings.getSize("graphics", "height");
    bool fullScreen = settings.getSwitch("graphics", "fullscreen", true);
    if (!renderEngine.init(width, height, fullScreen, Pellux::Settings::describe("graphics")))
    {
        LOG(logger.err) << "The demo needs a window with an OpenGL 3.2 core context; stopping" << std::endl;
        return 1;
    }
    renderEngine.setRenderScale(settings.getFraction("graphics", "renderScale"));
    renderEngine.endFrame();

    Pellux::MaterialManager& materials = *root->getMaterialManager();
    createMaterials(logger, materials, *root->getImageManager());
    std::shared_ptr<Pellux::Scene> scene = loadShowScene(materials);
    Pellux::SoundNode soundNode("sound");
    soundNode.load(File("resources/audio/mysteriousTickingNoise.mp3"));
    SoundNodeSound sound(soundNode);
    Show show(*scene, sound, materials);
    renderEngine.warmUp(*scene);

    FrameRateReporter frameRate(logger);
    auto isHeld = [&](int key) { return renderEngine.isKeyPressed(key); };
    bool running = true;
    while (running)
    {
        float frameTime = renderEngine.getFrameTime();
        show.advanceClock(frameTime);
        renderEngine.drawScene(*scene, show.getFade());
        std::shared_ptr<Pellux::Rectangle> screen = Pellux::RenderEngine::getScreenRectangle();
        capture.afterDrawing(scene->getTime(), static_cast<int>(screen->width), static_cast<int>(screen->height));
        frameRate.addFrame(frameTime, renderEngine.getFps());
        running = show.handleKeys(isHeld, frameTime);
        if (show.finishFrame(frameTime))
            return 0;
        renderEngine.endFrame();
        running = running && renderEngine.isWindowOpen();
    }
    return 0;
}
