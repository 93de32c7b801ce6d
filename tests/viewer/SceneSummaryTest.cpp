#include "SceneSummary.h"

#include "pellux/core/Tavrin.h"
#include "pellux/resources/SubMesh.h"
#include "pellux/scene/CameraNode.h"
#include "pellux/scene/Scene.h"

#include "CaptureOutput.h"
#include "SceneBuilding.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <sstream>

using namespace Pellux;

namespace
{
// Scenes built in code: no display is needed, as for the viewer's summary.
class SceneSummaryTest : public testing::Test
{
protected:
    void SetUp() override
    {
        std::filesystem::current_path(PELLUX_DEMO_DIR);
        createLoggerQuietly();
        captureOutput([this] {
            Tavrin::getInstance();
            scene = std::make_unique<Scene>("scene");
        });
    }

    Mesh* keep(Mesh* mesh)
    {
        meshes.emplace_back(mesh);
        return mesh;
    }

    // A box of 24 vertices and 12 triangles one unit above a quad of 4 and 2, ten units wide, with
    // a camera beside them.
    void buildBoxOnQuad()
    {
        auto* group = new SceneNode("group");
        scene->getRoot()->addChild(group);
        placeMesh(*group, "box", keep(makeBoxMesh("paint", 1)), {0, 1, 0});
        placeMesh(*scene->getRoot(), "quad", keep(makeQuadMesh("grass", 5)), {0, 0, 0});
        auto* camera = new CameraNode("eye");
        scene->getRoot()->addChild(camera);
        scene->setActiveCamera(camera);
    }

    std::string summary(const std::vector<TextureFile>& textures)
    {
        std::ostringstream out;
        printSceneSummary(out, *scene, 2, textures);
        return out.str();
    }

    std::vector<std::unique_ptr<Mesh>> meshes;
    std::unique_ptr<Scene> scene;
};

TEST_F(SceneSummaryTest, TheFirstLineCountsAndTheLinesAfterItDescribe)
{
    buildBoxOnQuad();
    EXPECT_EQ(summary({{"bark", "textures/bark.png", "/data/textures/bark.png"}, {"moss", "moss.png", ""}}),
              "scene: nodes=4 meshes=2 submeshes=2 triangles=14 lights=0 cameras=1 animations=0 materials=2 skins=0\n"
              "vertices: 28\n"
              "bounds: (-5, 0, -5) to (5, 2, 5) size (10, 2, 10)\n"
              "node eye CameraNode (0, 0, 0)\n"
              "node group SceneNode (0, 0, 0)\n"
              "node box MeshNode (0, 1, 0)\n"
              "node quad MeshNode (0, 0, 0)\n"
              "camera eye fov=1.047 near=1 far=1000 active\n"
              "meshes:\n"
              "  name  submeshes  vertices  triangles  material\n"
              "  box           1        24         12  paint\n"
              "  quad          1         4          2  grass\n"
              "textures:\n"
              "  bark textures/bark.png found /data/textures/bark.png\n"
              "  moss moss.png missing\n");
}

TEST_F(SceneSummaryTest, AnEmptySceneSaysSo)
{
    EXPECT_EQ(summary({}),
              "scene: nodes=0 meshes=0 submeshes=0 triangles=0 lights=0 cameras=0 animations=0 materials=2 skins=0\n"
              "vertices: 0\n"
              "bounds: none\n"
              "meshes: none\n"
              "textures: none\n");
}

TEST_F(SceneSummaryTest, SubMeshesSharingTheirPositionsCountThemOnceAndNameEachMaterial)
{
    Mesh* mesh = keep(makeQuadMesh("grass", 1));
    SubMesh* first = mesh->getSubMeshes().front();
    auto* second = new SubMesh();
    second->setAttribute("position", first->getAttributes().at("position").values, 3);
    for (unsigned int index : {2u, 3u, 0u})
        second->addIndex(index);
    second->setMaterialName("stone");
    mesh->addSubMesh(second);
    auto* third = new SubMesh();
    third->setAttribute("position", first->getAttributes().at("position").values, 3);
    third->setMaterialName("grass");
    mesh->addSubMesh(third);
    MeshNode* node = placeMesh(*scene->getRoot(), "a very long name for a mesh node", mesh, {0, 0, 0});
    node->bindMaterial("stone", "granite");

    std::string text = summary({});
    EXPECT_NE(text.find("vertices: 4\n"), std::string::npos) << text;
    EXPECT_NE(text.find("meshes:\n"
                        "  name                              submeshes  vertices  triangles  material\n"
                        "  a very long name for a mesh node          3         4          3  grass,granite\n"),
              std::string::npos)
        << text;
}

TEST_F(SceneSummaryTest, TheTreeIndentsEachLevelAndMarksMeshesAndTheActiveCamera)
{
    buildBoxOnQuad();
    std::ostringstream out;
    printSceneTree(out, *scene);
    EXPECT_EQ(out.str(), "eye CameraNode active\n"
                         "group SceneNode\n"
                         "  box MeshNode triangles=12\n"
                         "quad MeshNode triangles=2\n");
}

TEST_F(SceneSummaryTest, OnlyMeshesWithSomethingToDrawCount)
{
    EXPECT_FALSE(hasSomethingToDraw(*scene)) << "no nodes";
    scene->getRoot()->addChild(new CameraNode("eye"));
    EXPECT_FALSE(hasSomethingToDraw(*scene)) << "a camera";

    Mesh* mesh = keep(makeQuadMesh("grass", 1));
    auto* reachingPast = new SubMesh();
    reachingPast->setAttribute("position", std::vector<float>(9, 0.0f), 3);
    for (unsigned int index : {0u, 1u, 3u})
        reachingPast->addIndex(index);
    auto* withoutIndices = new SubMesh();
    withoutIndices->setAttribute("position", std::vector<float>(9, 0.0f), 3);
    Mesh* nothing = keep(new Mesh("nothing"));
    nothing->addSubMesh(reachingPast);
    nothing->addSubMesh(withoutIndices);
    placeMesh(*scene->getRoot(), "nothing", nothing, {0, 0, 0});
    EXPECT_FALSE(hasSomethingToDraw(*scene)) << "an index past the positions, and no indices";

    Mesh* points = keep(makeQuadMesh("grass", 1));
    points->getSubMeshes()[0]->setPrimitive(SubMesh::points);
    placeMesh(*scene->getRoot(), "points", points, {0, 0, 0});
    EXPECT_TRUE(hasSomethingToDraw(*scene)) << "points";

    placeMesh(*scene->getRoot(), "quad", mesh, {0, 0, 0});
    EXPECT_TRUE(hasSomethingToDraw(*scene));
}
}
