#include "graphics/GraphicsContext.h"
#include "pellux/collada/ColladaSceneloader.h"
#include "pellux/core/RenderEngine.h"
#include "pellux/core/Tavrin.h"
#include "pellux/foundation/DataDirectories.h"
#include "pellux/materials/MaterialManager.h"
#include "pellux/materials/SinglePassAutoMapMaterial.h"
#include "pellux/resources/MeshManager.h"
#include "pellux/resources/Resource.h"
#include "pellux/scene/LightNode.h"
#include "pellux/scene/Scene.h"
#include "renderer/Renderer.h"

#include "CaptureOutput.h"
#include "GlContext.h"
#include "SceneBuilding.h"

#include <GL/glew.h>
#include <GLFW/glfw3.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <optional>
#include <vector>

using namespace Pellux;

namespace
{
const std::string fixtures = std::string(PELLUX_TEST_DATA_DIR) + "/collada/";

// A scene and everything it is drawn with: nothing reaches for an engine, a window or OpenGL.
TEST(EngineContextTest, MakingASceneStartsNothing)
{
    createLoggerQuietly();
    {
        Scene scene("alone");
        scene.setTime(1.0f);
        EXPECT_EQ(scene.getRenderTarget(), nullptr) << "a target needs a window";
    }
    EXPECT_FALSE(Tavrin::hasInstance());
    EXPECT_EQ(glfwGetCurrentContext(), nullptr);
    EXPECT_EQ(GraphicsContext::current(), nullptr);
    EXPECT_EQ(Renderer::current(), nullptr);
}

// Without a window there is no OpenGL to build shaders in: one line says so, and the material, which
// drew nothing, does not crash the draw that meets it.
TEST(EngineContextTest, AMaterialMadeWithoutAWindowSaysSoAndDrawsNothing)
{
    createLoggerQuietly();
    std::filesystem::current_path(PELLUX_DEMO_DIR);
    std::unique_ptr<SinglePassAutoMapMaterial> material;
    std::string log = captureStdout([&] {
        material = std::make_unique<SinglePassAutoMapMaterial>(
            "early", std::make_shared<File>(DataDirectories::find("shader/default.vert")), nullptr,
            std::make_shared<File>(DataDirectories::find("shader/default.frag")));
    });
    EXPECT_FALSE(material->isLinked());
    std::size_t line = log.find("ERR:\t[ SinglePassAutoMapMaterial.cpp (");
    ASSERT_NE(line, std::string::npos) << log;
    EXPECT_EQ(log.substr(log.find(")]:\t", line) + 4),
              "material 'early': no engine window is open, so its shaders cannot be built; it draws nothing\n");
    Scene scene("early");
    MeshNode node("box", nullptr);
    material->draw(&scene, &node, nullptr, nullptr);
    EXPECT_FALSE(Tavrin::hasInstance());
}

struct Frame
{
    bool drawn = false;
    std::vector<unsigned char> pixels;
    bool glErrors = true;
};

std::size_t litPixels(const Frame& frame)
{
    std::size_t lit = 0;
    for (std::size_t pixel = 0; pixel + 3 < frame.pixels.size(); pixel += 4)
        if (frame.pixels[pixel] + frame.pixels[pixel + 1] + frame.pixels[pixel + 2] > 0)
            ++lit;
    return lit;
}

// One engine of the program's own, from start to end: a window, a document loaded into it, and a
// scene of a lit box on a plane with a shadow-casting spot light, drawn once and read back.
Frame drawWithAnEngineOfItsOwn()
{
    Frame frame;
    std::optional<Tavrin> engine;
    captureStdout([&] { engine.emplace(); });
    EXPECT_EQ(&Tavrin::current(), &*engine);
    RenderEngine& window = *engine->getRenderEngine();
    bool opened = false;
    captureStdout([&] { opened = window.init(160, 120, false); });
    if (!opened)
        return frame;
    captureStdout([&] { delete ColladaSceneloader::load(File(fixtures + "scene.dae")); });
    EXPECT_NE(engine->getMeshManager()->get("box-geometry"), nullptr) << "the document loads into this engine";

    Scene scene("own");
    captureStdout([&] {
        auto vertex = std::make_shared<File>(DataDirectories::find("shader/default.vert"));
        auto fragment = std::make_shared<File>(DataDirectories::find("shader/default.frag"));
        engine->getMaterialManager()->add(new SinglePassAutoMapMaterial("ground", vertex, nullptr, fragment));
    });
    {
        Mesh* plane = makeQuadMesh("ground", 10);
        Mesh* box = makeBoxMesh("ground", 1.0f);
        engine->getMeshManager()->add(plane);
        engine->getMeshManager()->add(box);
        placeMesh(*scene.getRoot(), "plane", plane, {0, 0, 0});
        placeMesh(*scene.getRoot(), "box", box, {0, 1, 0});
        auto* spot = new LightNode("spot", 0);
        spot->setTransform(translation({0, 10, 0}));
        spot->lookAt(0, 0, 0);
        spot->setShadowType(1);
        scene.getRoot()->addChild(spot);
        scene.getActiveCamera()->setTransform(translation({0, 12, 8}));
        scene.getActiveCamera()->lookAt(0, 0, 0);
    }
    captureStdout([&] {
        window.endFrame();
        window.drawScene(scene, 1.0f);
    });
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    frame.pixels.resize(160 * 120 * 4);
    glReadPixels(0, 0, 160, 120, GL_RGBA, GL_UNSIGNED_BYTE, frame.pixels.data());
    frame.glErrors = glErrorRaised();
    frame.drawn = true;
    return frame;
}
}

// What a program makes and drops again: the second engine starts from nothing the first left, and
// the leak check at the end of the process finds nothing of either.
TEST(EngineContextTest, TwoEnginesOneAfterTheOtherEachDrawAndLeaveNothing)
{
    createLoggerQuietly();
    std::filesystem::current_path(PELLUX_DEMO_DIR);
    Frame first = drawWithAnEngineOfItsOwn();
    ASSERT_TRUE(first.drawn);
    EXPECT_EQ(GraphicsContext::current(), nullptr);
    EXPECT_EQ(Renderer::current(), nullptr);
    EXPECT_EQ(glfwGetCurrentContext(), nullptr);

    Frame second = drawWithAnEngineOfItsOwn();
    ASSERT_TRUE(second.drawn);
    EXPECT_FALSE(first.glErrors);
    EXPECT_FALSE(second.glErrors);
    EXPECT_GT(litPixels(first), 100u) << "the document's lit box shows";
    EXPECT_TRUE(first.pixels == second.pixels) << "both engines draw the same picture";
    EXPECT_FALSE(Tavrin::hasInstance()) << "no default engine was made behind the program's back";
    // The registry of resources keeps what lives reachable, which would hide a leak from the check.
    EXPECT_EQ(Resource::dumpRegistry(), "") << "every image, mesh and material went with its engine";
}
