#include "pellux/foundation/Logger.h"
#include "pellux/resources/Mesh.h"
#include "pellux/resources/MeshManager.h"
#include "pellux/resources/SubMesh.h"

#include "CaptureOutput.h"
#include "TemporaryDirectory.h"

#include <gtest/gtest.h>

#include <filesystem>

using Pellux::Mesh;
using Pellux::MeshManager;
using Pellux::SubMesh;

namespace
{
std::vector<float> valuesOf(const SubMesh& subMesh, const std::string& name)
{
    const float* first = subMesh.getAttribute(name);
    std::size_t count = subMesh.getAttributes().at(name).values->size();
    return std::vector<float>(first, first + count);
}

const char* const twoTextureSets = R"(<mesh><submeshes>
  <submesh material="Stone" usesharedvertices="false">
    <faces count="1"><face v1="0" v2="1" v3="2"/></faces>
    <geometry vertexcount="3">
      <vertexbuffer positions="true" normals="true" texture_coords="2">
        <vertex><position x="0" y="0" z="0"/><normal x="0" y="0" z="1"/>
                <texcoord u="0" v="0"/><texcoord u="10" v="20"/></vertex>
        <vertex><position x="1" y="0" z="0"/><normal x="0" y="0" z="1"/>
                <texcoord u="1" v="0"/><texcoord u="11" v="21"/></vertex>
        <vertex><position x="0" y="1" z="0"/><normal x="0" y="0" z="1"/>
                <texcoord u="0" v="1"/><texcoord u="12" v="22"/></vertex>
      </vertexbuffer>
    </geometry>
  </submesh>
</submeshes></mesh>)";

class MeshManagerTest : public testing::Test
{
protected:
    MeshManagerTest() { createLoggerQuietly(); }

    Mesh* load(const std::string& name, const std::string& content)
    {
        directory.write("resources/" + name, content);
        return get(name);
    }

    Mesh* get(const std::string& name)
    {
        Mesh* mesh = nullptr;
        log = captureStdout([&] { mesh = manager.get(name); });
        return mesh;
    }

    bool logged(const std::string& message) const { return log.find(message) != std::string::npos; }

    TemporaryDirectory directory;
    WorkingDirectory inDirectory{directory.path()};
    MeshManager manager;
    std::string log;
};

TEST_F(MeshManagerTest, ReadsPositionsNormalsTextureSetsAndFaces)
{
    Mesh* mesh = load("models/quad.mesh.xml", twoTextureSets);
    ASSERT_NE(mesh, nullptr) << log;
    EXPECT_EQ(mesh->getName(), "quad.mesh.xml");
    EXPECT_EQ(mesh->getType(), "Mesh");
    ASSERT_EQ(mesh->getSubMeshes().size(), 1u);
    const SubMesh& subMesh = *mesh->getSubMeshes()[0];
    EXPECT_EQ(subMesh.getMaterialName(), "Stone");
    EXPECT_EQ(subMesh.getPrimitive(), 0);
    EXPECT_EQ(valuesOf(subMesh, "position"), (std::vector<float>{0, 0, 0, 1, 0, 0, 0, 1, 0}));
    EXPECT_EQ(valuesOf(subMesh, "normal"), (std::vector<float>{0, 0, 1, 0, 0, 1, 0, 0, 1}));
    EXPECT_EQ(valuesOf(subMesh, "texCoord_0"), (std::vector<float>{0, 0, 1, 0, 0, 1}));
    EXPECT_EQ(valuesOf(subMesh, "texCoord_1"), (std::vector<float>{10, 20, 11, 21, 12, 22}));
    EXPECT_EQ(*subMesh.getAttribute("texCoordCount"), 2.0f);
    EXPECT_EQ(subMesh.getVertexCount("position"), 3u);
    EXPECT_EQ(subMesh.getIndices(), (std::vector<unsigned int>{0, 1, 2}));
    EXPECT_EQ(subMesh.getAttribute("tangents"), nullptr);
    EXPECT_TRUE(subMesh.isDrawable());
    EXPECT_FALSE(logged("ERR")) << log;
}

TEST_F(MeshManagerTest, LogsEachStepOfLoading)
{
    load("models/quad.mesh.xml", twoTextureSets);
    std::size_t get = log.find(")]:\tget(models/quad.mesh.xml)\n");
    std::size_t load = log.find(")]:\tloadOgreXML(resources/models/quad.mesh.xml)\n");
    std::size_t created = log.find(")]:\tcreate new Resource\n");
    std::size_t finished = log.find(")]:\tfinished loading mesh: quad.mesh.xml\n");
    EXPECT_EQ(log.rfind("TRACE:\t[ MeshManager.cpp      (", 0), 0u) << log;
    EXPECT_LT(get, load) << log;
    EXPECT_LT(load, created) << log;
    EXPECT_LT(created, finished) << log;
    EXPECT_NE(finished, std::string::npos) << log;
}

TEST_F(MeshManagerTest, TexcoordsWithoutTheirCountAreNotRead)
{
    Mesh* mesh = load("plain.xml", R"(<mesh><submeshes><submesh material="m"><geometry><vertexbuffer>
        <vertex><position x="1" y="2" z="3"/><texcoord u="0.5" v="0.5"/></vertex>
        </vertexbuffer></geometry><faces><face v1="0" v2="0" v3="0"/></faces></submesh></submeshes></mesh>)");
    const SubMesh& subMesh = *mesh->getSubMeshes().at(0);
    EXPECT_EQ(*subMesh.getAttribute("texCoordCount"), 0.0f);
    EXPECT_EQ(subMesh.getAttribute("texCoord_0"), nullptr);
    EXPECT_EQ(subMesh.getAttribute("normal"), nullptr);
    EXPECT_TRUE(subMesh.isDrawable());
}

TEST_F(MeshManagerTest, EachSubMeshHasItsOwnArraysAndIndices)
{
    Mesh* mesh = load("two.xml", R"(<mesh><submeshes>
      <submesh material="first"><faces><face v1="0" v2="1" v3="2"/><face v1="2" v2="1" v3="0"/></faces>
        <geometry><vertexbuffer>
          <vertex><position x="0" y="0" z="0"/></vertex><vertex><position x="1" y="0" z="0"/></vertex>
          <vertex><position x="0" y="1" z="0"/></vertex></vertexbuffer></geometry></submesh>
      <submesh material="second"><faces><face v1="0" v2="0" v3="0"/></faces>
        <geometry><vertexbuffer><vertex><position x="7" y="8" z="9"/></vertex></vertexbuffer></geometry></submesh>
    </submeshes></mesh>)");
    ASSERT_EQ(mesh->getSubMeshes().size(), 2u);
    const SubMesh& first = *mesh->getSubMeshes()[0];
    const SubMesh& second = *mesh->getSubMeshes()[1];
    EXPECT_EQ(first.getMaterialName(), "first");
    EXPECT_EQ(second.getMaterialName(), "second");
    EXPECT_EQ(first.getIndices(), (std::vector<unsigned int>{0, 1, 2, 2, 1, 0}));
    EXPECT_EQ(second.getIndices(), (std::vector<unsigned int>{0, 0, 0}));
    EXPECT_EQ(valuesOf(second, "position"), (std::vector<float>{7, 8, 9}));
    EXPECT_TRUE(first.isDrawable());
    EXPECT_TRUE(second.isDrawable());
}

TEST_F(MeshManagerTest, VertexDataSplitOverSeveralBuffersIsAllRead)
{
    Mesh* mesh = load("split.xml", R"(<mesh><submeshes><submesh material="m">
      <faces><face v1="0" v2="1" v3="1"/></faces>
      <geometry vertexcount="2">
        <vertexbuffer positions="true" normals="true">
          <vertex><position x="1" y="0" z="0"/><normal x="0" y="1" z="0"/></vertex>
          <vertex><position x="2" y="0" z="0"/><normal x="0" y="1" z="0"/></vertex>
        </vertexbuffer>
        <vertexbuffer texture_coord_dimensions_0="float2" texture_coords="1">
          <vertex><texcoord u="0.25" v="0.75"/></vertex>
          <vertex><texcoord u="0.5" v="1"/></vertex>
        </vertexbuffer>
      </geometry></submesh></submeshes></mesh>)");
    const SubMesh& subMesh = *mesh->getSubMeshes().at(0);
    EXPECT_EQ(valuesOf(subMesh, "position"), (std::vector<float>{1, 0, 0, 2, 0, 0}));
    EXPECT_EQ(valuesOf(subMesh, "normal"), (std::vector<float>{0, 1, 0, 0, 1, 0}));
    EXPECT_EQ(valuesOf(subMesh, "texCoord_0"), (std::vector<float>{0.25f, 0.75f, 0.5f, 1}));
    EXPECT_EQ(*subMesh.getAttribute("texCoordCount"), 1.0f);
    EXPECT_TRUE(subMesh.isDrawable());
    EXPECT_FALSE(logged("ERR")) << log;
}

TEST_F(MeshManagerTest, SubMeshesUsingSharedVerticesGetTheSharedArrays)
{
    Mesh* mesh = load("shared.xml", R"(<mesh>
      <sharedgeometry vertexcount="3"><vertexbuffer positions="true" texture_coords="1">
        <vertex><position x="0" y="0" z="0"/><texcoord u="0" v="0"/></vertex>
        <vertex><position x="1" y="0" z="0"/><texcoord u="1" v="0"/></vertex>
        <vertex><position x="0" y="1" z="0"/><texcoord u="0" v="1"/></vertex>
      </vertexbuffer></sharedgeometry>
      <submeshes>
        <submesh material="a" usesharedvertices="true"><faces><face v1="0" v2="1" v3="2"/></faces></submesh>
        <submesh material="b" usesharedvertices="true"><faces><face v1="2" v2="1" v3="0"/></faces></submesh>
        <submesh material="c" usesharedvertices="false"><faces><face v1="0" v2="0" v3="0"/></faces>
          <geometry><vertexbuffer><vertex><position x="5" y="5" z="5"/></vertex></vertexbuffer></geometry>
        </submesh>
      </submeshes></mesh>)");
    ASSERT_EQ(mesh->getSubMeshes().size(), 3u);
    const SubMesh& a = *mesh->getSubMeshes()[0];
    const SubMesh& b = *mesh->getSubMeshes()[1];
    const SubMesh& c = *mesh->getSubMeshes()[2];
    EXPECT_EQ(valuesOf(a, "position"), (std::vector<float>{0, 0, 0, 1, 0, 0, 0, 1, 0}));
    EXPECT_EQ(a.getAttribute("position"), b.getAttribute("position"));
    EXPECT_EQ(a.getAttribute("texCoord_0"), b.getAttribute("texCoord_0"));
    EXPECT_EQ(*b.getAttribute("texCoordCount"), 1.0f);
    EXPECT_EQ(valuesOf(c, "position"), (std::vector<float>{5, 5, 5}));
    for (const SubMesh* subMesh : mesh->getSubMeshes())
        EXPECT_TRUE(subMesh->isDrawable());
}

TEST_F(MeshManagerTest, AMissingFileIsReportedAndGivesNothing)
{
    EXPECT_EQ(get("missing.mesh.xml"), nullptr);
    EXPECT_TRUE(logged(")]:\tno resource found: missing.mesh.xml\n")) << log;
}

TEST_F(MeshManagerTest, AFileThatIsNoXmlMeshGivesNothingQuietly)
{
    directory.write("resources/model.obj", "v 0 0 0\n");
    EXPECT_EQ(get("model.obj"), nullptr);
    EXPECT_FALSE(logged("ERR")) << log;
    EXPECT_FALSE(logged("INFO")) << log;
}

TEST_F(MeshManagerTest, AnUnreadableFileIsReportedWithItsReasonAndGivesAnEmptyCachedMesh)
{
    Mesh* mesh = load("broken.xml", "<mesh>\n<submeshes></mesh>");
    ASSERT_NE(mesh, nullptr);
    EXPECT_TRUE(mesh->getSubMeshes().empty());
    EXPECT_TRUE(logged("ERR:\t[ MeshManager.cpp      (")) << log;
    EXPECT_TRUE(logged(")]:\tDatei konnte nicht geladen werden: resources/broken.xml (line 2, column 12: Error reading end tag.)\n")) << log;
    EXPECT_FALSE(logged("finished loading mesh")) << log;
    EXPECT_EQ(get("broken.xml"), mesh);
}

TEST_F(MeshManagerTest, AnAddedMeshIsFoundWithoutReadingAFile)
{
    Mesh* built = nullptr;
    captureStdout([&] { built = new Mesh("geometry-1"); });
    manager.add(built);
    EXPECT_EQ(get("geometry-1"), built);
    EXPECT_TRUE(logged(")]:\tget(geometry-1)\n")) << log;
    EXPECT_TRUE(logged(")]:\tretrieved resource from cache: geometry-1\n")) << log;
    EXPECT_FALSE(logged("loadOgreXML")) << log;
}

TEST_F(MeshManagerTest, IndicesPastTheVerticesAreReportedWithTheMeshName)
{
    Mesh* mesh = load("past.xml", R"(<mesh><submeshes>
      <submesh material="ok"><faces><face v1="0" v2="0" v3="0"/></faces>
        <geometry><vertexbuffer><vertex><position x="0" y="0" z="0"/></vertex></vertexbuffer></geometry></submesh>
      <submesh material="bad"><faces><face v1="0" v2="1" v3="5"/></faces>
        <geometry><vertexbuffer><vertex><position x="0" y="0" z="0"/></vertex></vertexbuffer></geometry></submesh>
      </submeshes></mesh>)");
    ASSERT_EQ(mesh->getSubMeshes().size(), 2u);
    EXPECT_TRUE(mesh->getSubMeshes()[0]->isDrawable());
    EXPECT_FALSE(mesh->getSubMeshes()[1]->isDrawable());
    EXPECT_EQ(mesh->getSubMeshes()[1]->getIndices(), (std::vector<unsigned int>{0, 1, 5})) << "kept as given";
    EXPECT_TRUE(logged("ERR:\t[ Mesh.cpp ")) << log;
    EXPECT_TRUE(logged(")]:\tmesh 'past.xml': sub-mesh 1 has indices past its vertex data and is not drawn\n")) << log;
}

TEST_F(MeshManagerTest, AnImportTellsAProgramWhatWentWrongWhereverTheLogGoes)
{
    std::string path = directory.write("past.xml", R"(<mesh><submeshes>
      <submesh material="ok"><faces><face v1="0" v2="0" v3="0"/></faces>
        <geometry><vertexbuffer><vertex><position x="0" y="0" z="0"/></vertex></vertexbuffer></geometry></submesh>
      <submesh material="bad"><faces><face v1="0" v2="1" v3="5"/></faces>
        <geometry><vertexbuffer><vertex><position x="0" y="0" z="0"/></vertex></vertexbuffer></geometry></submesh>
      </submeshes></mesh>)");
    Logger& logger = Logger::getInstance();
    LogStream threshold = logger.getThreshold();
    LogStream nothing = logger.err;
    ++nothing.value;
    logger.setThreshold(nothing);
    MeshManager::OgreImport imported;
    log = captureStdout([&] { imported = manager.importOgreXML(File(path)); });
    logger.setThreshold(threshold);
    EXPECT_EQ(log, "") << "nothing written";
    EXPECT_TRUE(imported.read);
    ASSERT_NE(imported.mesh, nullptr);
    EXPECT_EQ(imported.mesh->getSubMeshes().size(), 2u);
    ASSERT_EQ(imported.diagnostics.size(), 1u);
    EXPECT_EQ(imported.diagnostics[0].where, "sub-mesh 1");
    EXPECT_EQ(imported.diagnostics[0].message, "mesh 'past.xml': sub-mesh 1 has indices past its vertex data and is not drawn");

    MeshManager::OgreImport unreadable;
    captureStdout([&] { unreadable = manager.importOgreXML(File(directory.write("broken.xml", "<mesh>"))); });
    EXPECT_FALSE(unreadable.read);
    ASSERT_EQ(unreadable.diagnostics.size(), 1u);
    EXPECT_EQ(unreadable.diagnostics[0].where, "");
    EXPECT_EQ(unreadable.diagnostics[0].message.rfind("Datei konnte nicht geladen werden: ", 0), 0u);
}

struct MalformedCase
{
    const char* description;
    const char* content;
    std::size_t subMeshes;
    const char* message;
};

TEST_F(MeshManagerTest, MalformedFilesLoadWithoutCrashingAndSayWhatIsWrong)
{
    const char* vertex = R"(<vertex><position x="0" y="0" z="0"/></vertex>)";
    std::string oneVertex = std::string("<geometry><vertexbuffer>") + vertex + "</vertexbuffer></geometry>";
    std::string triangle = "<faces><face v1=\"0\" v2=\"0\" v3=\"0\"/></faces>";
    auto wrap = [](const std::string& subMeshBody) {
        return "<mesh><submeshes><submesh material=\"m\">" + subMeshBody + "</submesh></submeshes></mesh>";
    };
    const std::string contents[] = {
        "",
        "this is not xml",
        "<mesh><submeshes><submesh>",
        "<other/>",
        "<mesh/>",
        "<mesh><submeshes/></mesh>",
        wrap(triangle),
        wrap("<geometry/>" + triangle),
        wrap(R"(<geometry><vertexbuffer><vertex><position x="0" z="0"/></vertex></vertexbuffer></geometry>)" + triangle),
        wrap(R"(<geometry><vertexbuffer><vertex><position x="abc" y="1e999" z="0"/></vertex></vertexbuffer></geometry>)" +
             triangle),
        wrap(oneVertex + R"(<faces><face v1="0" v2="0"/><face v1="0" v2="0" v3="0"/></faces>)"),
        wrap(oneVertex + R"(<faces><face v1="-1" v2="0" v3="0"/><face v1="0" v2="0" v3="99999999999"/></faces>)"),
        wrap(oneVertex + R"(<faces><face v1="0" v2="3" v3="0"/></faces>)"),
        wrap(oneVertex),
        wrap(R"(<geometry><vertexbuffer texture_coords="1000000000">)" + std::string(vertex) +
             "</vertexbuffer></geometry>" + triangle),
        wrap(R"(<geometry><vertexbuffer texture_coords="many">)" + std::string(vertex) + "</vertexbuffer></geometry>" +
             triangle),
        wrap(R"(<geometry><vertexbuffer texture_coords="2"><vertex><position x="0" y="0" z="0"/><texcoord u="1"/></vertex>)"
             "</vertexbuffer></geometry>" + triangle),
        "<mesh><submeshes><submesh usesharedvertices=\"true\">" + triangle + "</submesh></submeshes></mesh>",
        wrap(R"(<geometry><vertexbuffer><vertex><position x="0" y="0" z="0"/></vertex><vertex/>)"
             R"(<vertex><position x="2" y="2" z="2"/></vertex></vertexbuffer></geometry>)" + triangle),
        wrap(oneVertex + "<faces><face v1=\"0\" v2=\"0\" v3=\"0\"/>"),
    };
    const MalformedCase cases[] = {
        {"empty file", contents[0].c_str(), 0, "Datei konnte nicht geladen werden: "},
        {"not XML", contents[1].c_str(), 0, "Datei konnte nicht geladen werden: "},
        {"cut off", contents[2].c_str(), 0, "Datei konnte nicht geladen werden: "},
        {"no mesh element", contents[3].c_str(), 0, "no \"mesh\" with \"submeshes\""},
        {"no submeshes", contents[4].c_str(), 0, "no \"mesh\" with \"submeshes\""},
        {"empty submeshes", contents[5].c_str(), 0, "finished loading mesh"},
        {"no geometry", contents[6].c_str(), 1, "1 sub-meshes without vertex data"},
        {"no vertexbuffer", contents[7].c_str(), 1, "has indices past its vertex data"},
        {"missing y", contents[8].c_str(), 1, "1 values missing or not numbers, read as 0"},
        {"numbers that are not numbers", contents[9].c_str(), 1, "2 values missing or not numbers, read as 0"},
        {"face without v3", contents[10].c_str(), 1, "1 faces without three vertex numbers, left out"},
        {"negative and huge vertex numbers", contents[11].c_str(), 1, "2 faces without three vertex numbers"},
        {"face past the vertices", contents[12].c_str(), 1, "has indices past its vertex data"},
        {"no faces", contents[13].c_str(), 1, "1 sub-meshes without faces"},
        {"absurd texture set count", contents[14].c_str(), 1, "texture_coords \"1000000000\" is not a whole number"},
        {"texture set count not a number", contents[15].c_str(), 1, "texture_coords \"many\" is not a whole number"},
        {"fewer texcoords than announced", contents[16].c_str(), 1, "3 values missing or not numbers"},
        {"shared vertices without shared geometry", contents[17].c_str(), 1, "1 sub-meshes without vertex data"},
        {"vertex without position", contents[18].c_str(), 1, "3 values missing or not numbers"},
        {"faces element cut off", contents[19].c_str(), 0, "Datei konnte nicht geladen werden: "},
    };
    int number = 0;
    for (const MalformedCase& malformed : cases)
    {
        std::string name = "malformed" + std::to_string(number++) + ".xml";
        Mesh* mesh = load(name, malformed.content);
        ASSERT_NE(mesh, nullptr) << malformed.description;
        EXPECT_EQ(mesh->getSubMeshes().size(), malformed.subMeshes) << malformed.description << "\n" << log;
        EXPECT_TRUE(logged(malformed.message)) << malformed.description << "\n" << log;
        bool unreadable = std::string(malformed.message).rfind("Datei konnte nicht geladen werden: ", 0) == 0;
        EXPECT_EQ(logged("finished loading mesh: " + name), !unreadable) << malformed.description;
        for (const SubMesh* subMesh : mesh->getSubMeshes())
        {
            if (!subMesh->isDrawable())
                continue;
            for (unsigned int index : subMesh->getIndices())
                EXPECT_LT(index, subMesh->getVertexCount("position")) << malformed.description;
        }
    }
}

TEST_F(MeshManagerTest, ATextureSetCountThatIsNoWholeNumberFromZeroToEightIsReportedAndReadAsNone)
{
    struct CountCase
    {
        const char* value;
        float sets;
        bool reported;
    };
    const CountCase counts[] = {
        {"0", 0, false},    {"1", 1, false},   {"8", 8, false},  {"2.0", 2, false}, {"nan", 0, true}, {"-1", 0, true},
        {"2.5", 0, true},   {"9", 0, true},    {"1e9", 0, true}, {"inf", 0, true}, {"many", 0, true},
        {"", 0, true},
    };
    std::string texcoords;
    for (int set = 0; set < 8; ++set)
        texcoords += "<texcoord u=\"" + std::to_string(set) + "\" v=\"0\"/>";
    int number = 0;
    for (const CountCase& count : counts)
    {
        std::string name = "coords" + std::to_string(number++) + ".xml";
        Mesh* mesh = load(name, std::string(R"(<mesh><submeshes><submesh material="m"><geometry><vertexbuffer texture_coords=")") +
                                    count.value + R"("><vertex><position x="0" y="0" z="0"/>)" + texcoords +
                                    R"(</vertex></vertexbuffer></geometry><faces><face v1="0" v2="0" v3="0"/></faces>)"
                                    "</submesh></submeshes></mesh>");
        const SubMesh& subMesh = *mesh->getSubMeshes().at(0);
        EXPECT_EQ(*subMesh.getAttribute("texCoordCount"), count.sets) << count.value;
        EXPECT_EQ(subMesh.getAttribute("texCoord_0") != nullptr, count.sets > 0) << count.value;
        std::string line = ")]:\tmesh file resources/" + name + ": texture_coords \"" + count.value +
                           "\" is not a whole number from 0 to 8, so no texture coordinates are read\n";
        EXPECT_EQ(logged(line), count.reported) << count.value << "\n" << log;
        std::size_t errors = 0;
        for (std::size_t at = log.find("ERR:"); at != std::string::npos; at = log.find("ERR:", at + 1))
            ++errors;
        EXPECT_EQ(errors, count.reported ? 1u : 0u) << count.value << "\n" << log;
    }
}

TEST_F(MeshManagerTest, AVertexWithoutPositionKeepsTheOthersAligned)
{
    Mesh* mesh = load("gap.xml", R"(<mesh><submeshes><submesh material="m"><geometry><vertexbuffer>
        <vertex><position x="1" y="1" z="1"/></vertex><vertex><normal x="0" y="0" z="1"/></vertex>
        <vertex><position x="3" y="3" z="3"/></vertex>
        </vertexbuffer></geometry><faces><face v1="0" v2="1" v3="2"/></faces></submesh></submeshes></mesh>)");
    const SubMesh& subMesh = *mesh->getSubMeshes().at(0);
    EXPECT_EQ(valuesOf(subMesh, "position"), (std::vector<float>{1, 1, 1, 0, 0, 0, 3, 3, 3}));
    EXPECT_EQ(valuesOf(subMesh, "normal"), (std::vector<float>{0, 0, 0, 0, 0, 1, 0, 0, 0}));
    EXPECT_TRUE(subMesh.isDrawable());
}

// Files written by real exporters, kept beside the project.
class RealMeshFileTest : public MeshManagerTest
{
protected:
    Mesh* loadShared(const std::string& file)
    {
        std::string source = std::string(PELLUX_SHARED_DATA_DIR) + "/ogre/" + file;
        if (!std::filesystem::exists(source))
            return nullptr;
        std::filesystem::create_directories(directory.path() + "/resources");
        std::filesystem::copy(source, directory.path() + "/resources/" + file);
        return get(file);
    }
};

TEST_F(RealMeshFileTest, NinjaKeepsTheTextureCoordinatesOfItsSecondVertexBuffer)
{
    Mesh* ninja = loadShared("ninja.mesh.xml");
    if (ninja == nullptr)
        GTEST_SKIP() << "the shared exporter files are not beside the project";
    ASSERT_EQ(ninja->getSubMeshes().size(), 2u);
    struct Expected { std::size_t vertices; std::size_t faces; };
    const Expected expected[] = {{781, 904}, {61, 104}};
    for (std::size_t number = 0; number < 2; ++number)
    {
        const SubMesh& subMesh = *ninja->getSubMeshes()[number];
        EXPECT_EQ(subMesh.getMaterialName(), "Examples/Ninja");
        EXPECT_EQ(subMesh.getVertexCount("position"), expected[number].vertices);
        EXPECT_EQ(subMesh.getVertexCount("normal"), expected[number].vertices);
        EXPECT_EQ(subMesh.getVertexCount("texCoord_0"), expected[number].vertices);
        EXPECT_EQ(*subMesh.getAttribute("texCoordCount"), 1.0f);
        EXPECT_EQ(subMesh.getIndices().size(), expected[number].faces * 3);
        EXPECT_TRUE(subMesh.isDrawable());
    }
    EXPECT_FALSE(logged("ERR")) << log;
}

TEST_F(RealMeshFileTest, TheThingDrawsFromItsSharedGeometry)
{
    Mesh* thing = loadShared("TheThing.mesh.xml");
    if (thing == nullptr)
        GTEST_SKIP() << "the shared exporter files are not beside the project";
    ASSERT_EQ(thing->getSubMeshes().size(), 1u);
    const SubMesh& subMesh = *thing->getSubMeshes()[0];
    EXPECT_EQ(subMesh.getMaterialName(), "BlockMat");
    EXPECT_EQ(subMesh.getVertexCount("position"), 1406u);
    EXPECT_EQ(subMesh.getVertexCount("texCoord_0"), 1406u);
    EXPECT_EQ(subMesh.getIndices().size(), 2656u * 3);
    EXPECT_TRUE(subMesh.isDrawable());
    EXPECT_FALSE(logged("ERR")) << log;
}
}
