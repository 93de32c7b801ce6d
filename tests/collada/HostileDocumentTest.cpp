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
#include "ColladaText.h"
#include "DrawnDocument.h"
#include "GlContext.h"
#include "ProcessMemory.h"
#include "ScenePixels.h"
#include "TemporaryDirectory.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <memory>

using namespace Pellux;
using namespace ColladaText;

namespace
{
using HostileDocumentTest = DrawnDocumentTest;

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
