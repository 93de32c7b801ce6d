// Feeds arbitrary bytes to the COLLADA importer and draws what it built: one frame, shadows
// included, into a small window. Building with materials and drawing must not crash, leave OpenGL
// state behind that breaks the next draw, or let memory grow with what a document claims. Needs a
// display (Xvfb); without one every input is skipped. Built for libFuzzer (scripts/fuzz
// collada-draw), and as a replay of its corpus for the tests.
#include "FuzzSupport.h"

#include "pellux/collada/ColladaReader.h"
#include "pellux/collada/ColladaSceneloader.h"
#include "pellux/core/RenderEngine.h"
#include "pellux/core/Tavrin.h"
#include "pellux/foundation/XmlDocument.h"
#include "pellux/scene/Scene.h"

#include <tinyxml.h>

#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <memory>

namespace
{
// The engine with a window of 64 x 64 pixels, in the demo's directory, where it finds its settings,
// shaders and the files a document may name; null without a display.
Pellux::RenderEngine* openSmallWindow()
{
    silenceLog();
    std::filesystem::current_path(PELLUX_DEMO_DIR);
    Pellux::RenderEngine* engine = Pellux::Tavrin::getInstance().getRenderEngine();
    if (std::getenv("DISPLAY") == nullptr || !engine->init(64, 64, false))
    {
        std::cerr << "no display: the drawing fuzz target skips every input" << std::endl;
        return nullptr;
    }
    return engine;
}
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static Pellux::RenderEngine* engine = openSmallWindow();
    if (engine == nullptr)
        return 0;
    TiXmlDocument xml;
    std::string problem;
    if (!Pellux::parseXmlText(std::string(reinterpret_cast<const char*>(data), size), xml, problem))
        return 0;
    Pellux::Collada::Document document = Pellux::ColladaReader::read(xml);
    auto scene = std::make_unique<Pellux::Scene>("scene");
    Pellux::ColladaSceneloader::build(document, "fuzz input", *scene, true);
    scene->setTime(1.0f);
    engine->drawScene(*scene, 1.0f);
    engine->endFrame();
    return 0;
}
