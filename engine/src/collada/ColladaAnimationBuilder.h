#pragma once

#include "pellux/collada/ColladaDocument.h"
#include "pellux/scene/AnimationCurve.h"
#include "pellux/scene/Matrix4.h"

#include <map>
#include <optional>
#include <set>
#include <string>
#include <unordered_map>
#include <vector>

namespace Pellux
{

class Animation;
struct ColladaLoad;
class SceneNode;

// Turns the channels of a read document's animations into animations of the nodes of the tree
// built before. A channel of a whole matrix becomes a keyframe animation of its node's transform,
// which takes the nearest key. Channels of the parts of a node's transform elements
// ("location.X", "rotateZ.ANGLE", "scale", "transform(0)(3)") become one animation of that node,
// which follows their interpolation and composes the node's transform from its elements; a whole
// matrix of such a node joins it.
class ColladaAnimationBuilder
{
public:
    // The most key values all animations of a document hold together: a hostile document could
    // otherwise have thousands of channels share one long list of keys.
    static const std::size_t defaultKeyValueLimit = std::size_t(1) << 24;

    explicit ColladaAnimationBuilder(ColladaLoad& load, std::size_t keyValueLimit = defaultKeyValueLimit)
        : load(load), keyValueLimit(keyValueLimit)
    {
    }

    // In the order of each animation's first channel in the document. Channels that cannot be
    // built are reported and left out.
    std::vector<Animation*> makeAnimations();

private:
    // A channel with what it drives: a node's whole transform, or values of one of its elements.
    struct Driven
    {
        const Collada::Channel* channel = nullptr;
        SceneNode* node = nullptr;
        std::optional<std::size_t> element;
        std::size_t firstValue = 0;
        std::size_t width = 16;
        const std::vector<float>* times = nullptr;
        const std::vector<float>* values = nullptr;
        // The interpolation of each key, by name; none for straight lines throughout.
        const std::vector<std::string>* interpolations = nullptr;
        // The tangents of BEZIER and HERMITE keys; none where the sampler names no source.
        const std::vector<float>* inTangents = nullptr;
        const std::vector<float>* outTangents = nullptr;
    };

    // A node's transform elements as channels find them: by sid (the first of each), and the
    // products of the elements before and after each, made when a whole matrix needs them.
    struct NodeElements
    {
        std::unordered_map<std::string, std::size_t> bySid;
        std::vector<Matrix4> before;
        std::vector<Matrix4> after;
    };

    void indexDocument();
    std::optional<Driven> find(const Collada::Animation& animation, const Collada::Channel& channel);
    bool findElement(Driven& driven);
    bool findInterpolations(Driven& driven, const Collada::Animation& animation,
                            const Collada::AnimationSampler& sampler);
    bool hasTimesThatAreNoNumbers(const std::vector<float>& times);
    bool drivesPartsOfElements(const Driven& driven) const;
    Animation* makeKeyframes(const Driven& driven);
    AnimationCurve makeCurve(const Driven& driven) const;
    struct Controls
    {
        std::vector<float> in;
        std::vector<float> out;
    };
    Controls controlsOf(const Driven& driven, const std::vector<float>& values,
                       std::optional<std::size_t> angleValue) const;
    NodeElements& elementsOfNode(const SceneNode* node);
    const NodeElements& aroundElements(const SceneNode* node);
    const std::vector<Collada::Transform>& transformsOf(const SceneNode* node) const;
    void report(const Collada::Channel& channel, const std::string& problem);

    ColladaLoad& load;
    std::size_t keyValueLimit;
    // The scene's nodes by name, the first in the scene's order of each name.
    std::unordered_map<std::string, SceneNode*> nodes;
    std::map<const SceneNode*, NodeElements> nodeElements;
    // Samplers and sources by id in the whole document, for references beyond their own animation
    // element; of two with one id the later.
    std::map<std::string, std::pair<const Collada::AnimationSampler*, const Collada::Animation*>> samplers;
    std::map<std::string, const std::vector<float>*> sources;
    std::map<std::string, const std::vector<std::string>*> names;
    // What was found out about lists of times and interpolations that many channels may share.
    std::map<const std::vector<float>*, bool> timesChecked;
    std::set<const std::vector<std::string>*> interpolationsChecked;
    bool toldOfOtherInterpolations = false;
    std::size_t keyValues = 0;
};

}
