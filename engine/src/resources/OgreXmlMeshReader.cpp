#include "resources/OgreXmlMeshReader.h"

#include "pellux/foundation/Logger.h"
#include "pellux/foundation/NumberParsing.h"
#include "pellux/foundation/XmlDocument.h"
#include "pellux/resources/Mesh.h"
#include "pellux/resources/SubMesh.h"

#include <tinyxml.h>

#include <cmath>
#include <cstring>
#include <memory>

namespace Pellux
{

namespace
{
using FloatArray = std::shared_ptr<const std::vector<float>>;

// The format allows at most this many texture-coordinate sets per vertex.
const int maxTextureCoordinateSets = 8;

// What one "geometry" (or "sharedgeometry") holds, ready to be shared by sub-meshes.
struct VertexData
{
    FloatArray positions;
    FloatArray normals;
    std::vector<FloatArray> textureCoordinateSets;
    bool present = false;
};

// Counts what a damaged file lacks, so that it is reported once per file.
struct Problems
{
    int badValues = 0;
    int badFaces = 0;
    int subMeshesWithoutVertices = 0;
    int subMeshesWithoutFaces = 0;
    int badTextureSetCounts = 0;
    std::string firstBadTextureSetCount;
};

bool hasChild(const TiXmlElement& parent, const char* name)
{
    return parent.FirstChildElement(name) != nullptr;
}

class GeometryReader
{
public:
    explicit GeometryReader(Problems& problems) : problems(problems) {}

    VertexData read(const TiXmlElement* geometry)
    {
        VertexData data;
        if (geometry == nullptr)
            return data;
        std::vector<float> positions;
        std::vector<float> normals;
        std::vector<std::vector<float>> sets;
        for (const TiXmlElement* buffer = geometry->FirstChildElement("vertexbuffer"); buffer != nullptr;
             buffer = buffer->NextSiblingElement("vertexbuffer"))
            readBuffer(*buffer, positions, normals, sets);

        data.present = true;
        if (!positions.empty())
            data.positions = std::make_shared<const std::vector<float>>(std::move(positions));
        if (!normals.empty())
            data.normals = std::make_shared<const std::vector<float>>(std::move(normals));
        for (std::vector<float>& set : sets)
            data.textureCoordinateSets.push_back(std::make_shared<const std::vector<float>>(std::move(set)));
        return data;
    }

private:
    int textureCoordinateSetsOf(const TiXmlElement& buffer)
    {
        const char* text = buffer.Attribute("texture_coords");
        if (text == nullptr)
            return 0;
        float count = 0;
        if (parseFloat(text, count) && count >= 0 && count <= maxTextureCoordinateSets && count == std::floor(count))
            return static_cast<int>(count);
        if (problems.badTextureSetCounts++ == 0)
            problems.firstBadTextureSetCount = text;
        return 0;
    }

    // A buffer carries a kind of data when any of its vertices has it; a vertex that then lacks it
    // gets zeros, so that every array stays aligned with the vertex numbers.
    void readBuffer(const TiXmlElement& buffer, std::vector<float>& positions, std::vector<float>& normals,
                    std::vector<std::vector<float>>& sets)
    {
        bool carriesPositions = false;
        bool carriesNormals = false;
        for (const TiXmlElement* vertex = buffer.FirstChildElement("vertex"); vertex != nullptr;
             vertex = vertex->NextSiblingElement("vertex"))
        {
            carriesPositions = carriesPositions || hasChild(*vertex, "position");
            carriesNormals = carriesNormals || hasChild(*vertex, "normal");
        }
        std::size_t firstSet = sets.size();
        sets.resize(firstSet + static_cast<std::size_t>(textureCoordinateSetsOf(buffer)));

        for (const TiXmlElement* vertex = buffer.FirstChildElement("vertex"); vertex != nullptr;
             vertex = vertex->NextSiblingElement("vertex"))
        {
            if (carriesPositions)
                readValues(vertex->FirstChildElement("position"), {"x", "y", "z"}, positions);
            if (carriesNormals)
                readValues(vertex->FirstChildElement("normal"), {"x", "y", "z"}, normals);
            const TiXmlElement* texcoord = vertex->FirstChildElement("texcoord");
            for (std::size_t set = firstSet; set < sets.size(); ++set)
            {
                readValues(texcoord, {"u", "v"}, sets[set]);
                if (texcoord != nullptr)
                    texcoord = texcoord->NextSiblingElement("texcoord");
            }
        }
    }

    void readValues(const TiXmlElement* element, std::initializer_list<const char*> names, std::vector<float>& out)
    {
        for (const char* name : names)
        {
            float value = 0;
            const char* text = element != nullptr ? element->Attribute(name) : nullptr;
            if (text == nullptr || !parseFloat(text, value))
                ++problems.badValues;
            out.push_back(value);
        }
    }

    Problems& problems;
};

void setVertexData(SubMesh& subMesh, const VertexData& data)
{
    if (data.positions)
        subMesh.setAttribute(VertexSemantic::Position, data.positions);
    if (data.normals)
        subMesh.setAttribute(VertexSemantic::Normal, data.normals);
    subMesh.setTexCoordSetCount(static_cast<int>(data.textureCoordinateSets.size()));
    for (std::size_t set = 0; set < data.textureCoordinateSets.size(); ++set)
        subMesh.setAttribute(VertexSemantic::TexCoord, data.textureCoordinateSets[set], static_cast<int>(set));
}

void readFaces(const TiXmlElement* faces, SubMesh& subMesh, Problems& problems)
{
    if (faces == nullptr)
    {
        ++problems.subMeshesWithoutFaces;
        return;
    }
    for (const TiXmlElement* face = faces->FirstChildElement("face"); face != nullptr;
         face = face->NextSiblingElement("face"))
    {
        unsigned int corners[3];
        bool complete = true;
        const char* names[3] = {"v1", "v2", "v3"};
        for (int corner = 0; corner < 3; ++corner)
        {
            const char* text = face->Attribute(names[corner]);
            complete = complete && text != nullptr && parseUnsigned(text, corners[corner]);
        }
        if (!complete)
        {
            ++problems.badFaces;
            continue;
        }
        for (unsigned int corner : corners)
            subMesh.addIndex(corner);
    }
}

bool usesSharedVertices(const TiXmlElement& subMeshElement)
{
    const char* shared = subMeshElement.Attribute("usesharedvertices");
    return shared != nullptr && (std::strcmp(shared, "true") == 0 || std::strcmp(shared, "True") == 0 ||
                                 std::strcmp(shared, "1") == 0);
}

void report(Logger& logger, const std::string& path, const Problems& problems)
{
    if (problems.badValues > 0)
        LOG(logger.err) << "mesh file " << path << ": " << static_cast<float>(problems.badValues)
                        << " values missing or not numbers, read as 0" << std::endl;
    if (problems.badFaces > 0)
        LOG(logger.err) << "mesh file " << path << ": " << static_cast<float>(problems.badFaces)
                        << " faces without three vertex numbers, left out" << std::endl;
    if (problems.subMeshesWithoutVertices > 0)
        LOG(logger.err) << "mesh file " << path << ": " << static_cast<float>(problems.subMeshesWithoutVertices)
                        << " sub-meshes without vertex data" << std::endl;
    if (problems.subMeshesWithoutFaces > 0)
        LOG(logger.err) << "mesh file " << path << ": " << static_cast<float>(problems.subMeshesWithoutFaces)
                        << " sub-meshes without faces" << std::endl;
    if (problems.badTextureSetCounts > 0)
    {
        LOG(logger.err) << "mesh file " << path << ": texture_coords \"" << problems.firstBadTextureSetCount
                        << "\" is not a whole number from 0 to " << static_cast<float>(maxTextureCoordinateSets)
                        << ", so no texture coordinates are read";
        if (problems.badTextureSetCounts > 1)
            logger.err << " (" << static_cast<float>(problems.badTextureSetCounts) << " vertex buffers)";
        logger.err << std::endl;
    }
}
}

bool OgreXmlMeshReader::read(const std::string& path, Mesh& mesh, std::string& problem)
{
    TiXmlDocument document(path);
    if (!readXmlFile(path, document, problem))
        return false;
    readDocument(document, path, mesh);
    return true;
}

bool OgreXmlMeshReader::readText(std::string text, const std::string& name, Mesh& mesh, std::string& problem)
{
    TiXmlDocument document;
    if (!parseXmlText(std::move(text), document, problem))
        return false;
    readDocument(document, name, mesh);
    return true;
}

void OgreXmlMeshReader::readDocument(const TiXmlDocument& document, const std::string& path, Mesh& mesh)
{
    const TiXmlElement* root = document.FirstChildElement("mesh");
    const TiXmlElement* subMeshList = root != nullptr ? root->FirstChildElement("submeshes") : nullptr;
    if (subMeshList == nullptr)
    {
        LOG(logger.err) << "mesh file " << path << ": no \"mesh\" with \"submeshes\"" << std::endl;
        return;
    }

    Problems problems;
    GeometryReader geometryReader(problems);
    VertexData shared = geometryReader.read(root->FirstChildElement("sharedgeometry"));
    for (const TiXmlElement* element = subMeshList->FirstChildElement("submesh"); element != nullptr;
         element = element->NextSiblingElement("submesh"))
    {
        SubMesh* subMesh = new SubMesh();
        mesh.addSubMesh(subMesh);
        if (const char* material = element->Attribute("material"))
            subMesh->setMaterialName(material);
        VertexData data = usesSharedVertices(*element) ? shared
                                                       : geometryReader.read(element->FirstChildElement("geometry"));
        if (!data.present)
            ++problems.subMeshesWithoutVertices;
        setVertexData(*subMesh, data);
        readFaces(element->FirstChildElement("faces"), *subMesh, problems);
    }
    report(logger, path, problems);
}

}
