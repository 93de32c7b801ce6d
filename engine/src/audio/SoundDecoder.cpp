#include "pellux/audio/SoundDecoder.h"

#include "pellux/audio/Mixer.h"
#include "pellux/audio/Sound.h"
#include "pellux/foundation/FileChecks.h"
#include "pellux/foundation/Logger.h"

#include <sndfile.h>

#include <algorithm>
#include <utility>
#include <vector>

namespace Pellux
{

namespace
{
const sf_count_t framesPerRead = 4096;

// Every frame of the open file, interleaved as stored. Reads until the decoder stops, because
// compressed formats may only estimate their length up front.
std::vector<float> readAll(SNDFILE* file, int channels)
{
    std::vector<float> samples;
    std::vector<float> buffer(framesPerRead * channels);
    sf_count_t read;
    while ((read = sf_readf_float(file, buffer.data(), framesPerRead)) > 0)
        samples.insert(samples.end(), buffer.begin(), buffer.begin() + read * channels);
    return samples;
}

std::vector<float> toStereo(std::vector<float> samples, int channels)
{
    if (channels == 2)
        return samples;
    std::size_t frames = samples.size() / channels;
    std::vector<float> stereo(2 * frames);
    for (std::size_t frame = 0; frame < frames; ++frame)
    {
        const float* in = &samples[frame * channels];
        stereo[2 * frame] = in[0];
        stereo[2 * frame + 1] = channels == 1 ? in[0] : in[1];
    }
    return stereo;
}

// Linear interpolation between neighbouring frames, so that a second of the file stays a second.
std::vector<float> resample(const std::vector<float>& stereo, int fromRate)
{
    std::size_t frames = stereo.size() / 2;
    std::size_t resampledFrames = static_cast<std::size_t>(
        static_cast<double>(frames) * Mixer::sampleRate / fromRate);
    std::vector<float> resampled(2 * resampledFrames);
    double step = static_cast<double>(fromRate) / Mixer::sampleRate;
    for (std::size_t frame = 0; frame < resampledFrames; ++frame)
    {
        double at = frame * step;
        std::size_t before = static_cast<std::size_t>(at);
        std::size_t after = std::min(before + 1, frames - 1);
        float weight = static_cast<float>(at - before);
        for (std::size_t side = 0; side < 2; ++side)
            resampled[2 * frame + side] =
                stereo[2 * before + side] * (1 - weight) + stereo[2 * after + side] * weight;
    }
    return resampled;
}

std::vector<float> decodeFile(const std::string& path)
{
    if (!unreadableFileReason(path).empty())
        return {};
    SF_INFO info{};
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
    if (file == nullptr)
        return {};
    std::vector<float> stereo = toStereo(readAll(file, info.channels), info.channels);
    sf_close(file);
    if (stereo.empty() || info.samplerate == Mixer::sampleRate)
        return stereo;
    return resample(stereo, info.samplerate);
}
}

std::shared_ptr<const Sound> SoundDecoder::decode(const std::string& path)
{
    std::vector<float> stereo = decodeFile(path);
    if (stereo.empty())
    {
        LOG(Logger::getInstance().err) << "sound file could not be loaded: " << path << std::endl;
        return nullptr;
    }
    return std::make_shared<const Sound>(std::move(stereo));
}

}
