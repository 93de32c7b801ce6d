// What COLLADA documents give the default shaders to draw with: effects of every common technique,
// the images they name however the path is written, and directional and ambient lights.
#include "pellux/collada/ColladaSceneloader.h"
#include "pellux/core/RenderEngine.h"
#include "pellux/core/Tavrin.h"
#include "pellux/foundation/DataDirectories.h"
#include "pellux/graphics/RenderTarget.h"
#include "pellux/materials/MaterialManager.h"
#include "pellux/materials/SinglePassAutoMapMaterial.h"
#include "pellux/resources/Image.h"
#include "pellux/resources/ImageManager.h"
#include "pellux/scene/CameraNode.h"
#include "pellux/scene/LightNode.h"
#include "pellux/scene/Scene.h"
#include "scene/MeshBounds.h"

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
const std::string exported = PELLUX_SHARED_DATA_DIR "/collada/";
const float alwaysThere = 0.08f;

int brightness(const Rgba& pixel)
{
    return (pixel[0] + pixel[1] + pixel[2]) / 3;
}

class ColladaShadingTest : public testing::Test
{
protected:
    void SetUp() override
    {
        engine = openRenderEngine();
        ASSERT_NE(engine, nullptr);
        ImageManager* images = Tavrin::getInstance().getImageManager();
        const std::vector<std::string>& paths = images->getSearchPaths();
        if (std::find(paths.begin(), paths.end(), fixtures) == paths.end())
            images->addSearchPath(fixtures);
    }

    void TearDown() override { EXPECT_FALSE(glErrorRaised()); }

    Scene* load(const std::string& path)
    {
        Scene* scene = nullptr;
        bool read = false;
        output = captureOutput([&] { scene = ColladaSceneloader::load(File(path), &read); });
        loaded.emplace_back(scene);
        EXPECT_TRUE(read) << path;
        return scene;
    }

    void render(Scene& scene)
    {
        captureStdout([&] {
            for (int frame = 0; frame < 2; ++frame)
                engine->drawScene(scene, 1.0f);
        });
    }

    bool logged(const std::string& text) const { return output.out.find(text) != std::string::npos; }

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

    std::vector<LightNode*> lightsOfType(Scene& scene, int type)
    {
        std::vector<SceneNode*> nodes;
        scene.getRoot()->collectDescendants(nodes);
        std::vector<LightNode*> found;
        for (SceneNode* node : nodes)
            if (auto* light = dynamic_cast<LightNode*>(node); light != nullptr && light->getLightType() == type)
                found.push_back(light);
        return found;
    }

    RenderEngine* engine = nullptr;
    CapturedOutput output;
    std::vector<std::unique_ptr<Scene>> loaded;
};
}

TEST_F(ColladaShadingTest, ImagesAreFoundHoweverTheirPathIsWritten)
{
    TemporaryDirectory directory;
    std::string absolute = std::filesystem::path(directory.path()).string();
    struct PathForm
    {
        const char* written;
        // Where the image lies, from the document's directory; empty for one that is nowhere.
        const char* placed;
    };
    const PathForm forms[] = {
        {"file://ABSOLUTE/maps/in%20full.png", "maps/in full.png"},
        {"file:///C:/Users/someone/textures/drive-letter.png", "drive-letter.png"},
        {"FILE://no-slashes.png", "no-slashes.png"},
        {"textures\\turned%5Cslashes.png", "textures/turned/slashes.png"},
        {"..\\elsewhere\\beside.png", "beside.png"},
        {"file:///C:\\Windows%20Path\\beside-too.png", "beside-too.png"},
        {"nowhere/at-all.png", ""},
    };
    std::string images;
    std::string effects;
    std::string materials;
    for (std::size_t form = 0; form < std::size(forms); ++form)
    {
        std::string written = forms[form].written;
        std::size_t marker = written.find("ABSOLUTE");
        if (marker != std::string::npos)
            written.replace(marker, 8, absolute);
        std::string number = std::to_string(form);
        images += "<image id=\"image" + number + "\"><init_from>" + written + "</init_from></image>";
        effects += "<effect id=\"effect" + number + "\"><profile_COMMON><technique sid=\"common\"><phong><diffuse>"
                   "<texture texture=\"image" + number + "\"/></diffuse></phong></technique></profile_COMMON></effect>";
        materials += "<material id=\"path-form-" + number + "\"><instance_effect url=\"#effect" + number + "\"/></material>";
        if (*forms[form].placed != '\0')
        {
            std::filesystem::path placed = std::filesystem::path(absolute) / forms[form].placed;
            std::filesystem::create_directories(placed.parent_path());
            std::filesystem::copy_file(fixtures + "green.png", placed);
        }
    }
    std::string document = directory.write(
        "paths.dae", "<?xml version=\"1.0\"?><COLLADA><asset><up_axis>Y_UP</up_axis></asset><library_images>" + images +
                         "</library_images><library_effects>" + effects + "</library_effects><library_materials>" +
                         materials + "</library_materials><library_visual_scenes><visual_scene/>"
                                     "</library_visual_scenes></COLLADA>");
    load(document);
    for (std::size_t form = 0; form < std::size(forms); ++form)
    {
        SinglePassAutoMapMaterial* made = material("path-form-" + std::to_string(form));
        ASSERT_NE(made, nullptr) << forms[form].written;
        Image* image = made->getTextures().at(0);
        bool placed = *forms[form].placed != '\0';
        ASSERT_EQ(image != nullptr, placed) << forms[form].written << "\n" << output.out;
        if (placed)
        {
            EXPECT_EQ(image->getData()[1], 255) << forms[form].written;
        }
    }
    EXPECT_EQ(linesWith("ERR:"), 1) << "one line for the image found nowhere\n" << output.out;
    EXPECT_TRUE(logged(")]:\tno resource found: nowhere/at-all.png\n")) << output.out;
}

// Images that lie beside the document are found without the document's directory among the image
// manager's search paths; one that is nowhere is said once.
TEST_F(ColladaShadingTest, RealDocumentsFindTheImagesBesideThem)
{
    if (!std::filesystem::exists(exported))
        GTEST_SKIP() << "no exported documents at " << exported;
    load(exported + "apc-model.dae");
    SinglePassAutoMapMaterial* apc = material("apc-material");
    ASSERT_NE(apc, nullptr);
    ASSERT_NE(apc->getTextures().at(0), nullptr) << output.out;
    EXPECT_EQ(std::filesystem::path(apc->getTextures()[0]->getName()).filename(), "apc.jpg");
    EXPECT_FALSE(logged("no resource found: apc.jpg")) << output.out;

    load(exported + "construction_cone.dae");
    EXPECT_EQ(linesWith("no resource found: ../materials/textures/Construction_Cone_Diffuse.png\n"), 1) << output.out;
}

// Lit with highlights (blinn), lit without (lambert), or shown as the colour it is (constant), in a
// colour or a texture: the tiles of effects.dae side by side, lit head on by a grey light.
TEST_F(ColladaShadingTest, EveryCommonTechniqueGivesADefaultShaderMaterial)
{
    Scene* scene = load(fixtures + "effects.dae");
    render(*scene);
    struct Tile
    {
        const char* material;
        float x;
        float specularCoefficient;
        bool unlit;
        // The colour the tile shows: exactly for an unlit one; else the channel that must be bright
        // and whether the others show a highlight.
        Rgba colour;
        int channel;
        bool highlight;
    };
    const Tile tiles[] = {
        {"lambert-texture", -5, 0, false, {}, 0, false},
        {"lambert-color", -2.5f, 0, false, {}, 1, false},
        {"blinn-color", 0, 1, false, {}, 2, true},
        {"constant-color", 2.5f, 0, true, {51, 102, 153, 255}, 0, false},
        {"constant-texture", 5, 0, true, {0, 255, 0, 255}, 0, false},
    };
    for (const Tile& tile : tiles)
    {
        SinglePassAutoMapMaterial* made = material(tile.material);
        ASSERT_NE(made, nullptr) << tile.material;
        EXPECT_EQ(made->getFragmentShaderFile()->getPath(), DataDirectories::find("shader/default.frag").getPath());
        EXPECT_EQ(*made->getValue("specularCoefficient"), tile.specularCoefficient) << tile.material;
        ASSERT_EQ(made->getTextures().size(), 1u);
        EXPECT_NE(made->getTextures()[0], nullptr) << tile.material;
        Rgba seen = seenAt(*scene, {tile.x, 0, 0});
        if (tile.unlit)
        {
            EXPECT_EQ(seen, tile.colour) << tile.material;
            continue;
        }
        EXPECT_GT(seen[tile.channel], 120) << tile.material;
        for (int other = 0; other < 3; ++other)
        {
            if (other == tile.channel)
                continue;
            EXPECT_EQ(seen[other] > 60, tile.highlight) << tile.material << " channel " << other << ": " << seen[other];
        }
    }
    EXPECT_EQ(material("no-technique"), nullptr);
    EXPECT_EQ(linesWith(")]:\tmissing phong or blinn tag\n"), 1) << output.out;
    EXPECT_TRUE(logged(")]:\tCOLLADA material 'no-technique': its effect has no phong, blinn, lambert, constant or "
                       "parallax technique\n"))
        << output.out;
}

TEST_F(ColladaShadingTest, DirectionalAndAmbientLightsAreAttachedAndLight)
{
    Scene* scene = load(fixtures + "lights.dae");
    std::vector<LightNode*> directional = lightsOfType(*scene, LightNode::directionalLight);
    std::vector<LightNode*> ambient = lightsOfType(*scene, LightNode::ambientLight);
    ASSERT_EQ(directional.size(), 1u);
    ASSERT_EQ(ambient.size(), 1u);
    EXPECT_EQ(directional[0]->getName(), "sun");
    EXPECT_EQ(directional[0]->getShadowType(), 1);
    EXPECT_EQ(directional[0]->getColor()->x, 0.5f);
    Vector3 along = directional[0]->getWorldDirection();
    EXPECT_NEAR(along.x, 0, 1e-5f);
    EXPECT_NEAR(along.y, -1, 1e-5f);
    EXPECT_NEAR(along.z, 0, 1e-5f);
    EXPECT_EQ(ambient[0]->getColor()->x, 0.2f);
    EXPECT_EQ(linesWith("ERR:"), 0) << output.out;

    render(*scene);
    EXPECT_NEAR(scene->getAmbientLight().y, 0.2f, 1e-6f);
    EXPECT_EQ(scene->getLights(), (std::vector<LightNode*>{directional[0]}));
    EXPECT_NEAR(brightness(seenAt(*scene, {-5, 0, 0})), 255 * (alwaysThere + 0.2f + 0.5f), 3) << "lit";
    EXPECT_NEAR(brightness(seenAt(*scene, {0, 0, 0})), 255 * (alwaysThere + 0.2f), 3) << "in the tile's shadow";
}

// Exporters give their directional lights no engine technique; they light the model all the same, and
// ambient lights are attached. Seen from where its light comes, each model is brighter with the light
// on than off.
TEST_F(ColladaShadingTest, RealDocumentsDrawLitByTheirLights)
{
    struct Document
    {
        const char* file;
        int type;
    };
    const Document documents[] = {
        {"duck_triangulate.dae", LightNode::directionalLight},
        {"node_lookat_max.dae", LightNode::directionalLight},
        {"apc-model.dae", LightNode::ambientLight},
        {"construction_cone.dae", LightNode::ambientLight},
    };
    if (!std::filesystem::exists(exported))
        GTEST_SKIP() << "no exported documents at " << exported;
    for (const Document& document : documents)
    {
        Scene* scene = load(exported + document.file);
        std::vector<LightNode*> lights = lightsOfType(*scene, document.type);
        ASSERT_EQ(lights.size(), 1u) << document.file << "\n" << output.out;
        EXPECT_FALSE(logged("COLLADA light")) << document.file << "\n" << output.out;
        if (document.type != LightNode::directionalLight)
            continue;
        render(*scene);
        Bounds model = MeshBounds().ofVisibleMeshes(scene->getNodes());
        ASSERT_FALSE(model.empty) << document.file;
        Vector3 centre = (model.low + model.high) * 0.5f;
        float reach = (model.high - model.low).length();
        auto* camera = new CameraNode("test camera");
        scene->getRoot()->addChild(camera);
        scene->setActiveCamera(camera);
        camera->setTransform(Matrix4::translation(centre - lights[0]->getWorldDirection().normalized() * reach * 2));
        camera->lookAt(centre.x, centre.y, centre.z);
        camera->setNear(reach / 100);
        camera->setFar(reach * 4);
        render(*scene);
        int lit = brightness(seenAt(*scene, centre));
        lights[0]->setColor(std::make_shared<Vector4>(0.0f, 0.0f, 0.0f, 1.0f));
        render(*scene);
        int dark = brightness(seenAt(*scene, centre));
        EXPECT_GT(lit, dark + 40) << document.file << ": lit " << lit << ", dark " << dark;
    }
}
