#include "collada/ColladaGeometryReader.h"

#include "collada/ColladaNormals.h"
#include "collada/XmlReading.h"

#include <tinyxml.h>

#include <algorithm>

namespace Pellux
{

namespace
{
// The primitives a document may hold besides those this reader builds.
const char* const unreadPrimitives[] = {"trifans", "tristrips"};

// Far more inputs than any primitive has; bounds a damaged offset.
const int largestOffset = 255;

// The sub-mesh array each input semantic fills; texture coordinates fill one array for each set.
const std::map<std::string, VertexSemantic> arraysBySemantic = {
    {"VERTEX", VertexSemantic::Position},
    {"NORMAL", VertexSemantic::Normal},
    {"TEXCOORD", VertexSemantic::TexCoord},
    {"TEXTANGENT", VertexSemantic::Tangent},
    {"TEXBINORMAL", VertexSemantic::Bitangent},
    {"COLOR", VertexSemantic::Color}};

// The sub-mesh array set a source of the input fills: texture-coordinate sets are numbered from 0
// in the order of their "set" numbers.
int arraySet(VertexSemantic semantic, int inputSet, const std::vector<int>& texCoordSets)
{
    if (semantic != VertexSemantic::TexCoord)
        return 0;
    return static_cast<int>(std::find(texCoordSets.begin(), texCoordSets.end(), inputSet) - texCoordSets.begin());
}

// Appends the triangles of the polygon whose corners are `corners` index tuples of `p` from tuple
// `first` on: a fan around its first corner, (c0, ci, ci+1) for each i.
void appendFan(const std::vector<int>& p, std::size_t first, std::size_t corners, int tupleLength,
               std::vector<int>& fans)
{
    std::size_t length = static_cast<std::size_t>(tupleLength);
    auto appendCorner = [&](std::size_t corner) {
        auto tuple = p.begin() + static_cast<std::ptrdiff_t>((first + corner) * length);
        fans.insert(fans.end(), tuple, tuple + static_cast<std::ptrdiff_t>(length));
    };
    for (std::size_t corner = 1; corner + 1 < corners; ++corner)
    {
        appendCorner(0);
        appendCorner(corner);
        appendCorner(corner + 1);
    }
}
}

void ColladaGeometryReader::readGeometries(TiXmlElement* library)
{
    if (library == nullptr)
        return;
    // Every element after the first geometry is read as a geometry, whatever its name.
    TiXmlElement* element = library->FirstChildElement("geometry");
    while (element != nullptr)
    {
        geometry = &document.geometries.emplace_back();
        readGeometry(element);
        TiXmlElement* next = element->NextSiblingElement();
        library->RemoveChild(element);
        element = next;
    }
}

void ColladaGeometryReader::report(const std::string& kind, const std::string& id, const std::string& text)
{
    geometry->problems.push_back(Collada::problem(kind, id, text));
}

void ColladaGeometryReader::readGeometry(const TiXmlElement* element)
{
    geometry->id = Xml::attribute(element, "id");
    geometry->repeatsAnId = !geometryIds.insert(geometry->id).second;
    const TiXmlElement* mesh = Xml::child(element, "mesh");
    if (mesh == nullptr)
        return;
    sources.clear();
    readSources(mesh);
    reportUnreadPrimitives(mesh);
    const TiXmlElement* vertices = Xml::child(mesh, "vertices");
    if (vertices == nullptr)
        report("geometry", geometry->id, "has no \"vertices\"");
    vertexInputs.clear();
    Xml::forEachChild(vertices, "input", [&](const TiXmlElement* input) { vertexInputs.push_back(readInput(input)); });
    for (const TiXmlElement* child = mesh->FirstChildElement(); child != nullptr; child = child->NextSiblingElement())
    {
        const std::string kind = child->Value();
        Collada::Primitive primitive;
        primitive.material = Xml::attribute(child, "material");
        bool read = kind == "triangles"    ? readTriangles(child, primitive)
                    : kind == "polylist"   ? readPolylist(child, primitive)
                    : kind == "polygons"   ? readPolygons(child, primitive)
                    : kind == "lines"      ? readLines(child, primitive)
                    : kind == "linestrips" ? readLineStrips(child, primitive)
                                           : false;
        if (!read)
            continue;
        auto positions = primitive.arrays.find(vertexAttributeName(VertexSemantic::Position));
        std::string normal = vertexAttributeName(VertexSemantic::Normal);
        bool triangles = primitive.kind == Collada::Primitive::Kind::Triangles;
        if (triangles && primitive.arrays.count(normal) == 0 && positions != primitive.arrays.end())
            primitive.arrays[normal] = Collada::smoothNormals(positions->second, primitive.positionIndices);
        geometry->primitives.push_back(std::move(primitive));
    }
}

void ColladaGeometryReader::readSources(const TiXmlElement* mesh)
{
    Xml::forEachChild(mesh, "source", [&](const TiXmlElement* element) {
        std::string id = Xml::attribute(element, "id");
        Source source;
        std::string word;
        if (Xml::readFloats(Xml::text(Xml::child(element, "float_array")), source.values, &word) > 0)
            report("source", id, "holds words that are not numbers, read as 0" + Xml::firstNotNumber(word, "float_array"));
        const TiXmlElement* accessor = Xml::child(Xml::child(element, "technique_common"), "accessor");
        if (Xml::hasAttribute(accessor, "stride") &&
            (!Xml::readInt(Xml::attribute(accessor, "stride").c_str(), source.stride) || source.stride < 1))
        {
            report("source", id, "has a stride that is no positive number; 3 is used");
            source.stride = 3;
        }
        sources[id] = std::move(source);
    });
}

void ColladaGeometryReader::reportUnreadPrimitives(const TiXmlElement* mesh)
{
    for (const char* primitive : unreadPrimitives)
        if (Xml::hasChild(mesh, primitive))
            report("geometry", geometry->id, std::string("\"") + primitive + "\" primitives are not read");
}

ColladaGeometryReader::Input ColladaGeometryReader::readInput(const TiXmlElement* element)
{
    Input input;
    input.semantic = Xml::attribute(element, "semantic");
    input.source = Xml::attribute(element, "source");
    if (Xml::hasAttribute(element, "set"))
        Xml::readInt(Xml::attribute(element, "set").c_str(), input.set);
    if (Xml::hasAttribute(element, "offset") &&
        (!Xml::readInt(Xml::attribute(element, "offset").c_str(), input.offset) || input.offset < 0 ||
         input.offset > largestOffset))
    {
        report("geometry", geometry->id, "has an input offset that is no number from 0 to " +
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
    report("geometry", geometry->id, "refers to no source '" + reference + "'");
    return nullptr;
}

void ColladaGeometryReader::reportPrimitive(const TiXmlElement* element, const std::string& text)
{
    report("geometry", geometry->id,
           "\"" + std::string(element->Value()) + "\" of material '" + Xml::attribute(element, "material") + "': " + text);
}

bool ColladaGeometryReader::readInputs(const TiXmlElement* element, Inputs& inputs, int& tupleLength)
{
    Xml::forEachChild(element, "input", [&](const TiXmlElement* inputElement) { inputs.push_back(readInput(inputElement)); });
    tupleLength = 1;
    for (const Input& input : inputs)
    {
        if (input.offset < 0)
            return false;
        tupleLength = std::max(tupleLength, input.offset + 1);
    }
    return true;
}

bool ColladaGeometryReader::readIndices(const TiXmlElement* element, std::vector<int>& p, std::string& firstNotNumber)
{
    std::string word;
    bool numbers = Xml::readInts(Xml::text(element), p, &word) == 0;
    if (!numbers && firstNotNumber.empty())
        firstNotNumber = word;
    return numbers;
}

void ColladaGeometryReader::reportNotNumbers(const char* element, const std::string& word)
{
    report("geometry", geometry->id, std::string("has \"") + element + "\" words that are not numbers, read as 0" +
                                         Xml::firstNotNumber(word, element));
}

std::vector<int> ColladaGeometryReader::readIndexList(const TiXmlElement* primitive, const char* name)
{
    std::vector<int> numbers;
    std::string word;
    if (!readIndices(Xml::child(primitive, name), numbers, word))
        reportNotNumbers(name, word);
    return numbers;
}

bool ColladaGeometryReader::readTriangles(const TiXmlElement* triangles, Collada::Primitive& primitive)
{
    Inputs inputs;
    int tupleLength = 1;
    if (!readInputs(triangles, inputs, tupleLength))
        return false;
    std::vector<int> p = readIndexList(triangles, "p");
    if (p.size() % static_cast<std::size_t>(tupleLength) != 0)
        report("geometry", geometry->id, "has a \"p\" list that ends inside an index tuple; the rest is left out");
    readVertices(inputs, tupleLength, p, primitive);
    return true;
}

bool ColladaGeometryReader::readPolylist(const TiXmlElement* polylist, Collada::Primitive& primitive)
{
    Inputs inputs;
    int tupleLength = 1;
    if (!readInputs(polylist, inputs, tupleLength))
        return false;
    std::vector<int> counts = readIndexList(polylist, "vcount");
    std::vector<int> p = readIndexList(polylist, "p");
    if (std::any_of(counts.begin(), counts.end(), [](int count) { return count < 0; }))
    {
        reportPrimitive(polylist, "\"vcount\" holds a negative number; the primitive is left out");
        return false;
    }
    std::size_t tuples = p.size() / static_cast<std::size_t>(tupleLength);
    std::size_t corners = 0;
    for (int count : counts)
        corners += static_cast<std::size_t>(count);
    if (corners != tuples)
    {
        reportPrimitive(polylist, "\"vcount\" adds up to " + std::to_string(corners) + " corners, \"p\" holds " +
                                      std::to_string(tuples) + "; the primitive is left out");
        return false;
    }
    if (p.size() % static_cast<std::size_t>(tupleLength) != 0)
        report("geometry", geometry->id, "has a \"p\" list that ends inside an index tuple; the rest is left out");
    std::vector<int> fans;
    std::size_t first = 0;
    for (int count : counts)
    {
        appendFan(p, first, static_cast<std::size_t>(count), tupleLength, fans);
        first += static_cast<std::size_t>(count);
    }
    if (std::any_of(counts.begin(), counts.end(), [](int count) { return count < 3; }))
        reportPrimitive(polylist, "polygons of fewer than 3 corners are left out");
    readVertices(inputs, tupleLength, fans, primitive);
    return true;
}

bool ColladaGeometryReader::readPolygons(const TiXmlElement* polygons, Collada::Primitive& primitive)
{
    Inputs inputs;
    int tupleLength = 1;
    if (!readInputs(polygons, inputs, tupleLength))
        return false;
    std::vector<int> fans;
    std::string word;
    bool allNumbers = true, wholeTuples = true, smallPolygons = false, holes = false;
    for (const TiXmlElement* child = polygons->FirstChildElement(); child != nullptr; child = child->NextSiblingElement())
    {
        const std::string kind = child->Value();
        if (kind == "ph")
            holes = holes || Xml::hasChild(child, "h");
        else if (kind != "p")
            continue;
        std::vector<int> p;
        allNumbers = readIndices(kind == "p" ? child : Xml::child(child, "p"), p, word) && allNumbers;
        wholeTuples = wholeTuples && p.size() % static_cast<std::size_t>(tupleLength) == 0;
        std::size_t corners = p.size() / static_cast<std::size_t>(tupleLength);
        smallPolygons = smallPolygons || corners < 3;
        appendFan(p, 0, corners, tupleLength, fans);
    }
    if (!allNumbers)
        reportNotNumbers("p", word);
    if (!wholeTuples)
        report("geometry", geometry->id, "has a \"p\" list that ends inside an index tuple; the rest is left out");
    if (smallPolygons)
        reportPrimitive(polygons, "polygons of fewer than 3 corners are left out");
    if (holes)
        reportPrimitive(polygons, "holes (\"h\" in \"ph\") are left out");
    readVertices(inputs, tupleLength, fans, primitive);
    return true;
}

bool ColladaGeometryReader::readLines(const TiXmlElement* lines, Collada::Primitive& primitive)
{
    Inputs inputs;
    int tupleLength = 1;
    if (!readInputs(lines, inputs, tupleLength))
        return false;
    std::vector<int> p = readIndexList(lines, "p");
    std::size_t pair = 2 * static_cast<std::size_t>(tupleLength);
    if (p.size() % pair != 0)
        reportPrimitive(lines, "\"p\" ends inside a line; the rest is left out");
    p.resize(p.size() - p.size() % pair);
    primitive.kind = Collada::Primitive::Kind::Lines;
    readVertices(inputs, tupleLength, p, primitive);
    return true;
}

// Each strip of n corners becomes the n - 1 lines between neighbours.
bool ColladaGeometryReader::readLineStrips(const TiXmlElement* strips, Collada::Primitive& primitive)
{
    Inputs inputs;
    int tupleLength = 1;
    if (!readInputs(strips, inputs, tupleLength))
        return false;
    std::size_t length = static_cast<std::size_t>(tupleLength);
    std::vector<int> lines;
    std::string word;
    bool allNumbers = true;
    Xml::forEachChild(strips, "p", [&](const TiXmlElement* element) {
        std::vector<int> p;
        allNumbers = readIndices(element, p, word) && allNumbers;
        std::size_t corners = p.size() / length;
        for (std::size_t corner = 0; corner + 1 < corners; ++corner)
            lines.insert(lines.end(), p.begin() + static_cast<std::ptrdiff_t>(corner * length),
                         p.begin() + static_cast<std::ptrdiff_t>((corner + 2) * length));
    });
    if (!allNumbers)
        reportNotNumbers("p", word);
    primitive.kind = Collada::Primitive::Kind::Lines;
    readVertices(inputs, tupleLength, lines, primitive);
    return true;
}

ColladaGeometryReader::Inputs ColladaGeometryReader::withVertexInputs(const Inputs& inputs) const
{
    // The primitive's own inputs come last, so that they hold where the "vertices" give the same.
    Inputs all;
    for (const Input& input : inputs)
        if (input.semantic == "VERTEX")
            for (Input shared : vertexInputs)
            {
                shared.offset = input.offset;
                if (shared.semantic == "POSITION")
                    shared.semantic = "VERTEX";
                all.push_back(shared);
            }
    for (const Input& input : inputs)
        if (input.semantic != "VERTEX")
            all.push_back(input);
    return all;
}

void ColladaGeometryReader::readVertices(const Inputs& primitiveInputs, int tupleLength, const std::vector<int>& p,
                                         Collada::Primitive& primitive)
{
    std::size_t corners = p.size() / static_cast<std::size_t>(tupleLength);
    primitive.vertexCount = corners;
    primitive.positionIndices.assign(corners, Collada::noPosition);
    Inputs inputs = withVertexInputs(primitiveInputs);
    for (const Input& input : inputs)
        if (input.semantic == "TEXCOORD")
            primitive.texCoordSets.push_back(input.set);
    std::sort(primitive.texCoordSets.begin(), primitive.texCoordSets.end());
    primitive.texCoordSets.erase(std::unique(primitive.texCoordSets.begin(), primitive.texCoordSets.end()),
                                 primitive.texCoordSets.end());
    bool pastSource = false;
    for (const Input& input : inputs)
    {
        auto filled = arraysBySemantic.find(input.semantic);
        if (filled == arraysBySemantic.end())
            continue;
        const Source* source = sourceFor(input.source);
        if (source == nullptr)
            continue;
        VertexSemantic semantic = filled->second;
        int set = arraySet(semantic, input.set, primitive.texCoordSets);
        Collada::VertexArray& array = primitive.arrays[vertexAttributeName(semantic, set)];
        array.semantic = semantic;
        array.set = set;
        array.components = componentCount(semantic);
        array.values.clear();
        array.values.reserve(corners * static_cast<std::size_t>(array.components));
        for (std::size_t corner = 0; corner < corners; ++corner)
        {
            int k = p[corner * static_cast<std::size_t>(tupleLength) + static_cast<std::size_t>(input.offset)];
            std::size_t first = static_cast<std::size_t>(std::max(k, 0)) * static_cast<std::size_t>(source->stride);
            std::size_t available = static_cast<std::size_t>(std::min(source->stride, array.components));
            bool inside = k >= 0 && first + available <= source->values.size();
            pastSource = pastSource || !inside;
            if (semantic == VertexSemantic::Position && inside)
                primitive.positionIndices[corner] = static_cast<unsigned int>(k);
            // Components the source does not have read as 0, and a colour's alpha as 1; a
            // texture's t is turned over.
            for (std::size_t component = 0; component < static_cast<std::size_t>(array.components); ++component)
            {
                float missing = semantic == VertexSemantic::Color && component == 3 ? 1.0f : 0.0f;
                float value = inside && component < available ? source->values[first + component] : missing;
                array.values.push_back(semantic == VertexSemantic::TexCoord && component == 1 ? -value : value);
            }
        }
    }
    if (pastSource)
        report("geometry", geometry->id, "has indices past the end of a source; those values read as 0");
}

}
