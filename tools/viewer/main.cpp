// pellux-view: loads a COLLADA document or an Ogre XML mesh, prints what it holds and renders it
// to a PNG file. Engine log lines go to standard error, so that standard output holds the summary.
#include "SceneFraming.h"
#include "SceneSummary.h"
#include "ViewerOptions.h"

#include "pellux/collada/ColladaSceneloader.h"
#include "pellux/core/RenderEngine.h"
#include "pellux/core/Tavrin.h"
#include "pellux/core/WindowPicture.h"
#include "pellux/foundation/Settings.h"
#include "pellux/foundation/StringUtils.h"
#include "pellux/materials/MaterialManager.h"
#include "pellux/materials/SinglePassAutoMapMaterial.h"
#include "pellux/resources/ImageManager.h"
#include "pellux/resources/Mesh.h"
#include "pellux/resources/MeshManager.h"
#include "pellux/resources/SubMesh.h"
#include "pellux/scene/MeshNode.h"
#include "pellux/scene/Scene.h"

#include <filesystem>
#include <iostream>
#include <memory>
#include <set>

using namespace Pellux;

namespace
{
const int unreadable = 1;
const int usageError = 2;

bool isOgreMesh(const std::string& path)
{
    return StringUtils::endsWith(path, ".xml") || StringUtils::endsWith(path, ".XML");
}

// A mesh file names materials of its own engine; each gets a plain white one here, made only for
// drawing. Returns how many it provides.
std::size_t provideMaterials(const Mesh& mesh, bool rendering)
{
    MaterialManager& materials = *Tavrin::getInstance().getMaterialManager();
    std::set<std::string> missing;
    for (SubMesh* subMesh : mesh.getSubMeshes())
        if (materials.get(subMesh->getMaterialName()) == nullptr)
            missing.insert(subMesh->getMaterialName());
    if (rendering)
        for (const std::string& name : missing)
            materials.add(new SinglePassAutoMapMaterial(name, std::make_shared<File>("resources/shader/default.vert"),
                                                        nullptr, std::make_shared<File>("resources/shader/default.frag")));
    return missing.size();
}

Scene* loadOgreMesh(const std::string& path, bool rendering, bool& read, std::size_t& materials)
{
    auto* scene = new Scene("scene");
    Mesh* mesh = Tavrin::getInstance().getMeshManager()->loadOgreXML(File(path), &read);
    // Kept by the mesh manager, as every mesh the engine draws.
    Tavrin::getInstance().getMeshManager()->add(mesh);
    materials = provideMaterials(*mesh, rendering);
    auto* holder = new SceneNode("mesh");
    holder->addChild(new MeshNode(mesh->getName() + "_mesh", mesh));
    scene->getRoot()->addChild(holder);
    return scene;
}

// The document's scene; `materials` tells how many materials it brought, made or, without
// rendering, that would be made.
Scene* loadScene(const std::string& path, bool rendering, bool& read, std::size_t& materials)
{
    if (isOgreMesh(path))
        return loadOgreMesh(path, rendering, read, materials);
    if (!rendering)
        return ColladaSceneloader::loadWithoutRendering(File(path), &read, materials);
    MaterialManager& registered = *Tavrin::getInstance().getMaterialManager();
    std::size_t before = registered.size();
    Scene* scene = ColladaSceneloader::load(File(path), &read);
    materials = registered.size() - before;
    return scene;
}

bool renderToPng(RenderEngine& engine, Scene& scene, const ViewerOptions& options)
{
    // The first frame fills the shadow maps that the second one samples.
    for (int frame = 0; frame < 2; ++frame)
    {
        engine.endFrame();
        engine.drawScene(scene, 1.0f);
    }
    std::shared_ptr<Rectangle> window = RenderEngine::getScreenRectangle();
    return saveWindowPicture(static_cast<int>(window->width), static_cast<int>(window->height), options.png);
}

// The engine root, or null after a line saying why it cannot be built: without its settings file.
Tavrin* openEngineRoot()
{
    File settingsFile = Settings::file();
    if (!settingsFile.exists())
    {
        std::cerr << "pellux-view: Datei existiert nicht: " << settingsFile.getFullPath() << std::endl;
        return nullptr;
    }
    return &Tavrin::getInstance();
}

int view(int argc, char** argv, std::ostream& summary)
{
    ViewerOptions options;
    std::string error;
    if (!parseViewerOptions(argc, argv, options, error))
    {
        std::cerr << "pellux-view: " << error << "\n" << viewerUsage << std::endl;
        return usageError;
    }
    std::filesystem::path document = std::filesystem::absolute(options.file);
    if (!std::filesystem::is_regular_file(document))
    {
        std::cerr << "pellux-view: cannot read " << options.file << std::endl;
        return unreadable;
    }
    // Paths given on the command line are meant from where the viewer was started.
    if (!options.png.empty())
        options.png = std::filesystem::absolute(options.png).string();
    std::string engineDirectory = options.engineDirectory.empty() ? PELLUX_DEMO_DIR : options.engineDirectory;
    std::error_code notEntered;
    std::filesystem::current_path(engineDirectory, notEntered);
    if (notEntered)
    {
        std::cerr << "pellux-view: cannot work in " << engineDirectory << ": " << notEntered.message() << std::endl;
        return unreadable;
    }
    Tavrin* root = openEngineRoot();
    if (root == nullptr)
        return unreadable;
    // A window only for a picture: what the summary says needs none, so it works without a display.
    bool rendering = !options.png.empty();
    RenderEngine& engine = *root->getRenderEngine();
    if (rendering && !engine.init(options.width, options.height, false, "--size"))
    {
        std::cerr << "pellux-view: no window with an OpenGL 3.2 core context" << std::endl;
        return unreadable;
    }
    root->getImageManager()->addSearchPath(document.parent_path().string());
    bool read = false;
    std::size_t materials = 0;
    std::unique_ptr<Scene> scene(loadScene(document.string(), rendering, read, materials));
    if (!read)
    {
        std::cerr << "pellux-view: cannot read " << options.file << std::endl;
        return unreadable;
    }
    scene->setTime(options.time);
    if (options.summary)
        printSceneSummary(summary, *scene, materials);
    if (!rendering)
        return 0;
    if (frameScene(*scene))
        std::cerr << "pellux-view: a camera of its own shows the whole scene" << std::endl;
    lightSceneIfDark(*scene);
    if (!renderToPng(engine, *scene, options))
    {
        std::cerr << "pellux-view: cannot write " << options.png << std::endl;
        return unreadable;
    }
    return 0;
}
}

int main(int argc, char** argv)
{
    std::ostream summary(std::cout.rdbuf());
    std::cout.rdbuf(std::cerr.rdbuf());
    int status = view(argc, argv, summary);
    // Now, not at exit: a leak check may end the process before the C library flushes its streams.
    summary.flush();
    return status;
}
