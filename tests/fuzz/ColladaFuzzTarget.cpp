// Feeds arbitrary bytes to the COLLADA loader as a document: it must not crash, hang or read out
// of bounds. Built for libFuzzer (scripts/fuzz), and as a replay of the corpus for the tests.
#include "pellux/collada/ColladaSceneloader.h"
#include "pellux/core/RenderEngine.h"
#include "pellux/core/Tavrin.h"
#include "pellux/scene/Scene.h"

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <unistd.h>

namespace
{
// The engine, opened once for all inputs; its log is kept out of the fuzzer's output.
bool openEngine()
{
    static std::ostringstream quiet;
    std::cout.rdbuf(quiet.rdbuf());
    std::filesystem::current_path(PELLUX_DEMO_DIR);
    return Pellux::Tavrin::getInstance().getRenderEngine()->init(64, 64, false);
}

std::string documentPath()
{
    return (std::filesystem::temp_directory_path() / ("pellux-fuzz-" + std::to_string(getpid()) + ".dae")).string();
}
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static bool opened = openEngine();
    static std::string path = documentPath();
    if (!opened)
        std::abort();
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    delete Pellux::ColladaSceneloader::load(File(path));
    return 0;
}
