#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>

// One sample of a generated sound, by frame.
using Waveform = std::function<float(long frame)>;

// Writes `frames` frames of `waveform`, the same on every channel, through libsndfile.
// `format` is a libsndfile format such as SF_FORMAT_WAV | SF_FORMAT_FLOAT.
void writeSound(const std::string& path, int format, int sampleRate, int channels, long frames,
                const Waveform& waveform);

// A 440 Hz tone at half amplitude.
Waveform sineTone(int sampleRate);

// (frame + 1) / 2^18: every frame of a ramp tells which frame it is, exactly, even in a float WAV
// file and at full volume in the mixer.
float rampAt(long frame);

// Whether `log` is exactly one log line at `level` ("INFO", "ERR") from the source file `source`
// that says `text`.
testing::AssertionResult isLogLine(const std::string& log, const std::string& level,
                                   const std::string& source, const std::string& text);

// How many frames the shared audio system's mixer has mixed.
std::uint64_t mixerClock();

// Polls `condition` until it holds, for ten seconds at most.
bool eventually(const std::function<bool()>& condition);
