#include "pellux/audio/Mixer.h"

#include <algorithm>
#include <utility>

namespace Pellux
{

Mixer::ChannelHandle Mixer::play(std::shared_ptr<const Sound> sound)
{
    if (sound == nullptr)
        return ChannelHandle();
    Channel& channel = chooseChannel();
    channel.start(std::move(sound), ++plays);
    return ChannelHandle{static_cast<std::size_t>(&channel - channels.data()), plays};
}

void Mixer::stop(ChannelHandle channel)
{
    if (Channel* found = find(channel))
        found->stop();
}

void Mixer::setPaused(ChannelHandle channel, bool paused)
{
    if (Channel* found = find(channel))
        found->setPaused(paused);
}

bool Mixer::isPaused(ChannelHandle channel) const
{
    const Channel* found = find(channel);
    return found != nullptr && found->isPaused();
}

void Mixer::setVolume(ChannelHandle channel, float volume)
{
    if (Channel* found = find(channel))
        found->setVolume(volume);
}

void Mixer::setPosition(ChannelHandle channel, std::uint64_t frame)
{
    if (Channel* found = find(channel))
        found->setPosition(frame);
}

void Mixer::setStartClock(ChannelHandle channel, std::uint64_t startClock)
{
    if (Channel* found = find(channel))
        found->setStartClock(startClock);
}

void Mixer::mix(float* output, std::size_t frames)
{
    std::fill(output, output + 2 * frames, 0.0f);
    for (Channel& channel : channels)
        channel.mixInto(output, frames, clock);
    clock += frames;
}

Channel* Mixer::find(ChannelHandle handle)
{
    return const_cast<Channel*>(static_cast<const Mixer*>(this)->find(handle));
}

const Channel* Mixer::find(ChannelHandle handle) const
{
    if (handle.index >= channelCount)
        return nullptr;
    const Channel& channel = channels[handle.index];
    return channel.isPlaying() && channel.getPlayNumber() == handle.playNumber ? &channel : nullptr;
}

Channel& Mixer::chooseChannel()
{
    auto idle = std::find_if(channels.begin(), channels.end(),
                             [](const Channel& channel) { return !channel.isPlaying(); });
    if (idle != channels.end())
        return *idle;
    return *std::min_element(channels.begin(), channels.end(), [](const Channel& a, const Channel& b) {
        return a.getPlayNumber() < b.getPlayNumber();
    });
}

}
