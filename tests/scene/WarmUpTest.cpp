// Drawing a scene once at 1 x 1 pixel before its first frame leaves that frame as it would be.
#include "pellux/core/RenderEngine.h"
#include "pellux/core/Tavrin.h"
#include "pellux/foundation/DataDirectories.h"
#include "pellux/materials/MaterialManager.h"
#include "pellux/materials/SinglePassAutoMapMaterial.h"
#include "pellux/resources/Image.h"
#include "pellux/scene/CameraNode.h"
#include "pellux/scene/LightNode.h"
#include "pellux/scene/Scene.h"

#include "CaptureOutput.h"
#include "GlContext.h"
#include "SceneBuilding.h"

#include <GL/glew.h>
#include <gtest/gtest.h>

#include <memory>
#include <vector>

using namespace Pellux;

namespace
{
const int width = 200;
const int height = 150;

void addWhiteMaterial()
{
    static bool added = false;
    if (added)
        return;
    added = true;
    Image* white = nullptr;
    SinglePassAutoMapMaterial* material = nullptr;
    captureOutput([&] {
        white = new Image("warm-up-white", 1, 1, {255, 255, 255, 255});
        material = new SinglePassAutoMapMaterial("warm-up-white", std::make_shared<File>(Pellux::DataDirectories::find("shader/default.vert")),
                                                 nullptr, std::make_shared<File>(Pellux::DataDirectories::find("shader/default.frag")));
    });
    material->addTexture(white);
    Tavrin::getInstance().getMaterialManager()->add(material);
}

// A box on a floor under a spot light that casts its shadow.
std::unique_ptr<Scene> boxOnAFloor()
{
    addWhiteMaterial();
    std::unique_ptr<Scene> scene;
    LightNode* spot = nullptr;
    CameraNode* camera = nullptr;
    captureStdout([&] {
        scene = std::make_unique<Scene>("warm-up");
        spot = new LightNode("spot", 0);
        camera = new CameraNode("camera");
    });
    placeMesh(*scene->getRoot(), "floor", makeQuadMesh("warm-up-white", 5), {0, 0, 0});
    placeMesh(*scene->getRoot(), "box", makeBoxMesh("warm-up-white", 1), {0, 1, 0});
    spot->setTransform(translation({-2, 7, -1}));
    spot->lookAt(0, 0, 0);
    spot->setFalloffAngle(1.2f);
    spot->setHotspotAngle(0.9f);
    spot->setShadowType(1);
    spot->setShadowDensity(1.0f);
    scene->getRoot()->addChild(spot);
    camera->setTransform(translation({5, 6, 8}));
    camera->lookAt(0, 0.5f, 0);
    scene->getRoot()->addChild(camera);
    scene->setActiveCamera(camera);
    return scene;
}

std::vector<unsigned char> windowPixels()
{
    std::vector<unsigned char> pixels(static_cast<std::size_t>(width) * height * 4);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    return pixels;
}

// The window after each of the scene's first frames.
std::vector<std::vector<unsigned char>> firstFrames(RenderEngine& engine, bool warmedUp)
{
    std::unique_ptr<Scene> scene = boxOnAFloor();
    std::vector<std::vector<unsigned char>> frames;
    captureOutput([&] {
        engine.endFrame();
        if (warmedUp)
            engine.warmUp(*scene);
        for (int frame = 0; frame < 2; ++frame)
        {
            engine.drawScene(*scene, 1.0f);
            frames.push_back(windowPixels());
            engine.endFrame();
        }
    });
    return frames;
}
}

TEST(WarmUpTest, TheFirstFramesLookAsTheyWouldWithoutIt)
{
    RenderEngine* engine = openRenderEngine();
    ASSERT_NE(engine, nullptr);
    createLoggerQuietly();
    Rectangle window = *RenderEngine::getScreenRectangle();
    RenderEngine::onWindowResize(width, height);
    std::vector<std::vector<unsigned char>> cold = firstFrames(*engine, false);
    std::vector<std::vector<unsigned char>> warm = firstFrames(*engine, true);
    RenderEngine::onWindowResize(static_cast<int>(window.width), static_cast<int>(window.height));
    // The second frame has the shadow the first one drew; the first has none.
    EXPECT_NE(cold[0], cold[1]);
    EXPECT_EQ(warm[0], cold[0]);
    EXPECT_EQ(warm[1], cold[1]);
    EXPECT_FALSE(glErrorRaised());
}
