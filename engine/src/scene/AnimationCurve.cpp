#include "pellux/scene/AnimationCurve.h"

#include <algorithm>
#include <cmath>

namespace Pellux
{

AnimationCurve::AnimationCurve(std::vector<float> keyTimes, const std::vector<float>& keyValues, std::size_t width,
                               std::vector<Interpolation> keyInterpolations)
    : AnimationCurve(std::move(keyTimes), keyValues, width, std::move(keyInterpolations), {}, {})
{
}

AnimationCurve::AnimationCurve(std::vector<float> keyTimes, const std::vector<float>& keyValues, std::size_t width,
                               std::vector<Interpolation> keyInterpolations, const std::vector<float>& keyInControls,
                               const std::vector<float>& keyOutControls)
    : width(width)
{
    std::size_t keys = width == 0 ? 0 : std::min(keyTimes.size(), keyValues.size() / width);
    keyInterpolations.resize(keys, Interpolation::Linear);
    // Bezier keys need both controls of every value.
    bool controlled = keyInControls.size() >= keys * width * 2 && keyOutControls.size() >= keys * width * 2;
    for (Interpolation& interpolation : keyInterpolations)
        if (interpolation == Interpolation::Bezier && !controlled)
            interpolation = Interpolation::Linear;
    std::vector<std::size_t> order;
    for (std::size_t key = 0; key < keys; ++key)
        if (!std::isnan(keyTimes[key]))
            order.push_back(key);
    // Keys at one time keep their document order: the later one starts what follows.
    std::stable_sort(order.begin(), order.end(),
                     [&](std::size_t a, std::size_t b) { return keyTimes[a] < keyTimes[b]; });
    times.reserve(order.size());
    values.reserve(order.size() * width);
    interpolations.reserve(order.size());
    for (std::size_t key : order)
    {
        times.push_back(keyTimes[key]);
        values.insert(values.end(), keyValues.begin() + key * width, keyValues.begin() + (key + 1) * width);
        interpolations.push_back(keyInterpolations[key]);
        if (!controlled)
            continue;
        std::size_t controls = 2 * width;
        inControls.insert(inControls.end(), keyInControls.begin() + key * controls, keyInControls.begin() + (key + 1) * controls);
        outControls.insert(outControls.end(), keyOutControls.begin() + key * controls,
                           keyOutControls.begin() + (key + 1) * controls);
    }
}

void AnimationCurve::sample(float time, float* out) const
{
    if (times.empty())
        return;
    auto later = std::upper_bound(times.begin(), times.end(), time);
    if (later == times.begin())
        return copyKey(0, out);
    if (later == times.end())
        return copyKey(times.size() - 1, out);
    std::size_t next = static_cast<std::size_t>(later - times.begin());
    std::size_t key = next - 1;
    float from = times[key];
    float to = times[next];
    switch (interpolations[key])
    {
    case Interpolation::Step:
        return copyKey(key, out);
    case Interpolation::Nearest:
        return copyKey(to - time <= time - from ? next : key, out);
    case Interpolation::Bezier:
        return sampleBezier(key, time, out);
    case Interpolation::Linear:
        break;
    }
    float along = (time - from) / (to - from);
    const float* a = &values[key * width];
    const float* b = &values[next * width];
    for (std::size_t value = 0; value < width; ++value)
        out[value] = a[value] + (b[value] - a[value]) * along;
}

namespace
{
float cubic(float p0, float p1, float p2, float p3, float s)
{
    float r = 1 - s;
    return r * r * r * p0 + 3 * r * r * s * p1 + 3 * r * s * s * p2 + s * s * s * p3;
}
}

// Each value's curve runs from (from, a) through its out and in controls to (to, b). Its time
// rises with the curve's parameter when the controls' times lie within the span, which they are
// held to; the parameter of `time` is found by halving.
void AnimationCurve::sampleBezier(std::size_t key, float time, float* out) const
{
    std::size_t next = key + 1;
    float from = times[key];
    float to = times[next];
    for (std::size_t value = 0; value < width; ++value)
    {
        const float* outControl = &outControls[(key * width + value) * 2];
        const float* inControl = &inControls[(next * width + value) * 2];
        float outTime = std::clamp(std::isfinite(outControl[0]) ? outControl[0] : from, from, to);
        float inTime = std::clamp(std::isfinite(inControl[0]) ? inControl[0] : to, from, to);
        float low = 0;
        float high = 1;
        for (int halving = 0; halving < 24; ++halving)
        {
            float middle = (low + high) / 2;
            (cubic(from, outTime, inTime, to, middle) < time ? low : high) = middle;
        }
        out[value] = cubic(values[key * width + value], outControl[1], inControl[1], values[next * width + value],
                           (low + high) / 2);
    }
}

void AnimationCurve::copyKey(std::size_t key, float* out) const
{
    std::copy_n(values.begin() + key * width, width, out);
}

}
