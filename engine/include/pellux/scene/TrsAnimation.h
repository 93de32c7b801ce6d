#pragma once

#include "pellux/scene/Animation.h"
#include "pellux/scene/Vector3.h"

#include <array>
#include <vector>

namespace Pellux
{

class MeshNode;

// Poses its target from a translation, a rotation (a unit quaternion x, y, z, w) and a scale, each of
// which may follow keys; the target's transform becomes T * R * S. The morph weights of a mesh node
// may follow keys too. Between keys a value holds (step),
// goes in a straight line (linear; a rotation along the shorter arc of the sphere) or along a cubic
// Hermite spline with the keys' in and out tangents; before the first key and after the last the end
// keys hold.
class TrsAnimation : public Animation
{
public:
    enum class Path
    {
        Translation,
        Rotation,
        Scale,
        Weights
    };

    enum class Interpolation
    {
        Step,
        Linear,
        CubicSpline
    };

    struct Track
    {
        Path path = Path::Translation;
        Interpolation interpolation = Interpolation::Linear;
        // Increasing.
        std::vector<float> times;
        // For each key the path's numbers (widthOf); a cubic spline's keys each hold an in tangent, the
        // value and an out tangent, in that order.
        std::vector<float> values;
    };

    TrsAnimation(const Vector3& translation, const std::array<float, 4>& rotation, const Vector3& scale);

    // The mesh node whose `count` morph weights a Weights track sets.
    void setWeightsTarget(MeshNode* node, std::size_t count);

    // A later track of the same path replaces an earlier one. False, and nothing added, for a track
    // whose values do not fit its keys or whose times go back.
    bool addTrack(Track track);
    void apply() override;
    float getEndTime() const override;

    // The number of values a key of the path holds: 3, 4 for a rotation, the weights target's count for
    // weights.
    std::size_t widthOf(Path path) const
    {
        return path == Path::Rotation ? 4 : path == Path::Weights ? weights.size() : 3;
    }

private:
    void sample(const Track& track, float* out) const;

    std::array<float, 4> restRotation;
    Vector3 restTranslation;
    Vector3 restScale;
    std::vector<Track> tracks;
    MeshNode* weightsTarget = nullptr;
    std::vector<float> weights;
};

}
