// Documents written to hurt: names that collide, copies that multiply lights, references to files
// that never end. Each loads and draws without a crash,
// within bounded memory, with its problem said.
#include "pellux/collada/ColladaSceneloader.h"
#include "pellux/core/RenderEngine.h"
#include "pellux/core/Tavrin.h"
#include "pellux/resources/Mesh.h"
#include "pellux/resources/SubMesh.h"
#include "pellux/scene/CameraNode.h"
#include "pellux/scene/LightNode.h"
#include "pellux/scene/MeshNode.h"
#include "pellux/scene/Scene.h"
#include "pellux/scene/Skin.h"

#include "CaptureOutput.h"
#include "GlContext.h"
#include "ProcessMemory.h"
#include "ScenePixels.h"
#include "TemporaryDirectory.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <memory>

using namespace Pellux;

namespace
{
int countOf(const std::string& text, const std::string& part)
{
    int count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}

// A white material, a camera at (0, 0, 10) looking down -Z and a point light beside it, around
// what `geometries`, `controllers` and `nodes` add.
std::string document(const std::string& geometries, const std::string& controllers, const std::string& nodes,
                     const std::string& lights = "")
{
    return R"(<COLLADA><asset><up_axis>Y_UP</up_axis></asset>
<library_effects><effect id="white-effect"><profile_COMMON><technique sid="t"><phong>
  <diffuse><color>1 1 1 1</color></diffuse></phong></technique></profile_COMMON></effect></library_effects>
<library_materials><material id="white"><instance_effect url="#white-effect"/></material></library_materials>
<library_lights><light id="lamp"><technique_common><point><color>1 1 1</color><constant_attenuation>1</constant_attenuation>
  <linear_attenuation>0</linear_attenuation><quadratic_attenuation>0</quadratic_attenuation></point></technique_common>
  <extra><technique profile="PELLUX"><light><multiplier>1</multiplier></light></technique></extra></light>)" +
           lights + R"(</library_lights>
<library_cameras><camera id="eye"><optics><technique_common><perspective><xfov>60</xfov><znear>1</znear>
  <zfar>100</zfar></perspective></technique_common></optics></camera></library_cameras>
<library_geometries>)" + geometries + R"(</library_geometries>
<library_controllers>)" + controllers + R"(</library_controllers>
<library_visual_scenes><visual_scene id="scene">
  <node id="viewer"><matrix>1 0 0 0 0 1 0 0 0 0 1 10 0 0 0 1</matrix><instance_camera url="#eye"/></node>
  <node id="light-post"><matrix>1 0 0 0 0 1 0 0 0 0 1 8 0 0 0 1</matrix><instance_light url="#lamp"/></node>
)" + nodes + "</visual_scene></library_visual_scenes></COLLADA>";
}

// A square of two triangles (6 vertices) or one triangle (3 vertices), facing +Z.
std::string geometry(const std::string& id, bool square)
{
    std::string p = square ? "0 0 1 1 2 2 0 0 2 2 3 3" : "0 0 1 1 2 2";
    return "<geometry id=\"" + id + "\"><mesh><source id=\"" + id +
           "-p\"><float_array>-1 -1 0 1 -1 0 1 1 0 -1 1 0</float_array></source><source id=\"" + id +
           "-n\"><float_array>0 0 1 0 0 1 0 0 1 0 0 1</float_array></source><vertices id=\"" + id +
           "-v\"><input semantic=\"POSITION\" source=\"#" + id + "-p\"/></vertices><triangles material=\"paint\" count=\"" +
           (square ? "2" : "1") + "\"><input semantic=\"VERTEX\" source=\"#" + id +
           "-v\" offset=\"0\"/><input semantic=\"NORMAL\" source=\"#" + id + "-n\" offset=\"1\"/><p>" + p +
           "</p></triangles></mesh></geometry>";
}

// A skin of the geometry with `joints` joints named j0, j1, ..., every position bound to the last.
std::string skin(const std::string& id, const std::string& geometry, int joints)
{
    std::string names;
    std::string binds;
    for (int joint = 0; joint < joints; ++joint)
    {
        names += " j" + std::to_string(joint);
        binds += " 1 0 0 0 0 1 0 0 0 0 1 0 0 0 0 1";
    }
    std::string last = std::to_string(joints - 1);
    return "<controller id=\"" + id + "\"><skin source=\"#" + geometry + "\"><source id=\"" + id +
           "-j\"><Name_array>" + names + "</Name_array></source><source id=\"" + id + "-b\"><float_array>" + binds +
           "</float_array></source><source id=\"" + id + "-w\"><float_array>1</float_array></source><joints><input "
           "semantic=\"JOINT\" source=\"#" + id + "-j\"/><input semantic=\"INV_BIND_MATRIX\" source=\"#" + id +
           "-b\"/></joints><vertex_weights><input semantic=\"JOINT\" source=\"#" + id +
           "-j\" offset=\"0\"/><input semantic=\"WEIGHT\" source=\"#" + id + "-w\" offset=\"1\"/><vcount>1 1 1 1</vcount><v>" +
           last + " 0 " + last + " 0 " + last + " 0 " + last + " 0</v></vertex_weights></skin></controller>";
}

std::string bound(const std::string& instance, const std::string& url, const std::string& inside = "")
{
    return "<" + instance + " url=\"" + url + "\">" + inside +
           "<bind_material><technique_common><instance_material symbol=\"paint\" target=\"#white\"/>"
           "</technique_common></bind_material></" + instance + ">";
}

std::string node(const std::string& id, float x, float z, const std::string& content)
{
    return "<node id=\"" + id + "\"><translate>" + std::to_string(x) + " 0 " + std::to_string(z) + "</translate>" +
           content + "</node>";
}

// Joints j0 ... j<n-1>, one below the other, under a node of the scene.
std::string skeleton(int joints)
{
    std::string nodes;
    for (int joint = 0; joint < joints; ++joint)
        nodes += "<node id=\"joint" + std::to_string(joint) + "\" sid=\"j" + std::to_string(joint) + "\">";
    for (int joint = 0; joint < joints; ++joint)
        nodes += "</node>";
    return "<node id=\"skeleton\">" + nodes + "</node>";
}

class HostileDocumentTest : public testing::Test
{
protected:
    void SetUp() override { engine = openRenderEngine(); ASSERT_NE(engine, nullptr); }

    void TearDown() override { EXPECT_FALSE(glErrorRaised()); }

    // Loads the document and draws two frames of it.
    std::unique_ptr<Scene> loadAndDraw(const std::string& text)
    {
        std::string path = directory.write("hostile" + std::to_string(documents++) + ".dae", text);
        std::unique_ptr<Scene> scene;
        log = captureOutput([&] {
                  scene.reset(ColladaSceneloader::load(File(path)));
                  for (int frame = 0; frame < 2; ++frame)
                      engine->drawScene(*scene, 1.0f);
              }).out;
        return scene;
    }

    MeshNode* meshNodeOf(Scene& scene, const std::string& nodeName)
    {
        SceneNode* holder = scene.getNode(nodeName);
        EXPECT_NE(holder, nullptr) << nodeName;
        if (holder == nullptr)
            return nullptr;
        auto child = holder->getChildren().find(nodeName + "_mesh");
        return child != holder->getChildren().end() ? dynamic_cast<MeshNode*>(child->second) : nullptr;
    }

    RenderEngine* engine = nullptr;
    TemporaryDirectory directory;
    std::string log;
    int documents = 0;
};

TEST_F(HostileDocumentTest, AControllerNamedLikeAGeometrySkinsItsOwnGeometryAndEverythingIsDrawn)
{
    // Controller "B" shares geometry B's id; controller "C" skins geometry B. The skinned node lies
    // between two copies of geometry A, so that its draw comes between theirs.
    std::string text = document(geometry("A", true) + geometry("B", false),
                                skin("B", "A", 1) + skin("C", "B", 1),
                                skeleton(1) + node("far", -3, -4, bound("instance_geometry", "#A")) +
                                    node("skinned", 0, -2, bound("instance_controller", "#C")) +
                                    node("near", 3, 0, bound("instance_geometry", "#A")));
    std::unique_ptr<Scene> scene = loadAndDraw(text);
    MeshNode* skinned = meshNodeOf(*scene, "skinned");
    ASSERT_NE(skinned, nullptr) << log;
    ASSERT_EQ(skinned->getMesh()->getSubMeshes().size(), 1u);
    const SubMesh& skinnedPart = *skinned->getMesh()->getSubMeshes()[0];
    EXPECT_EQ(skinnedPart.getIndices().size(), 3u) << "geometry B's triangle, not A's square";
    EXPECT_TRUE(skinnedPart.isDrawable());
    EXPECT_NE(skinned->getSkin(), nullptr) << log;
    for (const Vector3& corner : {Vector3(-3.5f, -0.5f, -4), Vector3(0.5f, -0.5f, -2), Vector3(2.5f, -0.5f, 0)})
        EXPECT_GT(seenAt(*scene, corner)[0], 100) << corner.x << ": drawn and lit";
}

TEST_F(HostileDocumentTest, ADocumentOfAThousandLightsMakesBoundedLightsAndMemory)
{
    // Ten copies of ten copies of ten copies of a shadow-casting light.
    std::string lightInNode = "<node id=\"level0\"><instance_light url=\"#caster\"/></node>";
    std::string libraryNodes = "<library_nodes>" + lightInNode;
    for (int level = 1; level <= 2; ++level)
    {
        libraryNodes += "<node id=\"level" + std::to_string(level) + "\">";
        for (int copy = 0; copy < 10; ++copy)
            libraryNodes += "<instance_node url=\"#level" + std::to_string(level - 1) + "\"/>";
        libraryNodes += "</node>";
    }
    libraryNodes += "</library_nodes>";
    std::string top = "<node id=\"lights\">";
    for (int copy = 0; copy < 10; ++copy)
        top += "<instance_node url=\"#level2\"/>";
    top += "</node>";
    std::string caster = R"(<light id="caster"><technique_common><point><color>0.01 0.01 0.01</color>
        <constant_attenuation>1</constant_attenuation><linear_attenuation>0</linear_attenuation>
        <quadratic_attenuation>0</quadratic_attenuation><shadow_type>1</shadow_type></point></technique_common>
        <extra><technique profile="PELLUX"><light><multiplier>1</multiplier></light></technique></extra></light>)";
    std::string text = document(geometry("A", true), "", node("square", 0, 0, bound("instance_geometry", "#A")) + top,
                                caster);
    text.insert(text.find("<library_visual_scenes>"), libraryNodes);

    long long before = residentBytes();
    std::unique_ptr<Scene> scene = loadAndDraw(text);
    long long grown = residentBytes() - before;

    EXPECT_EQ(scene->getLights().size(), 256u);
    std::size_t casting = 0;
    for (LightNode* light : scene->getLights())
        casting += light->getShadowType() == 1 ? 1 : 0;
    EXPECT_EQ(casting, 16u);
    EXPECT_EQ(countOf(log, "COLLADA document '': makes more than 256 lights; the rest are left out, the first at node "),
              1) << log;
    EXPECT_EQ(countOf(log, "COLLADA document '': has more than 16 lights that cast shadows; the rest cast none"), 1)
        << log;
    EXPECT_LT(grown, 300 * megabyte);
}

TEST_F(HostileDocumentTest, AShadowTypePastTheIntegersIsReportedAndCastsNoShadow)
{
    std::string lamp = R"(<light id="odd"><technique_common><point><color>1 1 1</color>
        <constant_attenuation>1</constant_attenuation><linear_attenuation>0</linear_attenuation>
        <quadratic_attenuation>0</quadratic_attenuation><shadow_type>2147483647</shadow_type></point></technique_common>
        <extra><technique profile="PELLUX"><light><multiplier>1</multiplier></light></technique></extra></light>)";
    std::unique_ptr<Scene> scene =
        loadAndDraw(document("", "", node("odd-light", 0, 0, "<instance_light url=\"#odd\"/>"), lamp));
    LightNode* odd = dynamic_cast<LightNode*>(scene->getNode("odd"));
    ASSERT_NE(odd, nullptr) << log;
    EXPECT_EQ(odd->getShadowType(), 0);
    EXPECT_NE(log.find("COLLADA light 'odd': has a shadow_type no light has; 0 is used"), std::string::npos) << log;
}

TEST_F(HostileDocumentTest, TwoControllersOfOneIdBindTheMeshWithTheSkinItWasMadeFrom)
{
    // The later controller of the id skins no geometry; the earlier one's mesh stays with its own
    // single joint, not the later one's hundred.
    std::string text = document(geometry("A", true), skin("S", "A", 1) + skin("S", "missing", 100),
                                skeleton(100) + node("skinned", 0, 0, bound("instance_controller", "#S")));
    std::unique_ptr<Scene> scene = loadAndDraw(text);
    MeshNode* skinned = meshNodeOf(*scene, "skinned");
    ASSERT_NE(skinned, nullptr) << log;
    ASSERT_NE(skinned->getSkin(), nullptr) << log;
    EXPECT_EQ(skinned->getSkin()->getJointCount(), 1u);
    EXPECT_NE(log.find("COLLADA controller 'S': skins no geometry of the document: 'missing'"), std::string::npos);
}

TEST_F(HostileDocumentTest, ManyCopiesOfASkinnedNodeFindTheirJointsOnce)
{
    // A skeleton of 64 joints in a long chain and a thousand copies of a node skinned to it.
    std::string libraryNodes = "<library_nodes><node id=\"body\">" + bound("instance_controller", "#S",
                                                                              "<skeleton>#skeleton</skeleton>") +
                               "</node></library_nodes>";
    std::string copies = "<node id=\"crowd\">";
    for (int copy = 0; copy < 1000; ++copy)
        copies += "<instance_node url=\"#body\"/>";
    copies += "</node>";
    std::string text = document(geometry("A", true), skin("S", "A", 64), skeleton(64) + copies);
    text.insert(text.find("<library_visual_scenes>"), libraryNodes);
    std::unique_ptr<Scene> scene = loadAndDraw(text);
    int skinned = 0;
    for (const auto& [name, copy] : scene->getNode("crowd")->getChildren())
        for (const auto& [childName, child] : copy->getChildren())
            if (auto* meshNode = dynamic_cast<MeshNode*>(child); meshNode != nullptr && meshNode->getSkin() != nullptr)
                skinned += meshNode->getSkin()->getJoints().back() == scene->getNode("joint63") ? 1 : 0;
    EXPECT_EQ(skinned, 1000) << log;
}

TEST_F(HostileDocumentTest, MeshReferencesNeverOpenPipesOrFilesOutsideTheResources)
{
    TemporaryDirectory workplace;
    std::string pipe = workplace.path() + "/resources/pipe.xml";
    workplace.write("resources/keep", "");
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    std::string outside = workplace.write("outside.xml", "<mesh><submeshes><submesh material=\"m\"><geometry>"
                                                         "<vertexbuffer positions=\"true\"><vertex><position x=\"0\" "
                                                         "y=\"0\" z=\"0\"/></vertex></vertexbuffer></geometry><faces>"
                                                         "<face v1=\"0\" v2=\"0\" v3=\"0\"/></faces></submesh>"
                                                         "</submeshes></mesh>");
    std::unique_ptr<Scene> scene;
    {
        WorkingDirectory inWorkplace(workplace.path());
        scene = loadAndDraw(document("", "", node("piped", 0, 0, bound("instance_geometry", "#pipe.xml")) +
                                                 node("absolute", 0, 0, bound("instance_geometry", "#" + outside)) +
                                                 node("climbing", 0, 0, bound("instance_geometry", "#../outside.xml"))));
    }
    MeshNode* piped = meshNodeOf(*scene, "piped");
    ASSERT_NE(piped, nullptr) << log;
    EXPECT_TRUE(piped->getMesh()->getSubMeshes().empty());
    EXPECT_NE(log.find("Datei konnte nicht geladen werden: resources/pipe.xml (the file is not a regular file)"),
              std::string::npos)
        << log;
    for (const char* name : {"absolute", "climbing"})
        EXPECT_EQ(meshNodeOf(*scene, name), nullptr) << name;
    EXPECT_NE(log.find("Mesh nicht gefunden: '" + outside + "'"), std::string::npos) << log;
    EXPECT_NE(log.find("Mesh nicht gefunden: '../outside.xml'"), std::string::npos) << log;
}

}
