// The copies "instance_node" makes are drawn where their instances place them.
#include "pellux/collada/ColladaSceneloader.h"
#include "pellux/core/RenderEngine.h"
#include "pellux/core/Tavrin.h"
#include "pellux/graphics/RenderTarget.h"
#include "pellux/scene/CameraNode.h"
#include "pellux/scene/Scene.h"

#include "CaptureOutput.h"
#include "GlContext.h"
#include "ScenePixels.h"

#include <GL/glew.h>
#include <gtest/gtest.h>

#include <memory>

using namespace Pellux;

namespace
{
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
