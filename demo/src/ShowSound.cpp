#include "ShowSound.h"

#include "pellux/scene/SoundNode.h"

void SoundNodeSound::play()
{
    node.play();
}

void SoundNodeSound::setVolume(float volume)
{
    node.setVolume(volume);
}

void SoundNodeSound::setPaused(bool paused)
{
    node.setPaused(paused);
}

void SoundNodeSound::setPosition(float seconds)
{
    node.setPosition(seconds);
}
