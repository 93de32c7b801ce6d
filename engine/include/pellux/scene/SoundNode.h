#pragma once

#include "pellux/audio/Mixer.h"
#include "pellux/foundation/File.h"
#include "pellux/scene/SceneNode.h"

#include <memory>
#include <string>

namespace Pellux
{

class Sound;

// A scene node that plays one sound file once through the shared audio system. Its transform plays
// no part in playback. Before `play`, and after a failed `load`, the calls on it do nothing.
class SoundNode : public SceneNode
{
public:
    NodeKind getKind() const override { return NodeKind::Sound; }

    // Opens the shared audio system if no sound node has yet.
    explicit SoundNode(const std::string& name);
    // Stops the channel, which nothing could reach any more.
    ~SoundNode() override;
    SoundNode(const SoundNode&) = delete;
    SoundNode& operator=(const SoundNode&) = delete;

    void load(File file);
    // Plays the loaded sound from its start on a channel of its own.
    void play();
    // 0 is silent, 1 is full volume.
    void setVolume(float volume);
    void setPaused(bool paused);
    bool isPaused() const;
    // Continues at `seconds` into the sound, 2048 mixer frames after the call, unpaused.
    void setPosition(float seconds);

private:
    std::shared_ptr<const Sound> sound;
    Mixer::ChannelHandle channel;
};

}
