#include "SceneFraming.h"

#include "pellux/core/Tavrin.h"
#include "pellux/scene/CameraNode.h"
#include "pellux/scene/LightNode.h"
#include "pellux/scene/Scene.h"

#include "CaptureOutput.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

using namespace Pellux;

namespace
{
TEST(SceneFraming, TheDocumentsCamerasAreItsCamerasButNotItsLights)
{
    std::filesystem::current_path(PELLUX_DEMO_DIR);
    createLoggerQuietly();
    std::unique_ptr<Scene> scene;
    CameraNode* front = nullptr;
    CameraNode* back = nullptr;
    captureOutput([&] {
        Tavrin::getInstance();
        scene = std::make_unique<Scene>("scene");
        auto* rig = new SceneNode("a rig");
        scene->getRoot()->addChild(rig);
        rig->addChild(new LightNode("a lamp", 2));
        front = new CameraNode("b front");
        rig->addChild(front);
        back = new CameraNode("c back");
        scene->getRoot()->addChild(back);
    });
    EXPECT_EQ(camerasOf(*scene), (std::vector<CameraNode*>{front, back}));
}
}
