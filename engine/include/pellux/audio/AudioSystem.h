#pragma once

#include "pellux/audio/Mixer.h"
#include "pellux/foundation/Singleton.h"

#include <cstdint>
#include <functional>

namespace Pellux
{

// The process's one sound output: SDL's audio thread plays what the mixer mixes, 48 kHz float
// stereo. Without a sound device it falls back to SDL's "dummy" driver, which keeps the mixer's
// clock running in real time. Opened on first use and never closed.
class AudioSystem : public Singleton<AudioSystem>
{
public:
    AudioSystem();

    // Runs `access` on the mixer while the audio thread is held off.
    void withMixer(const std::function<void(Mixer&)>& access);

private:
    bool open(const char* driver);

    Mixer mixer;
    std::uint32_t device = 0;
};

}
