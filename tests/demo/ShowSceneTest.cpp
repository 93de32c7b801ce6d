#include "ShowSetUp.h"

#include "pellux/core/Tavrin.h"
#include "pellux/foundation/Logger.h"
#include "pellux/graphics/RenderTarget.h"
#include "pellux/materials/MaterialManager.h"
#include "pellux/materials/SinglePassAutoMapMaterial.h"
#include "pellux/scene/LightNode.h"
#include "pellux/scene/Scene.h"

#include "CaptureOutput.h"
#include "GlContext.h"

#include <GL/glew.h>
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

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

namespace
{
// The show's scene with its materials, at a moment of the flight.
class ShowPictureTest : public testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_NE(openRenderEngine(), nullptr);
        createLoggerQuietly();
        Pellux::Tavrin& root = Pellux::Tavrin::getInstance();
        captureOutput([&] {
            createMaterials(Logger::getInstance(), *root.getMaterialManager(), *root.getImageManager());
            scene = loadShowScene(*root.getMaterialManager());
        });
        ASSERT_NE(scene, nullptr);
    }

    Pellux::SinglePassAutoMapMaterial* material(const std::string& name) const
    {
        return dynamic_cast<Pellux::SinglePassAutoMapMaterial*>(Pellux::Tavrin::getInstance().getMaterialManager()->get(name));
    }

    // The frame at `seconds` as RGB bytes from the bottom row up, drawn twice so that the shadow
    // maps are the frame's own.
    std::vector<unsigned char> frameAt(float seconds)
    {
        scene->setTime(seconds);
        Pellux::RenderTarget* target = scene->getRenderTarget();
        for (int pass = 0; pass < 2; ++pass)
        {
            target->bind();
            scene->render();
        }
        size = target->getSize();
        std::vector<unsigned char> pixels(static_cast<std::size_t>(size->width * size->height * 3));
        glBindFramebuffer(GL_FRAMEBUFFER, target->getFramebuffer());
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, static_cast<int>(size->width), static_cast<int>(size->height), GL_RGB, GL_UNSIGNED_BYTE,
                     pixels.data());
        return pixels;
    }

    std::shared_ptr<Pellux::Scene> scene;
    std::shared_ptr<Pellux::Rectangle> size;
};

double distanceToMist(const unsigned char* rgb)
{
    const double mist[3] = {0.42 * 255, 0.38 * 255, 0.41 * 255};
    return std::hypot(rgb[0] - mist[0], rgb[1] - mist[1], rgb[2] - mist[2]);
}
}

// The loader draws a "lambert" effect without highlights and a "constant" one unlit: the rocks are
// matte, and the sky, as the document has it, shows its picture as it is.
TEST_F(ShowPictureTest, RocksAreMatteAndTheDocumentsSkyUnlit)
{
    ASSERT_NE(material("rock-material"), nullptr);
    ASSERT_NE(material("sky-material"), nullptr);
    EXPECT_EQ(*material("rock-material")->getValue("specularCoefficient"), 0.0f);
    EXPECT_EQ(*material("sky-material")->getValue("unlit"), 1.0f);
    EXPECT_EQ(*material("wood-material")->getValue("specularCoefficient"), 1.0f);
}

// Over the fen at 5 s the far ground and walls fade toward the mist's colour, and the show's sky, not
// the cleared black, fills the top of the picture: dark blue overhead, unchanged by the mist.
TEST_F(ShowPictureTest, MistVeilsTheFarFenAndTheDuskSkyFillsTheTop)
{
    std::vector<unsigned char> misted = frameAt(5);
    for (const char* name : {"paving-material", "fen-material", "ground015-material", "bark-material", "rock-material",
                             "reed-material", "wood-material", "zarvel-material"})
    {
        ASSERT_NE(material(name), nullptr) << name;
        material(name)->setFloat("mistDensity", 0.0f);
    }
    std::vector<unsigned char> clear = frameAt(5);
    EXPECT_FALSE(glErrorRaised());

    double mistedDistance = 0, clearDistance = 0;
    for (std::size_t at = 0; at < misted.size(); at += 3)
    {
        mistedDistance += distanceToMist(&misted[at]);
        clearDistance += distanceToMist(&clear[at]);
    }
    EXPECT_LT(mistedDistance, clearDistance * 0.85) << "the picture comes no nearer the mist's colour";

    std::size_t topMiddle = (static_cast<std::size_t>(size->height - 1) * static_cast<std::size_t>(size->width) +
                             static_cast<std::size_t>(size->width / 2)) * 3;
    const unsigned char* sky = &misted[topMiddle];
    EXPECT_GT(sky[2], 25) << "the sky overhead is black";
    EXPECT_GT(sky[2], sky[0]) << "the sky overhead is not blue";
    for (int channel = 0; channel < 3; ++channel)
        EXPECT_EQ(sky[channel], clear[topMiddle + channel]) << "the sky is misted";
}
