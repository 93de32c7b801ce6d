#pragma once

#include <cstddef>
#include <vector>

namespace Pellux
{

// Values that change over time: keys at times, each with the same number of values, and for each
// key how the values go from it to the next key.
class AnimationCurve
{
public:
    enum class Interpolation
    {
        // In a straight line.
        Linear,
        // Held until the next key.
        Step,
        // The nearer key's values; halfway between the keys, the later one's.
        Nearest,
        // A cubic Bezier curve of each value over time, through the key's out control and the next
        // key's in control.
        Bezier
    };

    // `values` holds `width` numbers for each key, key by key. The keys may come in any order of
    // time; keys at a time that is not a number or without all their values are left out. Keys
    // without an interpolation go in a straight line.
    AnimationCurve(std::vector<float> times, const std::vector<float>& values, std::size_t width,
                   std::vector<Interpolation> interpolations);
    // With the control points of Bezier keys: for each key and value a time and a value, as
    // `inControls` and `outControls` hold them key by key. A key without them goes in a straight
    // line.
    AnimationCurve(std::vector<float> times, const std::vector<float>& values, std::size_t width,
                   std::vector<Interpolation> interpolations, const std::vector<float>& inControls,
                   const std::vector<float>& outControls);

    std::size_t getWidth() const { return width; }
    std::size_t getKeyCount() const { return times.size(); }
    // The time of the last key; 0 without keys.
    float getEndTime() const { return times.empty() ? 0.0f : times.back(); }

    // Writes the curve's `width` values at that time to `out`; before the first key they are the
    // first key's, after the last key the last key's. Without keys nothing is written.
    void sample(float time, float* out) const;

private:
    void copyKey(std::size_t key, float* out) const;
    // The values between `key` and the next at that time, along their Bezier curves.
    void sampleBezier(std::size_t key, float time, float* out) const;

    std::size_t width;
    // By time, earliest first.
    std::vector<float> times;
    std::vector<float> values;
    std::vector<Interpolation> interpolations;
    // Two numbers (time, value) for each value of each key; empty without Bezier keys.
    std::vector<float> inControls;
    std::vector<float> outControls;
};

}
