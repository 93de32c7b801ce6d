#include "SceneFraming.h"

#include "pellux/core/Tavrin.h"
#include "pellux/scene/CameraNode.h"
#include "pellux/scene/KeyframeAnimation.h"
#include "pellux/scene/LightNode.h"
#include "pellux/scene/Scene.h"

#include "CaptureOutput.h"
#include "SceneBuilding.h"

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

TEST(SceneFraming, TheBoundsOfAnAnimatedSceneHoldEveryPlaceItsMeshesReach)
{
    std::filesystem::current_path(PELLUX_DEMO_DIR);
    createLoggerQuietly();
    std::unique_ptr<Scene> scene;
    captureOutput([&] {
        Tavrin::getInstance();
        scene = std::make_unique<Scene>("scene");
    });
    MeshNode* square = placeMesh(*scene->getRoot(), "square", makeQuadMesh("any", 1), {0, 0, 0});
    auto* slide = new KeyframeAnimation();
    slide->setTarget(square);
    slide->addKeyframe(0, translation({0, 0, 0}));
    slide->addKeyframe(1, translation({5, 0, 0}));
    slide->addKeyframe(2, translation({10, 0, 0}));
    scene->addAnimation(slide);
    scene->setTime(2);
    Bounds bounds = animatedBounds(*scene);
    EXPECT_FLOAT_EQ(bounds.low.x, -1);
    EXPECT_FLOAT_EQ(bounds.high.x, 11);
    EXPECT_EQ(scene->getTime(), 2) << "the scene stays at its time";
    EXPECT_FLOAT_EQ(square->getTransform()(0, 3), 10);
    delete square->getMesh();
}
}
