#include "pellux/collada/ColladaDocument.h"
#include "pellux/collada/ColladaReader.h"
#include "pellux/foundation/XmlDocument.h"

#include <gtest/gtest.h>
#include <tinyxml.h>

#include <string>
#include <vector>

using namespace Pellux;

namespace
{
const std::string fixtures = PELLUX_TEST_DATA_DIR "/collada/";

Collada::Document readDocument(const std::string& path)
{
    TiXmlDocument xml;
    std::string problem;
    EXPECT_TRUE(readXmlFile(path, xml, problem)) << path << ": " << problem;
    return ColladaReader::read(xml);
}

const Collada::Geometry* geometryOf(const Collada::Document& document, const std::string& id)
{
    for (const Collada::Geometry& geometry : document.geometries)
        if (geometry.id == id)
            return &geometry;
    return nullptr;
}
}

TEST(ColladaGeometryReading, EachVertexKeepsTheIndexItsVertexInputGaveIt)
{
    Collada::Document document = readDocument(fixtures + "geometry.dae");
    const Collada::Geometry* geometry = geometryOf(document, "three-offsets");
    ASSERT_NE(geometry, nullptr);
    ASSERT_EQ(geometry->primitives.size(), 2u);
    EXPECT_EQ(geometry->primitives[0].positionIndices, (std::vector<unsigned int>{0, 1, 2, 2, 1, 0}));
    EXPECT_EQ(geometry->primitives[1].positionIndices, (std::vector<unsigned int>{2, 1, 0}));
}

TEST(ColladaGeometryReading, AVertexOutsideThePositionSourceHasNoPosition)
{
    TiXmlDocument xml;
    std::string problem;
    ASSERT_TRUE(parseXmlText(R"(<COLLADA><library_geometries><geometry id="g"><mesh>
        <source id="p"><float_array>0 0 0 1 0 0 0 1 0</float_array></source>
        <vertices id="v"><input semantic="POSITION" source="#p"/></vertices>
        <triangles><input semantic="VERTEX" source="#v"/><p>-1 2 3</p></triangles>
        <triangles><input semantic="NORMAL" source="#p"/><p>0 1 2</p></triangles>
        </mesh></geometry></library_geometries></COLLADA>)", xml, problem)) << problem;
    Collada::Document document = ColladaReader::read(xml);
    ASSERT_EQ(document.geometries.size(), 1u);
    const std::vector<Collada::Primitive>& primitives = document.geometries[0].primitives;
    ASSERT_EQ(primitives.size(), 2u);
    const unsigned int none = Collada::noPosition;
    EXPECT_EQ(primitives[0].positionIndices, (std::vector<unsigned int>{none, 2, none}));
    EXPECT_EQ(primitives[1].positionIndices, (std::vector<unsigned int>{none, none, none}));
}
