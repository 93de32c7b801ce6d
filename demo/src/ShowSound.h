#pragma once

namespace Pellux
{
class SoundNode;
}

// What the show does with its sound; the tests listen in through a recorder of their own.
class ShowSound
{
public:
    virtual ~ShowSound() = default;
    virtual void play() = 0;
    virtual void setVolume(float volume) = 0;
    virtual void setPaused(bool paused) = 0;
    virtual void setPosition(float seconds) = 0;
};

// The show's sound played by a sound node.
class SoundNodeSound : public ShowSound
{
public:
    explicit SoundNodeSound(Pellux::SoundNode& node) : node(node) {}
    void play() override;
    void setVolume(float volume) override;
    void setPaused(bool paused) override;
    void setPosition(float seconds) override;

private:
    Pellux::SoundNode& node;
};
