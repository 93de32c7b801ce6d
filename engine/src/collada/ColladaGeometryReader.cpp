#include "pellux/collada/ColladaGeometryReader.h"

#include "pellux/collada/ColladaLoad.h"
#include "pellux/collada/XmlReading.h"
#include "pellux/core/Tavrin.h"
#include "pellux/resources/Mesh.h"
#include "pellux/resources/MeshManager.h"
#include "pellux/resources/SubMesh.h"

#include <tinyxml.h>

#include <algorithm>

namespace Pellux
{

namespace
{
// The primitives a document may hold besides "triangles", none of which this reader builds.
const char* const unreadPrimitives[] = {"lines", "linestrips", "polygons", "polylist", "trifans", "tristrips"};

// Far more inputs than any primitive has; bounds a damaged offset.
const int largestOffset = 255;

// The sub-mesh attribute each input semantic fills, with its floats per vertex.
const std::map<std::string, std::pair<const char*, int>> attributesBySemantic = {
    {"VERTEX", {"position", 3}}, {"NORMAL", {"normal", 3}}, {"TEXCOORD", {"texCoord_0", 2}},
    {"TEXTANGENT", {"tangents", 3}}, {"TEXBINORMAL", {"bitangents", 3}}};

// One attribute array being filled: `components` floats for each corner.
struct Gathered
{
    std::string name;
    int components;
    std::vector<float> values;
};
}

void ColladaGeometryReader::readGeometries(TiXmlElement* library)
{
    if (library == nullptr)
        return;
    // Every element after the first geometry is read as a geometry, whatever its name.
    TiXmlElement* geometry = library->FirstChildElement("geometry");
    while (geometry != nullptr)
    {
        readGeometry(geometry);
        TiXmlElement* next = geometry->NextSiblingElement();
        library->RemoveChild(geometry);
        geometry = next;
    }
}

void ColladaGeometryReader::readGeometry(const TiXmlElement* geometry)
{
    geometryId = Xml::attribute(geometry, "id");
    if (!geometryIds.insert(geometryId).second)
        load.report("geometry", geometryId, "has the id of an earlier geometry and takes its place");
    Mesh* mesh = new Mesh(geometryId);
    Tavrin::getInstance().getMeshManager()->add(mesh);
    const TiXmlElement* meshElement = Xml::child(geometry, "mesh");
    if (meshElement == nullptr)
        return;
    sources.clear();
    readSources(meshElement);
    reportUnreadPrimitives(meshElement);
    const TiXmlElement* vertices = Xml::child(meshElement, "vertices");
    if (vertices == nullptr)
        load.report("geometry", geometryId, "has no \"vertices\"");
    Input vertexInput = readInput(Xml::child(vertices, "input"));
    Xml::forEachChild(meshElement, "triangles", [&](const TiXmlElement* triangles) {
        if (SubMesh* subMesh = readTriangles(triangles, vertexInput))
            mesh->addSubMesh(subMesh);
    });
    mesh->reportIndicesOutOfRange();
}

void ColladaGeometryReader::readSources(const TiXmlElement* mesh)
{
    Xml::forEachChild(mesh, "source", [&](const TiXmlElement* element) {
        std::string id = Xml::attribute(element, "id");
        Source source;
        if (Xml::readFloats(Xml::text(Xml::child(element, "float_array")), source.values) > 0)
            load.report("source", id, "holds words that are not numbers, read as 0");
        const TiXmlElement* accessor = Xml::child(Xml::child(element, "technique_common"), "accessor");
        if (Xml::hasAttribute(accessor, "stride") &&
            (!Xml::readInt(Xml::attribute(accessor, "stride").c_str(), source.stride) || source.stride < 1))
        {
            load.report("source", id, "has a stride that is no positive number; 3 is used");
            source.stride = 3;
        }
        sources[id] = std::move(source);
    });
}

void ColladaGeometryReader::reportUnreadPrimitives(const TiXmlElement* mesh)
{
    for (const char* primitive : unreadPrimitives)
        if (Xml::hasChild(mesh, primitive))
            load.report("geometry", geometryId, std::string("\"") + primitive + "\" primitives are not read");
}

ColladaGeometryReader::Input ColladaGeometryReader::readInput(const TiXmlElement* element)
{
    Input input;
    input.semantic = Xml::attribute(element, "semantic");
    input.source = Xml::attribute(element, "source");
    if (Xml::hasAttribute(element, "offset") &&
        (!Xml::readInt(Xml::attribute(element, "offset").c_str(), input.offset) || input.offset < 0 ||
         input.offset > largestOffset))
    {
        load.report("geometry", geometryId, "has an input offset that is no number from 0 to " +
                                                std::to_string(largestOffset));
        input.offset = -1;
    }
    return input;
}

const ColladaGeometryReader::Source* ColladaGeometryReader::sourceFor(const std::string& reference)
{
    auto found = sources.find(Xml::reference(reference));
    if (found != sources.end())
        return &found->second;
    load.report("geometry", geometryId, "refers to no source '" + reference + "'");
    return nullptr;
}

SubMesh* ColladaGeometryReader::readTriangles(const TiXmlElement* triangles, const Input& vertexInput)
{
    std::map<std::string, Input> inputs;
    Xml::forEachChild(triangles, "input", [&](const TiXmlElement* element) {
        Input input = readInput(element);
        inputs[input.semantic] = input;
    });
    int tupleLength = 1;
    for (const auto& [semantic, input] : inputs)
    {
        if (input.offset < 0)
            return nullptr;
        tupleLength = std::max(tupleLength, input.offset + 1);
    }
    std::vector<int> p;
    if (Xml::readInts(Xml::text(Xml::child(triangles, "p")), p) > 0)
        load.report("geometry", geometryId, "has \"p\" words that are not numbers, read as 0");
    if (p.size() % static_cast<std::size_t>(tupleLength) != 0)
        load.report("geometry", geometryId, "has a \"p\" list that ends inside an index tuple; the rest is left out");
    std::size_t corners = p.size() / static_cast<std::size_t>(tupleLength);

    auto* subMesh = new SubMesh();
    subMesh->setMaterialName(Xml::attribute(triangles, "material"));
    std::vector<Gathered> gathered;
    bool pastSource = false;
    for (const auto& [semantic, input] : inputs)
    {
        auto kind = attributesBySemantic.find(semantic);
        if (kind == attributesBySemantic.end())
            continue;
        const Source* source = sourceFor(semantic == "VERTEX" ? vertexInput.source : input.source);
        if (source == nullptr)
            continue;
        Gathered list{kind->second.first, kind->second.second, {}};
        list.values.reserve(corners * static_cast<std::size_t>(list.components));
        for (std::size_t corner = 0; corner < corners; ++corner)
        {
            int k = p[corner * static_cast<std::size_t>(tupleLength) + static_cast<std::size_t>(input.offset)];
            std::size_t first = static_cast<std::size_t>(std::max(k, 0)) * static_cast<std::size_t>(source->stride);
            std::size_t available = static_cast<std::size_t>(std::min(source->stride, list.components));
            bool inside = k >= 0 && first + available <= source->values.size();
            pastSource = pastSource || !inside;
            // Components the source does not have read as 0; a texture's t is turned over.
            for (std::size_t component = 0; component < static_cast<std::size_t>(list.components); ++component)
            {
                float value = inside && component < available ? source->values[first + component] : 0.0f;
                list.values.push_back(semantic == "TEXCOORD" && component == 1 ? -value : value);
            }
        }
        gathered.push_back(std::move(list));
    }
    if (pastSource)
        load.report("geometry", geometryId, "has indices past the end of a source; those values read as 0");
    float texCoordSets = 0;
    for (Gathered& list : gathered)
    {
        texCoordSets += list.name == "texCoord_0" ? 1.0f : 0.0f;
        subMesh->setAttribute(list.name, std::move(list.values), list.components);
    }
    subMesh->setAttribute("texCoordCount", std::vector<float>{texCoordSets}, 1);
    for (std::size_t corner = 0; corner < corners; ++corner)
        subMesh->addIndex(static_cast<unsigned int>(corner));
    return subMesh;
}

}
