// hello_scene: opens a window, loads a COLLADA or glTF document and plays it.
// Usage: hello_scene SCENE.dae|SCENE.gltf|SCENE.glb [FRAMES [PICTURE.png]]. Without FRAMES it plays
// until Escape or until the window is closed; with PICTURE it saves the last frame as a PNG file.
#include <pellux/collada/ColladaSceneloader.h>
#include <pellux/core/KeyCodes.h>
#include <pellux/core/RenderEngine.h>
#include <pellux/core/Tavrin.h>
#include <pellux/core/WindowPicture.h>
#include <pellux/gltf/GltfSceneloader.h>
#include <pellux/scene/Scene.h>

#include <cstdlib>
#include <iostream>
#include <memory>

int main(int argc, char** argv)
{
    if (argc < 2 || argc > 4)
    {
        std::cerr << "usage: hello_scene SCENE.dae|SCENE.gltf|SCENE.glb [FRAMES [PICTURE.png]]" << std::endl;
        return 2;
    }
    const int frames = argc > 2 ? std::atoi(argv[2]) : -1;
    const int width = 800, height = 600;

    // Set-up: an engine of the program's own, a window with an OpenGL 3.2 core context, the scene with
    // its camera and lights.
    Pellux::Tavrin pellux;
    Pellux::RenderEngine& engine = *pellux.getRenderEngine();
    if (!engine.init(width, height, false))
        return 1;
    bool read = false;
    std::unique_ptr<Pellux::Scene> scene(Pellux::GltfSceneloader::isGltf(argv[1])
                                             ? Pellux::GltfSceneloader::load(File(argv[1]), &read)
                                             : Pellux::ColladaSceneloader::load(File(argv[1]), &read));
    if (!read)
        return 1;

    // The loop: animate, draw, show. endFrame() shows the picture, reads the keys and times the frame.
    for (int frame = 1; frames < 0 || frame <= frames; ++frame)
    {
        scene->setTime(scene->getTime() + engine.getFrameTime());
        engine.drawScene(*scene, 1.0f);
        if (frame == frames && argc == 4 && !Pellux::saveWindowPicture(width, height, argv[3]))
            return 1;
        engine.endFrame();
        if (!engine.isWindowOpen() || engine.isKeyPressed(Pellux::Key::Escape))
            break;
    }
    // Tear-down: the scene frees its nodes, then the engine its window, meshes, materials and images.
    return 0;
}
