#include "pellux/audio/Channel.h"

#include "pellux/audio/Sound.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace Pellux
{

void Channel::start(std::shared_ptr<const Sound> newSound, std::uint64_t newPlayNumber)
{
    sound = std::move(newSound);
    playNumber = newPlayNumber;
    position = 0;
    startClock = 0;
    volume = 1;
    paused = false;
    playing = true;
}

void Channel::setVolume(float newVolume)
{
    // fmax takes the number when the other operand is not one.
    volume = std::fmin(std::fmax(newVolume, 0.0f), 1.0f);
}

void Channel::setPosition(std::uint64_t frame)
{
    position = frame;
    if (position >= sound->getFrameCount())
        playing = false;
}

void Channel::mixInto(float* output, std::size_t frames, std::uint64_t blockClock)
{
    if (!playing || paused)
        return;
    std::uint64_t wait = startClock > blockClock ? startClock - blockClock : 0;
    if (wait >= frames)
        return;
    std::uint64_t count = std::min<std::uint64_t>(frames - wait, sound->getFrameCount() - position);
    float* out = output + 2 * wait;
    for (std::uint64_t i = 0; i < count; ++i)
    {
        const float* frame = sound->getFrame(position + i);
        out[2 * i] += volume * frame[0];
        out[2 * i + 1] += volume * frame[1];
    }
    position += count;
    if (position >= sound->getFrameCount())
        playing = false;
}

}
