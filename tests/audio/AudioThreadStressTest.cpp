#include "pellux/audio/AudioSystem.h"
#include "pellux/scene/SoundNode.h"

#include "AudioTesting.h"
#include "TemporaryDirectory.h"

#include <gtest/gtest.h>

#include <sndfile.h>

#include <chrono>
#include <stdlib.h>
#include <thread>

using Pellux::AudioSystem;
using Pellux::SoundNode;

namespace
{
// Built with ThreadSanitizer: every call of the main thread meets the audio thread mixing.
TEST(AudioThreads, NodesAreDrivenWhileTheDeviceMixes)
{
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    TemporaryDirectory files;
    std::string tone = files.path() + "/tone.wav";
    writeSound(tone, SF_FORMAT_WAV | SF_FORMAT_FLOAT, 48000, 1, 48000, sineTone(48000));
    SoundNode steady("steady");
    steady.load(File(tone));
    steady.play();

    std::uint64_t start = mixerClock();
    for (int round = 0; round < 100; ++round)
    {
        SoundNode node("busy");
        node.load(File(tone));
        node.play();
        node.setVolume(static_cast<float>(round % 10) / 10);
        node.setPaused(round % 2 == 0);
        node.isPaused();
        steady.setPosition(static_cast<float>(round % 5) / 10);
        steady.setPaused(round % 3 == 0);
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    EXPECT_GT(mixerClock(), start);
}
}
