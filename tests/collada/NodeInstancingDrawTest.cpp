// The copies "instance_node" makes are drawn where their instances place them.
#include "pellux/collada/ColladaSceneloader.h"
#include "pellux/core/RenderEngine.h"
#include "pellux/core/Tavrin.h"
#include "pellux/materials/RenderTarget.h"
#include "pellux/scene/CameraNode.h"
#include "pellux/scene/Scene.h"

#include "CaptureOutput.h"
#include "GlContext.h"

#include <GL/glew.h>
#include <gtest/gtest.h>

#include <memory>

using namespace Pellux;

namespace
{
// The colour of the scene's target where its active camera sees the world point.
Rgba seenAt(Scene& scene, const Vector3& point)
{
    CameraNode& camera = *scene.getActiveCamera();
    Matrix4 toClip = camera.getProjectionMatrix() * camera.getViewMatrix();
    float clip[4] = {};
    for (int row = 0; row < 4; ++row)
        clip[row] = toClip(row, 0) * point.x + toClip(row, 1) * point.y + toClip(row, 2) * point.z + toClip(row, 3);
    std::shared_ptr<Rectangle> size = scene.getRenderTarget()->getSize();
    glBindFramebuffer(GL_FRAMEBUFFER, scene.getRenderTarget()->getFramebuffer());
    return readPixel(static_cast<int>((clip[0] / clip[3] * 0.5f + 0.5f) * size->width),
                     static_cast<int>((clip[1] / clip[3] * 0.5f + 0.5f) * size->height));
}

TEST(NodeInstancingDrawTest, EveryCopyOfTheTileIsDrawnWhereItsInstancePlacesIt)
{
    ASSERT_NE(openRenderEngine(), nullptr);
    std::unique_ptr<Scene> scene;
    captureOutput([&] { scene.reset(ColladaSceneloader::load(File(PELLUX_TEST_DATA_DIR "/collada/instanced_nodes.dae"))); });
    ASSERT_EQ(scene->getActiveCamera()->getName(), "eye");
    RenderEngine& engine = *Tavrin::getInstance().getRenderEngine();
    captureOutput([&] {
        for (int frame = 0; frame < 2; ++frame)
            engine.drawScene(*scene, 1.0f);
    });
    // Through "pair" twice, and once each for "first" and "second".
    for (const Vector3& tile : {Vector3(-2, 0, 0), Vector3(2, 0, 0), Vector3(-2, 2.5f, 0), Vector3(2, 2.5f, 0)})
    {
        Rgba pixel = seenAt(*scene, tile);
        EXPECT_GT(pixel[0], 100) << tile.x << ", " << tile.y;
        EXPECT_LT(pixel[2], 40) << tile.x << ", " << tile.y;
    }
    Rgba between = seenAt(*scene, {0, 0, 0});
    EXPECT_LT(between[0], 40) << "no tile between the copies";
    EXPECT_FALSE(glErrorRaised());
}
}
