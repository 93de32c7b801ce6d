#include "SceneFraming.h"

#include "pellux/core/Tavrin.h"
#include "pellux/scene/CameraNode.h"
#include "pellux/scene/KeyframeAnimation.h"
#include "pellux/scene/LightNode.h"
#include "pellux/scene/Scene.h"

#include "CaptureOutput.h"
#include "SceneBuilding.h"

#include <gtest/gtest.h>

#include <cmath>
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

float dot(const Vector3& a, const Vector3& b)
{
    return a.x * b.x + a.y * b.y + a.z * b.z;
}

// From in front, from above and behind, from the side, and from straight above, where the view is
// turned a hair off the vertical so that +Y can still be up; with the scene's own camera, and with a
// document's camera, which stays where it is.
TEST(SceneFraming, AnEyeLooksAtTheOriginWithYUpAndSeesTheWholeSceneInDepth)
{
    std::filesystem::current_path(PELLUX_DEMO_DIR);
    createLoggerQuietly();
    const Vector3 eyes[] = {{0, 0, 5}, {0, 20, -20}, {-3, 0.5f, 0}, {0, 6, 0}};
    const float boxRadius = std::sqrt(3.0f);
    for (bool withDocumentCamera : {false, true})
        for (const Vector3& eye : eyes)
        {
            std::unique_ptr<Scene> scene;
            CameraNode* documentCamera = nullptr;
            captureOutput([&] {
                Tavrin::getInstance();
                scene = std::make_unique<Scene>("scene");
                if (!withDocumentCamera)
                    return;
                documentCamera = new CameraNode("document camera");
                documentCamera->setTransform(translation({7, 7, 7}));
                scene->getRoot()->addChild(documentCamera);
                scene->setActiveCamera(documentCamera);
            });
            MeshNode* box = placeMesh(*scene->getRoot(), "box", makeBoxMesh("any", 1), {0, 0, 0});
            CameraNode* sceneCamera = scene->getActiveCamera();
            lookFromEye(*scene, drawnBounds(*scene), eye);
            const CameraNode& camera = *scene->getActiveCamera();
            std::string what = std::to_string(eye.x) + "," + std::to_string(eye.y) + "," + std::to_string(eye.z) +
                               (withDocumentCamera ? " with a document camera" : "");
            EXPECT_EQ(&camera == sceneCamera, !withDocumentCamera) << what;
            EXPECT_LT((camera.getWorldPosition() - eye).length(), 0.011f * eye.length()) << what;
            EXPECT_GT(dot(camera.getWorldDirection().normalized(), (eye * -1).normalized()), 0.9999f) << what;
            EXPECT_GT(camera.getWorldMatrix()(1, 1), 0) << what << ": up is not +Y";
            EXPECT_LT(camera.getNear(), eye.length() - boxRadius) << what;
            EXPECT_GT(camera.getFar(), eye.length() + boxRadius) << what;
            if (documentCamera != nullptr)
            {
                EXPECT_EQ(documentCamera->getWorldPosition(), Vector3(7, 7, 7)) << what;
            }
            delete box->getMesh();
        }
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
