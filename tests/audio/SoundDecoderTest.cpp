#include "pellux/audio/SoundDecoder.h"

#include "pellux/audio/Sound.h"

#include "AudioTesting.h"
#include "CaptureOutput.h"
#include "TemporaryDirectory.h"

#include <gtest/gtest.h>

#include <sndfile.h>

#include <cmath>
#include <ostream>

using Pellux::Sound;
namespace SoundDecoder = Pellux::SoundDecoder;

namespace
{
struct Encoding
{
    const char* name;
    int format;
    int sampleRate;
    int channels;
    // How far a decoded sample may lie from the tone: lossy codecs change it a little, and so does
    // resampling, most at the last frame, which lies past the file's last sample and repeats it.
    float tolerance;
};

void PrintTo(const Encoding& encoding, std::ostream* out)
{
    *out << encoding.name;
}

class SoundDecoderFormats : public testing::TestWithParam<Encoding>
{
};

// One second of the tone, whatever the file's format, rate and channels, comes out as one second
// of the tone at 48 kHz on both sides.
TEST_P(SoundDecoderFormats, DecodesOneSecondOfToneAsStereoAt48kHz)
{
    createLoggerQuietly();
    const Encoding& encoding = GetParam();
    TemporaryDirectory directory;
    std::string path = directory.path() + "/" + encoding.name;
    writeSound(path, encoding.format, encoding.sampleRate, encoding.channels, encoding.sampleRate,
               sineTone(encoding.sampleRate));

    std::shared_ptr<const Sound> sound = SoundDecoder::decode(path);
    ASSERT_NE(sound, nullptr);
    ASSERT_EQ(sound->getFrameCount(), 48000u);
    Waveform expected = sineTone(48000);
    float worst = 0;
    for (std::size_t frame = 0; frame < sound->getFrameCount(); ++frame)
        for (int side = 0; side < 2; ++side)
            worst = std::fmax(worst, std::fabs(sound->getFrame(frame)[side] - expected(frame)));
    EXPECT_LE(worst, encoding.tolerance);
}

INSTANTIATE_TEST_SUITE_P(
    Encodings, SoundDecoderFormats,
    testing::Values(Encoding{"mono.wav", SF_FORMAT_WAV | SF_FORMAT_FLOAT, 48000, 1, 1e-6f},
                    Encoding{"stereo.flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 48000, 2, 1e-4f},
                    Encoding{"stereo.ogg", SF_FORMAT_OGG | SF_FORMAT_VORBIS, 48000, 2, 0.05f},
                    Encoding{"stereo.mp3", SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III, 48000, 2, 0.05f},
                    Encoding{"resampled.wav", SF_FORMAT_WAV | SF_FORMAT_FLOAT, 44100, 1, 3e-3f},
                    Encoding{"resampled.mp3", SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III, 44100, 2, 0.05f}),
    [](const testing::TestParamInfo<Encoding>& info) {
        std::string name = info.param.name;
        name[name.find('.')] = '_';
        return name;
    });
}
