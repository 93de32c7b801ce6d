// Building a document without rendering, as the viewer's summary and the fuzz target do, gives the
// scene that building it with rendering gives, and counts the materials the latter registers.
#include "pellux/collada/ColladaSceneloader.h"
#include "pellux/core/Tavrin.h"
#include "pellux/materials/MaterialManager.h"
#include "pellux/scene/CameraNode.h"
#include "pellux/scene/MeshNode.h"
#include "pellux/scene/Scene.h"

#include "CaptureOutput.h"
#include "GlContext.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <sstream>

using namespace Pellux;

namespace
{
const std::string fixtures = PELLUX_TEST_DATA_DIR "/collada/";

// Each node of the scene with its kind and place, and the scene's animations.
std::string describe(const Scene& scene)
{
    std::vector<SceneNode*> nodes;
    scene.getRoot()->collectDescendants(nodes);
    std::ostringstream text;
    for (SceneNode* node : nodes)
    {
        Vector3 at = node->getWorldPosition();
        text << node->getName() << " " << node->getType() << " (" << at.x << ", " << at.y << ", " << at.z << ")";
        if (auto* meshNode = dynamic_cast<MeshNode*>(node))
            text << " mesh " << (meshNode->getMesh() != nullptr);
        text << "\n";
    }
    text << scene.getAnimations().size() << " animations, camera " << scene.getActiveCamera()->getName() << "\n";
    return text.str();
}

TEST(BuildWithoutRenderingTest, GivesTheSceneAndCountsTheMaterialsOfTheBuildWithRendering)
{
    ASSERT_NE(openRenderEngine(), nullptr);
    MaterialManager& registered = *Tavrin::getInstance().getMaterialManager();
    int documents = 0;
    for (const auto& entry : std::filesystem::directory_iterator(fixtures))
    {
        if (entry.path().extension() != ".dae")
            continue;
        ++documents;
        const std::string path = entry.path().string();
        std::size_t counted = 0;
        std::size_t before = registered.size();
        bool read = false;
        std::unique_ptr<Scene> withoutRendering;
        captureOutput([&] { withoutRendering.reset(ColladaSceneloader::loadWithoutRendering(File(path), &read, counted)); });
        ASSERT_TRUE(read) << path;
        EXPECT_EQ(registered.size(), before) << path;
        std::unique_ptr<Scene> rendering;
        captureOutput([&] { rendering.reset(ColladaSceneloader::load(File(path), &read)); });
        EXPECT_EQ(counted, registered.size() - before) << path;
        EXPECT_EQ(describe(*withoutRendering), describe(*rendering)) << path;
    }
    EXPECT_GE(documents, 5);
    EXPECT_FALSE(glErrorRaised());
}
}
