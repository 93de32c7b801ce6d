#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

namespace Pellux
{

class Sound;

// One voice of the mixer: a sound played once from a position, paused or not, at a volume, from a
// start time on the mixer's clock. Not thread-safe; the mixer's owner guards it.
class Channel
{
public:
    // Plays `newSound` from its start at full volume; `playNumber` tells channel uses apart.
    void start(std::shared_ptr<const Sound> newSound, std::uint64_t playNumber);
    void stop() { playing = false; }

    bool isPlaying() const { return playing; }
    std::uint64_t getPlayNumber() const { return playNumber; }

    bool isPaused() const { return paused; }
    void setPaused(bool isPaused) { paused = isPaused; }
    // Clamped to 0 (silent) to 1 (as recorded); not a number is silent.
    void setVolume(float newVolume);
    // A frame at or past the end ends the channel.
    void setPosition(std::uint64_t frame);
    // Nothing is heard before the mixer's clock reaches `clock`.
    void setStartClock(std::uint64_t clock) { startClock = clock; }

    // Adds this channel to `frames` stereo frames of `output`, the block that begins at mixer clock
    // `blockClock`, and moves on by what it played.
    void mixInto(float* output, std::size_t frames, std::uint64_t blockClock);

private:
    // The sound stays referenced after its end, so it is never freed on the audio thread.
    std::shared_ptr<const Sound> sound;
    std::uint64_t playNumber = 0;
    std::uint64_t position = 0;
    std::uint64_t startClock = 0;
    float volume = 1;
    bool paused = false;
    bool playing = false;
};

}
