#include "pellux/audio/AudioSystem.h"
#include "pellux/scene/SoundNode.h"

#include "AudioTesting.h"
#include "CaptureOutput.h"
#include "TemporaryDirectory.h"

#include <gtest/gtest.h>

#include <sndfile.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <ostream>
#include <stdlib.h>
#include <vector>

using Pellux::SoundNode;

namespace
{
const int rate = 48000;
const int rampFormat = SF_FORMAT_WAV | SF_FORMAT_FLOAT;

// SDL's disk driver writes everything this process plays to one raw file of float stereo frames,
// in real time. It has to be chosen before the first sound node opens the output.
const std::string& outputFile()
{
    static TemporaryDirectory directory;
    static const std::string path = [] {
        std::string file = directory.path() + "/output.raw";
        setenv("SDL_AUDIODRIVER", "disk", 1);
        setenv("SDL_DISKAUDIOFILE", file.c_str(), 1);
        return file;
    }();
    return path;
}

// The left samples of the output file, from frame `first` on.
std::vector<float> leftSamplesFrom(std::size_t first)
{
    float frame[2];
    std::ifstream file(outputFile(), std::ios::binary);
    file.seekg(static_cast<std::streamoff>(first * sizeof frame));
    std::vector<float> samples;
    while (file.read(reinterpret_cast<char*>(frame), sizeof frame))
        samples.push_back(frame[0]);
    return samples;
}

std::size_t framesWritten()
{
    std::error_code missing;
    std::uintmax_t bytes = std::filesystem::file_size(outputFile(), missing);
    return missing ? 0 : bytes / (2 * sizeof(float));
}

// A stretch of the output that is not silent: [begin, end).
struct Stretch
{
    std::size_t begin;
    std::size_t end;
};

std::vector<Stretch> soundingStretches(const std::vector<float>& samples)
{
    std::vector<Stretch> stretches;
    for (std::size_t index = 0; index < samples.size(); ++index)
        if (samples[index] != 0)
        {
            if (stretches.empty() || stretches.back().end != index)
                stretches.push_back(Stretch{index, index});
            stretches.back().end = index + 1;
        }
    return stretches;
}

// Sound nodes on the shared output, heard through the file. Each test hears only what was written
// after it began.
class SoundNodeTest : public testing::Test
{
protected:
    SoundNodeTest()
    {
        createLoggerQuietly();
        outputFile();
        Pellux::AudioSystem::getInstance();
        // What earlier tests of this process played reaches the file before this test listens.
        heardFor(2048);
        firstFrame = framesWritten();
    }

    std::string writeRamp(const std::string& name, long frames)
    {
        std::string path = files.path() + "/" + name;
        writeSound(path, rampFormat, rate, 1, frames, rampAt);
        return path;
    }

    std::vector<float> heard() const { return leftSamplesFrom(firstFrame); }

    bool heardSomething() const { return !soundingStretches(heard()).empty(); }

    // Waits until `frames` more frames have been written.
    bool heardFor(std::size_t frames) const
    {
        std::size_t written = framesWritten();
        return eventually([&] { return framesWritten() >= written + frames; });
    }

    TemporaryDirectory files;
    std::size_t firstFrame = 0;
};

TEST_F(SoundNodeTest, PlaysOnceAtItsVolumeAndStaysSilentOnceEnded)
{
    const long frames = rate / 4;
    SoundNode node("sound");
    node.load(File(writeRamp("short.wav", frames)));
    node.play();
    node.setVolume(0.5f);
    ASSERT_TRUE(eventually([&] { return heardSomething(); }));
    ASSERT_TRUE(heardFor(frames + rate / 10));

    node.setPosition(0);
    EXPECT_FALSE(node.isPaused());
    ASSERT_TRUE(heardFor(rate / 10));

    std::vector<float> samples = heard();
    std::vector<Stretch> stretches = soundingStretches(samples);
    ASSERT_EQ(stretches.size(), 1u);
    EXPECT_EQ(stretches[0].end - stretches[0].begin, static_cast<std::size_t>(frames));
    EXPECT_EQ(samples[stretches[0].end - 1], 0.5f * rampAt(frames - 1));
}

TEST_F(SoundNodeTest, MovedSoundResumesAtItsTime2048FramesAfterTheCall)
{
    SoundNode node("sound");
    node.load(File(writeRamp("long.wav", 3 * rate)));
    node.play();
    ASSERT_TRUE(eventually([&] { return heardSomething(); }));

    node.setPosition(2.5f);
    EXPECT_FALSE(node.isPaused());
    ASSERT_TRUE(eventually([&] {
        std::vector<float> samples = heard();
        return std::find(samples.begin(), samples.end(), rampAt(120099)) != samples.end();
    }));

    std::vector<float> samples = heard();
    std::vector<Stretch> stretches = soundingStretches(samples);
    ASSERT_EQ(stretches.size(), 2u);
    EXPECT_EQ(stretches[1].begin - stretches[0].end, 2048u);
    EXPECT_EQ(samples[stretches[0].begin], rampAt(0));
    for (long frame = 0; frame < 100; ++frame)
        ASSERT_EQ(samples[stretches[1].begin + frame], rampAt(120000 + frame)) << frame;
}

TEST_F(SoundNodeTest, PausedSoundKeepsItsPlaceAndSaysSo)
{
    SoundNode node("sound");
    node.load(File(writeRamp("long.wav", 3 * rate)));
    node.play();
    ASSERT_TRUE(eventually([&] { return heardSomething(); }));

    node.setPaused(true);
    EXPECT_TRUE(node.isPaused());
    ASSERT_TRUE(heardFor(rate / 5));
    node.setPaused(false);
    EXPECT_FALSE(node.isPaused());
    ASSERT_TRUE(eventually([&] { return soundingStretches(heard()).size() == 2; }));

    std::vector<float> samples = heard();
    std::vector<Stretch> stretches = soundingStretches(samples);
    std::size_t playedBefore = stretches[0].end - stretches[0].begin;
    EXPECT_GE(stretches[1].begin - stretches[0].end, static_cast<std::size_t>(rate / 10));
    EXPECT_EQ(samples[stretches[0].end - 1], rampAt(playedBefore - 1));
    EXPECT_EQ(samples[stretches[1].begin], rampAt(playedBefore));
}

TEST_F(SoundNodeTest, CallsBeforePlayDoNothing)
{
    SoundNode node("sound");
    node.load(File(writeRamp("short.wav", rate / 4)));
    std::string log = captureStdout([&] {
        node.setPaused(true);
        node.setVolume(0.5f);
        node.setPosition(0.1f);
        EXPECT_FALSE(node.isPaused());
    });
    EXPECT_EQ(log, "");
    ASSERT_TRUE(heardFor(rate / 10));
    EXPECT_FALSE(heardSomething());
}

TEST_F(SoundNodeTest, IsASceneNodeByType)
{
    EXPECT_EQ(SoundNode("sound").getType(), "SceneNode");
}

// A file name and how the test makes that file bad.
struct BadFile
{
    const char* name;
    void (*make)(const std::string& path);
};

void PrintTo(const BadFile& bad, std::ostream* out)
{
    *out << bad.name;
}

class SoundNodeBadFiles : public SoundNodeTest, public testing::WithParamInterface<BadFile>
{
};

// The file is named relative to the working directory; the log names its full path.
TEST_P(SoundNodeBadFiles, LoadSaysOnceWhichFileFailedAndTheNodeStaysSilent)
{
    const BadFile& bad = GetParam();
    bad.make(files.path() + "/" + bad.name);
    WorkingDirectory inFiles(files.path());
    SoundNode node("sound");

    std::string loadLog = captureStdout([&] { node.load(File(bad.name)); });
    EXPECT_TRUE(isLogLine(loadLog, "ERR", "SoundDecoder.cpp",
                          "sound file could not be loaded: " + files.path() + "/" + bad.name));

    std::string laterLog = captureStdout([&] {
        node.play();
        node.setVolume(1);
        node.setPaused(false);
        node.setPosition(0);
        EXPECT_FALSE(node.isPaused());
    });
    EXPECT_EQ(laterLog, "");
    ASSERT_TRUE(heardFor(rate / 10));
    EXPECT_FALSE(heardSomething());
}

INSTANTIATE_TEST_SUITE_P(Files, SoundNodeBadFiles,
                         testing::Values(
                             BadFile{"missing.wav", [](const std::string&) {}},
                             BadFile{"empty.mp3", [](const std::string& path) { std::ofstream{path}; }},
                             BadFile{"text.ogg",
                                     [](const std::string& path) { std::ofstream(path) << "not a sound\n"; }},
                             BadFile{"no-frames.wav",
                                     [](const std::string& path) {
                                         writeSound(path, rampFormat, rate, 1, 0, rampAt);
                                     }}),
                         [](const testing::TestParamInfo<BadFile>& info) {
                             std::string name = info.param.name;
                             std::replace(name.begin(), name.end(), '.', '_');
                             std::replace(name.begin(), name.end(), '-', '_');
                             return name;
                         });
}
