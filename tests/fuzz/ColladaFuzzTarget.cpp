// Feeds arbitrary bytes to the COLLADA loader as a document: it must not crash, hang or read out
// of bounds. Built for libFuzzer (scripts/fuzz), and as a replay of the corpus for the tests.
#include "FuzzSupport.h"

#include "pellux/collada/ColladaSceneloader.h"
#include "pellux/core/RenderEngine.h"
#include "pellux/core/Tavrin.h"
#include "pellux/scene/Scene.h"

#include <cstdlib>
#include <filesystem>

namespace
{
// The engine, opened once for all inputs, in the demo's directory so that it finds its shaders.
bool openEngine()
{
    silenceLog();
    std::filesystem::current_path(PELLUX_DEMO_DIR);
    return Pellux::Tavrin::getInstance().getRenderEngine()->init(64, 64, false);
}
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static bool opened = openEngine();
    if (!opened)
        std::abort();
    InputFile document(data, size, ".dae");
    delete Pellux::ColladaSceneloader::load(File(document.path()));
    return 0;
}
