#pragma once

#include "pellux/audio/Channel.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>

namespace Pellux
{

class Sound;

// Mixes up to 32 channels into 48 kHz float stereo and counts the frames it has mixed: its clock.
// Channels are reached through handles; a handle of a channel that has ended or been taken over
// reaches nothing, so every call on it does nothing. Not thread-safe; the audio system guards it.
class Mixer
{
public:
    static constexpr int sampleRate = 48000;
    static constexpr std::size_t channelCount = 32;

    // Names one use of one channel. The default handle names none.
    struct ChannelHandle
    {
        std::size_t index = 0;
        std::uint64_t playNumber = 0;
    };

    // Plays `sound` once on a free channel, or on the longest playing one when none is free.
    // A null sound gets no channel.
    ChannelHandle play(std::shared_ptr<const Sound> sound);
    void stop(ChannelHandle channel);

    void setPaused(ChannelHandle channel, bool paused);
    bool isPaused(ChannelHandle channel) const;
    void setVolume(ChannelHandle channel, float volume);
    void setPosition(ChannelHandle channel, std::uint64_t frame);
    void setStartClock(ChannelHandle channel, std::uint64_t startClock);

    std::uint64_t getClock() const { return clock; }

    // Fills `frames` interleaved stereo frames of `output` with the sum of the channels.
    void mix(float* output, std::size_t frames);

private:
    Channel* find(ChannelHandle handle);
    const Channel* find(ChannelHandle handle) const;
    Channel& chooseChannel();

    std::array<Channel, channelCount> channels;
    std::uint64_t plays = 0;
    std::uint64_t clock = 0;
};

}
