#pragma once

#include "pellux/collada/ColladaDocument.h"

#include <map>
#include <string>
#include <vector>

class TiXmlElement;

namespace Pellux
{

// Reads the skin controllers of "library_controllers": the geometry, the bind shape, the joints
// with their inverse bind matrices, and each position's four strongest influences.
class ColladaControllerReader
{
public:
    explicit ColladaControllerReader(Collada::Document& document) : document(document) {}

    void readControllers(const TiXmlElement* library);

private:
    struct Source
    {
        std::vector<std::string> names;
        bool namesAreIds = false;
        // The "count" of its name array; 0 when it gives none.
        std::size_t declaredNames = 0;
        std::vector<float> numbers;
    };

    struct Influence
    {
        int joint;
        float weight;
    };

    void readSkin(const std::string& id, const TiXmlElement* skin);
    void readSources(const TiXmlElement* skin);
    void readJoints(const TiXmlElement* joints);
    void readVertexWeights(const TiXmlElement* weights);
    // The four strongest influences of one position, as indices and weights that sum to 1 with
    // the share of the bind shape itself.
    void keepStrongest(std::vector<Influence>& influences, float bindShapeWeight);
    const Source* sourceOf(const TiXmlElement* parent, const char* semantic, int* offset = nullptr);
    void report(const std::string& text);

    Collada::Document& document;
    Collada::Skin* skin = nullptr;
    std::map<std::string, Source> sources;
};

}
