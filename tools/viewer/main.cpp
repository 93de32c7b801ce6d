// pellux-view: shows a COLLADA document or an Ogre XML mesh in a window to look around in, prints
// what it holds, or renders it to a PNG file. Engine log lines go to standard error, so that
// standard output holds what the viewer prints.
#include "InteractiveView.h"
#include "SceneFraming.h"
#include "SceneSummary.h"
#include "ViewerDocument.h"
#include "ViewerOptions.h"

#include "pellux/Version.h"
#include "pellux/core/RenderEngine.h"
#include "pellux/core/Tavrin.h"
#include "pellux/core/WindowPicture.h"
#include "pellux/foundation/DataDirectories.h"
#include "pellux/foundation/Logger.h"
#include "pellux/foundation/Settings.h"
#include "pellux/resources/ImageManager.h"
#include "pellux/scene/CameraNode.h"
#include "pellux/scene/Scene.h"

#include <filesystem>
#include <iostream>

using namespace Pellux;

namespace
{
const int unreadable = 1;
const int usageError = 2;
const int nothingToDraw = 3;

void setLogAmount(LogAmount amount)
{
    Logger& logger = Logger::getInstance();
    if (amount == LogAmount::Quiet)
        logger.setThreshold(logger.err);
    else if (amount == LogAmount::Verbose)
        logger.setThreshold(logger.all);
    else
        logger.setThreshold(logger.info);
}

// Whether the engine's data search finds its default shaders.
bool engineDataFound()
{
    for (const std::string& directory : DataDirectories::list())
        if (std::filesystem::is_regular_file(std::filesystem::path(directory) / "shader/default.vert"))
            return true;
    return false;
}

// With --engine-dir the engine works in that directory and needs its settings.txt, as the demo does
// in its own. Otherwise the viewer stays where it was started and takes nothing from settings.txt;
// built but not installed, it finds the engine's data in the tree it was built from.
bool prepareEngineData(const std::string& engineDirectory)
{
    if (engineDirectory.empty())
    {
        if (!engineDataFound())
            DataDirectories::addDirectory(PELLUX_ENGINE_DATA_DIR);
        return true;
    }
    std::error_code notEntered;
    std::filesystem::current_path(engineDirectory, notEntered);
    if (notEntered)
    {
        std::cerr << "pellux-view: cannot work in " << engineDirectory << ": " << notEntered.message() << std::endl;
        return false;
    }
    File settingsFile = Settings::file();
    if (!settingsFile.exists())
    {
        std::cerr << "pellux-view: Datei existiert nicht: " << settingsFile.getFullPath() << std::endl;
        return false;
    }
    return true;
}

// The engine root. Without a settings file to read, the engine's note that there is none would
// only puzzle: the viewer takes its window's size from its own options.
Tavrin& openEngineRoot()
{
    if (Settings::file().exists())
        return Tavrin::getInstance();
    Logger& logger = Logger::getInstance();
    LogStream threshold = logger.getThreshold();
    LogStream nothing = logger.err;
    ++nothing.value;
    logger.setThreshold(nothing);
    Tavrin& root = Tavrin::getInstance();
    logger.setThreshold(threshold);
    return root;
}

bool renderToPng(RenderEngine& engine, Scene& scene, const std::string& png)
{
    // The first frame fills the shadow maps that the second one samples.
    for (int frame = 0; frame < 2; ++frame)
    {
        engine.endFrame();
        engine.drawScene(scene, 1.0f);
    }
    std::shared_ptr<Rectangle> window = RenderEngine::getScreenRectangle();
    return saveWindowPicture(static_cast<int>(window->width), static_cast<int>(window->height), png);
}

// Draws the loaded scene: one picture into the PNG file, or the window to look around in.
int show(RenderEngine& engine, Scene& scene, const ViewerOptions& options, const std::string& pngFile)
{
    std::vector<CameraNode*> documentCameras = camerasOf(scene);
    // One camera for every time of the animation, so that pictures at different times compare.
    Bounds bounds = animatedBounds(scene);
    if (options.eye)
        lookFromEye(scene, bounds, *options.eye);
    else if (frameScene(scene, bounds) && options.log != LogAmount::Quiet)
        std::cerr << "pellux-view: a camera of its own shows the whole scene" << std::endl;
    LightNode* headlight = lightSceneIfDark(scene);
    if (options.interactive())
    {
        InteractiveView(engine, scene, documentCameras, headlight, options.file, options.eye).run();
        return 0;
    }
    if (!renderToPng(engine, scene, pngFile))
    {
        std::cerr << "pellux-view: cannot write " << options.png << std::endl;
        return unreadable;
    }
    return 0;
}

int view(const ViewerOptions& options, std::ostream& printed)
{
    setLogAmount(options.log);
    std::filesystem::path document = std::filesystem::absolute(options.file);
    if (!std::filesystem::is_regular_file(document))
    {
        std::cerr << "pellux-view: cannot read " << options.file << std::endl;
        return unreadable;
    }
    // Paths given on the command line are meant from where the viewer was started.
    std::string pngFile = options.png.empty() ? "" : std::filesystem::absolute(options.png).string();
    if (!prepareEngineData(options.engineDirectory))
        return unreadable;
    Tavrin& root = openEngineRoot();
    // A window to draw in; what is only printed needs none, so it works without a display.
    bool rendering = options.interactive() || !options.png.empty();
    RenderEngine& engine = *root.getRenderEngine();
    if (rendering && !engine.init(options.width, options.height, false, "--size"))
    {
        std::cerr << "pellux-view: no window with an OpenGL 3.2 core context" << std::endl;
        return unreadable;
    }
    root.getImageManager()->addSearchPath(document.parent_path().string());
    ViewerDocument loaded = loadViewerDocument(document.string(), rendering, options.scene, options.animation);
    if (!loaded.read)
    {
        std::cerr << "pellux-view: cannot read " << options.file << std::endl;
        return unreadable;
    }
    Scene& scene = *loaded.scene;
    scene.setTime(options.time);
    if (options.summary)
        printSceneSummary(printed, scene, loaded.materials, loaded.textures, loaded.unitInMetres);
    if (options.tree)
        printSceneTree(printed, scene);
    if (!hasSomethingToDraw(scene))
    {
        std::cerr << "pellux-view: " << options.file << " holds nothing to draw" << std::endl;
        return nothingToDraw;
    }
    return rendering ? show(engine, scene, options, pngFile) : 0;
}

int run(int argc, char** argv, std::ostream& printed)
{
    ViewerOptions options;
    std::string error;
    if (!parseViewerOptions(argc, argv, options, error))
    {
        std::cerr << "pellux-view: " << error << "\n" << viewerUsage << std::endl;
        return usageError;
    }
    if (options.help)
        printed << viewerHelp << std::endl;
    else if (options.version)
        printed << "pellux-view " << PELLUX_VERSION << std::endl;
    else
        return view(options, printed);
    return 0;
}
}

int main(int argc, char** argv)
{
    std::ostream printed(std::cout.rdbuf());
    // The logger begins with empty lines, which say nothing between the viewer's; from then on its
    // lines, and whatever else the engine writes to standard output, go to standard error.
    std::cout.rdbuf(nullptr);
    Logger::getInstance();
    std::cout.rdbuf(std::cerr.rdbuf());
    int status = run(argc, argv, printed);
    // Now, not at exit: a leak check may end the process before the C library flushes its streams.
    printed.flush();
    return status;
}
