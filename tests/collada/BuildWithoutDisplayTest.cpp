// Documents built without rendering, as the viewer's summary and the fuzz target build them: no
// display, no OpenGL context. Among them, the copies "instance_node" makes.
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
#include "TemporaryDirectory.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <set>

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

class NodeInstancingTest : public BuildWithoutDisplayTest
{
protected:
    // How many lines of the load's log hold the text.
    int linesWith(const std::string& text) const
    {
        int lines = 0;
        for (std::size_t at = output.out.find(text); at != std::string::npos; at = output.out.find(text, at + 1))
            ++lines;
        return lines;
    }
};

TEST_F(NodeInstancingTest, EachInstanceGetsACopyWithNamesOfItsOwn)
{
    Scene* scene = load(fixtures + "instanced_nodes.dae");
    ASSERT_TRUE(read);
    struct Copied
    {
        const char* name;
        const char* parent;
        const char* type;
        Vector3 at;
    };
    const Copied copies[] = {
        {"first.tile-node", "first", "SceneNode", {-2, 2.5f, 0}},
        {"first.tile-node_mesh", "first.tile-node", "MeshNode", {-2, 2.5f, 0}},
        {"first.tile-node.marker", "first.tile-node", "SceneNode", {-2, 2.5f, 0}},
        {"second.tile-node", "second", "SceneNode", {2, 2.5f, 0}},
        {"second.tile-node.marker", "second.tile-node", "SceneNode", {2, 2.5f, 0}},
        {"board.pair", "board", "SceneNode", {0, 0, 0}},
        {"board.pair.left", "board.pair", "SceneNode", {-2, 0, 0}},
        {"board.pair.left.tile-node", "board.pair.left", "SceneNode", {-2, 0, 0}},
        {"board.pair.left.tile-node_mesh", "board.pair.left.tile-node", "MeshNode", {-2, 0, 0}},
        {"board.pair.right.tile-node", "board.pair.right", "SceneNode", {2, 0, 0}},
        {"board.pair.right.tile-node.marker", "board.pair.right.tile-node", "SceneNode", {2, 0, 0}},
        {"street.lamp-post", "street", "SceneNode", {0, -8, 3}},
        {"street.lamp-post.lamp", "street.lamp-post", "LightNode", {0, -8, 3}},
        {"lamp", "lamp-post", "LightNode", {0, -8, 3}},
    };
    for (const Copied& expected : copies)
    {
        SceneNode* node = scene->getNode(expected.name);
        ASSERT_NE(node, nullptr) << expected.name;
        EXPECT_EQ(node->getParent()->getName(), expected.parent) << expected.name;
        EXPECT_EQ(node->getType(), expected.type) << expected.name;
        EXPECT_EQ(node->getWorldPosition(), expected.at) << expected.name;
    }
    for (const char* original : {"tile-node", "pair", "marker", "left"})
        EXPECT_EQ(scene->getNode(original), nullptr) << "library nodes are only copied: " << original;

    std::vector<SceneNode*> nodes;
    scene->getRoot()->collectDescendants(nodes);
    std::set<std::string> names;
    for (SceneNode* node : nodes)
        names.insert(node->getName());
    EXPECT_EQ(names.size(), nodes.size()) << "every name once in the scene";

    auto* copiedMesh = dynamic_cast<MeshNode*>(scene->getNode("second.tile-node_mesh"));
    ASSERT_NE(copiedMesh, nullptr);
    ASSERT_EQ(copiedMesh->getMesh()->getSubMeshes().size(), 1u);
    EXPECT_EQ(copiedMesh->getMaterialName(*copiedMesh->getMesh()->getSubMeshes()[0]), "red-paint")
        << "each copy binds its materials";
}

TEST_F(NodeInstancingTest, InstancesThatCloseACycleOrNameNothingAreLeftOutWithOneReportEach)
{
    Scene* scene = load(fixtures + "instanced_nodes.dae");
    const char* reports[] = {
        ")]:\tCOLLADA node 'loop-b': instances 'loop-a', which holds this instance: a cycle; left out\n",
        ")]:\tCOLLADA node 'selfish': instances 'selfish', which holds this instance: a cycle; left out\n",
        ")]:\tCOLLADA node 'inner': instances 'outer', which holds this instance: a cycle; left out\n",
        ")]:\tCOLLADA node 'strays': instances no node of the document: '#nowhere'; left out\n",
        ")]:\tCOLLADA node 'strays': instances no node of the document: 'other.dae#tile-node'; left out\n",
    };
    for (const char* report : reports)
        EXPECT_EQ(linesWith(report), 1) << report << output.out;
    EXPECT_EQ(linesWith("ERR:"), 5) << output.out;

    ASSERT_NE(scene->getNode("looped.loop-a.loop-b"), nullptr) << "the cycle goes round once";
    EXPECT_TRUE(scene->getNode("looped.loop-a.loop-b")->getChildren().empty());
    for (const char* instancing : {"selfish", "inner", "strays"})
        EXPECT_TRUE(scene->getNode(instancing)->getChildren().empty()) << instancing;
}

// A library node "level-<k>" with two children that each instance "level-<k + 1>", down to a leaf.
std::string doublingLevels(int levels)
{
    std::string document = "<?xml version=\"1.0\"?><COLLADA><asset><up_axis>Y_UP</up_axis></asset><library_nodes>";
    for (int level = 0; level < levels; ++level)
    {
        std::string next = "<instance_node url=\"#level-" + std::to_string(level + 1) + "\"/>";
        document += "<node id=\"level-" + std::to_string(level) + "\"><node id=\"a\">" + next + "</node><node id=\"b\">" +
                    next + "</node></node>\n";
    }
    return document + "<node id=\"level-" + std::to_string(levels) + "\"/></library_nodes><library_visual_scenes>"
                      "<visual_scene><node id=\"top\"><instance_node url=\"#level-0\"/></node></visual_scene>"
                      "</library_visual_scenes></COLLADA>";
}

// A node with an id of `idLength` characters instancing a library node of `children` children.
std::string longNamedInstance(std::size_t idLength, int children)
{
    std::string document = "<?xml version=\"1.0\"?><COLLADA><asset><up_axis>Y_UP</up_axis></asset>"
                           "<library_nodes><node id=\"many\">";
    for (int child = 0; child < children; ++child)
        document += "<node id=\"c" + std::to_string(child) + "\"/>";
    return document + "</node></library_nodes><library_visual_scenes><visual_scene><node id=\"" +
           std::string(idLength, 'n') + "\"><instance_node url=\"#many\"/></node></visual_scene>"
                                        "</library_visual_scenes></COLLADA>";
}

// A library node nested `depth` levels whose innermost node instances another such node.
std::string deepInstancingDeep(int depth)
{
    auto nested = [depth](const std::string& id, const std::string& innermost) {
        std::string opening;
        std::string closing;
        for (int level = 0; level < depth; ++level)
        {
            opening += "<node id=\"" + id + "-" + std::to_string(level) + "\">";
            closing += "</node>";
        }
        return opening + innermost + closing;
    };
    return "<?xml version=\"1.0\"?><COLLADA><asset><up_axis>Y_UP</up_axis></asset><library_nodes>" +
           nested("deep", "<instance_node url=\"#deeper-0\"/>") + nested("deeper", "") +
           "</library_nodes><library_visual_scenes><visual_scene><node id=\"top\"><instance_node url=\"#deep-0\"/>"
           "</node></visual_scene></library_visual_scenes></COLLADA>";
}

TEST_F(NodeInstancingTest, InstancingStopsAtItsBoundsWithOneReport)
{
    struct Bounded
    {
        const char* bound;
        std::string document;
        std::size_t fewestMade;
        std::size_t mostMade;
    };
    const Bounded cases[] = {
        // Two million nodes if nothing stopped it.
        {"nodes", doublingLevels(20), 100000, 100000},
        // Two hundred kilobytes in each name.
        {"names", longNamedInstance(200000, 1000), 100, 170},
        {"depth", deepInstancingDeep(600), 998, 999},
    };
    for (const Bounded& bounded : cases)
    {
        TemporaryDirectory directory;
        Scene* scene = load(directory.write("bounded.dae", bounded.document));
        ASSERT_TRUE(read) << bounded.bound;
        // Every node below "top" is a copy.
        SceneNode* top = scene->getRoot()->getChildren().at("colladaRoot")->getChildren().begin()->second;
        std::vector<SceneNode*> made;
        top->collectDescendants(made);
        EXPECT_GE(made.size(), bounded.fewestMade) << bounded.bound;
        EXPECT_LE(made.size(), bounded.mostMade) << bounded.bound;
        EXPECT_EQ(linesWith("': instancing stops at this node: the copies would make more than 100000 nodes, 64 MiB "
                            "of names or a tree deeper than 1000 levels\n"),
                  1)
            << bounded.bound << "\n" << output.out.substr(0, 2000);
        EXPECT_EQ(linesWith("ERR:"), 1) << bounded.bound << "\n" << output.out.substr(0, 2000);
    }
}

}
