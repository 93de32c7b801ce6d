#include "pellux/audio/Mixer.h"

#include "pellux/audio/Sound.h"

#include "AudioTesting.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

using Pellux::Mixer;
using Pellux::Sound;

namespace
{
const long soundFrames = 3000;

// Interleaved stereo frames with `frames` values of `value(frame)` on both sides.
std::vector<float> stereo(long frames, const Waveform& value)
{
    std::vector<float> samples;
    for (long frame = 0; frame < frames; ++frame)
        samples.insert(samples.end(), 2, value(frame));
    return samples;
}

// `frames` frames of the ramp from frame `first` on, each times `volume`.
std::vector<float> rampFrom(long first, long frames, float volume = 1)
{
    return stereo(frames, [&](long frame) { return volume * rampAt(first + frame); });
}

std::vector<float> silence(long frames)
{
    return std::vector<float>(2 * frames, 0.0f);
}

std::vector<float> joined(std::vector<float> first, const std::vector<float>& second)
{
    first.insert(first.end(), second.begin(), second.end());
    return first;
}

// A mixer driven by hand, with a ramp sound of `soundFrames` frames to play.
class MixerTest : public testing::Test
{
protected:
    // The next `frames` frames, mixed in blocks of an odd size so that starts fall inside blocks.
    std::vector<float> mixed(long frames)
    {
        std::vector<float> output(2 * frames);
        for (long done = 0; done < frames; done += 700)
            mixer.mix(output.data() + 2 * done, std::min(700L, frames - done));
        return output;
    }

    Mixer mixer;
    std::shared_ptr<const Sound> ramp = std::make_shared<const Sound>(stereo(soundFrames, rampAt));
};

TEST_F(MixerTest, PlaysTheSoundOnceAndCountsTheFramesMixed)
{
    Mixer::ChannelHandle channel = mixer.play(ramp);
    EXPECT_EQ(mixed(soundFrames + 1000), joined(rampFrom(0, soundFrames), silence(1000)));
    EXPECT_EQ(mixer.getClock(), static_cast<std::uint64_t>(soundFrames + 1000));

    // An ended channel is gone: moving or resuming it brings nothing back.
    mixer.setPosition(channel, 0);
    mixer.setPaused(channel, false);
    EXPECT_EQ(mixed(1000), silence(1000));
    EXPECT_FALSE(mixer.isPaused(channel));
}

TEST_F(MixerTest, MovedChannelResumesAtItsFrameOnceTheClockReachesTheStart)
{
    Mixer::ChannelHandle channel = mixer.play(ramp);
    mixed(100);
    mixer.setPosition(channel, 1000);
    mixer.setStartClock(channel, mixer.getClock() + 2048);
    EXPECT_EQ(mixed(2548), joined(silence(2048), rampFrom(1000, 500)));
}

TEST_F(MixerTest, PausedChannelKeepsItsPlace)
{
    Mixer::ChannelHandle channel = mixer.play(ramp);
    mixed(1000);
    mixer.setPaused(channel, true);
    EXPECT_TRUE(mixer.isPaused(channel));
    EXPECT_EQ(mixed(1500), silence(1500));

    mixer.setPaused(channel, false);
    EXPECT_FALSE(mixer.isPaused(channel));
    EXPECT_EQ(mixed(500), rampFrom(1000, 500));
}

TEST_F(MixerTest, VolumeScalesTheSamplesWithinSilenceAndFullVolume)
{
    struct Case
    {
        float volume;
        float heard;
    };
    for (Case volume : {Case{0.5f, 0.5f}, Case{2.0f, 1.0f}, Case{-1.0f, 0.0f}, Case{NAN, 0.0f}})
    {
        SCOPED_TRACE(volume.volume);
        Mixer::ChannelHandle channel = mixer.play(ramp);
        mixer.setVolume(channel, volume.volume);
        EXPECT_EQ(mixed(100), rampFrom(0, 100, volume.heard));
        mixer.stop(channel);
    }
}

TEST_F(MixerTest, PositionAtOrPastTheEndEndsTheChannel)
{
    for (std::uint64_t position : {std::uint64_t(soundFrames), std::uint64_t(1) << 60})
    {
        SCOPED_TRACE(position);
        Mixer::ChannelHandle channel = mixer.play(ramp);
        mixer.setPosition(channel, position);
        mixer.setPosition(channel, 0);
        EXPECT_EQ(mixed(100), silence(100));
    }
}

TEST_F(MixerTest, ChannelsAddUp)
{
    mixer.play(ramp);
    Mixer::ChannelHandle quieter = mixer.play(ramp);
    mixer.setVolume(quieter, 0.5f);
    EXPECT_EQ(mixed(100), rampFrom(0, 100, 1.5f));
}

TEST_F(MixerTest, HandlesOfNoChannelReachNothing)
{
    mixer.play(ramp);
    for (Mixer::ChannelHandle none : {Mixer::ChannelHandle(), mixer.play(nullptr)})
    {
        mixer.setPaused(none, true);
        mixer.setVolume(none, 0);
        mixer.setPosition(none, 2000);
        mixer.setStartClock(none, 100000);
        mixer.stop(none);
        EXPECT_FALSE(mixer.isPaused(none));
    }
    EXPECT_EQ(mixed(100), rampFrom(0, 100));
}

TEST_F(MixerTest, ThirtyThirdSoundTakesOverTheLongestPlayingChannel)
{
    std::vector<Mixer::ChannelHandle> channels;
    for (std::size_t i = 0; i < Mixer::channelCount; ++i)
        channels.push_back(mixer.play(ramp));
    for (Mixer::ChannelHandle channel : channels)
        mixer.setPaused(channel, true);

    Mixer::ChannelHandle newest = mixer.play(ramp);
    EXPECT_EQ(newest.index, channels.front().index);
    EXPECT_FALSE(mixer.isPaused(channels.front()));
    EXPECT_TRUE(mixer.isPaused(channels[1]));
    EXPECT_FALSE(mixer.isPaused(newest));
    EXPECT_EQ(mixed(100), rampFrom(0, 100));
}

}
