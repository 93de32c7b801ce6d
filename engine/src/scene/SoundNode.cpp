#include "pellux/scene/SoundNode.h"

#include "pellux/audio/AudioSystem.h"
#include "pellux/audio/Sound.h"
#include "pellux/audio/SoundDecoder.h"

#include <cmath>

namespace Pellux
{

namespace
{
// How far ahead of the mixer's clock a moved sound resumes, at that exact frame.
const std::uint64_t resumeDelay = 2048;
// Further than any sound reaches; keeps the conversion below defined.
const double farPastAnyEnd = 1e18;

// The 48 kHz frame at `seconds`, truncated; times before the start (or not numbers) are the start.
std::uint64_t frameAt(float seconds)
{
    double frame = std::trunc(static_cast<double>(seconds) * Mixer::sampleRate);
    if (!(frame > 0))
        return 0;
    return static_cast<std::uint64_t>(std::fmin(frame, farPastAnyEnd));
}

AudioSystem& audio()
{
    return AudioSystem::getInstance();
}
}

SoundNode::SoundNode(const std::string& name) : SceneNode(name)
{
    audio();
}

SoundNode::~SoundNode()
{
    audio().withMixer([this](Mixer& mixer) { mixer.stop(channel); });
}

void SoundNode::load(File file)
{
    sound = SoundDecoder::decode(file.getFullPath());
}

void SoundNode::play()
{
    audio().withMixer([this](Mixer& mixer) { channel = mixer.play(sound); });
}

void SoundNode::setVolume(float volume)
{
    audio().withMixer([&](Mixer& mixer) { mixer.setVolume(channel, volume); });
}

void SoundNode::setPaused(bool paused)
{
    audio().withMixer([&](Mixer& mixer) { mixer.setPaused(channel, paused); });
}

bool SoundNode::isPaused() const
{
    bool paused = false;
    audio().withMixer([&](Mixer& mixer) { paused = mixer.isPaused(channel); });
    return paused;
}

void SoundNode::setPosition(float seconds)
{
    // One hold of the audio thread for the whole move: nothing is mixed between its steps, so
    // the channel neither plays on at the old place nor starts early at the new one, and it
    // resumes exactly `resumeDelay` frames after this call.
    audio().withMixer([&](Mixer& mixer) {
        mixer.setPosition(channel, frameAt(seconds));
        mixer.setStartClock(channel, mixer.getClock() + resumeDelay);
        mixer.setPaused(channel, false);
    });
}

}
