#include "ShowSetUp.h"

#include "pellux/core/Tavrin.h"
#include "pellux/materials/MaterialManager.h"
#include "pellux/scene/LightNode.h"
#include "pellux/scene/Scene.h"

#include "CaptureOutput.h"
#include "GlContext.h"

#include <gtest/gtest.h>

using Pellux::LightNode;

// The show's shaders light the first two lights of the scene's list per pixel, with their shadows,
// and two more without shadows, worked out per vertex: the sunset's shadow-casting spot and the moving
// lantern must come first.
TEST(ShowSceneTest, TheShadowCastingSpotAndTheLanternAreLitPerPixel)
{
    ASSERT_NE(openRenderEngine(), nullptr);
    createLoggerQuietly();
    std::shared_ptr<Pellux::Scene> scene;
    captureOutput([&] {
        scene = loadShowScene(*Pellux::Tavrin::getInstance().getMaterialManager());
        scene->prepareFrame();
    });
    ASSERT_NE(scene, nullptr);

    const std::vector<LightNode*>& lights = scene->getLights();
    ASSERT_GE(lights.size(), 2u);
    ASSERT_LE(lights.size(), 4u);
    EXPECT_EQ(lights[0]->getLightType(), 0);
    EXPECT_EQ(lights[0]->getShadowType(), 1);
    EXPECT_EQ(lights[1]->getName(), "Lantern-light");
    for (std::size_t index = 2; index < lights.size(); ++index)
        EXPECT_NE(lights[index]->getShadowType(), 1) << lights[index]->getName();
}
