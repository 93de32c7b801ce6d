#pragma once

#include <cstddef>
#include <utility>
#include <vector>

namespace Pellux
{

// Decoded audio ready for the mixer: interleaved stereo float frames at the mixer's rate.
// It does not change once made, so the audio thread may read it without a lock.
class Sound
{
public:
    explicit Sound(std::vector<float> stereoSamples) : samples(std::move(stereoSamples)) {}

    std::size_t getFrameCount() const { return samples.size() / 2; }
    // The left sample of `frame`, followed by its right one.
    const float* getFrame(std::size_t frame) const { return &samples[2 * frame]; }

private:
    std::vector<float> samples;
};

}
