// Documents built without rendering, as the viewer's summary and the fuzz target build them: no
// display, no OpenGL context.
#include "pellux/collada/ColladaSceneloader.h"
#include "pellux/core/RenderEngine.h"
#include "pellux/core/Tavrin.h"
#include "pellux/materials/MaterialManager.h"
#include "pellux/resources/Mesh.h"
#include "pellux/resources/SubMesh.h"
#include "pellux/scene/CameraNode.h"
#include "pellux/scene/MeshNode.h"
#include "pellux/scene/Scene.h"

#include "CaptureOutput.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

using namespace Pellux;

namespace
{
const std::string fixtures = PELLUX_TEST_DATA_DIR "/collada/";

class BuildWithoutDisplayTest : public testing::Test
{
protected:
    void SetUp() override
    {
        std::filesystem::current_path(PELLUX_DEMO_DIR);
        createLoggerQuietly();
        captureOutput([] { Tavrin::getInstance(); });
        ASSERT_FALSE(RenderEngine::hasContext());
    }

    Scene* load(const std::string& path)
    {
        Scene* scene = nullptr;
        output = captureOutput([&] { scene = ColladaSceneloader::loadWithoutRendering(File(path), &read, materials); });
        loaded.emplace_back(scene);
        return scene;
    }

    CapturedOutput output;
    bool read = false;
    std::size_t materials = 0;
    std::vector<std::unique_ptr<Scene>> loaded;
};

TEST_F(BuildWithoutDisplayTest, NoMaterialIsMadeButEachIsCounted)
{
    MaterialManager& registered = *Tavrin::getInstance().getMaterialManager();
    std::size_t before = registered.size();
    Scene* scene = load(fixtures + "instances.dae");
    ASSERT_TRUE(read);
    EXPECT_EQ(materials, 2u) << "red-paint and blue-paint";
    EXPECT_EQ(registered.size(), before);
    EXPECT_EQ(registered.get("red-paint"), nullptr);
    auto* left = dynamic_cast<MeshNode*>(scene->getNode("left_mesh"));
    ASSERT_NE(left, nullptr) << "meshes, lights and cameras are made all the same";
    EXPECT_EQ(left->getMaterialName(*left->getMesh()->getSubMeshes()[0]), "red-paint");
    EXPECT_NE(scene->getNode("lamp"), nullptr);
    EXPECT_EQ(scene->getActiveCamera()->getName(), "eye");
}
}
