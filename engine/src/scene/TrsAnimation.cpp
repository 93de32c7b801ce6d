#include "pellux/scene/TrsAnimation.h"

#include "pellux/scene/Matrix4.h"
#include "pellux/scene/MeshNode.h"
#include "pellux/scene/SceneNode.h"

#include <algorithm>
#include <cmath>

namespace Pellux
{

namespace
{
void normalize(float* q)
{
    float length = std::sqrt(q[0] * q[0] + q[1] * q[1] + q[2] * q[2] + q[3] * q[3]);
    if (length > 0 && std::isfinite(length))
        for (int component = 0; component < 4; ++component)
            q[component] /= length;
}

// Along the shorter of the two arcs between the rotations.
void slerp(const float* a, const float* b, float s, float* out)
{
    float dot = a[0] * b[0] + a[1] * b[1] + a[2] * b[2] + a[3] * b[3];
    float sign = dot < 0 ? -1.0f : 1.0f;
    dot *= sign;
    float wa = 1 - s;
    float wb = s;
    if (dot < 0.9995f)
    {
        float angle = std::acos(std::min(dot, 1.0f));
        float sine = std::sin(angle);
        wa = std::sin((1 - s) * angle) / sine;
        wb = std::sin(s * angle) / sine;
    }
    for (int component = 0; component < 4; ++component)
        out[component] = wa * a[component] + wb * sign * b[component];
    normalize(out);
}
}

TrsAnimation::TrsAnimation(const Vector3& translation, const std::array<float, 4>& rotation, const Vector3& scale)
    : restRotation(rotation), restTranslation(translation), restScale(scale)
{
}

void TrsAnimation::setWeightsTarget(MeshNode* node, std::size_t count)
{
    weightsTarget = node;
    weights.assign(count, 0.0f);
}

bool TrsAnimation::addTrack(Track track)
{
    std::size_t keyWidth = widthOf(track.path) * (track.interpolation == Interpolation::CubicSpline ? 3 : 1);
    if (track.values.size() != track.times.size() * keyWidth ||
        !std::is_sorted(track.times.begin(), track.times.end()))
        return false;
    auto same = std::find_if(tracks.begin(), tracks.end(), [&](const Track& held) { return held.path == track.path; });
    if (same != tracks.end())
        *same = std::move(track);
    else
        tracks.push_back(std::move(track));
    return true;
}

float TrsAnimation::getEndTime() const
{
    float end = 0;
    for (const Track& track : tracks)
        if (!track.times.empty())
            end = std::max(end, track.times.back());
    return end;
}

void TrsAnimation::sample(const Track& track, float* out) const
{
    std::size_t width = widthOf(track.path);
    bool cubic = track.interpolation == Interpolation::CubicSpline;
    // A cubic key holds its in tangent, its value and its out tangent.
    std::size_t stride = cubic ? 3 * width : width;
    std::size_t valueAt = cubic ? width : 0;
    const std::vector<float>& times = track.times;
    auto after = std::upper_bound(times.begin(), times.end(), time);
    std::size_t next = static_cast<std::size_t>(after - times.begin());
    if (next == 0 || next == times.size() || track.interpolation == Interpolation::Step)
    {
        std::size_t key = next == 0 ? 0 : next - 1;
        std::copy_n(&track.values[key * stride + valueAt], width, out);
        return;
    }
    std::size_t key = next - 1;
    float span = times[next] - times[key];
    float s = span > 0 ? (time - times[key]) / span : 0.0f;
    const float* from = &track.values[key * stride + valueAt];
    const float* to = &track.values[next * stride + valueAt];
    if (!cubic)
    {
        if (track.path == Path::Rotation)
            slerp(from, to, s, out);
        else
            for (std::size_t component = 0; component < width; ++component)
                out[component] = from[component] + s * (to[component] - from[component]);
        return;
    }
    const float* outTangent = &track.values[key * stride + 2 * width];
    const float* inTangent = &track.values[next * stride];
    float s2 = s * s;
    float s3 = s2 * s;
    for (std::size_t component = 0; component < width; ++component)
        out[component] = (2 * s3 - 3 * s2 + 1) * from[component] + (s3 - 2 * s2 + s) * span * outTangent[component] +
                         (-2 * s3 + 3 * s2) * to[component] + (s3 - s2) * span * inTangent[component];
    if (track.path == Path::Rotation)
        normalize(out);
}

// A node whose tracks are all of weights keeps its transform.
void TrsAnimation::apply()
{
    float translation[3] = {restTranslation.x, restTranslation.y, restTranslation.z};
    float rotation[4] = {restRotation[0], restRotation[1], restRotation[2], restRotation[3]};
    float scale[3] = {restScale.x, restScale.y, restScale.z};
    bool moves = false;
    for (const Track& track : tracks)
    {
        if (track.times.empty())
            continue;
        if (track.path == Path::Weights)
        {
            sample(track, weights.data());
            if (weightsTarget != nullptr)
                weightsTarget->setMorphWeights(weights);
            continue;
        }
        moves = true;
        float* out = track.path == Path::Translation ? translation : track.path == Path::Rotation ? rotation : scale;
        sample(track, out);
    }
    if (target == nullptr || !moves)
        return;
    target->setTransform(Matrix4::translation(Vector3(translation[0], translation[1], translation[2])) *
                         Matrix4::fromQuaternion(rotation[0], rotation[1], rotation[2], rotation[3]) *
                         Matrix4::scaling(Vector3(scale[0], scale[1], scale[2])));
}

}
