#include "pellux/audio/AudioSystem.h"
#include "pellux/scene/SoundNode.h"

#include "AudioTesting.h"
#include "CaptureOutput.h"
#include "TemporaryDirectory.h"

#include <gtest/gtest.h>

#include <sndfile.h>

#include <memory>
#include <stdlib.h>

using Pellux::AudioSystem;
using Pellux::SoundNode;

namespace
{
// A driver SDL does not have stands in for a machine without a sound device.
TEST(NoSoundDevice, TheDummyDriverTakesOverOnceForEveryNodeAndKeepsTheClockRunning)
{
    setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    createLoggerQuietly();
    std::unique_ptr<SoundNode> first;
    std::unique_ptr<SoundNode> second;
    EXPECT_TRUE(isLogLine(captureStdout([&] { first = std::make_unique<SoundNode>("first"); }), "INFO",
                          "AudioSystem.cpp", "no sound device, using SDL's dummy audio driver"));
    EXPECT_EQ(captureStdout([&] { second = std::make_unique<SoundNode>("second"); }), "");

    TemporaryDirectory files;
    std::string tone = files.path() + "/tone.wav";
    writeSound(tone, SF_FORMAT_WAV | SF_FORMAT_PCM_16, 48000, 1, 48000, sineTone(48000));
    for (SoundNode* node : {first.get(), second.get()})
    {
        node->load(File(tone));
        node->play();
    }
    first->setPaused(true);
    EXPECT_TRUE(first->isPaused());
    EXPECT_FALSE(second->isPaused());

    std::uint64_t start = mixerClock();
    EXPECT_TRUE(eventually([&] { return mixerClock() >= start + 4800; }));
}
}
