#include "collada/ColladaAnimationBuilder.h"

#include "collada/ColladaLoad.h"
#include "collada/ColladaTransforms.h"
#include "pellux/scene/ComposedTransformAnimation.h"
#include "pellux/scene/KeyframeAnimation.h"
#include "pellux/scene/Scene.h"
#include "pellux/scene/SceneNode.h"

#include <algorithm>
#include <cmath>

namespace Pellux
{

namespace
{
using Interpolation = AnimationCurve::Interpolation;

const std::size_t matrixSize = 16;

std::string valuesForEachKey(std::size_t width)
{
    return width == 1 ? "a value" : std::to_string(width) + " values";
}

template <class Found>
const Found* lookUp(const std::map<std::string, Found>& own, const std::map<std::string, const Found*>& everywhere,
                    const std::string& id)
{
    auto found = own.find(id);
    if (found != own.end())
        return &found->second;
    auto elsewhere = everywhere.find(id);
    return elsewhere != everywhere.end() ? elsewhere->second : nullptr;
}
}

std::vector<Animation*> ColladaAnimationBuilder::makeAnimations()
{
    indexDocument();
    std::vector<Driven> channels;
    for (const Collada::Animation& animation : load.document.animations)
    {
        load.report(animation.problems);
        for (const Collada::Channel& channel : animation.channels)
            if (std::optional<Driven> driven = find(animation, channel))
                channels.push_back(*driven);
    }
    // Nodes with channels of parts of their elements are composed from all their elements.
    std::set<const SceneNode*> composedNodes;
    for (const Driven& driven : channels)
        if (drivesPartsOfElements(driven))
            composedNodes.insert(driven.node);
    std::vector<Animation*> made;
    std::map<const SceneNode*, ComposedTransformAnimation*> composed;
    for (const Driven& driven : channels)
    {
        keyValues += driven.times->size() * driven.width;
        if (keyValues > keyValueLimit)
        {
            report(*driven.channel, "the document's animations hold more than " + std::to_string(keyValueLimit) +
                                        " key values with it; it and the channels after it are left out");
            break;
        }
        if (!driven.element || composedNodes.count(driven.node) == 0)
        {
            made.push_back(makeKeyframes(driven));
            continue;
        }
        ComposedTransformAnimation*& animation = composed[driven.node];
        if (animation == nullptr)
        {
            animation = new ComposedTransformAnimation(
                elementsOf(transformsOf(driven.node)),
                upAxisTurn(load.document.upAxis, load.topLevelNodes.count(driven.node) > 0));
            animation->setTarget(driven.node);
            made.push_back(animation);
        }
        animation->addChannel(*driven.element, driven.firstValue, makeCurve(driven));
    }
    return made;
}

void ColladaAnimationBuilder::indexDocument()
{
    std::vector<SceneNode*> all;
    load.scene.getRoot()->collectDescendants(all);
    for (SceneNode* node : all)
        nodes.emplace(node->getName(), node);
    for (const Collada::Animation& animation : load.document.animations)
    {
        for (const auto& [id, sampler] : animation.samplers)
            samplers[id] = {&sampler, &animation};
        for (const auto& [id, values] : animation.sources)
            sources[id] = &values;
        for (const auto& [id, words] : animation.names)
            names[id] = &words;
    }
}

std::optional<ColladaAnimationBuilder::Driven> ColladaAnimationBuilder::find(const Collada::Animation& animation,
                                                                            const Collada::Channel& channel)
{
    Driven driven;
    driven.channel = &channel;
    std::pair<const Collada::AnimationSampler*, const Collada::Animation*> sampler{nullptr, nullptr};
    auto own = animation.samplers.find(channel.sampler);
    auto elsewhere = samplers.find(channel.sampler);
    if (own != animation.samplers.end())
        sampler = {&own->second, &animation};
    else if (elsewhere != samplers.end())
        sampler = elsewhere->second;
    if (sampler.first != nullptr)
    {
        driven.times = lookUp(sampler.second->sources, sources, sampler.first->input);
        driven.values = lookUp(sampler.second->sources, sources, sampler.first->output);
    }
    auto node = nodes.find(channel.node);
    if (node == nodes.end() || driven.times == nullptr || driven.values == nullptr)
    {
        report(channel, "names no node, sampler or source of the document; left out");
        return std::nullopt;
    }
    driven.node = node->second;
    if (!findElement(driven))
        return std::nullopt;
    std::size_t keys = driven.times->size();
    if (driven.values->size() < keys * driven.width)
    {
        report(channel, driven.width == matrixSize
                            ? "does not hold a 4 x 4 matrix for each of its " + std::to_string(keys) + " keys; left out"
                            : "does not hold " + valuesForEachKey(driven.width) + " for each of its " +
                                  std::to_string(keys) + " keys; left out");
        return std::nullopt;
    }
    if (hasTimesThatAreNoNumbers(*driven.times))
    {
        report(channel, "has a key time that is not a number; left out");
        return std::nullopt;
    }
    if (drivesPartsOfElements(driven) && !findInterpolations(driven, *sampler.second, *sampler.first))
        report(channel, "names no interpolation source '" + sampler.first->interpolation +
                            "'; its keys are interpolated linearly");
    return driven;
}

// The element the channel's sid names and the values its member names. A target without a member
// whose sid names no element, as documents without sids write them, drives the whole transform.
bool ColladaAnimationBuilder::findElement(Driven& driven)
{
    const Collada::Channel& channel = *driven.channel;
    const std::unordered_map<std::string, std::size_t>& sids = elementsOfNode(driven.node).bySid;
    auto named = sids.find(channel.element);
    if (named == sids.end())
    {
        if (channel.member.empty())
            return true;
        report(channel, "its node has no transform element '" + channel.element + "'; left out");
        return false;
    }
    const Collada::Transform& element = transformsOf(driven.node)[named->second];
    if (!memberValues(elementOf(element), channel.member, driven.firstValue, driven.width))
    {
        report(channel, "a " + element.kind + " has no member '" + channel.member + "'; left out");
        return false;
    }
    driven.element = named->second;
    return true;
}

// The names of the keys' interpolations; false when the sampler names a source there is not. A
// kind the curves do not follow is told of once in the document.
bool ColladaAnimationBuilder::findInterpolations(Driven& driven, const Collada::Animation& animation,
                                                 const Collada::AnimationSampler& sampler)
{
    if (sampler.interpolation.empty())
        return true;
    driven.interpolations = lookUp(animation.names, names, sampler.interpolation);
    if (driven.interpolations == nullptr)
        return false;
    if (!sampler.inTangent.empty())
        driven.inTangents = lookUp(animation.sources, sources, sampler.inTangent);
    if (!sampler.outTangent.empty())
        driven.outTangents = lookUp(animation.sources, sources, sampler.outTangent);
    if (!interpolationsChecked.insert(driven.interpolations).second || toldOfOtherInterpolations)
        return true;
    auto other = std::find_if(driven.interpolations->begin(), driven.interpolations->end(), [](const std::string& name) {
        return name != "LINEAR" && name != "STEP" && name != "BEZIER" && name != "HERMITE";
    });
    if (other != driven.interpolations->end())
    {
        toldOfOtherInterpolations = true;
        report(*driven.channel, "has " + *other + " keys, interpolated linearly, as is every key of the document "
                                                  "that is neither LINEAR, STEP, BEZIER nor HERMITE");
    }
    return true;
}

bool ColladaAnimationBuilder::hasTimesThatAreNoNumbers(const std::vector<float>& times)
{
    auto [checked, isNew] = timesChecked.try_emplace(&times, false);
    if (isNew)
        checked->second = std::any_of(times.begin(), times.end(), [](float time) { return std::isnan(time); });
    return checked->second;
}

// A whole matrix follows the nearest-key rule; parts follow their interpolation.
bool ColladaAnimationBuilder::drivesPartsOfElements(const Driven& driven) const
{
    return driven.element && driven.width != matrixSize;
}

// The node's transform at each key: a whole matrix of one of its elements between the others.
Animation* ColladaAnimationBuilder::makeKeyframes(const Driven& driven)
{
    bool alone = transformsOf(driven.node).size() <= 1;
    Matrix4 before;
    Matrix4 after;
    if (driven.element && !alone)
    {
        const NodeElements& elements = aroundElements(driven.node);
        before = elements.before[*driven.element];
        after = elements.after[*driven.element];
    }
    bool convert = load.document.upAxis == "Z_UP" && load.topLevelNodes.count(driven.node) > 0;
    auto* made = new KeyframeAnimation();
    made->setTarget(driven.node);
    for (std::size_t key = 0; key < driven.times->size(); ++key)
    {
        const float* m = &(*driven.values)[key * matrixSize];
        Matrix4 matrix(m[0], m[1], m[2], m[3], m[4], m[5], m[6], m[7], m[8], m[9], m[10], m[11], m[12], m[13], m[14], m[15]);
        if (driven.element && !alone)
            matrix = before * matrix * after;
        made->addKeyframe((*driven.times)[key], convert ? zUpToYUp(matrix) : matrix);
    }
    return made;
}

// A rotation's angles turned to radians, as its element's are.
AnimationCurve ColladaAnimationBuilder::makeCurve(const Driven& driven) const
{
    std::size_t keys = driven.times->size();
    std::size_t width = driven.width;
    std::vector<float> values(driven.values->begin(), driven.values->begin() + static_cast<std::ptrdiff_t>(keys * width));
    const std::size_t angle = 3;
    bool rotation = transformsOf(driven.node)[*driven.element].kind == "rotate";
    if (rotation && driven.firstValue <= angle && angle < driven.firstValue + width)
        for (std::size_t key = 0; key < keys; ++key)
        {
            float& value = values[key * width + angle - driven.firstValue];
            value = radiansOf(value);
        }
    std::vector<Interpolation> interpolations(keys, width == matrixSize ? Interpolation::Nearest : Interpolation::Linear);
    bool curved = false;
    if (driven.interpolations != nullptr && width != matrixSize)
        for (std::size_t key = 0; key < std::min(keys, driven.interpolations->size()); ++key)
        {
            const std::string& name = (*driven.interpolations)[key];
            if (name == "STEP")
                interpolations[key] = Interpolation::Step;
            else if ((name == "BEZIER" || name == "HERMITE") && driven.inTangents != nullptr &&
                     driven.outTangents != nullptr)
            {
                interpolations[key] = Interpolation::Bezier;
                curved = true;
            }
        }
    if (!curved)
        return AnimationCurve(*driven.times, values, width, interpolations);
    std::optional<std::size_t> angleValue;
    if (rotation && driven.firstValue <= angle && angle < driven.firstValue + width)
        angleValue = angle - driven.firstValue;
    Controls controls = controlsOf(driven, values, angleValue);
    return AnimationCurve(*driven.times, values, width, interpolations, controls.in, controls.out);
}

// The Bezier control points of each key's values, (time, value) each. Tangents of two numbers per
// value are a time and a value as written; of one number, a value at a third of the span before
// (in) or after (out) the key. A HERMITE key's tangents are its curve's slope over the span: a third
// of them, from the key, is its Bezier control. A tangent list too short for every value leaves the
// controls at the key's value, a third of the span away.
ColladaAnimationBuilder::Controls ColladaAnimationBuilder::controlsOf(const Driven& driven,
                                                                     const std::vector<float>& values,
                                                                     std::optional<std::size_t> angleValue) const
{
    const std::vector<float>& times = *driven.times;
    std::size_t keys = times.size();
    std::size_t width = driven.width;
    Controls controls{std::vector<float>(keys * width * 2), std::vector<float>(keys * width * 2)};
    auto tangentsPerValue = [&](const std::vector<float>* tangents) -> std::size_t {
        if (tangents == nullptr)
            return 0;
        return tangents->size() >= keys * width * 2 ? 2 : tangents->size() >= keys * width ? 1 : 0;
    };
    std::size_t inNumbers = tangentsPerValue(driven.inTangents);
    std::size_t outNumbers = tangentsPerValue(driven.outTangents);
    for (std::size_t key = 0; key < keys; ++key)
    {
        bool hermite = key < driven.interpolations->size() && (*driven.interpolations)[key] == "HERMITE";
        float before = key > 0 ? times[key] - times[key - 1] : 0.0f;
        float after = key + 1 < keys ? times[key + 1] - times[key] : 0.0f;
        for (std::size_t value = 0; value < width; ++value)
        {
            std::size_t at = key * width + value;
            float own = values[at];
            auto control = [&](const std::vector<float>* tangents, std::size_t numbers, float span, float side, float* into) {
                into[0] = times[key] + side * span / 3;
                into[1] = own;
                if (numbers == 0)
                    return;
                float tangentTime = numbers == 2 ? (*tangents)[at * 2] : 0.0f;
                float tangentValue = (*tangents)[at * numbers + numbers - 1];
                if (angleValue && value == *angleValue)
                    tangentValue = radiansOf(tangentValue);
                if (hermite)
                {
                    into[0] = numbers == 2 ? times[key] + side * tangentTime / 3 : into[0];
                    into[1] = own + side * tangentValue / 3;
                }
                else
                {
                    into[0] = numbers == 2 ? tangentTime : into[0];
                    into[1] = tangentValue;
                }
            };
            control(driven.inTangents, inNumbers, before, -1.0f, &controls.in[at * 2]);
            control(driven.outTangents, outNumbers, after, 1.0f, &controls.out[at * 2]);
        }
    }
    return controls;
}

ColladaAnimationBuilder::NodeElements& ColladaAnimationBuilder::elementsOfNode(const SceneNode* node)
{
    auto [found, isNew] = nodeElements.try_emplace(node);
    if (isNew)
    {
        const std::vector<Collada::Transform>& transforms = transformsOf(node);
        for (std::size_t index = 0; index < transforms.size(); ++index)
            if (!transforms[index].sid.empty())
                found->second.bySid.emplace(transforms[index].sid, index);
    }
    return found->second;
}

// The products of the elements before and after each element of the node, made once.
const ColladaAnimationBuilder::NodeElements& ColladaAnimationBuilder::aroundElements(const SceneNode* node)
{
    NodeElements& elements = elementsOfNode(node);
    if (!elements.before.empty())
        return elements;
    std::vector<TransformElement> all = elementsOf(transformsOf(node));
    elements.before.resize(all.size());
    elements.after.resize(all.size());
    Matrix4 product;
    for (std::size_t index = 0; index < all.size(); ++index)
    {
        elements.before[index] = product;
        product = product * all[index].toMatrix();
    }
    product = Matrix4::identity();
    for (std::size_t index = all.size(); index-- > 0;)
    {
        elements.after[index] = product;
        product = all[index].toMatrix() * product;
    }
    return elements;
}

const std::vector<Collada::Transform>& ColladaAnimationBuilder::transformsOf(const SceneNode* node) const
{
    static const std::vector<Collada::Transform> none;
    auto found = load.nodeTransforms.find(node);
    return found != load.nodeTransforms.end() ? *found->second : none;
}

void ColladaAnimationBuilder::report(const Collada::Channel& channel, const std::string& problem)
{
    load.report("animation channel", channel.target, problem);
}

}
