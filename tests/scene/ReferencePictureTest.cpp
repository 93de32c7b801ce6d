// One fixed frame of a scene with textures, shadows and the window overlay, compared pixel for pixel
// with a picture the engine drew before: work on the engine's speed must leave every pixel as it was.
// PELLUX_RENEW_REFERENCE_PICTURES=1 writes the picture anew, for a change meant to alter it.
#include "pellux/core/RenderEngine.h"
#include "pellux/core/Tavrin.h"
#include "pellux/core/WindowPicture.h"
#include "pellux/foundation/DataDirectories.h"
#include "pellux/materials/MaterialManager.h"
#include "pellux/materials/SinglePassAutoMapMaterial.h"
#include "pellux/resources/Image.h"
#include "pellux/resources/ImageManager.h"
#include "pellux/scene/CameraNode.h"
#include "pellux/scene/LightNode.h"
#include "pellux/scene/Scene.h"

#include "CaptureOutput.h"
#include "GlContext.h"
#include "SceneBuilding.h"
#include "TemporaryDirectory.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <vector>

using namespace Pellux;

namespace
{
const std::string reference = PELLUX_TEST_DATA_DIR "/pictures/reference-frame.png";
const int width = 256;
const int height = 192;

// A checkerboard of two colours, `cells` cells a side, 8 texels each.
Image* checkerboard(const std::string& name, int cells, Rgba first, Rgba second)
{
    std::vector<unsigned char> texels;
    int side = cells * 8;
    for (int row = 0; row < side; ++row)
        for (int column = 0; column < side; ++column)
        {
            const Rgba& colour = (row / 8 + column / 8) % 2 == 0 ? first : second;
            texels.insert(texels.end(), colour.begin(), colour.end());
        }
    Image* image = nullptr;
    captureStdout([&] { image = new Image(name, side, side, std::move(texels)); });
    return image;
}

SinglePassAutoMapMaterial* texturedMaterial(const std::string& name, Image* image, float specular)
{
    SinglePassAutoMapMaterial* made = nullptr;
    captureOutput([&] {
        made = new SinglePassAutoMapMaterial(name, std::make_shared<File>(Pellux::DataDirectories::find("shader/default.vert")), nullptr,
                                             std::make_shared<File>(Pellux::DataDirectories::find("shader/default.frag")));
    });
    made->setFloat("specularCoefficient", specular);
    made->addTexture(image);
    Tavrin::getInstance().getMaterialManager()->add(made);
    return made;
}

LightNode* addLight(Scene& scene, const std::string& name, int type, const Vector3& at)
{
    LightNode* light = nullptr;
    captureStdout([&] { light = new LightNode(name, type); });
    light->setTransform(translation(at));
    light->lookAt(0, 0, 0);
    scene.getRoot()->addChild(light);
    return light;
}

// A checkered floor, a checkered box on it, a spot light that casts the box's shadow and a dim
// point light that does not, seen at a slant.
std::unique_ptr<Scene> referenceScene()
{
    std::unique_ptr<Scene> scene;
    captureStdout([&] { scene = std::make_unique<Scene>("reference"); });
    texturedMaterial("reference-floor", checkerboard("floor-texels", 8, {200, 200, 190, 255}, {90, 110, 140, 255}), 0.0f);
    texturedMaterial("reference-box", checkerboard("box-texels", 2, {220, 120, 40, 255}, {240, 220, 180, 255}), 1.0f);
    placeMesh(*scene->getRoot(), "floor", makeQuadMesh("reference-floor", 6), {0, 0, 0});
    placeMesh(*scene->getRoot(), "box", makeBoxMesh("reference-box", 1), {0.5f, 1, 0.5f});
    LightNode* spot = addLight(*scene, "spot", 0, {-3, 8, -2});
    spot->setFalloffAngle(1.2f);
    spot->setHotspotAngle(0.8f);
    spot->setShadowType(1);
    spot->setShadowDensity(0.8f);
    LightNode* point = addLight(*scene, "point", 2, {4, 3, 4});
    point->setColor(std::make_shared<Vector4>(0.3f, 0.3f, 0.4f, 1.0f));
    CameraNode* camera = nullptr;
    captureStdout([&] { camera = new CameraNode("camera"); });
    camera->setTransform(translation({6, 7, 9}));
    camera->lookAt(0, 0.5f, 0);
    scene->getRoot()->addChild(camera);
    scene->setActiveCamera(camera);
    return scene;
}

const unsigned char* texelsOf(Image* image)
{
    return image != nullptr ? image->getData() : nullptr;
}
}

TEST(ReferencePictureTest, AFixedFrameIsDrawnAsItWasBefore)
{
    RenderEngine* engine = openRenderEngine();
    ASSERT_NE(engine, nullptr);
    createLoggerQuietly();
    std::shared_ptr<Rectangle> screen = RenderEngine::getScreenRectangle();
    Rectangle window = *screen;
    RenderEngine::onWindowResize(width, height);
    std::unique_ptr<Scene> scene = referenceScene();
    // The first frame fills the shadow map the second one reads.
    captureOutput([&] {
        for (int frame = 0; frame < 2; ++frame)
        {
            engine->endFrame();
            engine->drawScene(*scene, 1.0f);
        }
    });
    EXPECT_FALSE(glErrorRaised());
    TemporaryDirectory directory;
    std::string drawn = directory.path() + "/drawn.png";
    bool renew = std::getenv("PELLUX_RENEW_REFERENCE_PICTURES") != nullptr;
    ASSERT_TRUE(saveWindowPicture(width, height, renew ? reference : drawn));
    RenderEngine::onWindowResize(static_cast<int>(window.width), static_cast<int>(window.height));
    if (renew)
        GTEST_SKIP() << "wrote " << reference;

    ImageManager& images = *Tavrin::getInstance().getImageManager();
    Image* expected = nullptr;
    Image* actual = nullptr;
    captureOutput([&] {
        expected = images.get(reference);
        actual = images.get(drawn);
    });
    ASSERT_NE(texelsOf(expected), nullptr) << reference;
    ASSERT_NE(texelsOf(actual), nullptr) << drawn;
    ASSERT_EQ(expected->getWidth(), width);
    ASSERT_EQ(expected->getHeight(), height);
    int differing = 0;
    for (int texel = 0; texel < width * height * 4; ++texel)
        differing += expected->getData()[texel] != actual->getData()[texel] ? 1 : 0;
    EXPECT_EQ(differing, 0) << "values of the frame differ from the reference picture";
}
