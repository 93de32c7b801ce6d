#pragma once

#include <string>
#include <vector>

// The show's sound: a clock ticking in a fen at dusk, over low drones, wind and distant bells.
namespace AssetGen
{

// Mono samples in [-1, 1].
std::vector<float> mysteriousAmbience(int sampleRate, double seconds);

// Writes mono samples as an MPEG layer III file of about 80 kbit/s with libsndfile; false on failure.
bool saveMp3(const std::vector<float>& samples, int sampleRate, const std::string& path, std::string& error);

}
