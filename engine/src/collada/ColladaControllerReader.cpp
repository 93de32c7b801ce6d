#include "collada/ColladaControllerReader.h"

#include "collada/XmlReading.h"

#include <tinyxml.h>

#include <algorithm>
#include <cmath>
#include <sstream>

namespace Pellux
{

namespace
{
const std::size_t influencesKept = 4;
const std::size_t valuesPerMatrix = 16;

std::vector<std::string> words(const char* text)
{
    std::vector<std::string> split;
    std::istringstream stream(text);
    for (std::string word; stream >> word;)
        split.push_back(word);
    return split;
}
}

void ColladaControllerReader::readControllers(const TiXmlElement* library)
{
    Xml::forEachChild(library, "controller", [&](const TiXmlElement* controller) {
        std::string id = Xml::attribute(controller, "id");
        if (const TiXmlElement* element = Xml::child(controller, "skin"))
            readSkin(id, element);
        else
            document.controllerProblems.push_back(
                Collada::problem("controller", id, "is not a skin and is left out"));
    });
}

void ColladaControllerReader::report(const std::string& text)
{
    skin->problems.push_back(Collada::problem("controller", skin->id, text));
}

void ColladaControllerReader::readSkin(const std::string& id, const TiXmlElement* element)
{
    skin = &document.skins.emplace_back();
    skin->id = id;
    skin->geometry = Xml::reference(Xml::attribute(element, "source"));
    if (const TiXmlElement* bindShape = Xml::child(element, "bind_shape_matrix"))
    {
        std::vector<float> values;
        if (Xml::readFloats(Xml::text(bindShape), values) > 0 || values.size() != valuesPerMatrix)
            report("has a bind_shape_matrix that is not 16 numbers; the identity is used");
        else
            std::copy(values.begin(), values.end(), skin->bindShapeMatrix);
    }
    sources.clear();
    readSources(element);
    readJoints(Xml::child(element, "joints"));
    readVertexWeights(Xml::child(element, "vertex_weights"));
}

void ColladaControllerReader::readSources(const TiXmlElement* element)
{
    Xml::forEachChild(element, "source", [&](const TiXmlElement* sourceElement) {
        Source& source = sources[Xml::attribute(sourceElement, "id")];
        const TiXmlElement* names = Xml::child(sourceElement, "Name_array");
        const TiXmlElement* ids = Xml::child(sourceElement, "IDREF_array");
        if (names != nullptr || ids != nullptr)
        {
            const TiXmlElement* array = names != nullptr ? names : ids;
            source.names = words(Xml::text(array));
            source.namesAreIds = names == nullptr;
            int declared = 0;
            if (Xml::readInt(Xml::attribute(array, "count").c_str(), declared) && declared > 0)
                source.declaredNames = static_cast<std::size_t>(declared);
        }
        else if (std::string word;
                 Xml::readFloats(Xml::text(Xml::child(sourceElement, "float_array")), source.numbers, &word) > 0)
            report("has a source '" + Xml::attribute(sourceElement, "id") + "' with words that are not numbers, read as 0" +
                   Xml::firstNotNumber(word, "float_array"));
    });
}

const ColladaControllerReader::Source* ColladaControllerReader::sourceOf(const TiXmlElement* parent,
                                                                       const char* semantic, int* offset)
{
    const TiXmlElement* input = Xml::child(parent, "input");
    while (input != nullptr && Xml::attribute(input, "semantic") != semantic)
        input = Xml::nextSibling(input, "input");
    if (input == nullptr)
        return nullptr;
    if (offset != nullptr && !Xml::readInt(Xml::attribute(input, "offset").c_str(), *offset))
        *offset = 0;
    auto found = sources.find(Xml::reference(Xml::attribute(input, "source")));
    return found != sources.end() ? &found->second : nullptr;
}

void ColladaControllerReader::readJoints(const TiXmlElement* joints)
{
    const Source* names = sourceOf(joints, "JOINT");
    const Source* binds = sourceOf(joints, "INV_BIND_MATRIX");
    if (names == nullptr || binds == nullptr)
    {
        report("has no joints with inverse bind matrices; it is drawn in its bind pose");
        return;
    }
    skin->joints = names->names;
    skin->jointsAreIds = names->namesAreIds;
    skin->declaredJoints = names->declaredNames;
    skin->inverseBindMatrices = binds->numbers;
    std::size_t needed = Collada::jointCount(*skin) * valuesPerMatrix;
    if (skin->inverseBindMatrices.size() < needed)
        report("has fewer inverse bind matrices than joints; the missing ones are the identity");
    for (std::size_t value = skin->inverseBindMatrices.size(); value < needed; ++value)
        skin->inverseBindMatrices.push_back(value % valuesPerMatrix % 5 == 0 ? 1.0f : 0.0f);
    skin->inverseBindMatrices.resize(needed);
}

void ColladaControllerReader::readVertexWeights(const TiXmlElement* weights)
{
    // Without joints the skin is drawn in its bind pose, as already said.
    if (skin->joints.empty())
        return;
    int jointOffset = 0;
    int weightOffset = 0;
    const Source* jointSource = sourceOf(weights, "JOINT", &jointOffset);
    const Source* weightSource = sourceOf(weights, "WEIGHT", &weightOffset);
    std::vector<int> counts;
    std::vector<int> v;
    std::string countWord;
    std::string weightWord;
    bool countWords = Xml::readInts(Xml::text(Xml::child(weights, "vcount")), counts, &countWord) > 0;
    bool weightWords = Xml::readInts(Xml::text(Xml::child(weights, "v")), v, &weightWord) > 0;
    if (countWords || weightWords)
        report("has vertex weights with words that are not numbers, read as 0" +
               (countWords ? Xml::firstNotNumber(countWord, "vcount") : Xml::firstNotNumber(weightWord, "v")));
    if (jointSource == nullptr || weightSource == nullptr || jointOffset < 0 || weightOffset < 0)
    {
        report("has no vertex weights of joints; it is drawn in its bind pose");
        return;
    }
    std::size_t tuple = static_cast<std::size_t>(std::max(jointOffset, weightOffset)) + 1;
    std::size_t at = 0;
    bool pastTheEnd = false;
    bool unknownJoint = false;
    for (int count : counts)
    {
        std::vector<Influence> influences;
        float bindShapeWeight = 0;
        for (int influence = 0; influence < count; ++influence, at += tuple)
        {
            if (at + tuple > v.size())
            {
                pastTheEnd = true;
                break;
            }
            int joint = v[at + static_cast<std::size_t>(jointOffset)];
            int weightIndex = v[at + static_cast<std::size_t>(weightOffset)];
            bool known = weightIndex >= 0 && static_cast<std::size_t>(weightIndex) < weightSource->numbers.size() &&
                         joint >= -1 && (joint < 0 || static_cast<std::size_t>(joint) < Collada::jointCount(*skin));
            float weight = known ? weightSource->numbers[static_cast<std::size_t>(weightIndex)] : 0.0f;
            unknownJoint = unknownJoint || !known;
            if (!known || !std::isfinite(weight) || weight <= 0)
                continue;
            // Joint -1 is the bind shape itself: its share keeps the vertex where it was bound.
            if (joint >= 0)
                influences.push_back({joint, weight});
            else
                bindShapeWeight += weight;
        }
        keepStrongest(influences, bindShapeWeight);
    }
    if (pastTheEnd)
        report("has fewer vertex weights than its vcount says; the rest stay in the bind pose");
    if (unknownJoint)
        report("has vertex weights of joints or weights it does not have; they are left out");
}

void ColladaControllerReader::keepStrongest(std::vector<Influence>& influences, float bindShapeWeight)
{
    float jointTotal = 0;
    for (const Influence& influence : influences)
        jointTotal += influence.weight;
    std::size_t kept = std::min(influences.size(), influencesKept);
    std::partial_sort(influences.begin(), influences.begin() + static_cast<std::ptrdiff_t>(kept), influences.end(),
                      [](const Influence& a, const Influence& b) { return a.weight > b.weight; });
    float keptTotal = 0;
    for (std::size_t influence = 0; influence < kept; ++influence)
        keptTotal += influences[influence].weight;
    // What the dropped influences held goes to the kept ones; the bind shape keeps its share, which
    // the shaders give to the vertex's bound place.
    float scale = keptTotal > 0 ? jointTotal / (jointTotal + bindShapeWeight) / keptTotal : 0.0f;
    for (std::size_t slot = 0; slot < influencesKept; ++slot)
    {
        bool used = slot < kept;
        skin->jointIndices.push_back(used ? static_cast<float>(influences[slot].joint) : 0.0f);
        skin->jointWeights.push_back(used ? influences[slot].weight * scale : 0.0f);
    }
}

}
