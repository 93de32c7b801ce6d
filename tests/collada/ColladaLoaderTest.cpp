#include "pellux/collada/ColladaSceneloader.h"
#include "pellux/core/RenderEngine.h"
#include "pellux/core/Tavrin.h"
#include "pellux/foundation/DataDirectories.h"
#include "pellux/graphics/RenderTarget.h"
#include "pellux/materials/MaterialManager.h"
#include "pellux/materials/SinglePassAutoMapMaterial.h"
#include "pellux/resources/Image.h"
#include "pellux/resources/ImageManager.h"
#include "pellux/resources/Mesh.h"
#include "pellux/resources/MeshManager.h"
#include "pellux/resources/SubMesh.h"
#include "pellux/scene/KeyframeAnimation.h"
#include "pellux/scene/LightNode.h"
#include "pellux/scene/MeshNode.h"
#include "pellux/scene/Scene.h"

#include "CaptureOutput.h"
#include "GlContext.h"
#include "ScenePixels.h"
#include "TemporaryDirectory.h"

#include <GL/glew.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

using namespace Pellux;

namespace
{
const std::string fixtures = PELLUX_TEST_DATA_DIR "/collada/";

std::vector<float> valuesOf(const SubMesh& subMesh, const std::string& name)
{
    const float* first = subMesh.getAttribute(name);
    return first == nullptr ? std::vector<float>() : std::vector<float>(first, first + subMesh.getAttributes().at(name).values->size());
}

Vector3 translationOf(const Matrix4& matrix)
{
    return matrix.transformPoint({0, 0, 0});
}

void expectRows(const Matrix4& matrix, const std::array<std::array<float, 4>, 4>& rows)
{
    for (int row = 0; row < 4; ++row)
        for (int col = 0; col < 4; ++col)
            EXPECT_FLOAT_EQ(matrix(row, col), rows[row][col]) << row << ", " << col;
}

class ColladaLoaderTest : public testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_NE(openRenderEngine(), nullptr);
        ImageManager* images = Tavrin::getInstance().getImageManager();
        const std::vector<std::string>& paths = images->getSearchPaths();
        if (std::find(paths.begin(), paths.end(), fixtures) == paths.end())
            images->addSearchPath(fixtures);
    }

    Scene* load(const std::string& path)
    {
        Scene* scene = nullptr;
        output = captureOutput([&] { scene = ColladaSceneloader::load(File(path), &read); });
        loaded.emplace_back(scene);
        return scene;
    }

    bool logged(const std::string& text) const { return output.out.find(text) != std::string::npos; }

    // How many lines of the load's log hold the text.
    int linesWith(const std::string& text) const
    {
        int lines = 0;
        for (std::size_t at = output.out.find(text); at != std::string::npos; at = output.out.find(text, at + 1))
            ++lines;
        return lines;
    }

    SinglePassAutoMapMaterial* material(const std::string& name)
    {
        return dynamic_cast<SinglePassAutoMapMaterial*>(Tavrin::getInstance().getMaterialManager()->get(name));
    }

    Mesh* mesh(const std::string& id) { return Tavrin::getInstance().getMeshManager()->get(id); }

    CapturedOutput output;
    bool read = false;
    std::vector<std::unique_ptr<Scene>> loaded;
};

TEST_F(ColladaLoaderTest, EffectsGiveDefaultShaderMaterialsWithTheirDiffuseImage)
{
    load(fixtures + "materials.dae");
    ASSERT_TRUE(read);
    struct TextureCase { const char* material; const char* image; };
    for (TextureCase expected : {TextureCase{"chain", "red.png"}, TextureCase{"direct", "green.png"}})
    {
        SinglePassAutoMapMaterial* made = material(expected.material);
        ASSERT_NE(made, nullptr) << expected.material;
        ASSERT_EQ(made->getTextures().size(), 1u);
        ASSERT_NE(made->getTextures()[0], nullptr) << expected.material;
        EXPECT_EQ(made->getTextures()[0]->getName(), expected.image);
        EXPECT_EQ(made->getVertexShaderFile()->getPath(), DataDirectories::find("shader/default.vert").getPath());
        EXPECT_EQ(made->getFragmentShaderFile()->getPath(), DataDirectories::find("shader/default.frag").getPath());
        EXPECT_EQ(*made->getValue("specularExponent"), 0.0f);
        EXPECT_EQ(*made->getValue("specularCoefficient"), 1.0f);
    }
}

TEST_F(ColladaLoaderTest, TheMaterialsOfAColourOnlyEffectShareOneImageOfItsColour)
{
    load(fixtures + "materials.dae");
    SinglePassAutoMapMaterial* made = material("color-only");
    SinglePassAutoMapMaterial* twin = material("color-only-twin");
    ASSERT_NE(made, nullptr);
    ASSERT_NE(twin, nullptr);
    ASSERT_EQ(made->getTextures().size(), 1u);
    Image* color = made->getTextures()[0];
    ASSERT_NE(color, nullptr);
    EXPECT_EQ(color->getWidth(), 1);
    const unsigned char* pixel = color->getData();
    EXPECT_EQ(std::vector<int>(pixel, pixel + 4), (std::vector<int>{255, 128, 0, 64}));
    EXPECT_EQ(twin->getTextures(), (std::vector<Image*>{color}));
}

TEST_F(ColladaLoaderTest, ParallaxEffectsGetTheReliefShadersAndThreeMaps)
{
    load(fixtures + "materials.dae");
    EXPECT_TRUE(logged(")]:\tmissing phong or blinn tag\n")) << output.out;
    for (const char* name : {"relief", "relief-twin"})
    {
        SinglePassAutoMapMaterial* made = material(name);
        ASSERT_NE(made, nullptr) << name;
        EXPECT_EQ(made->getVertexShaderFile()->getPath(), DataDirectories::find("shader/parallax.vert").getPath());
        EXPECT_EQ(made->getFragmentShaderFile()->getPath(), DataDirectories::find("shader/relief.frag").getPath());
        ASSERT_EQ(made->getTextures().size(), 3u);
        std::vector<std::string> images;
        for (Image* image : made->getTextures())
            images.push_back(image != nullptr ? image->getName() : "-");
        EXPECT_EQ(images, (std::vector<std::string>{"red.png", "green.png", "blue.png"})) << name;
        EXPECT_EQ(*made->getValue("specularExponent"), 1.0f);
    }
}

TEST_F(ColladaLoaderTest, WhatCannotMakeAMaterialIsReportedAndRegistersNothing)
{
    load(fixtures + "materials.dae");
    EXPECT_TRUE(logged(")]:\tmissing init_from tag\n")) << output.out;
    EXPECT_EQ(material("orphan"), nullptr);
    EXPECT_TRUE(logged("COLLADA material 'orphan': instances no effect read before")) << output.out;
    SinglePassAutoMapMaterial* looping = material("looping");
    ASSERT_NE(looping, nullptr) << "a looping parameter chain ends";
    EXPECT_EQ(looping->getTextures(), (std::vector<Image*>{nullptr}));
}

TEST_F(ColladaLoaderTest, TrianglesBecomeSubMeshesOfUnsharedVertices)
{
    load(fixtures + "geometry.dae");
    Mesh* threeOffsets = mesh("three-offsets");
    ASSERT_NE(threeOffsets, nullptr);
    ASSERT_EQ(threeOffsets->getSubMeshes().size(), 2u);
    const SubMesh& first = *threeOffsets->getSubMeshes()[0];
    EXPECT_EQ(first.getMaterialName(), "stone-symbol");
    EXPECT_EQ(valuesOf(first, "position"), (std::vector<float>{0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 1, 0, 1, 0, 0, 0, 0, 0}))
        << "positions are never turned, whatever the up axis";
    EXPECT_EQ(valuesOf(first, "normal"), (std::vector<float>{0, 0, 1, 0, 0, 1, 0, 0, 1, 0, 0, 1, 0, 0, 1, 0, 0, 1}));
    EXPECT_EQ(valuesOf(first, "texCoord_0"), (std::vector<float>{0, -0.25f, 1, -0.5f, 0.75f, -1, 0.75f, -1, 1, -0.5f, 0, -0.25f}))
        << "two values per entry as the accessor says, t turned over";
    EXPECT_EQ(*first.getAttribute("texCoordCount"), 1.0f);
    EXPECT_EQ(first.getIndices(), (std::vector<unsigned int>{0, 1, 2, 3, 4, 5}));
    EXPECT_TRUE(first.isDrawable());

    const SubMesh& second = *threeOffsets->getSubMeshes()[1];
    EXPECT_EQ(second.getMaterialName(), "moss-symbol");
    EXPECT_EQ(valuesOf(second, "position"), (std::vector<float>{0, 1, 0, 1, 0, 0, 0, 0, 0}));
    EXPECT_EQ(valuesOf(second, "normal"), (std::vector<float>{0, 0, -1, 0, 0, -1, 0, 0, -1})) << "made at load";
    EXPECT_EQ(second.getIndices(), (std::vector<unsigned int>{0, 1, 2}));
}

TEST_F(ColladaLoaderTest, SourcesWithoutAccessorHoldThreeValuesPerEntry)
{
    load(fixtures + "geometry.dae");
    Mesh* shared = mesh("shared-offset");
    ASSERT_NE(shared, nullptr);
    ASSERT_EQ(shared->getSubMeshes().size(), 1u);
    const SubMesh& subMesh = *shared->getSubMeshes()[0];
    EXPECT_EQ(subMesh.getIndices().size(), 6u);
    EXPECT_EQ(valuesOf(subMesh, "texCoord_0"),
              (std::vector<float>{0.1f, -0.2f, 0.3f, -0.4f, 0.5f, -0.6f, 0.1f, -0.2f, 0.3f, -0.4f, 0.5f, -0.6f}));
}

TEST_F(ColladaLoaderTest, AGeometryWithoutMeshGivesAnEmptyMesh)
{
    load(fixtures + "geometry.dae");
    ASSERT_NE(mesh("no-mesh"), nullptr);
    EXPECT_TRUE(mesh("no-mesh")->getSubMeshes().empty());
}

TEST_F(ColladaLoaderTest, AGeometryWithTheIdOfAnEarlierOneTakesItsPlaceAndIsReported)
{
    load(fixtures + "geometry.dae");
    ASSERT_NE(mesh("twice"), nullptr);
    EXPECT_EQ(mesh("twice")->getSubMeshes().size(), 1u) << "the later geometry";
    EXPECT_EQ(linesWith(")]:\tCOLLADA geometry 'twice': has the id of an earlier geometry and takes its place\n"), 1)
        << output.out;
}

class ColladaSceneTest : public ColladaLoaderTest
{
protected:
    void SetUp() override
    {
        ColladaLoaderTest::SetUp();
        scene = load(fixtures + "scene.dae");
        ASSERT_TRUE(read);
    }

    SceneNode* node(const std::string& name)
    {
        SceneNode* found = scene->getNode(name);
        EXPECT_NE(found, nullptr) << name;
        return found;
    }

    Scene* scene = nullptr;
};

TEST_F(ColladaSceneTest, ZUpTurnsTheTopLevelMatricesOnly)
{
    EXPECT_EQ(ColladaSceneloader::getUpAxis(), "Z_UP");
    ASSERT_NE(scene->getRoot()->getChildren().count("colladaRoot"), 0u);
    EXPECT_EQ(node("A")->getParent()->getName(), "colladaRoot");
    EXPECT_EQ(translationOf(node("A")->getTransform()), Vector3(5, 7, -6));
    EXPECT_EQ(translationOf(node("A1")->getTransform()), Vector3(1, 2, 3));
    expectRows(node("A2")->getTransform(), {{{2, 0, 0, 9}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}}});
}

TEST_F(ColladaSceneTest, GeometryInstancesGetMeshNodesWithTheirMaterialsBound)
{
    auto* meshNode = dynamic_cast<MeshNode*>(node("A_mesh"));
    ASSERT_NE(meshNode, nullptr);
    EXPECT_EQ(meshNode->getParent(), node("A"));
    EXPECT_EQ(meshNode->getMesh(), mesh("box-geometry"));
    std::vector<std::string> symbols;
    std::vector<std::string> drawnWith;
    for (SubMesh* subMesh : meshNode->getMesh()->getSubMeshes())
    {
        symbols.push_back(subMesh->getMaterialName());
        drawnWith.push_back(meshNode->getMaterialName(*subMesh));
    }
    EXPECT_EQ(symbols, (std::vector<std::string>{"wall-symbol", "floor-symbol"})) << "the mesh keeps the document's symbols";
    EXPECT_EQ(drawnWith, (std::vector<std::string>{"wall", "floor-symbol"}));
    EXPECT_TRUE(logged(")]:\tMesh nicht gefunden: 'missing-geometry'\n")) << output.out;
    EXPECT_EQ(node("C")->getChildren().count("C_mesh"), 0u);

    SubMesh& wall = *meshNode->getMesh()->getSubMeshes()[0];
    wall.setMaterialName("wall_parallax");
    EXPECT_EQ(meshNode->getMaterialName(wall), "wall_parallax") << "a name that is no bound symbol is used as it is";
}

TEST_F(ColladaSceneTest, SpotAndPointLightsTakeTheirParameters)
{
    auto* spot = dynamic_cast<LightNode*>(node("spot-light"));
    ASSERT_NE(spot, nullptr);
    EXPECT_EQ(spot->getParent(), node("B"));
    EXPECT_EQ(spot->getLightType(), 0);
    EXPECT_FLOAT_EQ(spot->getFalloffAngle(), 1.57075f);
    EXPECT_FLOAT_EQ(spot->getHotspotAngle(), 0.785375f);
    EXPECT_FLOAT_EQ(spot->getFov(), 1.57075f);
    EXPECT_FLOAT_EQ(spot->getDiffuseCoefficient(), 2.0f);
    EXPECT_FLOAT_EQ(spot->getLinearAttenuation(), 0.1f);
    EXPECT_FLOAT_EQ(spot->getQuadraticAttenuation(), 0.01f);
    EXPECT_EQ(spot->getShadowType(), 1);
    EXPECT_FLOAT_EQ(spot->getShadowDensity(), 0.6f);

    auto* point = dynamic_cast<LightNode*>(node("point-light"));
    ASSERT_NE(point, nullptr);
    EXPECT_EQ(point->getLightType(), 2);
    EXPECT_EQ(point->getColor()->y, 0.5f);
    EXPECT_EQ(point->getColor()->z, 0.25f);
    EXPECT_EQ(point->getColor()->w, 1.0f);
    EXPECT_FLOAT_EQ(point->getDiffuseCoefficient(), 1.5f);
    EXPECT_EQ(point->getShadowType(), 0);
    EXPECT_EQ(point->getShadowDensity(), 1.0f);

    auto* sun = dynamic_cast<LightNode*>(node("sun"));
    ASSERT_NE(sun, nullptr) << "a directional light is attached";
    EXPECT_EQ(sun->getLightType(), LightNode::directionalLight);
    EXPECT_EQ(sun->getConstAttenuation(), 1.0f);
    EXPECT_EQ(sun->getLinearAttenuation(), 0.0f);
    EXPECT_EQ(sun->getDiffuseCoefficient(), 1.0f);
    EXPECT_FALSE(logged("COLLADA light 'sun'")) << "a directional light has neither attenuation nor multiplier\n"
                                               << output.out;
}

TEST_F(ColladaSceneTest, NodesAreCreatedLastSiblingFirstAndTheLastCameraVisitedIsActive)
{
    // Of two siblings with one id, the document's first keeps it.
    ASSERT_NE(node("twin"), nullptr);
    EXPECT_EQ(node("twin")->getChildren().count("main-camera"), 1u);
    EXPECT_TRUE(node("twin-2")->getChildren().empty());
    CameraNode* active = scene->getActiveCamera();
    EXPECT_EQ(active->getName(), "spare-camera");
    EXPECT_FLOAT_EQ(active->getFov(), 30 * 3.1415f / 180);
    auto* main = dynamic_cast<CameraNode*>(node("main-camera"));
    ASSERT_NE(main, nullptr);
    EXPECT_FLOAT_EQ(main->getFov(), 0.785375f);
    EXPECT_EQ(main->getNear(), 0.5f);
    EXPECT_EQ(main->getFar(), 500.0f);
}

TEST_F(ColladaSceneTest, MatrixChannelsBecomeKeyframeAnimations)
{
    ASSERT_EQ(scene->getAnimations().size(), 2u);
    auto* onA = dynamic_cast<KeyframeAnimation*>(scene->getAnimations()[0]);
    auto* onA1 = dynamic_cast<KeyframeAnimation*>(scene->getAnimations()[1]);
    ASSERT_NE(onA, nullptr);
    ASSERT_NE(onA1, nullptr);
    EXPECT_EQ(onA->getTarget(), node("A"));
    EXPECT_EQ(onA1->getTarget(), node("A1")) << "a target without a path names the node";
    expectRows(onA->getKeyframes().at(0), {{{1, 0, 0, 0}, {0, 0, 1, 0}, {0, -1, 0, 0}, {0, 0, 0, 1}}});
    EXPECT_EQ(translationOf(onA->getKeyframes().at(1)), Vector3(0, 2, 0));
    EXPECT_EQ(onA1->getKeyframes().at(0.5f), Matrix4::identity()) << "nested nodes are not turned";
    EXPECT_TRUE(logged("COLLADA animation channel 'B/translate.X': its node has no transform element 'translate'; left out"))
        << output.out;
    EXPECT_TRUE(logged("COLLADA animation channel 'nobody/matrix': names no node")) << output.out;

    scene->setTime(1);
    EXPECT_EQ(translationOf(node("A")->getTransform()), Vector3(0, 2, 0));
}

TEST_F(ColladaLoaderTest, AYUpDocumentIsUsedAsItStands)
{
    Scene* scene = load(fixtures + "scene_yup.dae");
    EXPECT_EQ(ColladaSceneloader::getUpAxis(), "Y_UP");
    EXPECT_EQ(translationOf(scene->getNode("A")->getTransform()), Vector3(5, 6, 7));
    EXPECT_TRUE(scene->getAnimations().empty());
}

TEST_F(ColladaLoaderTest, TranslateRotateAndScaleComposeInDocumentOrder)
{
    Scene* scene = load(fixtures + "scene_yup.dae");
    Vector3 moved = scene->getNode("D")->getTransform().transformPoint({1, 0, 0});
    EXPECT_NEAR(moved.x, 1, 1e-5f);
    EXPECT_NEAR(moved.y, 4, 1e-5f);
    EXPECT_NEAR(moved.z, 3, 1e-5f);
}

TEST_F(ColladaLoaderTest, ADocumentThatCannotBeReadGivesAnEmptyScene)
{
    for (const std::string& path : {fixtures + "missing.dae", std::string(PELLUX_TEST_DATA_DIR "/images/not-an-image.png")})
    {
        Scene* scene = load(path);
        EXPECT_FALSE(read) << path;
        ASSERT_NE(scene, nullptr);
        EXPECT_TRUE(scene->getRoot()->getChildren().empty());
        EXPECT_TRUE(logged(")]:\tCOLLADA document could not be read: " + path)) << output.out;
    }
    EXPECT_FALSE(glErrorRaised());
}

TEST_F(ColladaLoaderTest, InstancesOfOneGeometryDrawWithTheirOwnMaterialBindings)
{
    Scene* scene = load(fixtures + "instances.dae");
    ASSERT_TRUE(read);
    ASSERT_EQ(scene->getActiveCamera()->getName(), "eye");
    RenderEngine& engine = *Tavrin::getInstance().getRenderEngine();
    captureOutput([&] {
        for (int frame = 0; frame < 2; ++frame)
            engine.drawScene(*scene, 1.0f);
    });
    struct Tile
    {
        Vector3 centre;
        const char* colour;
        int channel;
        int otherChannel;
    };
    for (const Tile& tile : {Tile{{-2, 0, 0}, "red", 0, 2}, Tile{{2, 0, 0}, "blue", 2, 0}})
    {
        Rgba pixel = seenAt(*scene, tile.centre);
        EXPECT_GT(pixel[tile.channel], 150) << tile.colour;
        EXPECT_LT(pixel[tile.otherChannel], 40) << tile.colour;
    }
    EXPECT_FALSE(glErrorRaised());
}

// The right tile's joint is lifted by 3 at 1 s; the left tile's joint stays.
TEST_F(ColladaLoaderTest, ASkinnedGeometryBendsWithItsAnimatedJoints)
{
    Scene* scene = load(fixtures + "skin.dae");
    ASSERT_TRUE(read);
    EXPECT_EQ(output.out.find("ERR"), std::string::npos) << output.out;
    RenderEngine& engine = *Tavrin::getInstance().getRenderEngine();
    struct Moment
    {
        float time;
        Vector3 lit;
        Vector3 dark;
    };
    for (const Moment& moment : {Moment{0, {2, 0, 0}, {2, 3, 0}}, Moment{1, {2, 3, 0}, {2, 0, 0}}})
    {
        scene->setTime(moment.time);
        captureOutput([&] {
            for (int frame = 0; frame < 2; ++frame)
                engine.drawScene(*scene, 1.0f);
        });
        EXPECT_GT(seenAt(*scene, moment.lit)[0], 100) << moment.time << " s";
        EXPECT_EQ(seenAt(*scene, moment.dark)[0], 0) << moment.time << " s";
        EXPECT_GT(seenAt(*scene, {-2, 0, 0})[0], 100) << "the left tile stays, " << moment.time << " s";
    }
    EXPECT_FALSE(glErrorRaised());
}

TEST_F(ColladaLoaderTest, OfSiblingsWithOneIdTheFirstKeepsItAndTheOthersAreNumbered)
{
    Scene* scene = load(fixtures + "siblings.dae");
    ASSERT_TRUE(read);
    struct Named
    {
        const char* name;
        const char* parent;
        float x;
    };
    const Named nodes[] = {
        {"twin", "colladaRoot", 1}, {"twin-2", "colladaRoot", 2}, {"leg", "outer", 3},
        {"leg-2", "outer", 4},      {"leg-3", "outer", 5},        {"leg-4", "outer", 6},
    };
    for (const Named& expected : nodes)
    {
        SceneNode* node = scene->getNode(expected.name);
        ASSERT_NE(node, nullptr) << expected.name;
        EXPECT_EQ(node->getParent()->getName(), expected.parent) << expected.name;
        EXPECT_EQ(translationOf(node->getTransform()).x, expected.x) << expected.name;
    }
    ASSERT_EQ(scene->getAnimations().size(), 1u);
    EXPECT_EQ(scene->getAnimations()[0]->getTarget(), scene->getNode("twin"));
    EXPECT_EQ(linesWith("ERR:\t[ ColladaLoad.cpp      ("), 2) << output.out;
    EXPECT_TRUE(logged(")]:\tCOLLADA node 'colladaRoot': 1 child nodes have the name of an earlier sibling and are "
                       "numbered; the first: 'twin' is now 'twin-2'\n"))
        << output.out;
    EXPECT_TRUE(logged(")]:\tCOLLADA node 'outer': 2 child nodes have the name of an earlier sibling and are "
                       "numbered; the first: 'leg' is now 'leg-3'\n"))
        << output.out;
}

TEST_F(ColladaLoaderTest, ManySiblingsWithoutIdAreNumberedWithOneReport)
{
    const int siblings = 20000;
    std::string document = "<?xml version=\"1.0\"?><COLLADA><asset><up_axis>Y_UP</up_axis></asset>"
                           "<library_visual_scenes><visual_scene>";
    for (int sibling = 0; sibling < siblings; ++sibling)
        document += "<node/>\n";
    document += "</visual_scene></library_visual_scenes></COLLADA>";
    TemporaryDirectory directory;
    Scene* scene = load(directory.write("siblings.dae", document));
    ASSERT_TRUE(read);
    const SceneNode& colladaRoot = *scene->getRoot()->getChildren().at("colladaRoot");
    EXPECT_EQ(colladaRoot.getChildren().size(), static_cast<std::size_t>(siblings));
    for (const char* name : {"", "-2", "-3", "-20000"})
        EXPECT_EQ(colladaRoot.getChildren().count(name), 1u) << name;
    EXPECT_EQ(linesWith("COLLADA node"), 1);
    EXPECT_TRUE(logged(")]:\tCOLLADA node 'colladaRoot': 19999 child nodes have the name of an earlier sibling and "
                       "are numbered; the first: '' is now '-2'\n"))
        << output.out.substr(0, 2000);
}
}
