#include "pellux/collada/ColladaSceneloader.h"
#include "pellux/core/Tavrin.h"
#include "pellux/graphics/RenderTarget.h"
#include "pellux/resources/Mesh.h"
#include "pellux/resources/MeshManager.h"
#include "pellux/scene/Scene.h"
#include "pellux/scene/SceneNode.h"

#include "CaptureOutput.h"
#include "GlContext.h"
#include "TemporaryDirectory.h"

#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <sstream>
#include <vector>

using namespace Pellux;

namespace
{
std::string readFixture(const std::string& name)
{
    std::ifstream file(std::string(PELLUX_TEST_DATA_DIR "/collada/") + name);
    std::stringstream content;
    content << file.rdbuf();
    return content.str();
}

// One mutilation of a sound document: in each edit, the first `from` becomes `to`.
struct Edit
{
    const char* from;
    const char* to;
};

struct Mutilation
{
    const char* fixture;
    std::vector<Edit> edits;
    // A line of the report the loader must give; empty when it may stay silent.
    const char* reported;
};

const Mutilation mutilations[] = {
    {"scene.dae", {{"<COLLADA xmlns", "<NotCollada xmlns"}, {"</COLLADA>", "</NotCollada>"}}, "has no \"COLLADA\" element"},
    {"scene.dae", {{"</COLLADA>", "</NotCollada>"}}, "could not be read"},
    {"scene.dae", {{"<asset><up_axis>Z_UP</up_axis></asset>", ""}}, ""},
    {"scene.dae", {{"<library_visual_scenes>", "<gone>"}, {"</library_visual_scenes>", "</gone>"}}, "has no visual scene"},
    {"scene.dae", {{"<visual_scene id=\"visual\">", "<gone>"}, {"</visual_scene>", "</gone>"}}, "has no visual scene"},
    {"scene.dae", {{"<matrix>1 0 0 5 0 1 0 6 0 0 1 7 0 0 0 1</matrix>", "<matrix>x y z</matrix>"}}, "not numbers"},
    {"scene.dae", {{"<instance_geometry url=\"#box-geometry\">", "<instance_geometry>"}}, "Mesh nicht gefunden: ''"},
    {"scene.dae", {{"<float_array id=\"box-positions-array\" count=\"9\">0 0 0 1 0 0 0 1 0</float_array>", ""}},
     "has indices past the end of a source"},
    {"scene.dae", {{"<p>0 1 2</p>", "<p>0 1 99999999</p>"}}, "has indices past the end of a source"},
    {"scene.dae", {{"<p>0 1 2</p>", "<p>-5 1 2</p>"}}, "has indices past the end of a source"},
    {"scene.dae", {{"<p>0 1 2</p>", "<p>0 one 2 3</p>"}}, "\"p\" words that are not numbers"},
    {"scene.dae", {{"<p>0 1 2</p>", ""}}, ""},
    {"scene.dae", {{"<vertices id=\"box-vertices\">", "<gone>"}, {"</vertices>", "</gone>"}}, "has no \"vertices\""},
    {"scene.dae", {{"source=\"#box-vertices\"/><p>0 1 2</p>", "source=\"#box-vertices\" offset=\"2147483647\"/><p>0 1 2</p>"}},
     "input offset"},
    {"scene.dae", {{"source=\"#box-vertices\"/><p>0 1 2</p>", "source=\"#box-vertices\" offset=\"-1\"/><p>0 1 2</p>"}},
     "input offset"},
    {"scene.dae", {{"<input semantic=\"POSITION\" source=\"#box-positions\"/>", "<input semantic=\"POSITION\"/>"}},
     "refers to no source ''"},
    {"scene.dae", {{"<instance_light url=\"#spot-light\"/>", "<instance_light url=\"#nothing\"/>"}}, "instances no light"},
    {"scene.dae", {{"<color>1 0.5 0.25</color>", "<color>1</color>"}}, "has no number in color"},
    {"scene.dae", {{"<technique_common>\n        <spot>", "<gone>\n        <spot>"}, {"</spot>\n      </technique_common>", "</spot>\n      </gone>"}},
     "is not a spot, point, directional or ambient light"},
    {"scene.dae", {{"<extra>\n        <technique profile=\"PELLUX\">\n          <light>", "<gone>\n        <technique profile=\"PELLUX\">\n          <light>"},
                   {"</light>\n        </technique>\n      </extra>", "</light>\n        </technique>\n      </gone>"}},
     "has no number in falloff, hotspot_beam"},
    {"scene.dae", {{"<falloff>90</falloff>", "<falloff>wide</falloff>"}}, "has no number in falloff"},
    {"scene.dae", {{"<instance_camera url=\"#spare-camera\"/>", "<instance_camera url=\"#gone\"/>"}}, "instances no camera"},
    {"scene.dae", {{"<xfov>45</xfov>", ""}}, "has no number in yfov"},
    {"scene.dae", {{"<channel source=\"#A-sampler\" target=\"A/transform\"/>", "<channel source=\"#A-sampler\"/>"}}, "names no node"},
    {"scene.dae", {{"<input semantic=\"OUTPUT\" source=\"#A-matrices\"/>", ""}}, "names no node, sampler or source"},
    {"scene.dae", {{"0 0 0 1  1 0 0 0 0 1 0 0 0 0 1 2 0 0 0 1</float_array>", "0 0 0 1</float_array>"}},
     "does not hold a 4 x 4 matrix"},
    {"scene.dae", {{">0 1</float_array>", ">zero one</float_array>"}}, "not numbers"},
    {"channels.dae", {{"meter=\"0.0254\"", "meter=\"wide\""}},
     "COLLADA unit 'inch': meter=\"wide\" is no length in metres; 1 is used"},
    {"channels.dae", {{">0 2</float_array>", ">nan 2</float_array>"}},
     "COLLADA animation channel 'slider/location.X': has a key time that is not a number; left out"},
    {"channels.dae", {{">0 2</float_array>", ">2 0</float_array>"}}, ""},
    {"channels.dae", {{"STEP STEP", "STEP"}}, ""},
    {"channels.dae", {{"<input semantic=\"OUTPUT\" source=\"#spin-angles\"/>", ""}},
     "COLLADA animation channel 'spinner/rotateZ.ANGLE': names no node, sampler or source"},
    {"channels.dae", {{"cell/transform(0)(3)", "cell/transform(4)(0)"}}, "a matrix has no member '(4)(0)'; left out"},
    {"channels.dae", {{"cell/transform(0)(3)", "cell/transform(0)(99999999999999999999)"}}, "a matrix has no member"},
    {"channels.dae", {{"cell/transform(0)(3)", "cell/transform(0"}}, "a matrix has no member '(0'; left out"},
    {"channels.dae", {{"<rotate sid=\"rotateZ\">0 0 1 0</rotate>", "<rotate sid=\"rotateZ\"/>"}}, ""},
    {"materials.dae", {{"<newparam sid=\"red-surface\">", "<newparam>"}}, "its diffuse texture names no image"},
    {"materials.dae", {{"<profile_COMMON>", "<gone>"}, {"</profile_COMMON>", "</gone>"}}, "missing phong or blinn tag"},
    {"materials.dae", {{"<diffuse><color>1 0.5 0 0.25</color></diffuse>", ""}}, ""},
    {"materials.dae", {{"<color>1 0.5 0 0.25</color>", "<color>bright</color>"}}, "its diffuse color is not three or four numbers"},
    {"materials.dae", {{"<instance_effect url=\"#chain-effect\"/>", ""}}, "instances no effect"},
    {"materials.dae", {{"<image id=\"red-image\" name=\"red\">", "<image>"}}, ""},
    {"materials.dae", {{"<init_from>red.png</init_from>", "<init_from></init_from>"}}, "no resource found"},
    {"materials.dae", {{"<diffuseMap value=\"red-image\"/>", "<diffuseMap/>"}}, "its diffuseMap names no image"},
    {"effects.dae", {{"<color>0.2 0.4 0.6 1</color>", "<color>dim</color>"}}, "its emission color is not three or four numbers"},
    {"effects.dae", {{"<texture texture=\"green-image\"", "<texture texture=\"gone\""}},
     "'constant-texture-effect': its emission texture names no image 'gone'"},
    {"effects.dae", {{"<emission><color>0.2 0.4 0.6 1</color></emission>", ""}}, ""},
    {"lights.dae", {{"<color>0.2 0.2 0.2</color>", "<color>grey</color>"}}, "COLLADA light 'sky': has no number in color"},
    {"lights.dae", {{"<shadow_type>1</shadow_type>", "<shadow_type>yes</shadow_type>"}}, "has no number in shadow_type"},
    {"lights.dae", {{"<geometry id=\"ground\">", "<geometry id=\"ground\" name=\"no shadow caster\"/><gone>"},
                    {"</geometry>", "</gone>"}},
     ""},
    {"geometry.dae", {{"stride=\"2\"", "stride=\"0\""}}, "has a stride that is no positive number"},
    {"geometry.dae", {{"stride=\"2\"", "stride=\"two\""}}, "has a stride that is no positive number"},
    {"geometry.dae", {{"<p>0 0 0 1 0 1 2 0 2 2 0 2 1 0 1 0 0 0</p>", "<p>0 0 0 1 0 1 2 0</p>"}}, "ends inside an index tuple"},
    {"geometry.dae", {{"<geometry id=\"no-mesh\"/>", "<geometry/>"}}, ""},
    {"geometry.dae", {{"0 0.25 1 0.5 0.75 1", "0 0.25"}}, "has indices past the end of a source"},
    {"geometry.dae", {{"<library_geometries>", "<library_geometries"}}, "could not be read"},
    {"skin.dae", {{"hip arm</Name_array>", "hip leg</Name_array>"}}, "names a joint no node of the scene is: 'leg'"},
    {"skin.dae", {{"<skeleton>#skeleton</skeleton>", "<skeleton>#nowhere</skeleton>"}}, ""},
    {"skin.dae", {{"<instance_controller url=\"#tiles-skin\">", "<instance_controller url=\"#gone\">"}},
     "instances no skin read before: 'gone'"},
    {"skin.dae", {{"<skin source=\"#tiles\">", "<skin source=\"#gone\">"}}, "skins no geometry of the document: 'gone'"},
    {"skin.dae", {{"<skin source=\"#tiles\">", "<morph source=\"#tiles\">"}, {"</skin>", "</morph>"}},
     "is not a skin and is left out"},
    {"skin.dae", {{"<v>0 0 0 0 0 0 0 0 1 0 1 0 1 0 1 0</v>", "<v>0 0 7 0</v>"}}, "has fewer vertex weights than its vcount says"},
};

class MalformedDocumentTest : public testing::Test
{
protected:
    void SetUp() override { ASSERT_NE(openRenderEngine(), nullptr); }

    TemporaryDirectory directory;
};

TEST_F(MalformedDocumentTest, EachMutilationLoadsWithoutACrashAndIsReported)
{
    int number = 0;
    for (const Mutilation& mutilation : mutilations)
    {
        std::string document = readFixture(mutilation.fixture);
        for (const Edit& edit : mutilation.edits)
        {
            std::size_t at = document.find(edit.from);
            ASSERT_NE(at, std::string::npos) << "the fixture changed: " << edit.from;
            document.replace(at, std::string(edit.from).size(), edit.to);
        }
        std::string path = directory.write("mutilated" + std::to_string(number++) + ".dae", document);
        std::unique_ptr<Scene> scene;
        CapturedOutput output = captureOutput([&] { scene.reset(ColladaSceneloader::load(File(path))); });
        ASSERT_NE(scene, nullptr) << mutilation.edits[0].to;
        EXPECT_NE(output.out.find(mutilation.reported), std::string::npos)
            << mutilation.edits[0].from << " -> " << mutilation.edits[0].to << "\n" << output.out;
        captureOutput([&] {
            scene->getRenderTarget()->bind();
            scene->render();
        });
    }
    EXPECT_FALSE(glErrorRaised());
}

// A COLLADA document whose deepest element, a node, lies `depth` levels down.
std::string colladaNestedTo(int depth)
{
    std::string document = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
                           "<COLLADA><asset><up_axis>Y_UP</up_axis></asset>"
                           "<library_visual_scenes><visual_scene id=\"deep\">";
    for (int level = 4; level <= depth; ++level)
        document += "<node id=\"n" + std::to_string(level) + "\">";
    for (int level = 4; level <= depth; ++level)
        document += "</node>";
    return document + "</visual_scene></library_visual_scenes></COLLADA>";
}

// An Ogre mesh with one sub-mesh and, beside its sub-meshes, elements nested `depth` levels down.
std::string ogreMeshNestedTo(int depth)
{
    std::string document = "<mesh><submeshes><submesh material=\"m\"><geometry><vertexbuffer>"
                           "<vertex><position x=\"0\" y=\"0\" z=\"0\"/></vertex></vertexbuffer></geometry>"
                           "<faces><face v1=\"0\" v2=\"0\" v3=\"0\"/></faces></submesh></submeshes>";
    for (int level = 2; level <= depth; ++level)
        document += "<extra>";
    for (int level = 2; level <= depth; ++level)
        document += "</extra>";
    return document + "</mesh>";
}

// As many attributes as asked, for one element.
std::string attributes(int count)
{
    std::string text;
    for (int attribute = 0; attribute < count; ++attribute)
        text += " a" + std::to_string(attribute) + "=''";
    return text;
}

const std::string pngSignature("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16);

// How many levels of nodes the document gave below the scene's COLLADA root.
int nodeLevels(const Scene& scene)
{
    auto colladaRoot = scene.getRoot()->getChildren().find("colladaRoot");
    if (colladaRoot == scene.getRoot()->getChildren().end())
        return 0;
    int levels = 0;
    for (const SceneNode* node = colladaRoot->second; !node->getChildren().empty();
         node = node->getChildren().begin()->second)
        ++levels;
    return levels;
}

std::vector<std::string> errorLines(const std::string& log)
{
    std::vector<std::string> lines;
    std::istringstream stream(log);
    for (std::string line; std::getline(stream, line);)
        if (line.rfind("ERR:", 0) == 0)
            lines.push_back(line);
    return lines;
}

enum class Reader
{
    Collada,
    OgreMesh
};

struct RefusedDocument
{
    const char* description;
    Reader reader;
    std::string content;
    // What the one ERR line says after the path; empty when the document loads.
    const char* reason;
    // The node levels or sub-meshes a loaded document gives.
    int loaded;
};

TEST_F(MalformedDocumentTest, DeepCrowdedOrBinaryDocumentsAreRefusedWithOneLineAndLoadNothing)
{
    const std::string tooDeep = "elements nested deeper than 1000 levels";
    const RefusedDocument documents[] = {
        {"COLLADA one level too deep", Reader::Collada, colladaNestedTo(1001), tooDeep.c_str(), 0},
        {"COLLADA deep enough to overflow the stack", Reader::Collada, colladaNestedTo(100000), tooDeep.c_str(), 0},
        {"COLLADA as deep as allowed", Reader::Collada, colladaNestedTo(1000), "", 997},
        {"COLLADA that is a picture", Reader::Collada, pngSignature, "not an XML document: byte 6 is 0x1A, so it is not text", 0},
        {"Ogre mesh one level too deep", Reader::OgreMesh, ogreMeshNestedTo(1001), tooDeep.c_str(), 0},
        {"Ogre mesh deep enough to overflow the stack", Reader::OgreMesh, ogreMeshNestedTo(100000), tooDeep.c_str(), 0},
        {"Ogre mesh as deep as allowed", Reader::OgreMesh, ogreMeshNestedTo(1000), "", 1},
        {"Ogre mesh with an element of too many attributes", Reader::OgreMesh,
         "<mesh" + attributes(1001) + "/>",
         "an element with more than 1000 attributes", 0},
        {"Ogre mesh with NUL bytes", Reader::OgreMesh, std::string("<mesh>\0</mesh>", 14),
         "not an XML document: byte 6 is 0x00, so it is not text", 0},
    };
    const char* failureLines[] = {"COLLADA document could not be read: ", "Datei konnte nicht geladen werden: "};
    int number = 0;
    for (const RefusedDocument& document : documents)
    {
        std::string path = directory.write("document" + std::to_string(number++) + ".xml", document.content);
        int loaded = 0;
        CapturedOutput output = captureOutput([&] {
            if (document.reader == Reader::Collada)
            {
                std::unique_ptr<Scene> scene(ColladaSceneloader::load(File(path)));
                loaded = nodeLevels(*scene) + static_cast<int>(scene->getAnimations().size());
            }
            else
            {
                std::unique_ptr<Mesh> mesh(Tavrin::getInstance().getMeshManager()->loadOgreXML(File(path)));
                loaded = static_cast<int>(mesh->getSubMeshes().size());
            }
        });
        std::vector<std::string> errors = errorLines(output.out);
        EXPECT_EQ(loaded, document.loaded) << document.description;
        if (*document.reason == '\0')
        {
            EXPECT_TRUE(errors.empty()) << document.description << "\n" << output.out;
            continue;
        }
        EXPECT_EQ(errors.size(), 1u) << document.description << "\n" << output.out;
        if (errors.empty())
            continue;
        std::string expected = std::string(")]:\t") + failureLines[static_cast<int>(document.reader)] + path + " (" +
                               document.reason + ")";
        EXPECT_EQ(errors[0].substr(errors[0].find(")]:\t")), expected) << document.description;
    }
}
}
