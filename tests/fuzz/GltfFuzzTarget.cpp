// Feeds arbitrary bytes to the glTF importer as a document, JSON or GLB: reading it, checking its
// accessors and building the scene must not crash, hang or read out of bounds. Without a window
// no material is built. Built for libFuzzer (scripts/fuzz), and as a replay of the corpus for the
// tests.
#include "FuzzSupport.h"

#include "pellux/gltf/GltfSceneloader.h"
#include "pellux/scene/Scene.h"

#include <memory>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static bool opened = openEngineRoot();
    (void)opened;
    InputFile input(data, size, ".gltf");
    std::unique_ptr<Pellux::Scene> scene(Pellux::GltfSceneloader::load(File(input.path())));
    scene->getMeshNodes();
    return 0;
}
