#include "AudioTesting.h"

#include "pellux/audio/AudioSystem.h"

#include <sndfile.h>

#include <chrono>
#include <cmath>
#include <stdexcept>
#include <thread>
#include <vector>

void writeSound(const std::string& path, int format, int sampleRate, int channels, long frames,
                const Waveform& waveform)
{
    SF_INFO info{};
    info.samplerate = sampleRate;
    info.channels = channels;
    info.format = format;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    if (file == nullptr)
        throw std::runtime_error("cannot write " + path + ": " + sf_strerror(nullptr));
    std::vector<float> samples;
    for (long frame = 0; frame < frames; ++frame)
        samples.insert(samples.end(), channels, waveform(frame));
    sf_writef_float(file, samples.data(), frames);
    sf_close(file);
}

Waveform sineTone(int sampleRate)
{
    return [sampleRate](long frame) {
        return 0.5f * static_cast<float>(std::sin(2 * M_PI * 440 * frame / sampleRate));
    };
}

float rampAt(long frame)
{
    return static_cast<float>(frame + 1) / 262144.0f;
}

testing::AssertionResult isLogLine(const std::string& log, const std::string& level,
                                   const std::string& source, const std::string& text)
{
    std::string prefix = level + ":\t[ " + source + std::string(20 - source.size(), ' ') + " (";
    std::string suffix = ")]:\t" + text + "\n";
    bool framed = log.size() > prefix.size() + suffix.size() && log.rfind(prefix, 0) == 0 &&
                  log.compare(log.size() - suffix.size(), suffix.size(), suffix) == 0;
    std::string line = framed ? log.substr(prefix.size(), log.size() - prefix.size() - suffix.size()) : "";
    if (!line.empty() && line.find_first_not_of("0123456789") == std::string::npos)
        return testing::AssertionSuccess();
    return testing::AssertionFailure() << "log was: \"" << log << "\"";
}

bool eventually(const std::function<bool()>& condition)
{
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!condition())
    {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

std::uint64_t mixerClock()
{
    std::uint64_t clock = 0;
    Pellux::AudioSystem::getInstance().withMixer([&](Pellux::Mixer& mixer) { clock = mixer.getClock(); });
    return clock;
}
