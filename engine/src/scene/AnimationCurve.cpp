#include "pellux/scene/AnimationCurve.h"

#include <algorithm>
#include <cmath>

namespace Pellux
{

AnimationCurve::AnimationCurve(std::vector<float> keyTimes, const std::vector<float>& keyValues, std::size_t width,
                               std::vector<Interpolation> keyInterpolations)
    : width(width)
{
    std::size_t keys = width == 0 ? 0 : std::min(keyTimes.size(), keyValues.size() / width);
    keyTimes.resize(keys);
    keyInterpolations.resize(keys, Interpolation::Linear);
    bool allNumbers = std::none_of(keyTimes.begin(), keyTimes.end(), [](float time) { return std::isnan(time); });
    if (allNumbers && std::is_sorted(keyTimes.begin(), keyTimes.end()))
    {
        times = std::move(keyTimes);
        values.assign(keyValues.begin(), keyValues.begin() + static_cast<std::ptrdiff_t>(keys * width));
        interpolations = std::move(keyInterpolations);
        return;
    }
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
    case Interpolation::Linear:
        break;
    }
    float along = (time - from) / (to - from);
    const float* a = &values[key * width];
    const float* b = &values[next * width];
    for (std::size_t value = 0; value < width; ++value)
        out[value] = a[value] + (b[value] - a[value]) * along;
}

void AnimationCurve::copyKey(std::size_t key, float* out) const
{
    std::copy_n(values.begin() + key * width, width, out);
}

}
