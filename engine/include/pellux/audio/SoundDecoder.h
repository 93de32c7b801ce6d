#pragma once

#include <memory>
#include <string>

namespace Pellux
{

class Sound;

// Reads whole sound files (WAV, FLAC, Ogg Vorbis, MP3 and the other formats of libsndfile).
namespace SoundDecoder
{
// The file as stereo at the mixer's rate: mono is heard on both sides, further channels are left
// out, other rates are resampled. Null, after one ERR line naming `path`, when the file is missing,
// empty or cannot be decoded.
std::shared_ptr<const Sound> decode(const std::string& path);
}

}
